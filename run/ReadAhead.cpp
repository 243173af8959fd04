#include "run/ReadAhead.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "foundation/XXSTREAM.h"

namespace {

// The windows the ring may hold at once, and the bounds of its length in files.
constexpr int64_t kBudget = 1 << 20;
constexpr int32_t kMinDepth = 2;
constexpr int32_t kMaxDepth = 16;

// How long the scan polls for a reader about to finish before it opens the file itself: at
// most about what opening and reading a small file itself costs, halved each time the
// reader was not ready in time and doubled each time it was, so that on a busy machine,
// where the reader may have no processor for milliseconds, the scan soon stops waiting.
constexpr int64_t kScanWaitMax = 16000;   // nanoseconds
constexpr int64_t kScanWaitMin = 250;

void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Polls while `state` holds `value`, for about `nanos` at most; the value it then holds.
int pollWhile(const std::atomic<int>& state, int value, int64_t nanos) {
    int s = state.load(std::memory_order_acquire);
    if (s != value) return s;
    const auto end = std::chrono::steady_clock::now() + std::chrono::nanoseconds(nanos);
    for (;;) {
        for (int i = 0; i < 16 && s == value; ++i) {
            pause();
            s = state.load(std::memory_order_acquire);
        }
        if (s != value || std::chrono::steady_clock::now() >= end) return s;
    }
}

}  // namespace

ReadAhead::ReadAhead(int32_t window)
    : window_(window),
      depth_(int32_t(std::clamp<int64_t>(kBudget / std::max<int64_t>(window, 1), kMinDepth, kMaxDepth))),
      slots_(std::make_unique<Slot[]>(size_t(depth_))),
      scanWait_(kScanWaitMax) {}

ReadAhead::~ReadAhead() {
    stop_.store(true);
    wake();
    if (thread_.joinable()) thread_.join();
    for (int32_t i = 0; i < depth_; ++i) discard(slots_[i]);
    fileClose(pendingClose_);
}

void ReadAhead::wake() {
    if (sleepingAt_.exchange(-1) < 0) return;
    wakes_.fetch_add(1);
    wakes_.notify_one();
}

void ReadAhead::discard(Slot& slot) {
    fileClose(slot.fd);
    fileClose(slot.close);
    slot.fd = slot.close = -1;
    slot.bytes.reset();
    slot.count = 0;
}

void ReadAhead::closeLater(int fd) {
    if (fd < 0) return;
    if (!running()) {
        fileClose(fd);
        return;
    }
    // One waits at a time; an older one is closed here (no file was named since).
    fileClose(pendingClose_);
    pendingClose_ = fd;
}

bool ReadAhead::request(const char* path) {
    if (requested_.load(std::memory_order_relaxed) - passed_ >= depth_) return false;
    Slot& slot = slots_[size_t(requested_.load(std::memory_order_relaxed) % depth_)];
    // A place the scan gave up stays the reader's until it has seen it.
    if (slot.state.load(std::memory_order_acquire) != free) return false;
    slot.path = path;
    slot.close = pendingClose_;
    pendingClose_ = -1;
    slot.state.store(queued, std::memory_order_relaxed);
    requested_.fetch_add(1, std::memory_order_seq_cst);
    return true;
}

void ReadAhead::fill(const Peek& peek) {
    XXSTRING path;
    if (!started_) {
        // A scan of one file names none and needs no thread.
        if (!peek(0, path)) return;
        started_ = true;
        try {
            thread_ = std::thread(&ReadAhead::work, this);
        } catch (const std::system_error&) {
            // Without a second thread every file is opened by the scan, as it would be anyway.
        }
    }
    if (!running()) return;
    while (peek(int32_t(requested_.load(std::memory_order_relaxed) - passed_), path) && request(path)) {
    }
    // A sleeping reader is woken once half the ring waits for it, not for every name; and
    // whenever the ring is not full, since then no more names are known for now (the last
    // ones of a folder) or places the scan gave up wait for the reader to free them.
    const int64_t at = sleepingAt_.load(std::memory_order_seq_cst);
    const int64_t named = requested_.load(std::memory_order_relaxed);
    const bool full = named - passed_ >= depth_;
    if (at >= 0 && named > at && (named - at >= std::max(depth_ / 2, 1) || !full)) wake();
}

void ReadAhead::dropNamed() {
    for (; passed_ < requested_.load(std::memory_order_relaxed); ++passed_) {
        Slot& slot = slots_[size_t(passed_ % depth_)];
        int s = queued;
        if (slot.state.compare_exchange_strong(s, dropped, std::memory_order_acq_rel)) continue;
        if (s == ready) {
            discard(slot);
            slot.state.store(free, std::memory_order_release);
        }
    }
}

bool ReadAhead::adoptInto(const char* path, XXSTREAM& stream) {
    if (!running() || passed_ == requested_.load(std::memory_order_relaxed)) return false;
    Slot& slot = slots_[size_t(passed_ % depth_)];
    if (slot.path != path) {
        // The walk went another way than named (it does not when the names came from its
        // own listing): nothing named is of use.
        dropNamed();
        return false;
    }
    ++passed_;
    // Waited for briefly only: a reader that has not finished by then (its thread not given
    // a processor, on a busy machine) would hold the scan up. The scan opens the file
    // itself, and the reader drops its answer when it comes.
    int s = pollWhile(slot.state, queued, scanWait_);
    scanWait_ = s == queued ? std::max(scanWait_ / 2, kScanWaitMin) : std::min(scanWait_ * 2, kScanWaitMax);
    if (s == queued && slot.state.compare_exchange_strong(s, dropped, std::memory_order_acq_rel)) return false;
    // Ready: the place is the scan's.
    const int fd = slot.fd;
    const FileStatus then = slot.status;
    const int64_t clock = slot.clock, count = slot.count;
    std::unique_ptr<unsigned char[]> bytes = std::move(slot.bytes);
    slot.fd = -1;
    slot.count = 0;
    slot.state.store(free, std::memory_order_release);
    if (fd < 0) return false;
    FileStatus now;
    const bool same = fileStatusOfPath(path, now) && now.device == then.device && now.inode == then.inode &&
                      now.size == then.size && now.times.changed == then.times.changed &&
                      then.times.changed < clock;
    if (!same) {
        closeLater(fd);
        return false;
    }
    stream.adopt(path, fd, then, std::move(bytes), count, window_);
    return true;
}

void ReadAhead::work() {
    for (int64_t at = 0;;) {
        if (stop_.load(std::memory_order_acquire)) return;
        if (at == requested_.load(std::memory_order_acquire)) {
            // Caught up: sleep until the scan has named enough to be worth a wake-up (or the
            // scan names more between the reader's word and its sleep). Polling here would
            // burn a processor the scan and other programs can use.
            const int32_t wakes = wakes_.load(std::memory_order_seq_cst);
            sleepingAt_.store(at, std::memory_order_seq_cst);
            if (at == requested_.load(std::memory_order_seq_cst) && !stop_.load(std::memory_order_seq_cst))
                wakes_.wait(wakes, std::memory_order_seq_cst);
            sleepingAt_.store(-1, std::memory_order_seq_cst);
            continue;
        }
        Slot& slot = slots_[size_t(at % depth_)];
        ++at;
        fileClose(slot.close);
        slot.close = -1;
        int s = slot.state.load(std::memory_order_acquire);
        if (s == queued) {
            prepare(slot);
            if (slot.state.compare_exchange_strong(s, ready, std::memory_order_acq_rel)) continue;
        }
        // Given up by the scan, before or while the reader prepared it.
        discard(slot);
        slot.state.store(free, std::memory_order_release);
    }
}

void ReadAhead::prepare(Slot& slot) const {
    // Taken before the open: a change stamped earlier than this came before the bytes read.
    slot.clock = fileTimeCoarse();
    slot.fd = fileOpenRegular(slot.path.c_str(), slot.status);
    if (slot.fd < 0) return;
    const int64_t want = std::min<int64_t>(window_, slot.status.size);
    if (want <= 0) return;
    // A whole window, so that the scan's window can take this storage instead of a copy.
    slot.bytes = std::make_unique_for_overwrite<unsigned char[]>(size_t(window_));
    bool partial = false;
    slot.count = fileRead(slot.fd, slot.bytes.get(), want, partial);
    if (slot.count < 0 || partial) {
        fileClose(slot.fd);
        slot.fd = -1;
        slot.bytes.reset();
        slot.count = 0;
    }
}
