// PXTrace: the HTML trace of a run, written through the trace destination (index -3).
//
// The engine writes four pieces: the head at run begin (phase 1), a heading per input
// stream, a block per matched node with the bytes it matched, and the tail at run end. What
// comes from the definition or the input (title, stream name, node label, matched bytes) is
// escaped ("&", "<" and ">" as entities), so that a browser shows exactly those characters
// and never takes them for markup or script. Each
// piece is written only while the run context's trace flag is set. Node bytes are copied
// from the input buffer by stream offset, and the buffer's window is put back afterwards; a
// byte that can no longer be read ends the block early with "Input buffer closed" in the log.
#pragma once

#include <cstdint>

#include "foundation/IXXINBUF.h"
#include "foundation/XXINBUF.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTRING.h"
#include "foundation/XXSTRTABLE.h"

class PXEngine;
class PXNode;

class PXTrace {
public:
    explicit PXTrace(PXEngine& engine) : engine_(engine) {}

    void head(const XXSTRING& title);
    void streamHeading(const char* streamName);
    void nodeBlock(PXNode& node, IXXINBUF* buffer);
    void tail();

private:
    void write(const char* text);

    PXEngine& engine_;
};

// Copies `length` bytes from stream offset `start` of the buffer to `put`, one by one, and
// leaves the buffer's window where it was. Inside the current window the bytes are read in
// place; elsewhere each byte is fetched by stream offset, which may replace the window, so
// its base offset is restored afterwards. A byte that cannot be read stops the copy and
// logs "Input buffer closed"; false then.

// The `length` bytes from stream offset `start` where the buffer's window holds them all,
// read in place; null when they are not all in the window (or there are none).
inline const unsigned char* matchedBytesInPlace(IXXINBUF& buffer, int64_t start, int64_t length) {
    if (length <= 0) return nullptr;
    const int64_t base = buffer.getBaseOffset() < 0 ? 0 : buffer.getBaseOffset();
    const int64_t p = start - base;
    if (p < 0 || p > INT32_MAX || !buffer.holds(int32_t(p), length)) return nullptr;
    return buffer.bytes() + p;
}

template <typename Put>
bool copyMatchedBytes(IXXINBUF& buffer, int64_t start, int64_t length, Put put) {
    if (length <= 0) return true;
    if (const unsigned char* at = matchedBytesInPlace(buffer, start, length)) {
        for (int64_t i = 0; i < length; ++i) put(at[i]);
        return true;
    }
    const int64_t saved = buffer.getBaseOffset();
    bool complete = true;
    for (int64_t i = 0; i < length; ++i) {
        unsigned char b = 0;
        if (!buffer.getByte(start + i, b)) {
            XXMSG log(2);
            log << loadString(1049) << endMsg;
            complete = false;
            break;
        }
        put(b);
    }
    buffer.restore(saved);
    return complete;
}
