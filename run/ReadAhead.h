// ReadAhead: the next files of a scan, opened and their first window read on another thread
// while the current file is scanned.
//
// The scan names the files that come next, in order (fill), and, as each one's turn comes,
// asks for it (adoptInto). For each named file the reader takes the coarse file clock, opens
// the file without waiting (only regular files), reads its status and its first window (a
// smaller file whole) and keeps the descriptor; it logs and reports nothing. The scan takes
// one status of the path and adopts the reader's descriptor, status and bytes only when
// device, inode, size and change time all match and that change time is earlier than the
// reader's clock, that is, the file has not changed since before the reader opened it. In
// every other case the reader's descriptor is closed and the scan opens the file itself, so
// what is read, what is logged and in which order is the same as without a reader. The
// descriptors the scan is done with are closed by the reader too (closeLater).
//
// The look-ahead is a ring of a few files, at most about 1 MiB of windows, so memory stays
// bounded whatever the folder holds, and a file slow to open does not leave the scan idle
// while the reader is still ahead on the others. The thread starts with the first request (a
// scan of one file has none) and ends with the object. Each place of the ring is handed
// between the two threads by one atomic state. The scan never waits for the reader: a file
// the reader has not finished after a short poll is opened by the scan, and the reader drops
// it when it comes, so a reader without a processor on a busy machine costs the scan nothing.
// The reader sleeps when it has caught up and is woken once half the ring has been named
// again (or the names run out), so a steady scan costs no wake-up per file; a mutex and a
// condition variable would cost several system calls a file, more than the reader saves.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "foundation/XXSTRING.h"
#include "foundation/platformfile.h"

class XXSTREAM;

class ReadAhead {
public:
    // Gives the path of the file that comes `ahead` files after the next one (0: the next
    // one); false when it is not known yet.
    using Peek = std::function<bool(int32_t ahead, XXSTRING& path)>;

    // Reads the first `window` bytes of each file.
    explicit ReadAhead(int32_t window);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Names to the reader the files after the current one that `peek` knows, as far as the
    // ring has room.
    void fill(const Peek& peek);
    // Opens `stream` on `path` from what the reader prepared, when `path` is the next file
    // named and is unchanged since; false otherwise (the caller opens the file itself).
    bool adoptInto(const char* path, XXSTREAM& stream);
    // Closes `fd` on the reader's thread (with the next file named), or here when there is
    // no reader.
    void closeLater(int fd);

private:
    // Who holds a place: the scan while free or ready, the reader while queued or dropped.
    enum State : int { free, queued, ready, dropped };

    // One place of the ring: a named file and what the reader found for it.
    struct Slot {
        std::atomic<int> state{free};
        std::string path;
        int close = -1;   // a descriptor the scan is done with, closed by the reader
        int fd = -1;
        FileStatus status;
        int64_t clock = 0;
        std::unique_ptr<unsigned char[]> bytes;
        int64_t count = 0;
    };

    void work();
    // Wakes the reader if it sleeps.
    void wake();
    void prepare(Slot& slot) const;
    // Closes the slot's descriptors and frees its bytes (the slot's holder only).
    static void discard(Slot& slot);
    // Names `path` as the file after those named already; false when the ring is full.
    bool request(const char* path);
    // Gives up every file named and not yet adopted.
    void dropNamed();
    bool running() const { return thread_.joinable(); }

    const int32_t window_;
    const int32_t depth_;   // places in the ring
    std::unique_ptr<Slot[]> slots_;
    std::atomic<int64_t> requested_{0};   // files named so far (the scan's count)
    int64_t passed_ = 0;                  // files named that the scan has adopted or given up
    // The reader's place while it sleeps for more names, -1 while it is awake.
    std::atomic<int64_t> sleepingAt_{-1};
    // What the reader sleeps on: changed (and the reader woken) by the one who takes its
    // place back to -1. A word of 32 bits, which the system waits on directly.
    std::atomic<int32_t> wakes_{0};
    std::atomic<bool> stop_{false};
    int pendingClose_ = -1;               // handed to the reader with the next name
    int64_t scanWait_;                    // how long the scan polls for the reader now (ns)
    bool started_ = false;
    std::thread thread_;
};
