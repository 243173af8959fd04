// QNHTTP: the C interface of the HTTP library (libqnhttp.so) as its hosts see it.
//
// A host loads the library by name with dlopen and finds these functions with dlsym. It
// opens one session, fetches each URL through it and closes it. Every text the library
// hands out belongs to the session and stays valid until the next HTTPGet on that session
// or its close. No function throws; failures come back as results and status lines.
//
// This header is self-contained and free of curl types, so any host can include it.
#pragma once

#include <cstdint>

extern "C" {
// HTTPSessionOpen(agent): a new session whose requests carry "User-Agent: " + agent. The
// session's id (0 or more; the slot of a closed session is used again), or -1.
using HTTPSessionOpenFn = int32_t (*)(const char* agent);
// HTTPGet(session, url, options, user, password, &document, &status): fetches one document,
// following redirects. `options` is the options text (see httplib/HTTPOptions.h); `user` and
// `password` are sent with basic authentication unless the URL carries its own. On return
// *document is the document (empty unless the fetch succeeded) and *status the first status
// line of this fetch. 0 when the fetch ran to an end of its own (success or an HTTP failure),
// 22 when the transfer failed, 99 on any other error; 0 for an unknown session, whose
// out-pointers are then left alone.
using HTTPGetFn = int32_t (*)(int32_t session, const char* url, const char* options, const char* user,
                              const char* password, const char** document, const char** status);
// HTTPSessionClose(session): 1, or 0 when no session has that id.
using HTTPSessionCloseFn = int32_t (*)(int32_t session);

// HTTPSessionMessageCount(session): the number of status lines the session has gathered
// (they are kept for its whole life); 0 for an unknown session.
using HTTPSessionMessageCountFn = int32_t (*)(int32_t session);
// HTTPSessionMessage(session, line): status line `line` (0 the oldest), or null past the end.
using HTTPSessionMessageFn = const char* (*)(int32_t session, int32_t line);
// HTTPSessionDocumentSize(session): the size in bytes of the document the last HTTPGet
// handed out, which may hold NUL bytes; -1 when that fetch failed (its document is empty and
// its status lines say why), and for an unknown session.
using HTTPSessionDocumentSizeFn = int64_t (*)(int32_t session);

// The stop check of a session: called about every 100 ms while a transfer is under way;
// a non-zero result ends the transfer ("Get URL: stopped on request", result 22).
using HTTPStopCheckFn = int32_t (*)(void* context);
// HTTPSessionSetStopCheck(session, check, context): installs the check (null removes it);
// 1, or 0 for an unknown session.
using HTTPSessionSetStopCheckFn = int32_t (*)(int32_t session, HTTPStopCheckFn check, void* context);

// The credentials prompt a host may install for status 401. It receives the URL and the user
// name and password tried so far in buffers of the given sizes (terminated), fills in new
// ones and returns non-zero to send the request again with them, or 0 to decline.
using HTTPCredentialsPromptFn = int32_t (*)(void* context, const char* url, char* user, int32_t userSize,
                                            char* password, int32_t passwordSize);
// HTTPSetCredentialsPrompt(prompt, context): installs the prompt for every session of the
// library (null removes it).
using HTTPSetCredentialsPromptFn = void (*)(HTTPCredentialsPromptFn prompt, void* context);
}

inline constexpr const char* kQNHTTPLibraryFile = "libqnhttp.so";
inline constexpr const char* kHTTPSessionOpenSymbol = "HTTPSessionOpen";
inline constexpr const char* kHTTPGetSymbol = "HTTPGet";
inline constexpr const char* kHTTPSessionCloseSymbol = "HTTPSessionClose";
inline constexpr const char* kHTTPSessionMessageCountSymbol = "HTTPSessionMessageCount";
inline constexpr const char* kHTTPSessionMessageSymbol = "HTTPSessionMessage";
inline constexpr const char* kHTTPSessionDocumentSizeSymbol = "HTTPSessionDocumentSize";
inline constexpr const char* kHTTPSessionSetStopCheckSymbol = "HTTPSessionSetStopCheck";
inline constexpr const char* kHTTPSetCredentialsPromptSymbol = "HTTPSetCredentialsPrompt";

// Results of HTTPGet.
inline constexpr int32_t kHTTPGetDone = 0;
inline constexpr int32_t kHTTPGetTransferFailed = 22;
inline constexpr int32_t kHTTPGetOtherError = 99;
