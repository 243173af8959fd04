#include "httplib/HTTPUrl.h"

#include <curl/curl.h>

#include <memory>

namespace {

struct CurlUrlFree {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using UrlHandle = std::unique_ptr<CURLU, CurlUrlFree>;

unsigned setFlags(const HTTPOptions& options) {
    unsigned flags = CURLU_NON_SUPPORT_SCHEME;
    if (!options.noEncode && !options.encodeSpacesOnly) flags |= CURLU_URLENCODE;
    if (options.noMeta) flags |= CURLU_PATH_AS_IS;
    if (options.browserMode) flags |= CURLU_GUESS_SCHEME;
    return flags;
}

std::string prepared(const std::string& url, const HTTPOptions& options) {
    if (!options.encodeSpacesOnly) return url;
    std::string out;
    for (char c : url) out += c == ' ' ? std::string("%20") : std::string(1, c);
    return out;
}

// Part `part` of the URL; "" when it has none.
std::string part(CURLU* u, CURLUPart which, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(u, which, &text, flags) != CURLUE_OK || !text) return "";
    std::string out(text);
    curl_free(text);
    return out;
}

}  // namespace

HTTPUrl parseURL(const std::string& url, const HTTPOptions& options) {
    HTTPUrl parsed;
    UrlHandle u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_URL, prepared(url, options).c_str(), setFlags(options)) != CURLUE_OK)
        return parsed;
    parsed.scheme = part(u.get(), CURLUPART_SCHEME);
    parsed.host = part(u.get(), CURLUPART_HOST);
    parsed.port = part(u.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    const unsigned decode = options.decode ? CURLU_URLDECODE : 0;
    parsed.user = part(u.get(), CURLUPART_USER, decode);
    parsed.password = part(u.get(), CURLUPART_PASSWORD, decode);
    curl_url_set(u.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(u.get(), CURLUPART_PASSWORD, nullptr, 0);
    parsed.address = part(u.get(), CURLUPART_URL);
    parsed.valid = !parsed.scheme.empty() && !parsed.address.empty();
    return parsed;
}

std::string resolveLocation(const std::string& base, const std::string& location, const HTTPOptions& options) {
    UrlHandle u(curl_url());
    const unsigned flags = setFlags(options);
    if (!u || curl_url_set(u.get(), CURLUPART_URL, prepared(base, options).c_str(), flags) != CURLUE_OK ||
        curl_url_set(u.get(), CURLUPART_URL, prepared(location, options).c_str(), flags) != CURLUE_OK)
        return "";
    return part(u.get(), CURLUPART_URL);
}
