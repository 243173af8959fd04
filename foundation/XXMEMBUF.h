// XXMEMBUF: the input-buffer interface over a block of memory already in hand (a variable's
// bytes, a downloaded page, a mail body, a host's block).
//
// The block is adopted without copying and is not owned; the caller keeps it alive while
// the buffer is in use. The whole block is the window: its base offset is always 0, it has
// no stream and never slides, so iChk fails (and sets the failed flag) exactly where the
// block ends. Blocks are limited to 2^31 - 1 bytes, the range of a position.
#pragma once

#include <cstdint>

#include "foundation/XXINBUF.h"

class XXMEMBUF : public XXINBUF {
public:
    XXMEMBUF() : XXINBUF(0) {}
    ~XXMEMBUF() override = default;

    // Adopts `length` bytes at `bytes`; the buffer is loaded. A longer block is cut to the
    // largest length a position can reach, with a report.
    void setData(const void* bytes, int64_t length);
    // Whether the buffer owns its storage (true until setData adopts a block).
    bool ownsData() const { return ownsData_; }

    // Clears the failed and end flags and the index stack; the data stays.
    bool open(int32_t idxCapacity) override;
    int32_t load() override;
    int64_t restore(int64_t) override { return 0; }
    int64_t getBaseOffset() override { return 0; }
    bool getByte(int64_t offset, unsigned char& out) override;

private:
    bool ownsData_ = true;
};
