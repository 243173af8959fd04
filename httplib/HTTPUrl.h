// HTTPUrl: URLs parsed and resolved with curl's URL parser (curl_url).
//
// The options text picks the parser's flags:
//   (none)             unsafe characters (spaces, bytes above 127) are percent-encoded
//                      (CURLU_URLENCODE); "../" and "./" in the path are resolved
//   "noencode"         the URL is taken as written: a URL with a space is invalid
//   "encodespacesonly" spaces become "%20", nothing else is encoded
//   "decode"           the user name and password in the URL are percent-decoded
//                      (CURLU_URLDECODE), so "p%40ss" sends "p@ss"
//   "nometa"           "../" and "./" stay in the path as written (CURLU_PATH_AS_IS)
//   "browsermode"      a URL without a scheme is completed as a browser would:
//                      "www.example.com/x" is http://www.example.com/x (CURLU_GUESS_SCHEME)
// Any scheme parses (CURLU_NON_SUPPORT_SCHEME), so that the caller can tell a URL of another
// scheme from a malformed one.
#pragma once

#include <string>

#include "httplib/HTTPOptions.h"

struct HTTPUrl {
    bool valid = false;
    std::string scheme;    // lower case
    std::string host;
    std::string port;      // the scheme's default when the URL names none
    std::string address;   // the whole URL without user name and password
    std::string user;      // from the URL; empty when it has none
    std::string password;

    bool isHTTP() const { return scheme == "http" || scheme == "https"; }
    // Host and port, which decide where credentials may go.
    std::string server() const { return host + ":" + port; }
};

HTTPUrl parseURL(const std::string& url, const HTTPOptions& options);

// The URL that `location` (absolute, or relative as in a Location header) names when it is
// met on the page at `base`, with the scheme, host and port of `base` where it gives none;
// "" when it cannot be made.
std::string resolveLocation(const std::string& base, const std::string& location, const HTTPOptions& options);
