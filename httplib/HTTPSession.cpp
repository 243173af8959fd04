#include "httplib/HTTPSession.h"

#include <cstring>

#include "httplib/HTTPUrl.h"

namespace {

HTTPCredentialsPromptFn prompt = nullptr;
void* promptContext = nullptr;

constexpr int32_t kCredentialSize = 256;

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The lines of `body` joined by "\n", without a final line end.
std::string document(const std::string& body) {
    std::string text;
    text.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i)
        if (!(body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')) text += body[i];
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// Asks the host's prompt for credentials for `url`; true (with `user` and `password`
// replaced) when it supplied some.
bool askCredentials(const std::string& url, std::string& user, std::string& password) {
    if (!prompt) return false;
    char name[kCredentialSize] = {};
    char word[kCredentialSize] = {};
    std::strncpy(name, user.c_str(), kCredentialSize - 1);
    std::strncpy(word, password.c_str(), kCredentialSize - 1);
    if (!prompt(promptContext, url.c_str(), name, kCredentialSize, word, kCredentialSize)) return false;
    name[kCredentialSize - 1] = word[kCredentialSize - 1] = '\0';
    user = name;
    password = word;
    return true;
}

}  // namespace

HTTPSession::HTTPSession(const char* agent) : transfer_(agent ? agent : "") {}

void HTTPSession::setCredentialsPrompt(HTTPCredentialsPromptFn fn, void* context) {
    prompt = fn;
    promptContext = context;
}

const char* HTTPSession::status() const {
    return fetchStart_ < messages_.size() ? messages_[fetchStart_].c_str() : "";
}

void HTTPSession::noteFailure() {
    result_.clear();
    hasDocument_ = false;
    add("GetURL error");
}

int32_t HTTPSession::get(const char* url, const char* optionsText, const char* user, const char* password) {
    result_.clear();
    hasDocument_ = false;
    fetchStart_ = messages_.size();
    const HTTPOptions options = HTTPOptions::parse(optionsText);
    for (const std::string& problem : options.problems) add(problem);

    std::string current = url ? url : "";
    std::string givenUser = user ? user : "";
    std::string givenPassword = password ? password : "";
    std::string home;   // host and port that the given credentials are for
    for (int64_t redirects = 0;;) {
        const HTTPUrl parsed = parseURL(current, options);
        if (!parsed.valid) {
            add("Invalid URL: " + current);
            break;
        }
        if (!parsed.isHTTP()) {
            add("URL does not reference an HTTP resource: " + current);
            break;
        }
        server_ = parsed.host;
        if (home.empty()) home = parsed.server();
        std::string name = parsed.user;
        std::string word = parsed.password;
        if (name.empty() && parsed.server() == home) {
            name = givenUser;
            word = givenPassword;
        }

        HTTPResponse answer = transfer_.get(parsed.address, name, word, options);
        if (answer.completed && answer.status == 401) {
            if (askCredentials(parsed.address, name, word)) {
                givenUser = name;
                givenPassword = word;
                home = parsed.server();
                answer = transfer_.get(parsed.address, name, word, options);
            } else {
                add("Access denied: Invalid password");
            }
        }
        if (!answer.completed) {
            add("Get URL: " + answer.error);
            return kHTTPGetTransferFailed;
        }
        const std::string code = std::to_string(answer.status);
        if (answer.status == 200) {
            add("HTTP request successful");
            result_ = document(answer.body);
            hasDocument_ = true;
            break;
        }
        if (!isRedirect(answer.status)) {
            add("HTTP request code: " + code);
            break;
        }
        add("HTTP redirect (" + code + ")");
        if (answer.location.empty()) {
            add("Site redirects with no new location");
        } else {
            const std::string next = resolveLocation(current, answer.location, options);
            if (next.empty()) {
                add("Invalid URL: " + answer.location);
                break;
            }
            current = next;
        }
        if (++redirects >= options.retries) break;
    }
    return kHTTPGetDone;
}
