// The exports of libqnhttp.so and the session registry behind them.
//
// The registry is one growable array of sessions per loaded library; a closed session's
// slot is null and the next open takes the first null slot, so ids come back in use. Sessions
// left open go with the library. Calls are not synchronised: one thread opens, uses and
// closes a session. Nothing is thrown out of an export.
#include <memory>
#include <vector>

#include "httplib/HTTPSession.h"
#include "httplib/QNHTTP.h"

#define QNHTTP_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::vector<std::unique_ptr<HTTPSession>>& registry() {
    static std::vector<std::unique_ptr<HTTPSession>> sessions;
    return sessions;
}

HTTPSession* find(int32_t id) {
    auto& sessions = registry();
    return id >= 0 && size_t(id) < sessions.size() ? sessions[size_t(id)].get() : nullptr;
}

}  // namespace

QNHTTP_EXPORT int32_t HTTPSessionOpen(const char* agent) {
    try {
        auto session = std::make_unique<HTTPSession>(agent);
        if (!session->usable()) return -1;
        auto& sessions = registry();
        for (size_t i = 0; i < sessions.size(); ++i) {
            if (sessions[i]) continue;
            sessions[i] = std::move(session);
            return int32_t(i);
        }
        sessions.push_back(std::move(session));
        return int32_t(sessions.size() - 1);
    } catch (...) {
        return -1;   // no session could be made; the caller sees exactly that
    }
}

QNHTTP_EXPORT int32_t HTTPGet(int32_t id, const char* url, const char* options, const char* user,
                              const char* password, const char** document, const char** status) {
    HTTPSession* session = find(id);
    if (!session) return kHTTPGetDone;
    int32_t result = kHTTPGetOtherError;
    try {
        result = session->get(url, options, user, password);
    } catch (...) {
        session->noteFailure();
    }
    if (document) *document = session->result().c_str();
    if (status) *status = session->status();
    return result;
}

QNHTTP_EXPORT int32_t HTTPSessionClose(int32_t id) {
    if (!find(id)) return 0;
    registry()[size_t(id)].reset();
    return 1;
}

QNHTTP_EXPORT int32_t HTTPSessionMessageCount(int32_t id) {
    HTTPSession* session = find(id);
    return session ? int32_t(session->messages().size()) : 0;
}

QNHTTP_EXPORT const char* HTTPSessionMessage(int32_t id, int32_t line) {
    HTTPSession* session = find(id);
    if (!session || line < 0 || size_t(line) >= session->messages().size()) return nullptr;
    return session->messages()[size_t(line)].c_str();
}

QNHTTP_EXPORT int64_t HTTPSessionDocumentSize(int32_t id) {
    HTTPSession* session = find(id);
    return session ? session->documentSize() : -1;
}

QNHTTP_EXPORT int32_t HTTPSessionSetStopCheck(int32_t id, HTTPStopCheckFn check, void* context) {
    HTTPSession* session = find(id);
    if (!session) return 0;
    session->transfer().setStopCheck(check, context);
    return 1;
}

QNHTTP_EXPORT void HTTPSetCredentialsPrompt(HTTPCredentialsPromptFn prompt, void* context) {
    HTTPSession::setCredentialsPrompt(prompt, context);
}
