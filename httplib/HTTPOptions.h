// HTTPOptions: the options text of a fetch.
//
// The URL keywords are switched on when they occur anywhere in the text (case-sensitive):
// "decode", "noencode", "nometa", "encodespacesonly" and "browsermode" (HTTPUrl.cpp says what
// each does to the parsing of a URL). Valued options are the keyword, optional spaces, "=",
// optional spaces and the value; a keyword counts only where no letter comes right before it
// ("timeout" is not found inside "connecttimeout"):
//   retries=N          requests for one URL when every answer is a redirect (default 3)
//   maxsize=BYTES      largest document accepted (default 256 MiB)
//   connecttimeout=S   seconds to wait for a connection (default 30)
//   timeout=S          seconds one request may take in all (default 300)
//   cainfo=PATH        certificate authorities to trust for HTTPS instead of the system's
//                      (the path runs to the next space, or is written in double quotes)
// For maxsize and the time-outs 0 means no limit. A valued option whose value is not a
// number is noted in `problems` and keeps its default; "retries" without digits keeps it
// silently.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HTTPOptions {
    bool decode = false;
    bool noEncode = false;
    bool noMeta = false;
    bool encodeSpacesOnly = false;
    bool browserMode = false;
    int64_t retries = 3;
    int64_t maxSize = int64_t(256) << 20;
    int64_t connectTimeout = 30;
    int64_t timeout = 300;
    std::string caInfo;
    // One line per option that could not be read ("Invalid option: timeout=soon").
    std::vector<std::string> problems;

    static HTTPOptions parse(const char* text);
};
