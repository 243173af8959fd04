#include "foundation/platformfile.h"

#include "foundation/XXINST.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr int64_t kNanos = 1000000000;

int64_t nanosOf(const timespec& t) { return int64_t(t.tv_sec) * kNanos + t.tv_nsec; }

}  // namespace

int fileOpen(const char* path, FileAccess access, FileStatus* status) {
    if (!path || !*path) {
        errno = ENOENT;
        return -1;
    }
    int flags = O_CLOEXEC;
    switch (access) {
    case FileAccess::read: flags |= O_RDONLY; break;
    case FileAccess::writeTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case FileAccess::writeAppend: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    case FileAccess::writeKeep: flags |= O_WRONLY | O_CREAT; break;
    }
    int fd;
    do {
        fd = ::open(path, flags, 0666);
        // A named pipe no program writes to would keep a stopped run waiting here.
    } while (fd < 0 && errno == EINTR && !stopRequested());
    if (fd < 0) return -1;
    FileStatus own;
    FileStatus& st = status ? *status : own;
    if (fileStatus(fd, st) && st.directory) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

void fileClose(int fd) {
    if (fd >= 0) ::close(fd);
}

int64_t fileRead(int fd, void* buffer, int64_t n, bool& partialError) {
    partialError = false;
    auto* at = static_cast<unsigned char*>(buffer);
    int64_t total = 0;
    while (total < n) {
        const ssize_t got = ::read(fd, at + total, size_t(n - total));
        if (got > 0) {
            total += got;
        } else if (got == 0) {
            break;
        } else if (errno == EINTR && stopRequested()) {
            // A pipe whose writer is quiet would keep a stopped run waiting: the input ends.
            break;
        } else if (errno != EINTR) {
            if (total == 0) return -1;
            partialError = true;
            break;
        }
    }
    return total;
}

bool fileWrite(int fd, const void* bytes, size_t n) {
    const auto* at = static_cast<const unsigned char*>(bytes);
    while (n > 0) {
        const ssize_t put = ::write(fd, at, n);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        at += put;
        n -= size_t(put);
    }
    return true;
}

bool fileTruncate(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) return true;
    int result;
    do {
        result = ftruncate(fd, 0);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool makeFoldersFor(const char* path) {
    const std::filesystem::path folder = std::filesystem::path(path ? path : "").parent_path();
    if (folder.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) return true;
    errno = ec.value();
    return false;
}

FileLock fileLock(int fd, bool wait) {
    if (flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0) return FileLock::held;
    switch (errno) {
    case EWOULDBLOCK: return FileLock::busy;
    case EINTR: return FileLock::interrupted;
    case EOPNOTSUPP:
    case ENOLCK: return FileLock::unsupported;
    default: return FileLock::failed;
    }
}

int64_t fileSeek(int fd, int64_t offset, SeekFrom from) {
    const int whence = from == SeekFrom::beginning ? SEEK_SET : from == SeekFrom::current ? SEEK_CUR : SEEK_END;
    return int64_t(::lseek(fd, off_t(offset), whence));
}

namespace {

void fillStatus(const struct stat& st, FileStatus& out) {
    out.device = uint64_t(st.st_dev);
    out.inode = uint64_t(st.st_ino);
    out.size = int64_t(st.st_size);
    out.regular = S_ISREG(st.st_mode);
    out.directory = S_ISDIR(st.st_mode);
    out.times = {nanosOf(st.st_ctim), nanosOf(st.st_atim), nanosOf(st.st_mtim), nanosOf(st.st_ctim)};
    out.known = true;
}

void fillStatus(const struct statx& sx, FileStatus& out) {
    auto nanos = [](const statx_timestamp& t) { return int64_t(t.tv_sec) * kNanos + t.tv_nsec; };
    out.device = uint64_t(makedev(sx.stx_dev_major, sx.stx_dev_minor));
    out.inode = uint64_t(sx.stx_ino);
    out.size = int64_t(sx.stx_size);
    out.regular = S_ISREG(sx.stx_mode);
    out.directory = S_ISDIR(sx.stx_mode);
    out.times.created = (sx.stx_mask & STATX_BTIME) ? nanos(sx.stx_btime) : nanos(sx.stx_ctime);
    out.times.accessed = nanos(sx.stx_atime);
    out.times.written = nanos(sx.stx_mtime);
    out.times.changed = nanos(sx.stx_ctime);
    out.known = true;
}

// One statx of `path` relative to `fd` (AT_EMPTY_PATH with "": the open file itself).
bool statusAt(int fd, const char* path, int flags, FileStatus& out) {
    out = FileStatus();
    struct statx sx {};
    if (statx(fd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        fillStatus(sx, out);
        return true;
    }
    // Systems that refuse statx still answer stat, without a birth time.
    struct stat st {};
    if ((*path ? ::stat(path, &st) : fstat(fd, &st)) != 0) return false;
    fillStatus(st, out);
    return true;
}

}  // namespace

bool fileStatus(int fd, FileStatus& out) { return statusAt(fd, "", AT_EMPTY_PATH, out); }

bool fileStatusOfPath(const char* path, FileStatus& out) {
    if (!path || !*path) {
        out = FileStatus();
        errno = ENOENT;
        return false;
    }
    return statusAt(AT_FDCWD, path, 0, out);
}

int fileOpenRegular(const char* path, FileStatus& status) {
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    if (!fileStatus(fd, status) || !status.regular) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

int64_t fileTimeFine() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return nanosOf(ts);
}

void waitForFileClock(int64_t time) {
    // The coarse clock lags the fine one by up to a tick, and its ticks land late on a busy
    // or virtual machine; wait until it has passed `time`, so every later stamp is after it.
    for (;;) {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME_COARSE, &ts);
        if (nanosOf(ts) > time) return;
        const timespec pause{0, 100000};
        nanosleep(&pause, nullptr);
    }
}

int64_t fileTimeCoarse() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME_COARSE, &ts);
    return nanosOf(ts);
}

std::string localTimeText(int64_t time, bool withTime) {
    const time_t seconds = time_t(time >= 0 ? time / kNanos : (time - kNanos + 1) / kNanos);
    struct tm local {};
    if (!localtime_r(&seconds, &local)) return {};
    char text[64];
    if (withTime)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

int lastSystemError() { return errno; }

std::string systemErrorText(int code) {
    char text[256];
    return strerror_r(code, text, sizeof text);
}
