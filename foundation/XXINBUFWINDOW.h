// XXINBUFWINDOW: a view of a byte range of another input buffer, so that the text one node
// matched can be scanned by another graph.
//
// The range is given by stream offset and length. Positions stay those of the inner buffer
// (positionAt on the inner buffer links the two and gives the position of the range's
// start); every operation is forwarded to the inner buffer, except that iChk also fails, and
// sets the window's own failed flag, where a request would leave the range: the range ends
// the input even when the stream goes on. Every check is a call (the inline bounds never
// hold), because the inner buffer's window may move beneath the view.
#pragma once

#include <cstdint>

#include "foundation/IXXINBUF.h"

class XXINBUFWINDOW : public IXXINBUF {
public:
    XXINBUFWINDOW(int64_t start, int64_t length) : XXINBUFWINDOW(nullptr, start, length) {}
    XXINBUFWINDOW(IXXINBUF* inner, int64_t start, int64_t length);
    virtual ~XXINBUFWINDOW() = default;
    XXINBUFWINDOW(const XXINBUFWINDOW&) = delete;
    XXINBUFWINDOW& operator=(const XXINBUFWINDOW&) = delete;

    void setInner(IXXINBUF* inner) { inner_ = inner; }
    IXXINBUF* getInner() const { return inner_; }
    int64_t getStart() const { return start_; }
    int64_t getLength() const { return length_; }

    bool open(int32_t idxCapacity) override;
    void close() override;
    bool isLoaded() override { return inner_ != nullptr; }
    int32_t getCount() override;
    void pushIdx(int32_t* position) override;
    void popIdx(int32_t k) override;
    int32_t load() override;
    bool iChkReload(int32_t p, int32_t n) override;
    bool iChkReload(int32_t* p, int32_t n) override;
    void setKeepSize(int32_t n) override;
    int32_t getKeepSize() override;
    bool failed() override { return failed_; }
    int64_t restore(int64_t baseOffset) override;
    int64_t getBaseOffset() override;
    bool getByte(int64_t offset, unsigned char& out) override;
    const unsigned char* data() override;
    const char* streamName() override;
    void reserved() override;
    bool positionAt(XXINBUFWINDOW& window, int32_t& position) override;

private:
    // The window check shared by both forms; `p` is the position's value, `q` the variable
    // to shift (null for a registered position).
    bool check(int32_t p, int32_t* q, int32_t n, const char* title);

    IXXINBUF* inner_;
    int64_t start_;
    int64_t length_;
    bool failed_ = false;
};
