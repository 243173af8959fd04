// HTTPTransfer: one GET request at a time over libcurl, for one session.
//
// The transfer keeps a curl handle and a connection cache for the life of its session, so
// requests to the same server reuse the connection. Each request sends the session's
// request headers, follows no redirect (the session does that itself), accepts compressed
// answers (gzip, deflate, br, zstd: whatever libcurl was built with) and decodes them, trusts
// the system's certificate authorities or those named by "cainfo", and takes its proxy from
// the usual environment variables (http_proxy, https_proxy, no_proxy), as libcurl reads them.
//
// The transfer runs in steps of at most 100 ms so that the stop check is asked often: a
// stop ends it within a fraction of a second. A body larger than the "maxsize" option ends
// it too. Only http and https are ever spoken.
//
// Not copyable: it owns the curl handles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "httplib/HTTPOptions.h"
#include "httplib/QNHTTP.h"

struct HTTPResponse {
    bool completed = false;   // an answer came back (status holds its code)
    long status = 0;
    std::string body;         // decoded
    std::string location;     // the Location header; empty when there is none
    std::string error;        // what went wrong when not completed
};

class HTTPTransfer {
public:
    // The session's request headers carry `agent` as the User-Agent (line ends dropped).
    explicit HTTPTransfer(const std::string& agent);
    ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    // False when curl could not give its handles.
    bool usable() const;
    void setStopCheck(HTTPStopCheckFn check, void* context);

    // GET `url` (without user information); `user` non-empty sends basic authentication.
    HTTPResponse get(const std::string& url, const std::string& user, const std::string& password,
                     const HTTPOptions& options);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    HTTPStopCheckFn stopCheck_ = nullptr;
    void* stopContext_ = nullptr;
};
