// Destination: one place that a run writes to (an output file, a database column, the
// default output, the HTML trace). Every operation returns 2 on success and 0 on failure.
//
// The reset flag of the writes starts a new value: "Send to" passes it set, "Append to"
// clear. File destinations ignore it; database columns use it to start or extend the value
// staged for the next row.
#pragma once

#include <cstdint>

#include "foundation/XXSTRING.h"

class Destination {
public:
    virtual int32_t write(const unsigned char* bytes, int32_t length, bool reset) = 0;
    virtual int32_t writeText(const char* text, int32_t length, bool reset) = 0;
    virtual int32_t writeWide(const XXWCHAR* text, int32_t length, bool reset) = 0;
    virtual int32_t writeString(const XXSTRING& text, bool reset) = 0;
    virtual int32_t writeWString(const XXWSTRING& text, bool reset) = 0;
    // Collects one byte of node output; flushBytes delivers what was collected.
    virtual int32_t putByte(unsigned char byte) = 0;
    virtual int32_t flushBytes(bool reset) = 0;
    virtual ~Destination() = default;
    // (Re)opens the underlying file; 2 when open.
    virtual int32_t open() = 0;
    // Forgets the per-run state.
    virtual int32_t reset() = 0;
    // Event 2: a new input stream named `inputName` begins.
    virtual int32_t notify(int32_t event, const char* inputName) = 0;
    // 2 when the destination can take output now (opens it lazily).
    virtual int32_t ensureOpen() = 0;
    virtual int32_t close() = 0;
};

// Destination indexes with a meaning of their own.
inline constexpr int32_t kDefaultDestination = -2;
inline constexpr int32_t kTraceDestination = -3;
