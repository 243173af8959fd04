#include "run/PXClient.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "definitions/PXClientSchema.h"
#include "definitions/PXDefinition.h"
#include "foundation/XXFILENAME.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/platformfile.h"

namespace {

// The canonical form of an existing file's path ("" when it cannot be resolved), so that
// two spellings of one definition compare equal.
XXSTRING canonicalPath(const char* path) {
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(path ? path : "", ec);
    return ec ? XXSTRING() : XXSTRING(canonical.string().c_str());
}

// The text without surrounding spaces.
XXSTRING trimmed(const char* text) {
    std::string_view v = text ? text : "";
    while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    return XXSTRING(v.data(), int32_t(v.size()));
}

void setDefault(XXGRID& grid, int32_t col, const char* text) {
    if (XXFLD_DEF* def = grid.fieldDef(col)) def->defaultText = text;
}

}  // namespace

PXClient::PXClient(std::unique_ptr<IPXEngine> engine) : ownedEngine_(std::move(engine)) {
    callback_.client = this;
    // The client's own sources come first; the scanners add theirs as they are made.
    for (ClientSource* s : {static_cast<ClientSource*>(&definitionNameSource_), static_cast<ClientSource*>(&time24_),
                            static_cast<ClientSource*>(&date_), static_cast<ClientSource*>(&inputBuffer_)})
        sources_.add(*s);
}

PXClient::~PXClient() {
    closeDatabase();
    if (db_) {
        if (auto release = reinterpret_cast<QNReleaseIDBFn>(dbLib_.symbol(kReleaseIDBSymbol))) release(db_);
        db_ = nullptr;
    }
    dests_.setDB(nullptr);
    dests_.clear();
    // The engine points at the grids and sources below; it goes first.
    engine_ = nullptr;
    ownedEngine_.reset();
    dbLib_.unload();
}

// --- set-up ------------------------------------------------------------------------------

bool PXClient::init() {
    if (initialised_) return engine_ != nullptr;
    initialised_ = true;
    engine_ = ownedEngine_.get();

    PXClientChoosers choosers;
    choosers.fileName = fieldHelper(3);
    choosers.file = fieldHelper(3);
    choosers.definitionFile = fieldHelper(3);
    choosers.dataSource = fieldHelper(4);

    XXCHECKER* tagChecker = nullptr;
    if (engine_) {
        engine_->buildSchema();
        if (auto* definition = dynamic_cast<PXDefinition*>(&engine_->definition())) {
            tagChecker = &definition->tagChecker2;
            definition->setClientChoosers(choosers.definitionFile, choosers.file);
        }
    }

    buildLogNameGrid(logName, choosers);
    setDefault(logName, 0, "Log.tmp");
    buildExtensionDllGrid(extensionDll, choosers);
    buildFileViewerGrid(fileViewer, choosers);
    setDefault(fileViewer, 0, "xdg-open");
    buildDatabaseGrid(databaseGrid, choosers);
    buildPreProcessorsGrid(preProcessors, choosers);
    buildPostProcessorsGrid(postProcessors, choosers);
    buildOutputFilesGrid(outputFiles, choosers, tagChecker);
    buildDestinationsGrid(destinationsGrid);
    buildTablesGrid(tablesGrid);

    for (XXGRID* g : {&logName, &extensionDll, &fileViewer, &databaseGrid, &preProcessors, &postProcessors,
                      &outputFiles})
        ownGrids_.add(g);
    for (XXGRID* g : inputGrids_) ownGrids_.add(g);
    for (XXGRID* g : ownGrids_) defIO_.clientGrids.add(g);

    if (engine_) {
        defIO_.engine = &engine_->definition();
        engine_->addGrid(sources_, true);
        engine_->addGrid(tablesGrid, false);
        engine_->addGrid(destinationsGrid, false);
        engine_->setUp(static_cast<IQN01*>(&callback_), &sources_, &dests_);
        engine_->setAppTag(appTag);
    }

    if (traceFileName.length() == 0) {
        XXSTRING name(appTag);
        name << "Trace.htm";
        traceFileName = trimmed(name);
    }
    dests_.setTraceFileName(traceFileName);
    dests_.synch(&outputFiles, nullptr, &destinationsGrid, &tablesGrid);
    return engine_ != nullptr;
}

void PXClient::addInputGrid(XXGRID& grid) {
    if (inputGrids_.indexOf(&grid) >= 0) return;
    inputGrids_.add(&grid);
    if (initialised_) {
        ownGrids_.add(&grid);
        defIO_.clientGrids.add(&grid);
    }
}

// --- definitions -------------------------------------------------------------------------

XXSTRING PXClient::resolveDefinition(const char* path) const {
    if (isBlank(path)) return XXSTRING();
    XXSTREAM probe;
    if (probe.open(path, XXSTREAM::readText)) return XXSTRING(path);
    const XXFILENAME parts(path);
    if (parts.extension.length() == 0) {
        XXSTRING withExt(path);
        withExt << "." << defIO_.defExt;
        if (probe.open(withExt, XXSTREAM::readText)) return withExt;
    }
    return XXSTRING();
}

bool PXClient::load(const char* path) {
    init();
    definitionName_ = "";
    definitionPath_ = "";
    definitionNameSource_.setText("");

    bool opened = false;
    if (!isBlank(path)) {
        opened = defIO_.open(path, XXSTREAM::readText);
        if (!opened && XXFILENAME(path).extension.length() == 0) {
            XXSTRING withExt(path);
            withExt << "." << defIO_.defExt;
            opened = defIO_.open(withExt, XXSTREAM::readText);
        }
    }
    if (!opened) {
        cannotOpen(path ? path : "");
        return false;
    }
    definitionName_ = path;
    definitionPath_ = canonicalPath(defIO_.getPath());
    definitionNameSource_.setText(path);
    readDefinition();
    defIO_.close();
    return true;
}

void PXClient::clear() {
    if (engine_) engine_->reset();
    for (XXGRID* g : ownGrids_) g->clearRows();
}

bool PXClient::readDefinition() {
    clear();
    if (defIO_.isOpen()) defIO_.in();
    connectDatabase(true);
    return engine_ && engine_->prepare(true) == 2;
}

bool PXClient::wroteDuringRun(const FileId& id) const {
    if (dests_.wroteDuringRun(id)) return true;
    for (const PXClient* c = parent_; c; c = c->parent_)
        if (c->log_.holds(id) || c->dests_.holdsOpen(id)) return true;
    return false;
}

bool PXClient::isRunningDefinition(const char* path) const {
    const XXSTRING wanted = canonicalPath(resolveDefinition(path));
    if (wanted.length() == 0) return false;
    for (const PXClient* c = this; c; c = c->parent_)
        if (c->definitionPath_ == wanted) return true;
    return false;
}

// --- the parts hosts refine --------------------------------------------------------------

void PXClient::runBody(PXInst&) {}
void PXClient::scanInputs(PXInst&) {}
void PXClient::preRunHook(PXInst&) {}
void PXClient::postRunHook(PXInst&) {}
XXCHOOSER* PXClient::fieldHelper(int32_t) { return nullptr; }
std::unique_ptr<PXClient> PXClient::freshClient() { return nullptr; }

void PXClient::message(const char* text) {
    std::fputs(text ? text : "", stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PXClient::cannotOpen(const char* name) {
    if (runLog()) {
        XXMSG log(2);
        log << loadString(28) << " " << name << toLog;
    } else {
        // Outside a run there is no log; the caller still has to hear of it.
        Error e;
        e << loadString(28) << " " << name << endMsg;
    }
}

// --- helpers -----------------------------------------------------------------------------

XXSTRING PXClient::formText(const XXGRID& grid, int32_t col) {
    if (const XXFLD* f = grid.getCell(col, 0)) return XXSTRING(f->getText());
    if (grid.rowCount() == 0 && col >= 0 && col < grid.fieldCount())
        if (const XXFLD_DEF* def = grid.fieldDef(col)) return def->defaultText;
    return XXSTRING();
}

void PXClient::takeRunStartTime() {
    runStartTime_ = fileTimeFine();
    runStartSettled_ = false;
}

void PXClient::settleRunStartTime() {
    if (!runStartSettled_) waitForFileClock(runStartTime_);
    runStartSettled_ = true;
}
