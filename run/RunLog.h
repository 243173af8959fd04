// RunLog: the log file of a run, and the lines that open and close every run.
//
// While a run is going on the log is the run log of the run's thread: every mode-2
// message becomes one line of the file (a message that does not end with a line end gets
// one). The lines the run itself writes (the run-start line, the summary, the elapsed time
// and "run complete") go straight to the file and do not count as messages, so that a run
// whose only log lines are these does not ask the user to look at the log.
//
// The folders the log's name needs are made, and the file is locked while it is open (a
// second run with the same log waits for the first, see XXSTREAM). A log that cannot be
// opened loses the run's messages; the run goes on. The first write the system refuses is
// reported on the error path, and writeFailed() tells the run.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/XXMSG.h"
#include "foundation/XXSTREAM.h"
#include "run/DirSearch.h"

class RunLog : public IXXLOG {
public:
    RunLog() = default;
    ~RunLog() override;
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Opens `name`, appending to it or creating it anew, and installs the log as the run log
    // of the calling thread. False when the file cannot be opened (nothing is installed).
    bool open(const char* name, bool append);
    // Restores the thread's previous run log and closes the file.
    void close();
    bool isOpen() const { return file_.isOpen(); }
    // Whether the log is open and `id` is its file.
    bool holds(const FileId& id) const;
    // Why the last open failed, in the system's words.
    const XXSTRING& reason() const { return reason_; }
    // A write to the log since it was opened was refused.
    bool writeFailed() const { return writeFailed_; }

    void logWrite(const char* text, int32_t length) override;
    // A line that is not counted as a message.
    void writeLine(const char* text);

private:
    // Reports the first refused write.
    void checkWrite();

    XXSTREAM file_;
    XXSTRING reason_;
    bool writeFailed_ = false;
    IXXLOG* previous_ = nullptr;
    bool installed_ = false;
};

// "2026-01-05  09:03:07.045  Quillon run start [/defs/inv.QXD]": the local date and time,
// the application tag and the definition file.
std::string runStartLine(const char* appTag, const char* definition);
// " 0.016 seconds".
std::string elapsedLine(int32_t milliseconds);
// "Quillon run complete".
std::string runCompleteLine(const char* appTag);
