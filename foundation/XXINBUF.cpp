#include "foundation/XXINBUF.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "foundation/XXINBUFWINDOW.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTREAM.h"

namespace {

void report(const char* title, const XXSTRING& text) {
    Tracer t(title);
    t << text;
    t.emit();
}

int32_t clampPosition(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

XXINBUF::XXINBUF(int32_t capacity) {
    if (capacity > 0) {
        const int64_t stage = std::min<int64_t>(int64_t(capacity) * stageWindows, INT32_MAX);
        owned_.reset(new (std::nothrow) unsigned char[size_t(stage)]);
        if (owned_) {
            capacity_ = capacity;
            fullStage_ = stageSize_ = int32_t(stage);
        } else {
            report("XXINBUF::XXINBUF", "unable to allocate");
        }
    }
    store_ = owned_.get();
    reset();
}

void XXINBUF::reset() {
    count_ = 0;
    // The staged bytes may be another stream's.
    staged_ = 0;
    stageBase_ = -1;
    failed_ = false;
    end_ = false;
    idxs_.count = 0;
    loaded_ = false;
    synch();
}

bool XXINBUF::open(int32_t idxCapacity) {
    reset();
    return idxs_.chk(idxCapacity);
}

void XXINBUF::close() {
    if (stream_ && stream_->isOpen()) stream_->close();
    loaded_ = false;
}

const char* XXINBUF::streamName() { return stream_ ? stream_->displayName() : ""; }

// --- index stack -------------------------------------------------------------------------

void XXINBUF::pushIdx(int32_t* position) {
    const int32_t n = idxs_.count;
    if (!position || !idxs_.chk(n + 1)) {
        XXSTRING text("idxs.n = ");
        text << n;
        report("XXINBUF::pushIdx", text);
        return;
    }
    idxs_[n] = position;
    idxs_.count = n + 1;
}

void XXINBUF::popIdx(int32_t k) {
    // A negative count would expose entries that are no longer registered: refused.
    const int64_t n = int64_t(idxs_.count) - k;
    if (n < 0 || k < 0) {
        XXSTRING text("idxs.n = ");
        text << static_cast<long long>(n);
        report("XXINBUF::popIdx", text);
        if (n < 0) idxs_.count = 0;
        return;
    }
    idxs_.count = int32_t(n);
}

void XXINBUF::shiftAll(int64_t delta, int32_t* q) {
    if (delta == 0) return;
    for (int32_t i = 0; i < idxs_.count; ++i) *idxs_[i] = clampPosition(*idxs_[i] + delta);
    if (q) *q = clampPosition(*q + delta);
}

// --- filling -----------------------------------------------------------------------------

void XXINBUF::view(int64_t offset) {
    const int64_t from = offset - stageBase_;
    store_ = owned_.get() + from;
    count_ = int32_t(std::min<int64_t>(capacity_, staged_ - from));
    base_ = offset;
    synch();
}

int32_t XXINBUF::readLimit() const {
    // A pipe or a device is read a window at a time: it may block until the bytes asked for
    // come, and a match must not wait for bytes past the window it lies in.
    const FileStatus* status = stream_ ? stream_->status() : nullptr;
    return status && status->regular ? fullStage_ : capacity_;
}

void XXINBUF::restage(int64_t offset) {
    const auto from = size_t(offset - stageBase_);
    const auto kept = size_t(stageBase_ + staged_ - offset);
    const int32_t wanted = readLimit();
    if (stageSize_ < wanted) {
        // The stage is storage a file read ahead came in: a whole stage takes its place.
        std::unique_ptr<unsigned char[]> stage(new (std::nothrow) unsigned char[size_t(wanted)]);
        if (stage) {
            std::memcpy(stage.get(), owned_.get() + from, kept);
            owned_ = std::move(stage);
            stageSize_ = wanted;
        } else {
            std::memmove(owned_.get(), owned_.get() + from, kept);
        }
    } else {
        std::memmove(owned_.get(), owned_.get() + from, kept);
    }
    stageBase_ = offset;
    staged_ = int32_t(kept);
}

int32_t XXINBUF::fill(int64_t offset) {
    if (!stream_ || !owned_ || offset < 0) return -1;
    const int64_t stageEnd = stageBase_ + staged_;
    const bool staged = stageBase_ >= 0 && offset >= stageBase_ && offset <= stageEnd;
    // A whole window is staged there: nothing to read.
    if (staged && stageEnd - offset >= capacity_) {
        view(offset);
        return count_;
    }
    if (staged && stream_->getPosition() == stageEnd) {
        // Reading on from where the stage ends: the staged bytes from the offset on stay (a
        // pipe cannot go back for them, and a file need not) and the stage is filled behind.
        restage(offset);
    } else {
        if (stream_->getPosition() != offset && stream_->seekTo(offset) < 0) return -1;
        staged_ = 0;
        stageBase_ = offset;
        restage(offset);
    }
    const int32_t room = std::min(readLimit(), stageSize_) - staged_;
    staged_ += int32_t(stream_->read(owned_.get() + staged_, room));
    view(offset);
    return count_;
}

int32_t XXINBUF::load() {
    reset();
    if (stream_ && owned_) {
        const int64_t at = std::max<int64_t>(stream_->getPosition(), 0);
        // Bytes the stream was handed already, in storage of at least a window, become the
        // stage instead of being copied into it (a small file is all there).
        int64_t got = stream_->takeAdopted(owned_, capacity_);
        if (got >= 0) {
            stageSize_ = capacity_;
        } else {
            stageBase_ = at;
            restage(at);
            got = stream_->read(owned_.get(), std::min(readLimit(), stageSize_));
        }
        staged_ = int32_t(got);
        stageBase_ = at;
        view(at);
        frame_ = base_;
        loaded_ = true;
    }
    return count_;
}

int32_t XXINBUF::reload(int32_t a, int32_t* q) {
    if (!stream_ || !owned_) return 0;
    const int32_t c = std::max(count_, 0);
    const int64_t base = std::max<int64_t>(base_, 0);
    int64_t newBase;
    int32_t reread = 0;   // bytes of the old window that the new one reads again
    if (a < 0) {
        // Nothing lies before the first byte of the stream.
        if (-int64_t(a) > base) return 0;
        newBase = base + a;
    } else {
        // A short last read means the stream has nothing more.
        if (capacity_ > c) return 0;
        const int32_t keep = std::max(std::min(keepSize_, c - 1), 0);
        const int32_t slide = std::min(a, c - keep);
        newBase = base + slide;
        reread = c - slide;
    }
    const int32_t got = fill(newBase);
    if (got < 0) return 0;
    const int32_t gained = a < 0 ? got : got - reread;
    if (gained <= 0) end_ = true;
    shiftAll(base - newBase, q);
    frame_ += newBase - base;
    return gained;
}

// --- availability ------------------------------------------------------------------------

bool XXINBUF::iChkReload(int32_t p, int32_t n) {
    if (p >= 0 && int64_t(p) + n <= count_) return true;
    // The caller's registered variable is shifted through the stack; `at` follows it.
    int32_t at = p;
    return iChkReload(&at, n);
}

bool XXINBUF::iChkReload(int32_t* p, int32_t n) {
    if (*p >= 0 && int64_t(*p) + n <= count_) return true;
    // A request larger than the window can never be met. Otherwise slide until it is met
    // or the stream has nothing more; each slide that gains bytes moves strictly forward
    // (or, for a position before the window, once backward to it), so this ends.
    if (n <= capacity_) {
        while (reload(*p, p) > 0)
            if (*p >= 0 && int64_t(*p) + n <= count_) return true;
    }
    failed_ = true;
    return false;
}

// --- reading by stream offset ------------------------------------------------------------

bool XXINBUF::getByte(int64_t offset, unsigned char& out) {
    if (!loaded_) return false;
    if (!stream_) {
        report("XXINBUF::getByte", "null stream");
        return false;
    }
    if (offset >= 0 && (base_ < 0 || offset < base_ || offset - base_ >= count_)) fill(offset);
    const int64_t r = offset - std::max<int64_t>(base_, 0);
    if (offset >= 0 && r >= 0 && r < count_) {
        out = store_[r];
        return true;
    }
    XXSTRING text("invalid index: ");
    text << static_cast<long long>(offset);
    report("XXINBUF::getByte", text);
    return false;
}

int64_t XXINBUF::restore(int64_t baseOffset) {
    const int64_t previous = base_;
    if (!stream_ || baseOffset < 0) return previous;
    if (base_ != baseOffset) fill(baseOffset);
    // Slides since the base offset was saved moved the registered positions; put them back
    // so that they count from the restored window again.
    if (frame_ != baseOffset && base_ == baseOffset) {
        shiftAll(frame_ - baseOffset, nullptr);
        frame_ = baseOffset;
    }
    return previous;
}

bool XXINBUF::positionAt(XXINBUFWINDOW& window, int32_t& position) {
    window.setInner(this);
    const int64_t a = window.getStart();
    if (!stream_) {
        position = clampPosition(a);
        return true;
    }
    if (base_ < 0 || a < base_ || a >= base_ + count_) fill(a);
    position = clampPosition(a - base_);
    return true;
}
