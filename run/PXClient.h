// PXClient: one loaded definition and everything needed to run it.
//
// A client owns the scan engine (seen only through IPXEngine), its own option grids (log
// name, extension library, file viewer, database, pre- and post-processors, output files)
// and the grids it registers with the engine (sources, tables, destinations), the sources
// whose values it supplies, the destinations, the binding of the database library and the
// run log. A client is constructed empty, init() gives it its grids and database binding,
// load() fills it, and run() may follow any number of times.
//
// The work is split by responsibility:
//   PXClient.cpp        construction, init, loading and clearing a definition
//   PXClientRun.cpp     the run, run begin and run end, pre- and post-processors
//   PXClientAccess.cpp  grids, nodes and sources by name (extension libraries, hosts)
//   PXClientDB.cpp      the database library and the connection
//
// A run (run()): open the log, bind the extension library, write the run-start line,
// prepare the engine, check the graph, then runBody(), which hosts make run their scanner
// (scanInputs). Every scanner brackets its inputs with runBegin() and runEnd(). The log ends
// with the elapsed seconds and "run complete".
//
// Hosts override runBody, scanInputs, message, the two hooks and freshClient; the base
// runs nothing and prints its messages on standard output.
#pragma once

#include <cstdint>
#include <memory>

#include "dblib/IQXDB.h"
#include "definitions/PXDefIO.h"
#include "definitions/PXGrids.h"
#include "engine/ClientSource.h"
#include "engine/IPXEngine.h"
#include "foundation/GLIST.h"
#include "foundation/XXLIB.h"
#include "run/ClientSources.h"
#include "run/Destinations.h"
#include "run/PXClientCallback.h"
#include "run/RunLog.h"

class PXClient;
class XXCHOOSER;

class PXClient {
public:
    explicit PXClient(std::unique_ptr<IPXEngine> engine);
    virtual ~PXClient();
    PXClient(const PXClient&) = delete;
    PXClient& operator=(const PXClient&) = delete;

    // --- operations hosts refine, in their fixed order -------------------------------------
    // Builds the client grids and sources, registers them with the engine and binds the
    // database library. Later calls do nothing. True when the engine is there.
    virtual bool init();
    // Opens and reads a definition (the definition extension is tried when the path has
    // none); true when it was read. "Unable to open" and the path otherwise.
    virtual bool load(const char* path);
    // Empties the definition; the option grids take their defaults again.
    virtual void clear();
    // Reads the definition from the open definition stream, connects the database,
    // rebuilds the destinations and prepares the engine; true when the engine is usable.
    virtual bool readDefinition();
    virtual void runBody(PXInst& run);
    virtual void scanInputs(PXInst& run);
    // "Unable to open" + " " + name, to the log (or as an error outside a run).
    virtual void cannotOpen(const char* name);
    virtual void message(const char* text);
    virtual void preRunHook(PXInst& run);
    virtual void postRunHook(PXInst& run);
    // The helper of the grid dialogs for a kind of field (0 input file names, 3 file names,
    // 4 data-source names); none here.
    virtual XXCHOOSER* fieldHelper(int32_t kind);
    // A new, empty client of the same class, for pre- and post-processors; none here.
    virtual std::unique_ptr<PXClient> freshClient();

    // --- the run ---------------------------------------------------------------------------
    // The whole run; 2 when the definition was run, 0 when it could not be (the log still
    // gets its lines).
    int32_t run(PXInst& run);
    // The steps every scanner takes before its first input and after its last.
    void runBegin(PXInst& run);
    void runEnd(PXInst& run, const char* summary);
    // Runs the definitions named by the rows of `grid` (pre- or post-processors) in one
    // fresh client, with the same run context.
    void runProcessors(XXGRID& grid, PXInst& run, bool pre);

    // --- grids, nodes and sources ----------------------------------------------------------
    // The grid whose title (or key) is the text of string `labelId`: the engine's first,
    // then the client's own. Marked grabbed; give it back with releaseGrid. An Error when
    // there is none.
    XXGRID* grabGrid(int32_t labelId);
    void releaseGrid(XXGRID* grid);
    // Rows of the grid named by `labelId`; 0 when there is none (no report).
    int32_t rowCount(int32_t labelId);
    // A node of the engine by tag or by number; release it with releaseENode.
    PXNode* grabENode(const char* name);
    PXNode* grabENode(int32_t number);
    void releaseENode(PXNode* node);
    // Sets the client source with that string-table number from text; 2, or 0 after an
    // Error when no source has that number.
    int32_t set(XXID id, const char* value);

    // Access by name (extension libraries, the library interface). Grid names are compared
    // ignoring case and surrounding spaces; "Node" addresses the engine's nodes (field 0 tag,
    // 1 label, 2 narrow string, 3 reference name, 4 wide string). Results 2 / 1 / 0.
    int32_t set(const char* grid, const char* key, int32_t field, const char* text);
    int32_t set(const char* grid, const char* key, int32_t field, const unsigned char* bytes, int32_t length);
    int32_t get(const char* grid, const char* key, int32_t field, const void** value, int32_t* length);
    int32_t get(const char* grid, int32_t row, int32_t field, const void** value, int32_t* length);
    int32_t count(int32_t* n);
    int32_t enumerate(int32_t i, const char** name, int32_t* type, int32_t* value);
    int32_t getInt(const char* name, int32_t* value);

    // --- the database ----------------------------------------------------------------------
    // Loads the database library from the program's directory and takes its interface (once;
    // a library that failed to load is not tried again until releaseDatabase).
    void dbConnect();
    // Connects to the data source named in the "Database" grid (after closing any
    // connection); "Database not available" when a name is given and it cannot be opened,
    // shown as a message, or `forRun` reported as an error and counted as a failure of the
    // run's outputs. With `synch` the destinations are rebuilt.
    bool connectDatabase(bool synch, bool forRun = false);
    // Connects after the user picked a data source and shows what was found.
    bool databaseChosen();
    // Closes the tables and drops the connection.
    void closeDatabase();
    // Gives the database interface back to the library and unloads it; the destinations lose
    // their database columns. The next need of it loads it again.
    void releaseDatabase();

    // --- state -------------------------------------------------------------------------------
    IPXEngine* engine() const { return engine_; }
    Destinations& destinations() { return dests_; }
    ClientSources& sources() { return sources_; }
    PXDefIO& definitionStream() { return defIO_; }
    // The database library's interface, loaded on first use; null when it cannot be loaded.
    IQXDB* database();
    const XXSTRING& connectedDatabase() const { return connectedDB_; }
    bool databaseNotAvailable() const { return dbNotAvailable_; }
    const XXSTRING& definitionName() const { return definitionName_; }
    const XXSTRING& runMessage() const { return runMessage_; }
    // Adds a part to the run message text, after " - " when it has one already.
    void addToRunMessage(const char* part);
    // Outputs of the run under way (or the last one) that failed: files that could not be
    // opened or written, its log among them, and rows the database refused, also in its
    // pre- and post-processors.
    int32_t outputFailures() const;
    // The same, fixed when the last run ended.
    int32_t lastRunFailures() const { return failures_; }
    // Inputs of the run under way (or the last one) that could not be read, each reported
    // when it happened: web pages that could not be fetched, also in its pre- and
    // post-processors.
    int32_t unreadInputs() const { return unreadInputs_; }
    // True when the last run was ended early by the error limit.
    bool runTerminated() const { return terminated_; }
    void noteUnreadInput() { ++unreadInputs_; }
    int64_t runStartTime() const { return runStartTime_; }
    // Notes the run's start time without waiting for the file clock; settleRunStartTime
    // waits, if still needed, before the run can first make a file (files made after it are
    // stamped later than the start, so the bypass rule can tell them apart).
    void takeRunStartTime();
    void settleRunStartTime();
    // The client's own grids (option grids, then input grids), in definition-file order.
    const ALIST<XXGRID>& ownGrids() const { return ownGrids_; }
    // Input grids of the scanners join the client's grids (before init).
    void addInputGrid(XXGRID& grid);
    // Sources of the scanners join the client's sources.
    void addSource(ClientSource& source) { sources_.add(source); }
    InputBuffer& inputBufferSource() { return inputBuffer_; }
    PXClientCallback& callbackObject() { return callback_; }
    // The client that runs this one as a pre- or post-processor, or null.
    PXClient* parent() const { return parent_; }
    // This run wrote the file `id` (an output or its log), or a run it serves as a pre- or
    // post-processor is writing it now: it is not read back. A post-processor reads what the
    // run it serves wrote and closed; only that run's log is still being written.
    bool wroteDuringRun(const FileId& id) const;

    XXSTRING appTag{"Quillon"};
    XXSTRING appTitle{"Quillon"};
    XXSTRING version{"2.82"};
    XXSTRING traceFileName;        // empty: the application tag and "Trace.htm"
    int32_t selectedGraph = -1;    // -1 the main graph
    bool debugSwitch = false;      // persisted switches, copied into every run
    bool traceSwitch = false;

    // The client grids (run-side grids of the definition).
    PXGrid logName;
    PXGrid extensionDll;
    PXGrid fileViewer;
    PXGrid databaseGrid;
    PXGrid preProcessors;
    PXGrid postProcessors;
    PXGrid outputFiles;
    PXGrid destinationsGrid;
    PXGrid tablesGrid;

protected:
    // Text of field `col` of row 0 of a form grid, or its column's default when the grid
    // has no row.
    static XXSTRING formText(const XXGRID& grid, int32_t col);
    // Whether `path` (as load would open it) is the definition of this client or of one that
    // runs it.
    bool isRunningDefinition(const char* path) const;
    // The path load() opens for `path`, or "" when none opens.
    XXSTRING resolveDefinition(const char* path) const;

private:
    // The grid by name for access by name: the engine's first, then the client's own.
    XXGRID* findGridByName(const char* name) const;
    XXGRID* findOwnGrid(const char* name) const;
    // Both forms of set by name: `isText` for a text, otherwise `length` raw bytes.
    int32_t setByName(const char* grid, const char* key, int32_t field, const char* data, int32_t length,
                      bool isText);
    // Preparation, the graph check and the run body; 2 when scanned.
    int32_t runSteps(PXInst& run);
    // Prepares the engine for a run and reports the definition's errors; true when usable.
    bool prepareForRun();
    // The end of a run that an abort exception cut short.
    void abortRun(PXInst& run, const XXSTRING& reason);

    std::unique_ptr<IPXEngine> ownedEngine_;
    IPXEngine* engine_ = nullptr;
    bool initialised_ = false;

    PXDefIO defIO_;
    XXSTRING definitionName_;
    XXSTRING definitionPath_;      // the file actually opened, for the processor guard

    ClientSources sources_;
    ClientSource definitionNameSource_{1915};
    Time24 time24_;
    DateYYYYMMDD date_;
    InputBuffer inputBuffer_;

    ALIST<XXGRID> ownGrids_;
    ALIST<XXGRID> inputGrids_;

    Destinations dests_;
    RunLog log_;
    XXLIB extensionLib_;
    XXSTRING runMessage_;
    int64_t runStartTime_ = 0;
    bool runStartSettled_ = true;
    int32_t logWritesAtStart_ = 0;
    int32_t failures_ = 0;
    int32_t unreadInputs_ = 0;
    bool terminated_ = false;
    bool nested_ = false;          // runs as a pre- or post-processor of another client

    XXLIB dbLib_;
    IQXDB* db_ = nullptr;
    XXSTRING connectedDB_;
    bool dbNotAvailable_ = false;

    PXClientCallback callback_;
    PXClient* parent_ = nullptr;
};
