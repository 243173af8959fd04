// XXSTREAM: the one file abstraction of the system.
//
// A stream opens one file at a time in one of six modes: text reading (line by line, with a
// token reader over the current line), raw block reading (with seeks and byte positions,
// which the input buffers build on), and text or binary writing, truncating or appending.
// Lines assembled token by token are written with endLine().
//
// Text and tokens. readLine() delivers a whole line of any length, without its line end; a
// line may end in LF or CR LF. The token reader splits the line into tokens separated by
// spaces and tabs: a token that starts with the quote character runs to the next single
// quote (a doubled quote stands for one), any other token runs to the next space (a doubled
// space stands for one space inside the token). A wide token is a run of groups such as
// {65}{66}, one 16-bit unit per group; it is only recognised unquoted, so a quoted text that
// happens to begin with "{" stays narrow. Tokens have no length limit.
//
// Line ends on output. Text modes write "\n" as LF unless the stream's line end is set to
// CR LF (definition and graph files use CR LF so that they stay exchangeable); the setting
// translates every "\n" written in a text mode. Binary modes write bytes unchanged.
//
// Failures of reads, seeks and writes are reported through a Tracer titled with the method
// and signalled by the neutral result; failing to open is not reported (callers report it,
// naming the file, with lastErrorText()). A caller that reports write failures itself
// says so with setCallerReports(). The object stays usable after any failure.
//
// Locked output. With setLocking() on, an output file holds an exclusive advisory lock
// (flock) while it is open, so that two processes never write one file at once: a file
// opened to be rewritten is emptied only once the lock is held. When another process holds
// the lock, the open waits for it, saying once on the error path which file it waits for,
// or, when waiting is switched off for the process (setLockWait), fails at once. A file
// this process has locked already is written without a second lock (a lock of the same
// process would wait for itself). A stop request (XXINST.h) ends a wait.
//
// Not thread-safe: a stream belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/XXSTRING.h"
#include "foundation/platformfile.h"

class XXSTREAM {
public:
    // Open modes.
    static constexpr int32_t readText = 1;
    static constexpr int32_t readRaw = 2;
    static constexpr int32_t writeText = 4;
    static constexpr int32_t writeBinary = 8;
    static constexpr int32_t appendText = 64;
    static constexpr int32_t appendBinary = 128;

    // Seek origins.
    static constexpr int32_t fromBeginning = 0;
    static constexpr int32_t fromCurrent = 1;
    static constexpr int32_t fromEnd = 2;

    enum class LineEnd { lf, crlf };

    XXSTREAM();
    explicit XXSTREAM(const char* path);
    // Copies take the path, display name, mode, quote and line end; never the open file.
    XXSTREAM(const XXSTREAM& other);
    XXSTREAM& operator=(const XXSTREAM& other);
    virtual ~XXSTREAM();

    void setPath(const char* text) { path_ = text; }
    const char* getPath() const { return path_.text(); }
    // An optional display name; displayName() falls back to the path.
    void setName(const char* text) { name_ = text; }
    const char* getName() const { return name_.text(); }
    const char* displayName() const { return name_.length() > 0 ? name_.text() : path_.text(); }
    void setMode(int32_t mode) { mode_ = mode; }
    int32_t getMode() const { return mode_; }
    void setQuote(char q) { quote_ = q; }
    char getQuote() const { return quote_; }
    // Kept across open and close; applies to the text output modes.
    void setLineEnd(LineEnd end) { lineEnd_ = end; }
    LineEnd getLineEnd() const { return lineEnd_; }
    // Output files opened from now on are locked (see above).
    void setLocking(bool on) { locking_ = on; }
    // Write failures are not reported here; the caller reports them.
    void setCallerReports(bool on) { callerReports_ = on; }
    // Why the last open or write failed, in the system's words; "" when nothing failed.
    const XXSTRING& lastErrorText() const { return errorText_; }
    // Whether opening an output locked by another process waits (the default) or fails.
    static void setLockWait(bool wait);
    static bool lockWait();

    // Each form closes whatever is open first, stores path and mode, then opens. False for an
    // unknown mode or a file that cannot be opened (the stream is then closed and reusable).
    bool open();
    bool open(int32_t mode);
    bool open(const char* path, int32_t mode);
    // Opens `path` for raw reading on a descriptor already open on it, with the status read
    // when it was opened and the first `count` bytes of the file, read already (`bytes` holds
    // at least that many, in storage of `capacity` bytes when that is more). Reads are
    // answered from those bytes before the descriptor is read again. The stream owns the
    // descriptor from here on.
    void adopt(const char* path, int fd, const FileStatus& status, std::unique_ptr<unsigned char[]> bytes,
               int64_t count, int64_t capacity = 0);
    // Reads as read(storage, capacity) would, without copying: when nothing has been read
    // since the file was adopted and the adopted bytes are exactly what that read would give,
    // in storage of at least `capacity` bytes, `storage` takes that storage (its own goes)
    // and the count is returned. -1, with nothing changed, otherwise.
    int64_t takeAdopted(std::unique_ptr<unsigned char[]>& storage, int64_t capacity);
    // Writes out pending output and closes. False when pending output could not be written
    // (reported).
    bool close();
    // Closes a file open for reading as close() does, but hands its descriptor to the caller
    // (to be closed elsewhere) instead of closing it; -1 when no input was open. Output is
    // closed as by close().
    int release();

    bool isOpen() const { return fd_ >= 0; }
    bool isInputOpen() const { return openMode_ == readText || openMode_ == readRaw; }
    bool isOutputOpen() const { return openMode_ > readRaw; }
    // A read or write of the open file failed.
    bool failed() const { return failed_; }
    // Raw reading: a read returned no bytes. Text reading: a read reached the end of the file.
    bool atEnd() const { return atEnd_; }
    // Size of the raw-read file when it was opened; 0 when no file is open for raw reading.
    int64_t fileSize() const;
    // Identity, size, kind and times of the open file, read once when it was opened; null
    // when nothing is open or the system did not tell.
    const FileStatus* status() const { return fd_ >= 0 && status_.known ? &status_ : nullptr; }
    // Files have no hidden attribute here (a leading "." hides them): both report false.
    bool hide() { return false; }
    bool unhide() { return false; }

    // --- raw reading (mode 2) ---
    // Reads up to n bytes, fewer only at the end of the file; the number read. 0 without a
    // raw file, at the end (atEnd() is then set) or on failure (reported). A regular file is
    // read up to the size it had when opened without asking the system for more (a small
    // file takes one read); a read that starts at that size asks again, so bytes added
    // since are found by the reads that follow.
    int64_t read(void* buffer, int64_t n);
    // The new position, or -1. Raw files seek from any origin; text input and output only
    // from the beginning, and then the result is 0.
    int64_t seek(int64_t offset, int32_t origin);
    int64_t seekTo(int64_t offset) { return seek(offset, fromBeginning); }
    int64_t skip(int64_t offset) { return seek(offset, fromCurrent); }
    int64_t rewind() { return seekTo(0); }
    // Byte offset of the next raw read (0 after opening, -1 when closed), and the offset at
    // which the last read began.
    int64_t getPosition() const { return position_; }
    int64_t getPrevPosition() const { return prevPosition_; }

    // --- text reading (mode 1) ---
    // The next line without its line end, or null at the end of the file or on failure. The
    // token reader starts at its beginning. Valid until the next read.
    const char* readLine();
    // The current line (read or being assembled) and its length in bytes.
    const char* getLine() const { return line_.text(); }
    int32_t lineLength() const { return line_.length(); }
    // The next token of the line with the stream's quote character (or `q`), or null when
    // only blanks remain. Valid until the next token is read.
    const char* getFld();
    const char* getFld(char q);
    // Whether the last token read by getFld was quoted.
    bool lastQuoted() const { return quoted_; }
    // The next token as wide text when it is a run of open-digits-close groups (each a unit
    // from 1 to 65535) ending at a blank or the end of the line; null otherwise, and the
    // cursor stays before the token.
    const XXWCHAR* readWide(char open = '{', char close = '}');
    // The next token as a value: an unquoted wide token becomes wide text, anything else
    // narrow text. False, and `out` untouched, when only blanks remain.
    bool getString(XXSTRING& out, char open = '{', char close = '}');
    // Moves the cursor back to where the last token began.
    void backToken() { cursor_ = tokenStart_; }

    // --- text writing: line assembly ---
    void clearLine();
    // Appends a token, after a space unless the line is empty. An empty text is written as
    // an empty quoted token, so that it keeps its place when the line is read back.
    void addToken(const char* text);
    void addInt(int64_t n);
    // A token made of q, the text with every q doubled, and q.
    void addQuoted(const char* text, char q);
    void addQuoted(const char* text) { addQuoted(text, quote_); }
    // A token made of open + decimal value + close for every unit, with nothing between.
    void addWide(const XXWCHAR* text, char open = '{', char close = '}');
    // Wide text as a wide token, narrow text quoted.
    void addString(const XXSTRING& text, char q = '"', char open = '{', char close = '}');
    // Writes the line and a line end, then clears it. False when output is not open or the
    // write failed.
    bool endLine();

    // --- writing ---
    // Each is false when output is not open or the system refused the bytes (reported once
    // per open file). Output is buffered; close() or flush() hands it to the system.
    bool write(const void* bytes, int64_t n);
    bool write(const XXSTRING& text);
    bool write(const XXWSTRING& text);     // 2 bytes per unit, in machine order
    bool writeLine(const char* text);      // the text and a line end
    bool putByte(unsigned char b);
    bool flush();

    // --- file times of the raw-read file ---
    // which: 1 creation, 3 last access, anything else last write; in local time, as
    // "YYYY-MM-DD HH:MM:SS" with the time or "YYYY-MM-DD" without. "" when no file is open
    // for raw reading or its times cannot be read. The times come with the status read when
    // the file was opened (a scan over many files asks three times per file).
    XXSTRING fileTime(int32_t which, bool withTime) const;
    XXSTRING fileDate(int32_t which) const { return fileTime(which, false); }
    XXSTRING fileDateTime(int32_t which) const { return fileTime(which, true); }
    // The file was created after `time` (nanoseconds since 1970 UTC, see fileTimeFine()).
    bool createdAfter(int64_t time) const;

private:
    bool openFile();
    // Takes the lock of a locked output; false (with the reason) when it cannot be had.
    bool lockOutput();
    void unlockOutput();
    bool closeFile(bool mayReport);
    bool fillInput();
    bool putBytes(const char* bytes, size_t n);
    bool flushOutput(bool mayReport);
    void resetReading();
    void skipBlanks();
    // Starts a token: room for `extra` more bytes, then a space unless the line is empty.
    void separate(int64_t extra);
    void reportWriteFailure(int code, bool mayReport);
    // The raw-read file's times; null when they could not be read.
    const FileTimes* times() const;

    XXSTRING path_;
    XXSTRING name_;
    int32_t mode_ = 0;
    int32_t openMode_ = 0;     // the mode of the open file, 0 when closed
    int fd_ = -1;
    bool failed_ = false;
    bool atEnd_ = false;
    bool writeReported_ = false;
    bool translateLf_ = false;
    bool locking_ = false;
    bool callerReports_ = false;
    bool lockHeld_ = false;          // this stream holds its file's entry in the lock register
    uint64_t lockDevice_ = 0;
    uint64_t lockInode_ = 0;
    XXSTRING errorText_;
    char quote_ = '"';
    LineEnd lineEnd_ = LineEnd::lf;
    FileStatus status_;

    static constexpr int64_t initialPosition = -1;
    int64_t position_ = 0;
    int64_t prevPosition_ = initialPosition;
    // Where the descriptor's own offset is (the adopted bytes were read before it).
    int64_t fdAt_ = 0;

    // The first bytes of an adopted raw file, read before the stream took it.
    std::unique_ptr<unsigned char[]> adopted_;
    int64_t adoptedCount_ = 0;
    int64_t adoptedCapacity_ = 0;

    // Text input: a block of the file and the read point within it.
    std::unique_ptr<char[]> input_;
    int32_t inputLength_ = 0;
    int32_t inputAt_ = 0;
    bool inputEnded_ = false;

    // Output waiting to be handed to the system.
    std::unique_ptr<char[]> output_;
    size_t outputLength_ = 0;

    XXSTRING line_;
    int32_t cursor_ = 0;
    int32_t tokenStart_ = 0;
    XXSTRING token_;
    XXWSTRING wtoken_;
    bool quoted_ = false;
};
