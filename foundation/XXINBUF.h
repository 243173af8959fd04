// XXINBUF: a sliding window of 65536 bytes over a stream opened for raw reading.
//
// The window holds the bytes read by the last fill, which began at the base offset. When a
// caller asks for bytes past the window, the window slides forward: it restarts at the
// requested position, but never later than the point that keeps the last keep-size bytes
// (2048 by default) of the old window, so that what lies just behind stays in reach. A
// request before the window (a negative position) re-reads from there. Every slide shifts
// each registered position, and the variable given to the pointer form of iChk, by minus
// the distance the window moved, so held positions keep naming the same bytes. A short
// read means the stream is exhausted: no further forward slide is tried.
//
// Reading by stream offset (getByte) and viewing a range through a window (positionAt) may
// replace the window without shifting registered positions; the caller saves the base
// offset beforehand and calls restore with it afterwards. restore re-reads that window and
// also undoes whatever slides happened in between, so registered positions are exactly as
// they were when the base offset was saved.
//
// The window is a view of a larger stage (four windows) that the stream is read into: the
// stage is filled by one read of its size, and a window that moves within it costs no
// system call, no copy and no read. A system call costs as much as copying some tens of
// kilobytes, so a large file read a quarter of a megabyte at a time takes a quarter of the
// calls of 64 KiB reads (a fifth less time to read it, measured), while the bytes just read
// are still in the processor's cache when the matcher looks at them. Only when the window
// would reach past the staged bytes are the bytes still in view (less than one window)
// moved to the stage's start and the rest of the stage read behind them, in one read, as a
// slide read before. A file whose first window was read ahead keeps that storage as its
// stage until a read needs more. What the window holds after every operation is exactly
// the bytes a window of the capacity read at its base offset would hold; only where they
// come from differs. A pipe or a device is still read a window at a time, as it may block
// until what was asked for comes. Positions are integers adjusted in place. The inline iChk
// of IXXINBUF answers from `count` while the bytes are there.
//
// XXINBUF does not own its stream. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/IXXINBUF.h"
#include "foundation/XXFARRAY.h"

class XXSTREAM;

class XXINBUF : public IXXINBUF {
public:
    static constexpr int32_t defaultCapacity = 65536;
    static constexpr int32_t defaultKeepSize = 2048;
    // The stage holds this many windows.
    static constexpr int32_t stageWindows = 4;

    XXINBUF() : XXINBUF(defaultCapacity) {}
    // A window of `capacity` bytes (tests and special inputs use other sizes).
    explicit XXINBUF(int32_t capacity);
    virtual ~XXINBUF() = default;
    // Not copyable: registered positions point into the caller's frames.
    XXINBUF(const XXINBUF&) = delete;
    XXINBUF& operator=(const XXINBUF&) = delete;

    // The stream the window reads (open for raw reading); null detaches it.
    void setStream(XXSTREAM* stream) { stream_ = stream; }
    XXSTREAM* getStream() const { return stream_; }
    int32_t getCapacity() const { return capacity_; }
    // The last fill read no bytes.
    bool atEnd() const { return end_; }
    // How many positions are registered.
    int32_t idxCount() const { return idxs_.count; }

    bool open(int32_t idxCapacity) override;
    void close() override;
    bool isLoaded() override { return loaded_; }
    int32_t getCount() override { return count_; }
    void pushIdx(int32_t* position) override;
    void popIdx(int32_t k) override;
    int32_t load() override;
    bool iChkReload(int32_t p, int32_t n) override;
    bool iChkReload(int32_t* p, int32_t n) override;
    void setKeepSize(int32_t n) override { keepSize_ = n; }
    int32_t getKeepSize() override { return keepSize_; }
    bool failed() override { return failed_; }
    int64_t restore(int64_t baseOffset) override;
    int64_t getBaseOffset() override { return stream_ ? base_ : -1; }
    bool getByte(int64_t offset, unsigned char& out) override;
    const unsigned char* data() override { return store_; }
    const char* streamName() override;
    void reserved() override {}
    bool positionAt(XXINBUFWINDOW& window, int32_t& position) override;

protected:
    // Empties the window and the index stack and clears the flags.
    void reset();
    // Makes the inline check answer from the current count.
    void synch() {
        fastLo_ = 0;
        fastHi_ = count_;
        fastData_ = store_;
    }
    // Adds `delta` to every registered position and to *q.
    void shiftAll(int64_t delta, int32_t* q);
    // Moves the window so that position `a` can be read; the bytes gained past the old
    // window (forward) or the bytes read (backward); 0 when nothing could be read.
    int32_t reload(int32_t a, int32_t* q);
    // Makes the window start at stream offset `offset`, from the stage when it holds a whole
    // window there (or all that was left to read), else reading; the count, or -1 when the
    // stream could not be positioned there (the window is then unchanged).
    int32_t fill(int64_t offset);
    // Shows the staged bytes from stream offset `offset` (staged) as the window.
    void view(int64_t offset);
    // How many bytes of the stage a read may fill: a whole stage for a regular file.
    int32_t readLimit() const;
    // Makes the staged bytes from stream offset `offset` (staged, or the stage's end) the
    // start of the stage, in storage of the stage's full size when the stream is read in
    // stages.
    void restage(int64_t offset);

    // The stage: stageSize_ bytes (fullStage_, or a window's worth of storage that came with
    // a file read ahead), of which staged_ hold the stream from stageBase_.
    std::unique_ptr<unsigned char[]> owned_;
    int32_t fullStage_ = 0;
    int32_t stageSize_ = 0;
    int32_t staged_ = 0;
    int64_t stageBase_ = -1;
    const unsigned char* store_ = nullptr;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    bool loaded_ = false;
    XXSTREAM* stream_ = nullptr;
    bool failed_ = false;
    bool end_ = false;
    int32_t keepSize_ = defaultKeepSize;
    XXPTRARRAY<int32_t> idxs_;
    // Stream offset of storage byte 0, and the offset that registered positions count from
    // (the two differ only between a window replacement and its restore).
    int64_t base_ = -1;
    int64_t frame_ = -1;
};
