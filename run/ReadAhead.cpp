#include "run/ReadAhead.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "foundation/XXSTREAM.h"

namespace {

// How long the reader polls for the next request before it sleeps (some tens of
// microseconds, about the scan of a small file): a request that comes soon then needs no
// wake-up, which would cost the scan a system call.
constexpr int kPolls = 2048;

// How long the scan polls for a reader about to finish before it opens the file itself: up
// to about the time a small file takes, halved each time the reader was not ready in time
// and doubled each time it was, so that on a busy machine, where the reader may have no
// processor for milliseconds, the scan soon stops waiting for it.
constexpr int kScanPollsMax = 4096;
constexpr int kScanPollsMin = 16;

// Polls while `state` holds `value`, at most `polls` times; the value it then holds.
int pollWhile(const std::atomic<int>& state, int value, int polls) {
    int s = state.load(std::memory_order_acquire);
    for (int i = 0; i < polls && s == value; ++i) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
        s = state.load(std::memory_order_acquire);
    }
    return s;
}

// Waits while `state` holds `value`; the value it then holds.
int waitWhile(const std::atomic<int>& state, int value) {
    int s = pollWhile(state, value, kPolls);
    while (s == value) {
        state.wait(value, std::memory_order_acquire);
        s = state.load(std::memory_order_acquire);
    }
    return s;
}

}  // namespace

ReadAhead::~ReadAhead() {
    // The reader changes the state only from `requested`, so once settled it can be stopped.
    settled();
    state_.store(stopped, std::memory_order_release);
    state_.notify_all();
    if (thread_.joinable()) thread_.join();
    fileClose(job_.fd);
    fileClose(job_.unused);
}

int ReadAhead::settled() {
    return waitWhile(state_, requested);
}

void ReadAhead::request(const char* path) {
    if (!started_) {
        started_ = true;
        try {
            thread_ = std::thread(&ReadAhead::work, this);
        } catch (const std::system_error&) {
            // Without a second thread every file is opened by the scan, as it would be anyway.
        }
    }
    if (!thread_.joinable()) return;
    // A reader still busy (with a file the scan has opened itself) is not waited for: the
    // scan opens the next file itself too.
    const int s = state_.load(std::memory_order_acquire);
    if (s == requested) return;
    // An answer the scan did not take is closed by the reader, off the scan's thread.
    const int unused = s == ready ? job_.fd : -1;
    job_ = Prepared();
    job_.unused = unused;
    job_.path = path;
    state_.store(requested, std::memory_order_release);
    state_.notify_all();
}

bool ReadAhead::adoptInto(const char* path, XXSTREAM& stream) {
    // Waited for briefly only: a reader that has not finished by then (its
    // thread not given a processor, on a busy machine) would hold the scan up. The scan opens
    // the file itself, and the reader's answer is dropped when it comes.
    const int s = pollWhile(state_, requested, scanPolls_);
    scanPolls_ = s == requested ? std::max(scanPolls_ / 2, kScanPollsMin) : std::min(scanPolls_ * 2, kScanPollsMax);
    if (s != ready) return false;
    Prepared got = std::move(job_);
    job_ = Prepared();
    state_.store(idle, std::memory_order_release);
    if (got.fd < 0) return false;
    FileStatus now;
    const FileStatus& then = got.status;
    const bool same = got.path == path && fileStatusOfPath(path, now) && now.device == then.device &&
                      now.inode == then.inode && now.size == then.size &&
                      now.times.changed == then.times.changed && then.times.changed < got.clock;
    if (!same) {
        fileClose(got.fd);
        return false;
    }
    stream.adopt(path, got.fd, got.status, std::move(got.bytes), got.count);
    return true;
}

void ReadAhead::work() {
    for (;;) {
        const int s = state_.load(std::memory_order_acquire);
        if (s == stopped) return;
        if (s != requested) {
            waitWhile(state_, s);
            continue;
        }
        prepare(job_);
        state_.store(ready, std::memory_order_release);
        state_.notify_all();
    }
}

void ReadAhead::prepare(Prepared& job) const {
    fileClose(job.unused);
    job.unused = -1;
    // Taken before the open: a change stamped earlier than this came before the bytes read.
    job.clock = fileTimeCoarse();
    job.fd = fileOpenRegular(job.path.c_str(), job.status);
    if (job.fd < 0) return;
    const int64_t want = std::min<int64_t>(window_, job.status.size);
    if (want <= 0) return;
    job.bytes = std::make_unique_for_overwrite<unsigned char[]>(size_t(want));
    bool partial = false;
    job.count = fileRead(job.fd, job.bytes.get(), want, partial);
    if (job.count < 0 || partial) {
        fileClose(job.fd);
        job.fd = -1;
        job.bytes.reset();
        job.count = 0;
    }
}
