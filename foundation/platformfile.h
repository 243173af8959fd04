// File services of the operating system, as the streams need them: descriptors opened for
// reading, truncating or appending, whole-block reads and writes, seeks, sizes and times,
// the folders a new file needs, and advisory locks that keep two runs off one output.
//
// Every function returns -1 (or false) on failure and leaves the system's error code for
// lastSystemError(); nothing here reports. Times are nanoseconds since 1970-01-01 UTC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class FileAccess {
    read,            // existing file only, shared for reading
    writeTruncate,   // created or truncated
    writeAppend,     // created when missing; every write goes to the end
    writeKeep,       // created when missing, its bytes kept (a lock comes before truncating)
};

struct FileTimes {
    int64_t created = 0;    // birth time where the file system records it, else status change
    int64_t accessed = 0;
    int64_t written = 0;
    int64_t changed = 0;    // last status change (any write or rename of the file moves it)
};

// What one status call tells about an open file: its identity, size, kind and times.
struct FileStatus {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    bool regular = false;    // a regular file (its size is a byte count; pipes and devices have none)
    bool directory = false;
    bool known = false;      // the status could be read; everything else is 0 when not
    FileTimes times;
};
// Fills `out` with one system call; false when the status cannot be read.
bool fileStatus(int fd, FileStatus& out);
// The same for the file `path` names (links followed).
bool fileStatusOfPath(const char* path, FileStatus& out);

// A descriptor for `path`, or -1. Directories are refused (error EISDIR). The status read to
// tell them apart is handed back in `status` when asked for, so that callers need no second
// call for the size, times or identity of the file they opened.
int fileOpen(const char* path, FileAccess access, FileStatus* status = nullptr);
void fileClose(int fd);
// A descriptor for the regular file `path`, or -1: the open never waits (a name that has
// become a pipe meanwhile is refused, error EINVAL, instead of blocking) and `status` is read
// with it.
int fileOpenRegular(const char* path, FileStatus& status);

// Reads until `n` bytes are in or the file ends; the count read, or -1 when the system
// failed before anything was read. `partialError` is set when it failed after some bytes.
// A read interrupted by a signal once a stop is requested (XXINST.h) ends like the file.
int64_t fileRead(int fd, void* buffer, int64_t n, bool& partialError);
// Writes all `n` bytes; false when the system refused any of them.
bool fileWrite(int fd, const void* bytes, size_t n);
// Empties a regular file (other files, such as devices and pipes, have nothing to empty).
bool fileTruncate(int fd);

// Makes the folders that `path` needs, as "mkdir -p" on its directory would; true when they
// exist afterwards (also when there is nothing to make).
bool makeFoldersFor(const char* path);

// An exclusive advisory lock (flock) on an open file, held until the descriptor is closed.
// Without `wait` a lock held elsewhere gives `busy` at once; with it the call waits, and a
// signal that interrupts the wait gives `interrupted`. A file system without locks gives
// `unsupported` (the file is then written without one).
enum class FileLock { held, busy, interrupted, unsupported, failed };
FileLock fileLock(int fd, bool wait);

enum class SeekFrom { beginning, current, end };
// The new offset from the start of the file, or -1.
int64_t fileSeek(int fd, int64_t offset, SeekFrom from);

// The fine clock's time. File systems stamp from a clock that ticks coarsely (or from the
// fine clock once a stamp has been looked at), so the time splits file stamps cleanly (a file
// stamped before the call has this stamp or an earlier one, a file stamped later a later one)
// only for files made after waitForFileClock(time) has returned: that waits until the coarse
// clock has passed `time` (up to a tick, a few milliseconds). A caller that makes no file in
// between can do other work while the coarse clock catches up.
int64_t fileTimeFine();
void waitForFileClock(int64_t time);
// The coarse clock file systems stamp from: a change made after the call is stamped with
// this time or a later one, so a stamp earlier than it was made before the call.
int64_t fileTimeCoarse();

// Local calendar time of `time`, "%04d-%02d-%02d %02d:%02d:%02d" or, without `withTime`,
// "%04d-%02d-%02d"; "" when it cannot be converted.
std::string localTimeText(int64_t time, bool withTime);

int lastSystemError();
std::string systemErrorText(int code);
