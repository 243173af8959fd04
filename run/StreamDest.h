// StreamDest: an output file as a destination.
//
// The file opens lazily, at the first request for output of a cycle (ensureOpen). Without
// wildcards the spec is the file name and the file, once open, stays open for the run. With
// "*" or "?" in the spec the name is rebuilt from each input stream: every new input
// (notify 2) starts a new cycle, and the next output reopens under the name that reconcile
// makes from the input's drive, directory, name and extension and the spec's. A file that
// cannot be opened is logged once per cycle ("Unable to open" and the name); requests in the
// rest of the cycle get the destination with its file closed, and their writes fail.
//
// Guards keep a run from destroying data: within one run a wildcard name that comes round
// again (two inputs mapping to one output) is reopened for appending, not truncated; an
// output name that is the input file being read, or the run's log, is refused; and an
// output whose file another output of the run has open writes through that one, so the
// writes stay in order instead of a second handle writing over the first one's bytes.
//
// Writes go straight to the stream; each returns 2 only when the stream took the bytes.
// The reset flag is ignored (it matters to database columns only).
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "engine/Destination.h"
#include "foundation/XXFILENAME.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTREAM.h"
#include "run/OutputRecord.h"

class StreamDest : public XXSTREAM, public Destination {
public:
    static constexpr int32_t createMode = XXSTREAM::writeBinary;    // 8
    static constexpr int32_t appendMode = XXSTREAM::appendBinary;   // 128

    StreamDest(const char* spec, int32_t mode);
    ~StreamDest() override;

    int32_t write(const unsigned char* bytes, int32_t length, bool reset) override;
    int32_t writeText(const char* text, int32_t length, bool reset) override;
    int32_t writeWide(const XXWCHAR* text, int32_t length, bool reset) override;
    int32_t writeString(const XXSTRING& text, bool reset) override;
    int32_t writeWString(const XXWSTRING& text, bool reset) override;
    int32_t putByte(unsigned char byte) override;
    int32_t flushBytes(bool reset) override;
    int32_t open() override;
    int32_t reset() override;
    int32_t notify(int32_t event, const char* inputName) override;
    int32_t ensureOpen() override;
    int32_t close() override;

    // One part of an output name built from the same part of the input name:
    //   - an empty pattern gives the source unchanged;
    //   - from the left, up to a "*": "?" copies the next source character, any other
    //     character replaces one source character ("+" before it inserts it instead);
    //   - after a "*", the rest of the pattern is laid from the right in the same way over
    //     the source characters the left part did not use, and the source characters in
    //     between are kept.
    // So with input report.txt the spec *.bak gives report.bak; abcdef with ?x* gives
    // axcdef; abc with +x* gives xabc; data with *_old gives _old, with *_+o+l+d+ data_old.
    static XXSTRING reconcile(const char* source, const char* pattern);

    // Where the files this destination opens and its failures are noted, or null.
    void setRecord(OutputRecord* record) { record_ = record; }

    const XXSTRING& spec() const { return spec_; }
    int32_t mode() const { return mode_; }
    bool hasWildcards() const { return wildcard_; }
    // The output name of the current cycle (the spec without wildcards).
    XXSTRING outputName() const;

private:
    // 2 when the stream took the bytes; the first refusal on an open file is reported.
    int32_t result(bool ok);
    // The output this one writes through, or null when it writes its own file. When that
    // output has let the file go, this one opens it itself, appending.
    StreamDest* sharedHolder();
    // Notes in the record that this output has its file open now, or no longer.
    void enterRecord();
    void leaveRecord();
    // "Unable to open" / "Unable to write" with the name and `reason`, in the log and on the
    // error path, counted as a failure of the run.
    void reportFailure(const char* what, const char* reason);

    XXSTRING spec_;
    int32_t mode_;
    bool wildcard_ = false;
    XXFILENAME specParts_;
    XXFILENAME input_;
    bool tried_ = false;
    bool needsOpen_ = true;
    bool refusedInput_ = false;   // the last open was refused: the name is the input
    StreamDest* sharer_ = nullptr;  // the output whose open file this one writes through
    FileId sharedId_;
    bool writeReported_ = false;  // a failed write of the open file has been reported
    XXSTRING reason_;             // why the last open failed
    // Names this destination has opened in the current run.
    std::set<std::string> opened_;
    OutputRecord* record_ = nullptr;
    XXMSG msg_{2};
};
