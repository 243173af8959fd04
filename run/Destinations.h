// Destinations: every place a run writes to, addressed by index.
//
// synch() rebuilds the set from the definition before every run and after every load:
//   index 0            the trace file (always; -3 reaches it)
//   1 .. n             one StreamDest per row of the output files grid, in row order, or,
//                      when there are none, the default file "out.tmp"
//   after them         one DBDest per column of every table of the connected database
// and writes the names into the destinations grid (row i = destination i: the row's tag, or
// table.column) and the table names into the tables grid, so that the row an output action
// names is the index it stores. Index -2 (and any other negative index except -3) is the
// default destination, created on first use when the output rows left none.
//
// get() opens lazily: a database column without a database gives null; a file that cannot
// be opened is given all the same (its writes fail), so that its output does not go to the
// default output instead. The last two input
// names announced (notifyAll 2) are kept split for the output actions, and the files the run
// has written are remembered, so that the file input can pass them over. Outputs that fail
// (files that cannot be opened or written, rows and SQL statements the database refuses)
// are reported on the error path and counted, so that the run can say that its output is
// incomplete; a table's first refused row is reported, every one is counted and logged, and
// every refused statement is reported with the data source and the statement. A row or statement that
// keeps the run waiting (a database locked by another program) is reported once a run.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "dblib/IQXDB.h"
#include "engine/IDests.h"
#include "foundation/GLIST.h"
#include "foundation/XXFILENAME.h"
#include "foundation/XXGRID.h"
#include "run/DBWaitNotice.h"
#include "run/OutputRecord.h"

class Destinations : public IDests {
public:
    static constexpr const char* defaultFileName = "out.tmp";

    Destinations() = default;
    ~Destinations() = default;
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    // --- IDests ---------------------------------------------------------------------------
    int32_t noop() override { return 2; }
    int32_t clear() override;
    int32_t closeAll() override;
    // Kind 4: write the staged row of table `table`; the database's message lines go to the
    // log and are cleared. kStreamEndEvent: commit the rows written so far.
    int32_t event(int32_t kind, int32_t table) override;
    // Commits the rows written so far, then runs the statement.
    int32_t exeSQL(const char* statement) override;
    Destination* get(int32_t index) override;

    // Rebuilds the set (see above). Any grid may be null; `db` null means no database.
    void synch(XXGRID* outputFiles, IQXDB* db, XXGRID* destinations, XXGRID* tables);
    // The default and trace indexes, creating the destination when it does not exist yet;
    // 0 (after an Error) when it cannot be made.
    int32_t getDefaultIdx();
    int32_t getTraceIdx();
    // Event 2: a new input stream; `name` is what the input was chosen by (the spec or the
    // folder), `fullName` its path. Every destination is told.
    void notifyAll(int32_t event, const char* name, const char* fullName);

    // The files written by this run: the destinations note every file they open, the client
    // its log. startRun() forgets them; wroteDuringRun() tells whether the file `id` is one of
    // them, so that a run never reads back its own output, however close in time it was made.
    void startRun() {
        record_.clear();
        refusedTables_.clear();
        sqlWithoutDatabaseReported_ = false;
    }
    void noteWritten(const char* path);
    // The run's log, open at `path`: written by the run, and never an output of it.
    void noteLog(const char* path);
    bool wroteDuringRun(const FileId& id) const;
    // Whether the file `id` is one that one of the destinations has open now.
    bool holdsOpen(const FileId& id) const;
    // Failures of outputs since startRun (see above); a failure found elsewhere (the log).
    int32_t failures() const { return record_.failures; }
    void noteFailure() { ++record_.failures; }
    void setTraceFileName(const char* name) { traceFileName_ = name; }
    // How the trace file is opened at its first write: created anew, or appended to (the
    // runs of pre- and post-processors add to the trace of the run they serve).
    void setTraceMode(int32_t mode) { traceMode_ = mode; }
    // The file and open mode of the default destination made by the next synch or first use
    // ("out.tmp", created anew, unless a host says otherwise).
    void setDefaultFile(const char* name, int32_t mode) {
        defaultFile_ = name;
        defaultMode_ = mode;
    }
    const XXSTRING& traceFileName() const { return traceFileName_; }
    void setDB(IQXDB* db) { db_ = db; }
    // The data source the database is connected to, for the messages that name it.
    void setSourceName(const char* name) { sourceName_ = name; }
    IQXDB* db() const { return db_; }

    int32_t count() const { return dests_.count(); }
    // The destination at `index` as it is (no lazy opening); null when there is none.
    Destination* at(int32_t index) const { return dests_.at(index); }
    int32_t defaultIdx() const { return defaultIdx_; }
    int32_t traceIdx() const { return traceIdx_; }
    const XXFILENAME& inputName() const { return inputName_; }
    const XXFILENAME& inputFullName() const { return inputFullName_; }

private:
    bool createTrace();
    bool createDefault();
    // Copies the database's message lines to the log and clears them.
    void logDBMessages();
    // Makes the rows written so far durable (the database library groups them in
    // transactions; closing a table commits them). A commit that fails is an Error with the
    // database's reason and the rows lost; false then.
    bool commitRows();

    LIST<Destination> dests_;
    int32_t defaultIdx_ = -1;
    int32_t traceIdx_ = -1;
    XXSTRING traceFileName_;
    int32_t traceMode_ = 8;     // StreamDest::createMode
    XXSTRING defaultFile_{defaultFileName};
    int32_t defaultMode_ = 8;   // StreamDest::createMode
    IQXDB* db_ = nullptr;
    XXFILENAME inputName_;
    XXFILENAME inputFullName_;
    OutputRecord record_;
    std::set<int32_t> refusedTables_;   // tables with a refused row reported in this run
    std::set<int32_t> rowTables_;       // tables written to since the last commit
    DBWaitNotice dbWait_;
    XXSTRING sourceName_;
    bool sqlWithoutDatabaseReported_ = false;
};
