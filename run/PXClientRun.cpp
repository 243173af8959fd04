// The run of a client: the frame every run has (log, extension library, preparation, the
// run-start and closing lines), the steps every scanner takes before its first input and
// after its last, and the pre- and post-processors.
#include <string>

#include "definitions/PXGraphs.h"
#include "definitions/IPXDefinition.h"
#include "foundation/XXFILENAME.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"
#include "run/PXClient.h"
#include "run/StreamDest.h"
#include "run/TitledError.h"

namespace {

constexpr const char* kCallbackSymbol = "QNCallback01";
constexpr const char* kOutputIncomplete = "some output could not be written";

}  // namespace

int32_t PXClient::run(PXInst& run) {
    init();
    run.begin();
    run.engine = engine_;
    runMessage_ = "";
    unreadInputs_ = 0;
    terminated_ = false;

    XXSTRING logFile = formText(logName, 0);
    if (logFile.length() == 0 && logName.fieldDef(0)) logFile = logName.fieldDef(0)->defaultText;
    // Names from a definition made on Windows may separate folders with "\".
    logFile = XXFILENAME(logFile);
    dests_.startRun();
    // The trace of a run starts anew, with its pre-processors' traces when they write one.
    dests_.setTraceMode(StreamDest::createMode);
    if (log_.open(logFile, toBool(formText(logName, 1)))) {
        dests_.noteLog(logFile);
    } else {
        Error e;
        e << loadString(28) << " " << logFile << ": " << log_.reason() << endMsg;
        dests_.noteFailure();
    }

    extensionLib_.setFileName(formText(extensionDll, 0));
    if (engine_) {
        QNCallback01 callback = nullptr;
        if (extensionLib_.load()) callback = reinterpret_cast<QNCallback01>(extensionLib_.symbol(kCallbackSymbol));
        engine_->setCallback(callback);
    }

    log_.writeLine(runStartLine(appTag, definitionName_).c_str());
    logWritesAtStart_ = logWriteCount();
    takeRunStartTime();

    int32_t result = 0;
    try {
        result = runSteps(run);
    } catch (const XXSTRING& reason) {
        // Too many errors: the error path ends the run by throwing its last text.
        abortRun(run, reason);
    }
    if (runMessage_.length() > 0) log_.writeLine(runMessage_);
    if (logWriteCount() != logWritesAtStart_) addToRunMessage(loadString(1069));

    if (run.isRunning()) run.end();
    log_.writeLine(elapsedLine(run.elapsed()).c_str());
    log_.writeLine(runCompleteLine(appTag).c_str());
    log_.close();
    failures_ = outputFailures();
    if (engine_) engine_->setCallback(nullptr);
    extensionLib_.unload();
    return result;
}

// Preparation, the graph check and the run body (steps 6 to 8 of a run).
int32_t PXClient::runSteps(PXInst& run) {
    int32_t result = 0;
    if (engine_) {
        const bool usable = prepareForRun();
        bool startable = true;
        if (engine_->nodeCount() == 0) {
            message(loadString(1048));
        } else {
            PXGraph* graph = &engine_->mainGraph();
            PXGraphs* graphs = nullptr;
            if (selectedGraph >= 0 && engine_->definition().grabGraphs(graphs) == 2) {
                graph = graphs->groupIfAny(selectedGraph);
                engine_->definition().releaseGraphs();
            }
            if (!graph || !graph->startNode()) {
                TitledError e("PXClient::run");
                e << "!Node1" << endMsg;
                startable = false;
            }
        }
        if (usable && startable) {
            runBody(run);
            result = 2;
        }
    }
    return result;
}

bool PXClient::prepareForRun() {
    if (!engine_) return false;
    const bool usable = engine_->prepare(false) == 2;
    if (const int32_t n = engine_->errorCount(); n > 0) {
        Error e;
        e << loadString(1094) << ":";
        for (int32_t i = 0; i < n; ++i) e << "\n" << engine_->errorText(i);
        e << endMsg;
    }
    return usable;
}

int32_t PXClient::outputFailures() const { return dests_.failures() + (log_.writeFailed() ? 1 : 0); }

void PXClient::addToRunMessage(const char* part) {
    if (runMessage_.length() > 0) runMessage_ << " - ";
    runMessage_ << part;
}

void PXClient::abortRun(PXInst& run, const XXSTRING& reason) {
    XXSTRING text;
    text << "Exception thrown (" << reason << ") - run terminated.";
    dests_.closeAll();
    closeDatabase();
    run.setHalt(2);
    terminated_ = true;
    runMessage_ = text;
    message(text);
}

void PXClient::runBegin(PXInst& run) {
    run.setHalt(0);
    run.debug = debugSwitch;
    run.trace = traceSwitch;
    run.matchCount = 0;
    run.engine = engine_;
    runMessage_ = "";
    preRunHook(run);
    // Preparation made no file, and pre-processors take the start time again after theirs.
    // Files the run opens itself (outputs, the trace, its log) are told by identity. A
    // database or an extension library may make files the run cannot name, which the bypass
    // rule must tell by their stamps: only then must the file clock pass the start time
    // before anything is made (up to a clock tick of waiting).
    if (formText(databaseGrid, 0).length() > 0 || extensionLib_.isLoaded()) settleRunStartTime();
    connectDatabase(true, true);
    if (engine_) engine_->phase(1, run);
}

void PXClient::runEnd(PXInst& run, const char* summary) {
    if (engine_) engine_->phase(6, run);
    dests_.closeAll();
    closeDatabase();
    postRunHook(run);
    // A pre- or post-processor shares the run context of the run it serves, which goes on.
    if (!nested_) run.end();
    runMessage_ << summary;
    if (outputFailures() > 0) addToRunMessage(kOutputIncomplete);
    message(runMessage_);
}

void PXClient::runProcessors(XXGRID& grid, PXInst& run, bool pre) {
    if (grid.rowCount() == 0) return;
    std::unique_ptr<PXClient> fresh = freshClient();
    if (!fresh) return;
    fresh->parent_ = this;
    fresh->nested_ = true;
    fresh->appTag = appTag;
    fresh->appTitle = appTitle;
    fresh->version = version;
    fresh->traceFileName = traceFileName;
    fresh->debugSwitch = debugSwitch;
    fresh->traceSwitch = traceSwitch;
    fresh->init();
    // One trace file serves the whole run: the first pre-processor starts it, and every
    // later writer (the next processors, the run itself after its pre-processors, its
    // post-processors) adds to it.
    fresh->dests_.setTraceMode(pre ? StreamDest::createMode : StreamDest::appendMode);

    int32_t ran = 0;
    for (int32_t r = 0; r < grid.rowCount(); ++r) {
        const XXFLD* cell = grid.getCell(0, r);
        const XXFILENAME name(cell ? cell->getText() : "");
        if (name.length() == 0) continue;
        if (isRunningDefinition(name)) {
            // A chain of processors that leads back to a definition already running would
            // never end.
            XXMSG log(2);
            log << loadString(pre ? 1088 : 1089) << " (" << name << ") skipped - the definition is already running"
                << toLog;
            continue;
        }
        if (!fresh->load(name)) continue;
        if (!fresh->prepareForRun()) {
            XXMSG log(2);
            log << loadString(pre ? 1088 : 1089) << " (" << name << ") skipped - the definition has errors" << toLog;
            continue;
        }
        XXSTRING note;
        note << loadString(pre ? 1088 : 1089) << " (" << name << ") ...";
        message(note);
        fresh->takeRunStartTime();
        fresh->dests_.startRun();
        fresh->unreadInputs_ = 0;
        fresh->scanInputs(run);
        for (int32_t i = fresh->dests_.failures(); i > 0; --i) dests_.noteFailure();
        unreadInputs_ += fresh->unreadInputs_;
        ++ran;
        fresh->dests_.setTraceMode(StreamDest::appendMode);
        if (pre) dests_.setTraceMode(StreamDest::appendMode);
    }
    fresh.reset();
    run.engine = engine_;
    if (ran > 0 && pre) takeRunStartTime();
    if (ran > 0 && !pre) message(loadString(1090));
}
