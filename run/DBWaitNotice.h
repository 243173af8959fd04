// DBWaitNotice: says so when a call into the database keeps the run waiting.
//
// A database that another program holds locked makes a row wait inside the driver, which
// may take minutes before it gives up; meanwhile the run is silent. The calls that write
// rows and statements are bracketed with begin() and end() (cheap: a lock each); a watcher
// thread, started at the first call, looks a few times a second whether the call under way
// began more than a second ago, and then reports once per run on the error path which data
// source the run waits for. The report comes from the watcher's thread, while the run's
// thread is held in the call. A call that keeps waiting after the process was asked to stop
// (Ctrl-C) is cancelled through the database library, so that the run can end; what that
// call was writing is then reported as not written.
//
// Not copyable: it owns the watcher thread, which runs from the first call of a run to
// finish() (or the object's end).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "dblib/IQXDB.h"

class DBWaitNotice {
public:
    explicit DBWaitNotice(std::chrono::milliseconds patience = std::chrono::milliseconds(1000));
    ~DBWaitNotice();
    DBWaitNotice(const DBWaitNotice&) = delete;
    DBWaitNotice& operator=(const DBWaitNotice&) = delete;

    // A call into `db` for the data source `source` begins, or the one under way ends.
    void begin(const char* source, IQXDB* db);
    void end();
    // The run has ended: the watcher stops, and the next run may report a wait again.
    void finish();

private:
    void watch();

    const std::chrono::milliseconds patience_;
    std::mutex lock_;
    std::condition_variable changed_;   // stopping_ was set
    std::thread watcher_;
    bool stopping_ = false;
    bool inCall_ = false;
    bool reported_ = false;
    bool cancelled_ = false;   // the call under way was asked to stop
    IQXDB* db_ = nullptr;      // the library of the call under way
    std::chrono::steady_clock::time_point started_;
    std::string source_;
};
