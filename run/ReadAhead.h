// ReadAhead: the next file of a scan, opened and its first window read on another thread
// while the current file is scanned.
//
// The scan names the file that comes next (request) and, when its turn comes, asks for it
// (adoptInto). The reader takes the coarse file clock, opens the file without waiting (only
// regular files), reads its status and its first window (a smaller file whole) and keeps the
// descriptor; it logs and reports nothing. The scan takes one status of the path and adopts
// the reader's descriptor, status and bytes only when device, inode, size and change time
// all match and that change time is earlier than the reader's clock, that is, the file has
// not changed since before the reader opened it. In every other case the reader's
// descriptor is closed and the scan opens the file itself, so what is read, what is logged
// and in which order is the same as without a reader.
//
// One request at a time: memory stays at one window. The thread starts with the first
// request (a scan of one file has none) and ends with the object. The hand-over is one
// atomic state. The scan never waits for the reader (only for its last file as it ends): a
// file the reader has not finished is opened by the scan, so a reader without a processor
// costs the scan nothing. A mutex and a condition variable cost several system calls a file,
// more than the read saved.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "foundation/platformfile.h"

class XXSTREAM;

class ReadAhead {
public:
    // Reads the first `window` bytes of each file.
    explicit ReadAhead(int32_t window) : window_(window) {}
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Starts reading `path` ahead; a request not yet taken is dropped.
    void request(const char* path);
    // Opens `stream` on `path` from what the reader prepared, when it prepared this path and
    // the file is unchanged since; false otherwise (the caller opens the file itself).
    bool adoptInto(const char* path, XXSTREAM& stream);

private:
    // What the reader found for one path.
    struct Prepared {
        std::string path;
        int fd = -1;
        FileStatus status;
        int64_t clock = 0;
        std::unique_ptr<unsigned char[]> bytes;
        int64_t count = 0;
        int unused = -1;   // the descriptor of an earlier answer the scan did not take
    };

    // Who holds job_: the scan while idle or ready, the reader while requested.
    enum State : int { idle, requested, ready, stopped };

    void work();
    void prepare(Prepared& job) const;
    // Waits for a request under way to be prepared (at the end only); the state then is idle
    // or ready.
    int settled();

    const int32_t window_;
    std::atomic<int> state_{idle};
    std::thread thread_;
    bool started_ = false;
    int scanPolls_ = 4096;   // how long the scan polls for the reader now
    Prepared job_;
};
