// IXXINBUF: the byte input that the matcher reads.
//
// Bytes are addressed by position, a signed 32-bit index relative to the first byte the
// buffer holds; the stream offset of position p is getBaseOffset() + p. Before reading the
// bytes at [p, p + n) a caller asks iChk(p, n); when it is true, bytes()[p] .. bytes()[p + n - 1]
// are valid until the next iChk, load, getByte, restore or positionAt. A buffer may have to
// move its window to satisfy iChk: positions that must survive that are registered with
// pushIdx and are shifted in place by every move, and the pointer form of iChk shifts the
// given variable as well. Registrations are undone last-in-first-out with popIdx.
//
// iChk is inline: while the bytes are present it is two comparisons and no call, because
// the matcher asks it for every byte. Only a miss goes to the virtual iChkReload, which
// moves the window when it can. Implementations keep the inline bounds (fastLo_, fastHi_)
// and the byte pointer (fastData_) current; a buffer whose every check needs its own logic
// (a window over another buffer) sets bounds that never hold.
//
// The virtual operations are declared in their fixed slot order (0 to 18); other libraries
// and host programs call them through this table.
#pragma once

#include <cstdint>

class XXINBUFWINDOW;

class IXXINBUF {
public:
    // Slot 0: resets the buffer and sizes its index stack for `idxCapacity` registrations.
    virtual bool open(int32_t idxCapacity) = 0;
    // Slot 1: closes the input behind the buffer; the buffer is no longer loaded.
    virtual void close() = 0;
    // Slot 2.
    virtual bool isLoaded() = 0;
    // Slot 3: the number of bytes held (for a window, its length).
    virtual int32_t getCount() = 0;
    // Slot 4: registers a position variable so that window moves shift it.
    virtual void pushIdx(int32_t* position) = 0;
    // Slot 5: unregisters the last `k` registrations.
    virtual void popIdx(int32_t k) = 0;
    // Slot 6: reads the first window; the number of bytes held.
    virtual int32_t load() = 0;
    // Slot 7: whether n bytes at p are available, moving the window when needed (p should be
    // registered, so that it is shifted with the rest).
    virtual bool iChkReload(int32_t p, int32_t n) = 0;
    // Slot 8: the same for an unregistered variable, which a window move shifts too.
    virtual bool iChkReload(int32_t* p, int32_t n) = 0;
    // Slot 9 and 10: how many bytes of the old window a forward move keeps at most.
    virtual void setKeepSize(int32_t n) = 0;
    virtual int32_t getKeepSize() = 0;
    // Slot 11: a request for bytes was not met (end of input or a failed read).
    virtual bool failed() = 0;
    // Slot 12: puts the window back at stream offset `baseOffset`; the previous base offset.
    virtual int64_t restore(int64_t baseOffset) = 0;
    // Slot 13: the stream offset of position 0.
    virtual int64_t getBaseOffset() = 0;
    // Slot 14: the byte at stream offset `offset`, moving the window when needed.
    virtual bool getByte(int64_t offset, unsigned char& out) = 0;
    // Slot 15: the bytes held (position 0).
    virtual const unsigned char* data() = 0;
    // Slot 16: the name of the input, for traces and messages.
    virtual const char* streamName() = 0;
    // Slot 17: reserved; does nothing.
    virtual void reserved() = 0;
    // Slot 18: makes `window` a view of this buffer and sets `position` to its start.
    virtual bool positionAt(XXINBUFWINDOW& window, int32_t& position) = 0;

    // Whether n bytes at p are available.
    bool iChk(int32_t p, int32_t n) {
        if (p >= fastLo_ && int64_t(p) + n <= fastHi_) return true;
        return iChkReload(p, n);
    }
    // The same, shifting *p when the window moves.
    bool iChk(int32_t* p, int32_t n) {
        if (*p >= fastLo_ && int64_t(*p) + n <= fastHi_) return true;
        return iChkReload(p, n);
    }
    // Whether n bytes at p are held now, without moving the window (no call).
    bool holds(int32_t p, int64_t n) const { return p >= fastLo_ && int64_t(p) + n <= fastHi_; }
    // The bytes held, without a call; valid after a successful iChk.
    const unsigned char* bytes() const { return fastData_; }
    unsigned char byteAt(int32_t p) const { return fastData_[p]; }

protected:
    IXXINBUF() = default;
    ~IXXINBUF() = default;
    IXXINBUF(const IXXINBUF&) = default;
    IXXINBUF& operator=(const IXXINBUF&) = default;

    // Bounds that make the inline check fail always.
    void neverFast() {
        fastLo_ = INT32_MAX;
        fastHi_ = INT32_MIN;
    }

    int32_t fastLo_ = INT32_MAX;
    int32_t fastHi_ = INT32_MIN;
    const unsigned char* fastData_ = nullptr;
};
