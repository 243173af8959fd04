#include "library/QNLib.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "definitions/PXClientSchema.h"
#include "engine/PXEngine.h"
#include "foundation/XXSTRTABLE.h"
#include "library/QNLibGuard.h"
#include "library/QNLibModule.h"
#include "run/ConsoleInst.h"
#include "run/FileGridIterator.h"
#include "run/StreamDest.h"

namespace {

constexpr const char* kDefaultDefinition = "QN";
constexpr const char* kTraceFile = "QNTrace.htm";

bool isDirectory(const char* path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// While it lives, row 0 of a form grid holds `text` in field `col`; the rows the grid had
// come back afterwards (a run must not change the definition it serves).
class ScopedRows {
public:
    explicit ScopedRows(XXGRID& grid) : grid_(grid), modified_(grid.modified()) {
        saved_ = grid.replaceRows(copyRows(grid.rowList()));
    }
    ~ScopedRows() {
        grid_.replaceRows(std::move(saved_));
        grid_.setModified(modified_);
    }
    ScopedRows(const ScopedRows&) = delete;
    ScopedRows& operator=(const ScopedRows&) = delete;

private:
    XXGRID& grid_;
    std::unique_ptr<XXROWLIST> saved_;
    bool modified_;
};

// Makes `row` of a file input grid scan the files `pattern` names. A pattern whose file name
// begins with a dot names hidden files, so they are not passed over.
void setFileRow(PXGrid& rows, int32_t row, const char* pattern) {
    const char* slash = std::strrchr(pattern, '/');
    const bool hidden = (slash ? slash[1] : pattern[0]) == '.';
    rows.setText(FileScanner::scanCol, row, "1");
    rows.setText(FileScanner::specCol, row, pattern);
    rows.setText(FileScanner::hiddenCol, row, hidden ? "1" : "0");
}

// The number of files a file pattern names, as the file scanner would find them.
int32_t filesMatching(const char* pattern) {
    PXGrid rows;
    buildFilesGrid(rows, PXClientChoosers{});
    setFileRow(rows, 0, pattern);
    FileGridIterator it(&rows, FileScanner::specCol, FileScanner::scanCol, FileScanner::subdirCol,
                        FileScanner::hiddenCol);
    int32_t n = 0;
    while (it.next()) ++n;
    return n;
}

}  // namespace

QNLib::QNLib() : PXClient(std::make_unique<PXEngine>()) {
    appTag = "Quillon";
    appTitle = "Quillon";
    version = "2.8x";
    traceFileName = kTraceFile;
    scanners_.files.fileDone = [this](const char*, int64_t bytes) {
        ++filesDone_;
        bytesDone_ += bytes;
        if (progress_) progress_(filesDone_, bytesDone_);
    };
}

QNLib::~QNLib() = default;

// --- IQN01 -------------------------------------------------------------------------------

int32_t QNLib::count(int32_t* n) {
    return guarded("IQN01::count", 0, [&] { return PXClient::count(n); });
}

int32_t QNLib::enumerate(int32_t index, const char** name, int32_t* type, int32_t* value) {
    return guarded("IQN01::enumerate", 0, [&] { return PXClient::enumerate(index, name, type, value); });
}

int32_t QNLib::getInt(const char* name, int32_t* value) {
    return guarded("IQN01::getInt", 0, [&] { return PXClient::getInt(name, value); });
}

int32_t QNLib::set(const char* grid, const char* key, int32_t field, const char* text) {
    return guarded("IQN01::set", 0, [&] { return PXClient::set(grid, key, field, text); });
}

int32_t QNLib::setBytes(const char* grid, const char* key, int32_t field, const void* bytes, int32_t length) {
    return guarded("IQN01::setBytes", 0,
                   [&] { return PXClientCallback::setBytesOf(*this, grid, key, field, bytes, length); });
}

int32_t QNLib::get(const char* grid, const char* key, int32_t field, const char** value, int32_t* length) {
    return guarded("IQN01::get", 0,
                   [&] { return PXClientCallback::getText(*this, grid, key, field, value, length); });
}

int32_t QNLib::getAt(const char* grid, int32_t row, int32_t field, const char** value, int32_t* length) {
    return guarded("IQN01::getAt", 0,
                   [&] { return PXClientCallback::getTextAt(*this, grid, row, field, value, length); });
}

int32_t QNLib::setMsg(QNMsgCallback callback) {
    QNLibModule::setCallback(callback);
    callback_ = callback;
    callbackObject().hostMessage = callback;
    return 2;
}

int32_t QNLib::scan(const void* bytes, int32_t length) {
    if (length < 0 || (!bytes && length > 0)) return 0;
    return guarded("IQN01::scan", 0, [&] {
        memory_.setData(bytes, length);
        bufferMode_ = true;
        runOnce();
        bufferMode_ = false;
        // The host's block is only borrowed for the call.
        memory_.setData(nullptr, 0);
        return 2;
    });
}

int32_t QNLib::run() {
    return guarded("IQN01::run", 0, [&] {
        bufferMode_ = false;
        runOnce();
        return 2;
    });
}

int32_t QNLib::unload() {
    return guarded("IQN01::unload", 0, [&] {
        releaseDatabase();
        return 2;
    });
}

// --- loading -----------------------------------------------------------------------------

XXSTRING QNLib::findDefinition(const char* path) const {
    XXSTRING found = resolveDefinition(path);
    // A relative path is also looked for under the library's directory; an absolute one
    // names its file and no other.
    if (found.length() == 0 && !QNLibModule::directory().empty() && path[0] != '/') {
        XXSTRING inLibrary(QNLibModule::directory().c_str());
        inLibrary << path;
        found = resolveDefinition(inLibrary);
    }
    if (found.length() > 0 && isDirectory(found)) return XXSTRING();
    return found;
}

int32_t QNLib::loadDefinition(const char* path) {
    return guarded("IQN01::load", 0, [&] { return loadBody(path); });
}

int32_t QNLib::loadBody(const char* path) {
    status_ = 0;
    definitionStream().readReported = false;
    appTag = "Quillon";
    appTitle = "Quillon";
    definitionStream().defExt = "QXD";
    definitionStream().graphExt = "QXG";
    if (!path) path = kDefaultDefinition;

    init();
    const XXSTRING file = findDefinition(path);
    if (file.length() == 0) {
        // What was loaded before is gone as well: the host sees an empty client.
        clear();
        Error e;
        e << loadString(28) << " " << path << endMsg;
        return status_;
    }
    prepared_ = false;
    if (!PXClient::load(file)) return status_;
    if (prepared_) {
        status_ = 2;
    } else {
        reportDefinitionErrors();
    }
    return status_;
}

bool QNLib::init() {
    const bool ready = PXClient::init();
    if (IPXEngine* e = engine()) e->setAppTag("");
    return ready;
}

bool QNLib::readDefinition() {
    prepared_ = PXClient::readDefinition();
    return prepared_;
}

void QNLib::reportDefinitionErrors() {
    IPXEngine* e = engine();
    if (!e) return;
    Error report;
    report << loadString(1094) << ":";
    if (e->errorCount() == 0) report << " " << definitionName();
    for (int32_t i = 0; i < e->errorCount(); ++i) report << "\n" << e->errorText(i);
    report << endMsg;
}

// --- runs --------------------------------------------------------------------------------

int32_t QNLib::runOnce() {
    filesDone_ = 0;
    bytesDone_ = 0;
    ConsoleInst inst;
    int32_t result = 0;
    if (logOverride_.empty()) {
        result = PXClient::run(inst);
    } else {
        init();
        ScopedRows keep(logName);
        logName.setText(0, 0, logOverride_.c_str());
        result = PXClient::run(inst);
    }
    // A stop request is for the run under way (or the next one, when none was).
    clearStopRequest();
    return result;
}

void QNLib::runBody(PXInst& run) {
    // A client without a usable definition keeps its log lines and scans nothing.
    if (status_ != 2) return;
    if (bufferMode_)
        scanBuffer(run);
    else
        scanInputs(run);
    // A run the host stopped says so in its log.
    if (stopRequested() && run.haltAtLeast(2)) addToRunMessage(loadString(1077));
}

void QNLib::scanInputs(PXInst& run) { scanners_.scan(run); }

void QNLib::scanBuffer(PXInst& run) {
    IXXINBUF* const previousBuffer = run.buffer;
    IXXINBUF* const previousSource = inputBufferSource().buffer();
    run.buffer = &memory_;
    inputBufferSource().setBuffer(&memory_);

    runBegin(run);
    destinations().notifyAll(2, "", "");
    if (IPXEngine* e = engine()) e->scanStream(run);

    XXSTRING summary;
    summary << " " << 1 << " " << loadString(1066) << ", " << run.matchCount << " "
            << loadString(run.matchCount == 1 ? 1210 : 1211) << ".";
    run.buffer = previousBuffer;
    inputBufferSource().setBuffer(previousSource);
    runEnd(run, summary);
}

int32_t QNLib::runFiles(const std::vector<std::string>& patterns, std::vector<int32_t>* filesPerPattern) {
    init();
    if (filesPerPattern) {
        filesPerPattern->clear();
        for (const std::string& pattern : patterns) filesPerPattern->push_back(filesMatching(pattern.c_str()));
    }
    return runOver(scanners_.files.files, MFClient::fileInput, [&](PXGrid& rows) {
        for (size_t i = 0; i < patterns.size(); ++i) setFileRow(rows, int32_t(i), patterns[i].c_str());
    });
}

int32_t QNLib::runURLs(const std::vector<std::string>& urls) {
    init();
    return runOver(scanners_.urlRows, MFClient::urls, [&](PXGrid& rows) {
        for (size_t i = 0; i < urls.size(); ++i) {
            rows.setText(HTTPScanner::scanCol, int32_t(i), "1");
            rows.setText(HTTPScanner::urlCol, int32_t(i), urls[i].c_str());
        }
    });
}

int32_t QNLib::runOver(PXGrid& rows, int32_t kind, const std::function<void(PXGrid&)>& fill) {
    ScopedRows keep(rows);
    rows.clearRows();
    fill(rows);
    const int32_t previous = scanners_.inputKind;
    scanners_.inputKind = kind;
    bufferMode_ = false;
    runOnce();
    scanners_.inputKind = previous;
    return 2;
}

void QNLib::setDefaultOutput(const char* fileName, bool append) {
    destinations().setDefaultFile(fileName && *fileName ? fileName : Destinations::defaultFileName,
                                  append ? StreamDest::appendMode : StreamDest::createMode);
}

// --- messages and processors -------------------------------------------------------------

QNMsgCallback QNLib::messageCallback() const { return callback_ ? callback_ : QNLibModule::callback(); }

void QNLib::message(const char* text) { QNLibModule::send(0, text, messageCallback()); }

void QNLib::preRunHook(PXInst& run) { runProcessors(preProcessors, run, true); }

void QNLib::postRunHook(PXInst& run) { runProcessors(postProcessors, run, false); }

std::unique_ptr<PXClient> QNLib::freshClient() {
    auto fresh = std::make_unique<QNLib>();
    fresh->callback_ = callback_;
    fresh->callbackObject().hostMessage = callbackObject().hostMessage;
    return fresh;
}
