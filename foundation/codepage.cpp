// iconv descriptors are opened once per thread and direction (for narrow text, per thread and
// the code page used last) and reset before each use, so conversions on several threads never
// share conversion state.
//
// Text of bytes below 0x80 only is widened without iconv where the code page reads them as
// themselves; for UTF-8, the default, that is known without asking iconv, so a run whose
// texts are all such bytes never loads a conversion module.
#include "foundation/codepage.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <iconv.h>

namespace {

// The UTF-16LE unit at `p` is the first (high) or the second (low) half of a pair.
bool isHighSurrogate(const char* p) { return (uint8_t(p[1]) & 0xFC) == 0xD8; }
bool isLowSurrogate(const char* p) { return (uint8_t(p[1]) & 0xFC) == 0xDC; }

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; on an invalid or unconvertible unit calls `bad(out)` and skips
    // `unit` input bytes. Returns false only when the descriptor could not be opened.
    template <typename Out, typename Bad>
    bool run(const char* in, size_t inLeft, size_t unit, Out& out, Bad bad) {
        if (!ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        char chunk[1024];
        while (inLeft > 0) {
            char* dst = chunk;
            size_t dstLeft = sizeof chunk;
            const size_t r = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
            append(out, chunk, size_t(dst - chunk));
            if (r != size_t(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (a sequence cut off at the end): replace one unit and go on.
            bad(out);
            size_t skip = inLeft < unit ? inLeft : unit;
            // A character of two UTF-16 units is one character to replace, not two.
            if (unit == 2 && inLeft >= 4 && isHighSurrogate(src) && isLowSurrogate(src + 2)) skip = 4;
            src += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = chunk;
        size_t dstLeft = sizeof chunk;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        append(out, chunk, size_t(dst - chunk));
        return true;
    }

private:
    static void append(std::string& out, const char* p, size_t n) { out.append(p, n); }
    static void append(std::u16string& out, const char* p, size_t n) {
        // iconv writes whole UTF-16 units only, so n is even.
        for (size_t i = 0; i + 1 < n; i += 2)
            out.push_back(XXWCHAR(uint8_t(p[i]) | (uint8_t(p[i + 1]) << 8)));
    }

    iconv_t cd_;
};

std::string readCodePage() {
    const char* env = std::getenv("QUILLON_CODEPAGE");
    if (env && *env) {
        iconv_t probe = iconv_open("UTF-16LE", env);
        if (probe != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(probe);
            return env;
        }
    }
    return "UTF-8";
}

}  // namespace

const std::string& codePageName() {
    static const std::string name = readCodePage();
    return name;
}

namespace {

// Whether the code page reads each byte below 128 as the character of that number, as UTF-8
// and the pages built on ASCII do (EBCDIC pages and UTF-7 do not); found once by converting
// those bytes.
bool asciiReadsAsItself() {
    static const bool same = [] {
        // UTF-8, the default, is known: no conversion module is loaded to find out.
        if (codePageName() == "UTF-8") return true;
        char bytes[128];
        for (int i = 0; i < 128; ++i) bytes[i] = char(i);
        Converter probe("UTF-16LE", codePageName().c_str());
        std::u16string out;
        bool bad = false;
        if (!probe.run(bytes, sizeof bytes, 1, out, [&](std::u16string&) { bad = true; }) || bad) return false;
        if (out.size() != sizeof bytes) return false;
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != char16_t(i)) return false;
        return true;
    }();
    return same;
}

}  // namespace

std::u16string narrowToWide(const char* text, size_t length) {
    // Text of such bytes only (names, dates, most paths) needs no converter.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (std::all_of(bytes, bytes + length, [](unsigned char b) { return b < 0x80; }) && asciiReadsAsItself())
        return std::u16string(bytes, bytes + length);
    thread_local Converter toWide("UTF-16LE", codePageName().c_str());
    std::u16string out;
    out.reserve(length);
    toWide.run(text, length, 1, out, [](std::u16string& o) { o.push_back(u'\uFFFD'); });
    return out;
}

namespace {

// A conversion to one narrow code page, with the text that stands for what it cannot show.
struct NarrowTarget {
    NarrowTarget(const std::string& codePage) : name(codePage), converter(codePage.c_str(), "UTF-16LE") {
        const XXWCHAR fffd = u'\uFFFD';
        const char bytes[2] = {char(fffd & 0xFF), char(fffd >> 8)};
        bool failed = false;
        converter.run(bytes, 2, 2, replacement, [&](std::string&) { failed = true; });
        if (failed || replacement.empty()) replacement = "?";
    }

    std::string name;
    Converter converter;
    std::string replacement;
};

}  // namespace

bool wideToCodePage(const char* codePage, const XXWCHAR* text, size_t length, std::string& out) {
    // The last code page used on this thread stays open: callers use one at a time.
    thread_local std::unique_ptr<NarrowTarget> target;
    if (!target || target->name != codePage) target = std::make_unique<NarrowTarget>(codePage);
    out.clear();
    if (!target->converter.ok()) return false;
    std::string in;
    in.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        in.push_back(char(text[i] & 0xFF));
        in.push_back(char(text[i] >> 8));
    }
    out.reserve(length);
    const std::string& replacement = target->replacement;
    target->converter.run(in.data(), in.size(), 2, out, [&](std::string& o) { o += replacement; });
    return true;
}

std::string wideToNarrow(const XXWCHAR* text, size_t length) {
    std::string out;
    wideToCodePage(codePageName().c_str(), text, length, out);
    return out;
}
