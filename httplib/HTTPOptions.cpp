#include "httplib/HTTPOptions.h"

#include <cctype>
#include <cstring>
#include <limits>

namespace {

// Where the value of `keyword` starts in `text` (after "=" and spaces), or npos when the
// keyword does not stand there with an "=" after it.
size_t valueStart(const std::string& text, const std::string& keyword) {
    for (size_t at = text.find(keyword); at != std::string::npos; at = text.find(keyword, at + 1)) {
        if (at > 0 && std::isalpha(static_cast<unsigned char>(text[at - 1]))) continue;
        size_t i = at + keyword.size();
        while (i < text.size() && text[i] == ' ') ++i;
        if (i == text.size() || text[i] != '=') continue;
        ++i;
        while (i < text.size() && text[i] == ' ') ++i;
        return i;
    }
    return std::string::npos;
}

// The decimal digits at `from`, saturated at the largest value; false when there are none.
bool readNumber(const std::string& text, size_t from, int64_t& value) {
    size_t i = from;
    int64_t n = 0;
    constexpr int64_t top = std::numeric_limits<int64_t>::max();
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        n = n > (top - (text[i] - '0')) / 10 ? top : n * 10 + (text[i] - '0');
    if (i == from) return false;
    value = n;
    return true;
}

// The text that follows `from` up to the next space or comma (or inside double quotes).
std::string readWord(const std::string& text, size_t from) {
    if (from < text.size() && text[from] == '"') {
        const size_t close = text.find('"', from + 1);
        return text.substr(from + 1, close == std::string::npos ? std::string::npos : close - from - 1);
    }
    size_t end = from;
    while (end < text.size() && text[end] != ' ' && text[end] != ',') ++end;
    return text.substr(from, end - from);
}

void readLimit(const std::string& text, const char* keyword, int64_t& value, std::vector<std::string>& problems) {
    const size_t at = valueStart(text, keyword);
    if (at == std::string::npos || readNumber(text, at, value)) return;
    problems.push_back(std::string("Invalid option: ") + keyword + "=" + readWord(text, at));
}

}  // namespace

HTTPOptions HTTPOptions::parse(const char* text) {
    HTTPOptions options;
    const std::string t = text ? text : "";
    const auto has = [&](const char* keyword) { return t.find(keyword) != std::string::npos; };
    options.decode = has("decode");
    options.noEncode = has("noencode");
    options.noMeta = has("nometa");
    options.encodeSpacesOnly = has("encodespacesonly");
    options.browserMode = has("browsermode");

    const size_t retries = valueStart(t, "retries");
    if (retries != std::string::npos) readNumber(t, retries, options.retries);
    readLimit(t, "maxsize", options.maxSize, options.problems);
    readLimit(t, "connecttimeout", options.connectTimeout, options.problems);
    readLimit(t, "timeout", options.timeout, options.problems);
    const size_t caInfo = valueStart(t, "cainfo");
    if (caInfo != std::string::npos) options.caInfo = readWord(t, caInfo);
    return options;
}
