// HTTPSession: one session of the HTTP library and its fetches.
//
// A fetch (get) follows redirects itself, up to the "retries" limit of the options text:
// 301, 302, 303, 307 and 308 lead to the Location of the answer, resolved against the URL
// that gave it (so "/next" keeps the scheme, host and port, and "next.html" is taken
// relative to the page); an answer without a Location asks for the same URL again. Every
// step leaves a status line in the session's list, which grows for the session's life:
//   "HTTP request successful", "HTTP redirect (302)", "Site redirects with no new location",
//   "HTTP request code: 404", "Access denied: Invalid password", "Invalid URL: ...",
//   "URL does not reference an HTTP resource: ...", "Get URL: " + what the transfer met.
// The document of a successful fetch is its lines (line ends CR LF or LF) joined by "\n",
// without a final line end.
//
// Credentials: a user name and password inside the URL win; otherwise those given to the
// fetch are sent, and only to the host and port of the URL first asked for, so that a
// redirect to another server does not carry them there. On status 401 the host's
// credentials prompt, when one is installed, may supply others for one more try.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "httplib/HTTPTransfer.h"
#include "httplib/QNHTTP.h"

class HTTPSession {
public:
    explicit HTTPSession(const char* agent);

    bool usable() const { return transfer_.usable(); }
    // Fetches `url`; the result code of HTTPGet (0, or 22 when a transfer failed).
    int32_t get(const char* url, const char* options, const char* user, const char* password);
    // Notes an error that ended a fetch from outside (an exception): "GetURL error".
    void noteFailure();

    const std::string& result() const { return result_; }
    // The size of the last fetch's document in bytes (it may hold NUL bytes), or -1 when
    // the fetch brought none because it failed.
    int64_t documentSize() const { return hasDocument_ ? int64_t(result_.size()) : -1; }
    // The host of the last URL parsed.
    const std::string& server() const { return server_; }
    // The first status line of the last fetch ("" before any).
    const char* status() const;
    const std::vector<std::string>& messages() const { return messages_; }
    HTTPTransfer& transfer() { return transfer_; }

    // The prompt every session asks on status 401 (null: none).
    static void setCredentialsPrompt(HTTPCredentialsPromptFn prompt, void* context);

private:
    void add(std::string line) { messages_.push_back(std::move(line)); }

    HTTPTransfer transfer_;
    std::string result_;
    std::string server_;
    std::vector<std::string> messages_;
    size_t fetchStart_ = 0;   // the first status line of the last fetch
    bool hasDocument_ = false;   // the last fetch succeeded
};
