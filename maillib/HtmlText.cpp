#include "maillib/HtmlText.h"

#include <cstdint>
#include <cstring>
#include <strings.h>

namespace {

struct NamedEntity {
    const char* name;
    uint32_t code;
};

constexpr NamedEntity kEntities[] = {
    {"amp", '&'},    {"lt", '<'},     {"gt", '>'},     {"quot", '"'},   {"apos", '\''},
    {"nbsp", 0xA0},  {"copy", 0xA9},  {"reg", 0xAE},   {"euro", 0x20AC}, {"hellip", 0x2026},
    {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"eacute", 0xE9}, {"egrave", 0xE8},
    {"agrave", 0xE0}, {"uuml", 0xFC},  {"ouml", 0xF6},  {"auml", 0xE4},  {"szlig", 0xDF},
};

void appendUtf8(std::string& out, uint32_t c) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes the reference that starts at html[i] ('&'); the length taken, 0 when it is none.
size_t decodeReference(const std::string& html, size_t i, std::string& out) {
    const size_t semi = html.find(';', i);
    if (semi == std::string::npos || semi - i > 12 || semi == i + 1) return 0;
    const std::string name = html.substr(i + 1, semi - i - 1);
    uint32_t code = 0;
    if (name[0] == '#') {
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::string digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return 0;
        for (char c : digits) {
            const int v = (c >= '0' && c <= '9') ? c - '0'
                        : hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10
                                                                       : -1;
            if (v < 0) return 0;
            code = code * (hex ? 16 : 10) + uint32_t(v);
            if (code > 0x10FFFF) code = 0x110000;   // stays invalid, becomes U+FFFD
        }
    } else {
        const NamedEntity* found = nullptr;
        for (const NamedEntity& e : kEntities)
            if (name == e.name) found = &e;
        if (!found) return 0;
        code = found->code;
    }
    appendUtf8(out, code);
    return semi - i + 1;
}

// Whether the tag at html[i] ('<') opens the element `name` (script or style).
bool opensElement(const std::string& html, size_t i, const char* name) {
    const size_t n = strlen(name);
    if (html.size() < i + 1 + n || strncasecmp(html.c_str() + i + 1, name, n) != 0) return false;
    const char after = i + 1 + n < html.size() ? html[i + 1 + n] : '>';
    return after == '>' || after == ' ' || after == '\t' || after == '\n' || after == '\r' || after == '/';
}

// The position after the closing tag of `name` from `from`, or the end.
size_t skipElement(const std::string& html, size_t from, const char* name) {
    const std::string close = std::string("</") + name;
    for (size_t i = from; (i = html.find("</", i)) != std::string::npos; ++i) {
        if (strncasecmp(html.c_str() + i, close.c_str(), close.size()) == 0) {
            const size_t end = html.find('>', i);
            return end == std::string::npos ? html.size() : end + 1;
        }
    }
    return html.size();
}

}  // namespace

std::string htmlToText(const std::string& html) {
    std::string out;
    out.reserve(html.size());
    size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            if (html.compare(i, 4, "<!--") == 0) {
                const size_t end = html.find("-->", i + 4);
                i = end == std::string::npos ? html.size() : end + 3;
                continue;
            }
            const size_t end = html.find('>', i);
            if (end == std::string::npos) break;   // an unterminated tag ends the text
            if (opensElement(html, i, "script"))
                i = skipElement(html, end + 1, "script");
            else if (opensElement(html, i, "style"))
                i = skipElement(html, end + 1, "style");
            else
                i = end + 1;
            continue;
        }
        if (c == '&') {
            if (const size_t taken = decodeReference(html, i, out)) {
                i += taken;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}
