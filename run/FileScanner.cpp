#include "run/FileScanner.h"

#include <cstring>

#include "definitions/PXClientSchema.h"
#include "engine/IPXEngine.h"
#include "foundation/XXINBUF.h"
#include "foundation/XXSTREAM.h"
#include "foundation/XXSTRTABLE.h"
#include "run/FileGridIterator.h"
#include "run/PXClient.h"
#include "run/ReadAhead.h"

namespace {

// The window over the files of a scan. Each fill that reaches past the furthest byte read so
// far in the file adds the difference to the scan's byte count. The file it closes is closed
// by the reader of the files ahead, off the scan's thread.
class CountingBuffer : public XXINBUF {
public:
    CountingBuffer(std::atomic<int64_t>& total, ReadAhead& ahead) : total_(total), ahead_(ahead) {}
    // The next file is read from its beginning.
    void nextFile() { furthest_ = 0; }
    int32_t load() override {
        const int32_t n = XXINBUF::load();
        count();
        return n;
    }
    bool iChkReload(int32_t p, int32_t n) override {
        const bool ok = XXINBUF::iChkReload(p, n);
        count();
        return ok;
    }
    bool iChkReload(int32_t* p, int32_t n) override {
        const bool ok = XXINBUF::iChkReload(p, n);
        count();
        return ok;
    }
    void close() override {
        if (XXSTREAM* stream = getStream()) ahead_.closeLater(stream->release());
        XXINBUF::close();
    }

private:
    void count() {
        const int64_t base = getBaseOffset();
        if (base < 0 || base + getCount() <= furthest_) return;
        total_.fetch_add(base + getCount() - furthest_, std::memory_order_relaxed);
        furthest_ = base + getCount();
    }

    std::atomic<int64_t>& total_;
    ReadAhead& ahead_;
    int64_t furthest_ = 0;
};

}  // namespace

FileScanner::FileScanner(PXClient& client) : client_(client) {
    PXClientChoosers choosers;
    choosers.fileName = client.fieldHelper(0);
    buildFilesGrid(files, choosers);
    client.addInputGrid(files);
    client.addSource(streamName_);
    client.addSource(fullStreamName_);
    client.addSource(fileDate_);
    client.addSource(fileDateTime_);
}

int32_t FileScanner::scan(PXInst& run) {
    XXSTREAM input;
    filesVisited = 0;
    bytesRead = 0;
    // Opens and reads the start of the next files while one is scanned.
    ReadAhead ahead(XXINBUF::defaultCapacity);
    CountingBuffer buffer(bytesRead, ahead);
    buffer.setStream(&input);
    IXXINBUF* const previousBuffer = run.buffer;
    IXXINBUF* const previousSource = client_.inputBufferSource().buffer();
    run.buffer = &buffer;
    client_.inputBufferSource().setBuffer(&buffer);

    client_.runBegin(run);

    int32_t count = 0;
    FileGridIterator it(&files, specCol, scanCol, subdirCol, hiddenCol);
    const ReadAhead::Peek peek = [&it](int32_t ahead, XXSTRING& path) { return it.peek(size_t(ahead), path); };
    while (it.next()) {
        if (run.haltAtLeast(2)) break;
        const XXSTRING path(it.fullPath());
        run.matchCount = 0;
        streamName_.setFromPath(path);
        fullStreamName_.setText(path);
        // Counted as its scan starts, so that progress shows the file under way.
        filesVisited.fetch_add(1, std::memory_order_relaxed);
        XXSTRING note;
        note << " " << loadString(1075) << " " << path;
        client_.message(note);
        int64_t bytes = 0;
        const bool opened = ahead.adoptInto(path, input) || input.open(path, XXSTREAM::readRaw);
        ahead.fill(peek);
        if (opened) {
            // The date is the date and time up to its space: one calendar conversion a file.
            const XXSTRING dateTime = input.fileDateTime(0);
            const char* const space = std::strchr(dateTime.text(), ' ');
            fileDate_.setText(space ? XXSTRING(dateTime.text(), int32_t(space - dateTime.text())) : dateTime);
            fileDateTime_.setText(dateTime);
            // Made after the run began, or written by this run however close in time (told
            // by the identity of the file opened, which the open has read already).
            FileId id;
            if (input.createdAfter(client_.runStartTime()) || (fileIdOf(input, id) && client_.wroteDuringRun(id))) {
                XXMSG log(2);
                log << loadString(1076) << ": " << path << toLog;
            } else {
                client_.destinations().notifyAll(2, it.spec(), path);
                // Taken first: the scan closes the stream when it ends.
                bytes = input.fileSize();
                buffer.nextFile();
                if (IPXEngine* engine = client_.engine()) engine->scanStream(run);
            }
            buffer.close();
        } else {
            // Listed but unreadable (gone since, a dangling link, no permission): the log keeps
            // its line and the user hears of it, as the run has not read all it was asked to.
            client_.cannotOpen(path);
            Error e;
            e << loadString(28) << " " << path << ": " << input.lastErrorText() << endMsg;
            client_.noteUnreadInput();
        }
        ++count;
        if (fileDone) fileDone(path, bytes);
    }

    streamName_.setText("");
    fullStreamName_.setText("");
    fileDate_.setText("");
    fileDateTime_.setText("");

    XXSTRING summary;
    summary << loadString(1065) << ":  " << count;
    client_.runEnd(run, summary);
    // The buffer goes with this call; nothing may point at it afterwards.
    run.buffer = previousBuffer;
    client_.inputBufferSource().setBuffer(previousSource);
    return 2;
}
