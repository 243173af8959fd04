// File services of the operating system, as the streams need them: descriptors opened for
// reading, truncating or appending, whole-block reads and writes, seeks, sizes and times.
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
};

// A descriptor for `path`, or -1. Directories are refused (error EISDIR).
int fileOpen(const char* path, FileAccess access);
void fileClose(int fd);

// Reads until `n` bytes are in or the file ends; the count read, or -1 when the system
// failed before anything was read. `partialError` is set when it failed after some bytes.
int64_t fileRead(int fd, void* buffer, int64_t n, bool& partialError);
// Writes all `n` bytes; false when the system refused any of them.
bool fileWrite(int fd, const void* bytes, size_t n);

enum class SeekFrom { beginning, current, end };
// The new offset from the start of the file, or -1.
int64_t fileSeek(int fd, int64_t offset, SeekFrom from);
// The size in bytes, or -1.
int64_t fileSize(int fd);

struct FileTimes {
    int64_t created = 0;    // birth time where the file system records it, else status change
    int64_t accessed = 0;
    int64_t written = 0;
};
bool fileTimes(int fd, FileTimes& out);

// A time that splits file stamps cleanly: a file stamped before the call has this stamp or
// an earlier one, a file stamped after it a later one. File systems stamp from a clock that
// ticks coarsely, or from the fine clock once a stamp has been looked at; so this is the
// fine clock's time, returned once the coarse clock has passed it (a few milliseconds).
int64_t fileTimeNow();

// Local calendar time of `time`, "%04d-%02d-%02d %02d:%02d:%02d" or, without `withTime`,
// "%04d-%02d-%02d"; "" when it cannot be converted.
std::string localTimeText(int64_t time, bool withTime);

int lastSystemError();
std::string systemErrorText(int code);
