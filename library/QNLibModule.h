// QNLibModule: what the engine library keeps once per process.
//
//   - its own directory, noted when the library is attached (the definition fallback
//     looks there);
//   - the host's message callback, one per library, shared by the error path of every
//     client and the information messages of the library's own client;
//   - the sink of the error path, which hands errors (kind 1) and information (kind 0) to
//     that callback; without a callback errors go to standard error and information is
//     dropped;
//   - the library's own client, on which every flat QNLib__ function works.
//
// The callback is read and written atomically, so any thread may report while another
// installs it (the last install wins).
#pragma once

#include <cstdint>
#include <string>

#include "include/quilcore.h"

class QNLib;

class QNLibModule {
public:
    // Notes the directory and installs the sink; called when the library is attached.
    static void attach();
    // The library's directory with a trailing "/", or "" when it cannot be found.
    static const std::string& directory();

    static void setCallback(QNMsgCallback callback);
    static QNMsgCallback callback();
    // Sends `text` to `callback` (or to the library's when it is null): information is
    // dropped without one, errors go to standard error.
    static void send(int32_t kind, const char* text, QNMsgCallback callback = nullptr);

    // The library's own client, made at its first use and destroyed with the library.
    static QNLib& client();
};
