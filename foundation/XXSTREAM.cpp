#include "foundation/XXSTREAM.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

#include "foundation/XXERROR.h"
#include "foundation/XXINST.h"
#include "foundation/XXMSG.h"
#include "foundation/platformfile.h"

namespace {

constexpr int32_t kInputBlock = 65536;
constexpr size_t kOutputBlock = 65536;

// Reports through a Tracer titled `title`. From a destructor the report is left to the
// Tracer's own destructor, which never throws.
void report(const char* title, const XXSTRING& text, bool mayThrow = true) {
    Tracer t(title);
    t << text;
    if (mayThrow) t.emit();
}

// Makes room for `extra` more units, at least doubling the storage when it must grow, so
// that lines and tokens built piece by piece cost time in proportion to their length (the
// strings' own growth step is a fixed 40 or 10 units).
template <typename Text>
void room(Text& s, int64_t extra) {
    const int64_t needed = int64_t(s.count) + extra + 1;
    if (needed <= s.capacity) return;
    s.chk(int32_t(std::min<int64_t>(std::max<int64_t>(needed, int64_t(s.capacity) * 2), INT32_MAX)));
}

// The files this process holds locked, by device and inode; the lock of one open file
// description would make another open of the same file in this process wait for ever.
std::mutex lockedLock;
std::set<std::pair<uint64_t, uint64_t>> locked;
std::atomic<bool> waitForLocks{true};

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

// Appends the decimal digits of `n`.
void appendDecimal(XXSTRING& s, int64_t n) { s << static_cast<long long>(n); }

// Empties a string without overwriting its whole storage, so that a buffer grown by one
// long line does not make every later line cost its full size.
void empty(XXSTRING& s) {
    if (s.isWide || s.capacity == 0) {
        s = "";
        return;
    }
    s[0] = 0;
    s.count = 1;
}

}  // namespace

// --- life --------------------------------------------------------------------------------

XXSTREAM::XXSTREAM() = default;

XXSTREAM::XXSTREAM(const char* path) : path_(path) {}

XXSTREAM::XXSTREAM(const XXSTREAM& other)
    : path_(other.path_), name_(other.name_), mode_(other.mode_), quote_(other.quote_), lineEnd_(other.lineEnd_) {}

XXSTREAM& XXSTREAM::operator=(const XXSTREAM& other) {
    if (this != &other) {
        close();
        path_ = other.path_;
        name_ = other.name_;
        mode_ = other.mode_;
        quote_ = other.quote_;
        lineEnd_ = other.lineEnd_;
    }
    return *this;
}

XXSTREAM::~XXSTREAM() { closeFile(false); }

// --- opening -----------------------------------------------------------------------------

bool XXSTREAM::open() { return open(path_.text(), mode_); }

bool XXSTREAM::open(int32_t mode) { return open(path_.text(), mode); }

bool XXSTREAM::open(const char* path, int32_t mode) {
    close();
    if (path != path_.text()) path_ = path;
    mode_ = mode;
    failed_ = false;
    if (!openFile()) {
        failed_ = false;
        return false;
    }
    position_ = 0;
    fdAt_ = 0;
    return true;
}

void XXSTREAM::adopt(const char* path, int fd, const FileStatus& status, std::unique_ptr<unsigned char[]> bytes,
                     int64_t count, int64_t capacity) {
    close();
    if (path != path_.text()) path_ = path;
    mode_ = openMode_ = readRaw;
    fd_ = fd;
    status_ = status;
    failed_ = false;
    atEnd_ = false;
    errorText_ = "";
    adopted_ = std::move(bytes);
    adoptedCount_ = adopted_ ? count : 0;
    adoptedCapacity_ = std::max(adoptedCount_, capacity);
    position_ = 0;
    fdAt_ = adoptedCount_;
}

int64_t XXSTREAM::takeAdopted(std::unique_ptr<unsigned char[]>& storage, int64_t capacity) {
    if (openMode_ != readRaw || position_ != 0 || adoptedCount_ <= 0 || adoptedCapacity_ < capacity) return -1;
    // A read from the start of a regular file asks for no more than its size.
    const int64_t wanted = status_.regular ? std::min(capacity, status_.size) : capacity;
    if (adoptedCount_ != wanted) return -1;
    storage = std::move(adopted_);
    // The descriptor stands where the adopted bytes end, which is where reading goes on.
    const int64_t got = adoptedCount_;
    adoptedCount_ = adoptedCapacity_ = 0;
    prevPosition_ = 0;
    position_ = got;
    return got;
}

bool XXSTREAM::openFile() {
    FileAccess access;
    switch (mode_) {
    case readText:
    case readRaw: access = FileAccess::read; break;
    case writeText:
    case writeBinary: access = FileAccess::writeTruncate; break;
    case appendText:
    case appendBinary: access = FileAccess::writeAppend; break;
    default: return false;
    }
    errorText_ = "";
    const bool rewrite = access == FileAccess::writeTruncate;
    if (locking_ && rewrite) access = FileAccess::writeKeep;
    const int fd = fileOpen(path_.text(), access, &status_);
    if (fd < 0) {
        errorText_ = systemErrorText(lastSystemError()).c_str();
        return false;
    }
    fd_ = fd;
    if (locking_ && access != FileAccess::read) {
        if (!lockOutput() || (rewrite && !fileTruncate(fd_))) {
            if (errorText_.length() == 0) errorText_ = systemErrorText(lastSystemError()).c_str();
            unlockOutput();
            fileClose(fd_);
            fd_ = -1;
            return false;
        }
    }
    openMode_ = mode_;
    atEnd_ = false;
    writeReported_ = false;
    translateLf_ = lineEnd_ == LineEnd::crlf && (mode_ == writeText || mode_ == appendText);
    resetReading();
    // Left unfilled: a page of a block is touched only when bytes go there, so a small file
    // costs a page, not the whole block.
    if (mode_ == readText && !input_) input_ = std::make_unique_for_overwrite<char[]>(kInputBlock);
    if (isOutputOpen() && !output_) output_ = std::make_unique_for_overwrite<char[]>(kOutputBlock);
    outputLength_ = 0;
    return true;
}

bool XXSTREAM::close() { return closeFile(true); }

void XXSTREAM::setLockWait(bool wait) { waitForLocks.store(wait); }
bool XXSTREAM::lockWait() { return waitForLocks.load(); }

bool XXSTREAM::lockOutput() {
    if (!status_.known) return false;
    const uint64_t device = status_.device, inode = status_.inode;
    {
        std::lock_guard<std::mutex> hold(lockedLock);
        if (locked.count({device, inode}) > 0) return true;
    }
    FileLock got = fileLock(fd_, false);
    if (got == FileLock::busy) {
        if (!lockWait()) {
            errorText_ = "another run is writing it";
            return false;
        }
        XXSTRING note("Waiting for ");
        note << path_ << ": another run is writing it";
        reportError(note);
        do {
            got = stopRequested() ? FileLock::interrupted : fileLock(fd_, true);
        } while (got == FileLock::interrupted && !stopRequested());
        if (got == FileLock::interrupted) errorText_ = "the run was stopped while it waited for another run";
    }
    if (got == FileLock::unsupported) return true;
    if (got != FileLock::held) return false;
    std::lock_guard<std::mutex> hold(lockedLock);
    locked.insert({device, inode});
    lockHeld_ = true;
    lockDevice_ = device;
    lockInode_ = inode;
    return true;
}

void XXSTREAM::unlockOutput() {
    if (!lockHeld_) return;
    std::lock_guard<std::mutex> hold(lockedLock);
    locked.erase({lockDevice_, lockInode_});
    lockHeld_ = false;
}

int XXSTREAM::release() {
    if (!isInputOpen()) {
        close();
        return -1;
    }
    const int fd = fd_;
    fd_ = -1;
    closeFile(false);
    return fd;
}

bool XXSTREAM::closeFile(bool mayReport) {
    bool ok = true;
    if (fd_ >= 0) {
        if (isOutputOpen()) ok = flushOutput(mayReport);
        // The register entry goes first: the lock itself ends with the descriptor.
        unlockOutput();
        fileClose(fd_);
    }
    fd_ = -1;
    openMode_ = 0;
    status_ = FileStatus();
    outputLength_ = 0;
    resetReading();
    position_ = initialPosition;
    prevPosition_ = initialPosition;
    adopted_.reset();
    adoptedCount_ = adoptedCapacity_ = 0;
    return ok;
}

void XXSTREAM::resetReading() {
    inputLength_ = 0;
    inputAt_ = 0;
    inputEnded_ = false;
}

int64_t XXSTREAM::fileSize() const {
    return openMode_ == readRaw ? status_.size : 0;
}

// --- raw reading -------------------------------------------------------------------------

int64_t XXSTREAM::read(void* buffer, int64_t n) {
    if (openMode_ != readRaw || !buffer || n <= 0) return 0;
    // Up to the known end only: the read that would find nothing there is left out.
    if (status_.regular && position_ < status_.size) n = std::min(n, status_.size - position_);
    auto* into = static_cast<unsigned char*>(buffer);
    int64_t got = 0;
    if (position_ < adoptedCount_) {
        got = std::min(n, adoptedCount_ - position_);
        std::memcpy(into, adopted_.get() + position_, size_t(got));
    }
    if (got < n) {
        // The descriptor of an adopted file continues where the adopted bytes end, unless a
        // seek or a failure moved it; any other descriptor is where the last read left it.
        const int64_t at = position_ + got;
        bool partial = false;
        const bool placed = adoptedCount_ == 0 || fdAt_ == at || fileSeek(fd_, at, SeekFrom::beginning) == at;
        const int64_t more = placed ? fileRead(fd_, into + got, n - got, partial) : -1;
        // Unknown after a failure: the next read places the descriptor again.
        fdAt_ = more >= 0 && !partial ? at + more : -1;
        if (more > 0) got += more;
        if (more < 0 || partial) {
            const int code = lastSystemError();
            failed_ = true;
            XXSTRING text("ReadFile failure: ");
            text << path_ << ": " << systemErrorText(code).c_str();
            report("XXSTREAM::read", text);
        }
    }
    if (got <= 0) {
        atEnd_ = true;
        return 0;
    }
    prevPosition_ = position_;
    position_ += got;
    return got;
}

int64_t XXSTREAM::seek(int64_t offset, int32_t origin) {
    if (fd_ < 0) return -1;
    if (openMode_ == readRaw) {
        SeekFrom from = SeekFrom::beginning;
        if (origin == fromCurrent) {
            // The descriptor is where the last read left it, so "current" is our position.
            from = SeekFrom::beginning;
            offset += position_;
        } else if (origin == fromEnd) {
            from = SeekFrom::end;
        }
        const int64_t at = offset < 0 && from == SeekFrom::beginning ? -1 : fileSeek(fd_, offset, from);
        if (at < 0) {
            const int code = offset < 0 ? EINVAL : lastSystemError();
            XXSTRING text("SetFilePointer failure ");
            text << code << ": " << path_;
            report("XXSTREAM::seek", text);
            return -1;
        }
        // The file pointer did not move on failure, so the position stays true; after a
        // successful seek the next read may find bytes again.
        position_ = at;
        fdAt_ = at;
        atEnd_ = false;
        return position_;
    }
    const bool input = openMode_ == readText;
    if (origin == fromCurrent) {
        report("XXSTREAM::seek", input ? "Invalid input seek origin" : "Invalid output seek origin");
        return -1;
    }
    if (origin != fromBeginning || offset < 0) return -1;
    if (input) {
        resetReading();
        atEnd_ = false;
    } else if (!flushOutput(true)) {
        return -1;
    }
    return fileSeek(fd_, offset, SeekFrom::beginning) == offset ? 0 : -1;
}

// --- text reading ------------------------------------------------------------------------

bool XXSTREAM::fillInput() {
    if (inputEnded_) return false;
    bool partial = false;
    const int64_t got = fileRead(fd_, input_.get(), kInputBlock, partial);
    if (got < 0 || partial) {
        failed_ = true;
        XXSTRING text("ReadFile failure: ");
        text << path_ << ": " << systemErrorText(lastSystemError()).c_str();
        report("XXSTREAM::readLine", text);
    }
    inputAt_ = 0;
    inputLength_ = got > 0 ? int32_t(got) : 0;
    if (got <= 0 || partial) inputEnded_ = true;
    return inputLength_ > 0;
}

const char* XXSTREAM::readLine() {
    empty(line_);
    cursor_ = 0;
    tokenStart_ = 0;
    if (openMode_ != readText || failed_) return nullptr;
    bool any = false;
    for (;;) {
        if (inputAt_ >= inputLength_ && !fillInput()) {
            atEnd_ = true;
            if (failed_) return nullptr;
            break;
        }
        any = true;
        const char* from = input_.get() + inputAt_;
        const int32_t available = inputLength_ - inputAt_;
        const auto* lf = static_cast<const char*>(std::memchr(from, '\n', size_t(available)));
        if (!lf) {
            room(line_, available);
            line_.append(from, available);
            inputAt_ = inputLength_;
            continue;
        }
        const auto length = int32_t(lf - from);
        line_.append(from, length);
        inputAt_ += length + 1;
        const int32_t n = line_.length();
        if (n > 0 && line_[n - 1] == '\r') {
            line_[n - 1] = 0;
            line_.count = n;
        }
        return line_.text();
    }
    return any && line_.length() > 0 ? line_.text() : nullptr;
}

void XXSTREAM::skipBlanks() {
    const char* text = line_.text();
    const int32_t n = line_.length();
    while (cursor_ < n && isBlankChar(text[cursor_])) ++cursor_;
}

const char* XXSTREAM::getFld() { return getFld(quote_); }

const char* XXSTREAM::getFld(char q) {
    skipBlanks();
    const char* text = line_.text();
    const int32_t n = line_.length();
    tokenStart_ = cursor_;
    if (cursor_ >= n) return nullptr;
    empty(token_);
    room(token_, n - cursor_);
    // Quoted: to the next single q, a doubled q standing for one. Unquoted: to the next
    // single space, a doubled space standing for one.
    quoted_ = text[cursor_] == q;
    const char end = quoted_ ? q : ' ';
    if (quoted_) ++cursor_;
    for (;;) {
        const auto* at = static_cast<const char*>(std::memchr(text + cursor_, end, size_t(n - cursor_)));
        if (!at) {
            token_.append(text + cursor_, n - cursor_);
            cursor_ = n;
            break;
        }
        const auto stop = int32_t(at - text);
        token_.append(text + cursor_, stop - cursor_);
        if (stop + 1 < n && text[stop + 1] == end) {
            token_ += end;
            cursor_ = stop + 2;
            continue;
        }
        cursor_ = quoted_ ? stop + 1 : stop;
        break;
    }
    return token_.text();
}

const XXWCHAR* XXSTREAM::readWide(char open, char close) {
    skipBlanks();
    const char* text = line_.text();
    const int32_t n = line_.length();
    const int32_t start = cursor_;
    tokenStart_ = start;
    if (start >= n || text[start] != open) return nullptr;
    if (wtoken_.capacity > 0) {
        wtoken_[0] = 0;
        wtoken_.count = 1;
    }
    room(wtoken_, (n - start) / 3 + 1);
    int32_t i = start;
    while (i < n && text[i] == open) {
        int32_t j = i + 1;
        int32_t value = 0;
        while (j < n && text[j] >= '0' && text[j] <= '9') {
            value = value * 10 + (text[j] - '0');
            if (value > 0xFFFF) return nullptr;
            ++j;
        }
        // At least one digit, a closing character, and a unit that is not NUL.
        if (j == i + 1 || j >= n || text[j] != close || value == 0) return nullptr;
        wtoken_ += XXWCHAR(value);
        i = j + 1;
    }
    if (i < n && !isBlankChar(text[i])) return nullptr;
    cursor_ = i;
    quoted_ = false;
    return wtoken_.text();
}

bool XXSTREAM::getString(XXSTRING& out, char open, char close) {
    const char* token = getFld();
    if (!token) return false;
    if (!quoted_ && token[0] == open) {
        const int32_t after = cursor_;
        cursor_ = tokenStart_;
        if (const XXWCHAR* wide = readWide(open, close)) {
            out = wide;
            return true;
        }
        cursor_ = after;
    }
    out = token;
    return true;
}

// --- line assembly -----------------------------------------------------------------------

void XXSTREAM::clearLine() {
    empty(line_);
    cursor_ = 0;
    tokenStart_ = 0;
}

void XXSTREAM::separate(int64_t extra) {
    room(line_, extra + 1);
    if (line_.length() > 0) line_ += ' ';
}

void XXSTREAM::addToken(const char* text) {
    separate(text ? int64_t(std::strlen(text)) + 2 : 2);
    if (isBlank(text)) {
        line_ += quote_;
        line_ += quote_;
    } else {
        line_ += text;
    }
}

void XXSTREAM::addInt(int64_t n) {
    separate(24);
    appendDecimal(line_, n);
}

void XXSTREAM::addQuoted(const char* text, char q) {
    separate(text ? 2 * int64_t(std::strlen(text)) + 2 : 2);
    line_ += q;
    for (const char* p = text ? text : ""; *p; ++p) {
        const char* next = std::strchr(p, q);
        if (!next) {
            line_ += p;
            break;
        }
        line_.append(p, int32_t(next - p) + 1);
        line_ += q;
        p = next;
    }
    line_ += q;
}

void XXSTREAM::addWide(const XXWCHAR* text, char open, char close) {
    if (isBlank(text)) {
        addToken("");
        return;
    }
    separate(int64_t(wlen(text)) * 7);
    for (const XXWCHAR* p = text; *p; ++p) {
        line_ += open;
        appendDecimal(line_, *p);
        line_ += close;
    }
}

void XXSTREAM::addString(const XXSTRING& text, char q, char open, char close) {
    if (text.isWide)
        addWide(text.wtext(), open, close);
    else
        addQuoted(text.text(), q);
}

bool XXSTREAM::endLine() {
    const bool ok = write(line_.text(), line_.length()) && putBytes("\n", 1);
    clearLine();
    return ok;
}

// --- writing -----------------------------------------------------------------------------

bool XXSTREAM::write(const void* bytes, int64_t n) {
    if (!isOutputOpen()) return false;
    if (n <= 0 || !bytes) return true;
    return putBytes(static_cast<const char*>(bytes), size_t(n));
}

// A string held wide has no narrow characters; its wide text is written with the
// XXWSTRING form.
bool XXSTREAM::write(const XXSTRING& text) { return write(text.text(), text.isWide ? 0 : text.length()); }

bool XXSTREAM::write(const XXWSTRING& text) {
    return write(text.text(), int64_t(text.length()) * int64_t(sizeof(XXWCHAR)));
}

bool XXSTREAM::writeLine(const char* text) {
    if (!isOutputOpen()) return false;
    const bool ok = write(text, text ? int64_t(std::strlen(text)) : 0);
    return putBytes("\n", 1) && ok;
}

bool XXSTREAM::putByte(unsigned char b) {
    if (!isOutputOpen()) return false;
    const char c = char(b);
    return putBytes(&c, 1);
}

bool XXSTREAM::flush() { return isOutputOpen() && flushOutput(true); }

// Buffers `n` bytes, translating "\n" to CR LF when the stream writes CR LF line ends.
bool XXSTREAM::putBytes(const char* bytes, size_t n) {
    if (!isOutputOpen()) return false;
    bool ok = true;
    while (n > 0) {
        if (outputLength_ == kOutputBlock && !flushOutput(true)) ok = false;
        const char* lf = translateLf_ ? static_cast<const char*>(std::memchr(bytes, '\n', n)) : nullptr;
        const size_t plain = lf ? size_t(lf - bytes) : n;
        if (plain == 0) {
            // A line feed: CR LF, which needs two free bytes.
            if (kOutputBlock - outputLength_ < 2 && !flushOutput(true)) ok = false;
            output_[outputLength_++] = '\r';
            output_[outputLength_++] = '\n';
            ++bytes;
            --n;
            continue;
        }
        const size_t room = kOutputBlock - outputLength_;
        const size_t take = plain < room ? plain : room;
        std::memcpy(output_.get() + outputLength_, bytes, take);
        outputLength_ += take;
        bytes += take;
        n -= take;
    }
    return ok;
}

bool XXSTREAM::flushOutput(bool mayReport) {
    if (outputLength_ == 0) return !failed_;
    const bool ok = fileWrite(fd_, output_.get(), outputLength_);
    outputLength_ = 0;
    if (!ok) reportWriteFailure(lastSystemError(), mayReport);
    return ok;
}

void XXSTREAM::reportWriteFailure(int code, bool mayReport) {
    failed_ = true;
    errorText_ = systemErrorText(code).c_str();
    if (writeReported_ || callerReports_) return;
    writeReported_ = true;
    XXSTRING text("Unable to write ");
    text << path_ << ": " << systemErrorText(code).c_str();
    report("XXSTREAM::write", text, mayReport);
}

// --- file times --------------------------------------------------------------------------

const FileTimes* XXSTREAM::times() const {
    return openMode_ == readRaw && status_.known ? &status_.times : nullptr;
}

XXSTRING XXSTREAM::fileTime(int32_t which, bool withTime) const {
    const FileTimes* times = this->times();
    if (!times) return XXSTRING();
    const int64_t t = which == 1 ? times->created : which == 3 ? times->accessed : times->written;
    return XXSTRING(localTimeText(t, withTime).c_str());
}

bool XXSTREAM::createdAfter(int64_t time) const {
    const FileTimes* times = this->times();
    return times && times->created > time;
}
