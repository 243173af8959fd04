// The one error-notification path.
//
// Every diagnostic of the system ends in reportError (warnings and errors) or in
// reportInformation (plain messages shown to the user). Where they go is decided by the
// program: it installs one IXXSINK for the process. The builder shows message boxes, the
// engine library calls the host's callback, the command-line tool writes to standard error,
// and tests install a sink that captures the texts. With no sink installed both end on
// standard error.
#pragma once

#include <cstdint>

class XXSTRING;

// Where error and information texts end. Implementations must be callable from any thread.
class IXXSINK {
public:
    virtual ~IXXSINK() = default;
    // A warning or error ("Error" box, callback kind 1).
    virtual void error(const char* text) = 0;
    // An information message ("Information" box, callback kind 0).
    virtual void information(const char* text) = 0;
};

// Installs the process's sink (nullptr restores standard error); returns the previous one.
IXXSINK* setErrorSink(IXXSINK* sink);

void reportError(const char* text);
void reportError(const char* text, const char* detail);   // text + "\n" + detail
void reportError(int32_t stringId);
void reportInformation(const char* text);
