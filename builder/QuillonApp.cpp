#include "builder/QuillonApp.h"

#include <filesystem>
#include <system_error>

#include "builder/IXXView.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"

namespace {

const char* const kLoseChanges = "OK to lose changes?";
const char* const kReady = "Press F1 for help";

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Relative names in a definition (inputs, outputs, the log) are taken from its folder, as
// when quilrun is started there.
void enterFolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(folder, ec);
    if (ec) reportError((std::string("Unable to set current directory to ") + folder.string()).c_str());
}

}  // namespace

QuillonApp::QuillonApp(IXXView& view) : PXCfg(view) {}

std::string QuillonApp::fileFilter() { return std::string("QXD ") + loadString(1224) + " (*.QXD)"; }

void QuillonApp::start(const char* file) {
    setUp();
    recent_.assign(view_.loadRecentFiles());
    if (file && *file) openFile(file);   // a failed load reports the file itself
    view_.setStatus(kReady);
    view_.setTitle(title());
    view_.menusChanged();
}

bool QuillonApp::okToLoseChanges() { return !modified || view_.askYesNo(kLoseChanges); }

bool QuillonApp::okToClose() { return okToLoseChanges(); }

bool QuillonApp::openFile(const std::string& path) {
    if (!load(path.c_str())) return false;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    path_ = ec ? path : absolute.string();
    enterFolderOf(path_);
    modified = false;
    selectedGraph = -1;
    addRecent(path_);
    view_.setTitle(title());
    view_.menusChanged();
    return true;
}

bool QuillonApp::saveTo(const std::string& path) {
    if (!definitionStream().save(path.c_str())) return false;
    path_ = path;
    modified = false;
    view_.setStatus("Saved " + path);
    view_.setTitle(title());
    view_.menusChanged();
    return true;
}

std::string QuillonApp::cellText(const char* name, int32_t row, int32_t col) const {
    const XXGRID* grid = findGrid(name);
    const XXFLD* f = grid ? grid->getCell(col, row) : nullptr;
    return f ? f->getText() : "";
}

std::string QuillonApp::title() const {
    const std::string graph = selectedGraph >= 0 ? cellText(loadString(1276), selectedGraph, 0) : "";
    return windowTitle(appTitle.text(), fileNameOf(path_), cellText(loadString(1093), 0, 0), graph);
}

XXMenuState QuillonApp::menuState() const {
    XXMenuState s;
    s.recentFiles = recent_.paths();
    s.loaded = !path_.empty();
    s.traceOn = traceSwitch;
    s.databaseConfigured = !cellText(loadString(1230), 0, 0).empty();
    for (auto [id, flag] : {std::pair{2204, &s.hasFolders}, {1291, &s.hasURLs}, {1040, &s.hasInputFiles}}) {
        const XXGRID* g = findGrid(loadString(id));
        *flag = g && g->rowCount() > 0;
    }
    if (const XXGRID* out = findGrid(loadString(1043)))
        for (int32_t r = 0; r < out->rowCount(); ++r)
            s.outputs.emplace_back(cellText(loadString(1043), r, 0), cellText(loadString(1043), r, 1));
    if (const XXGRID* sets = findGrid(loadString(1270)))
        for (int32_t r = 0; r < sets->rowCount(); ++r) s.stringSets.push_back(cellText(loadString(1270), r, 0));
    return s;
}

void QuillonApp::addRecent(const std::string& path) {
    recent_.add(path);
    view_.storeRecentFiles(recent_.paths());
}

// --- commands ------------------------------------------------------------------------------

void QuillonApp::notify(int32_t command) {
    if (command >= XXCMD::recentFirst && command <= XXCMD::recentLast) return openRecent(command - XXCMD::recentFirst);
    if (command >= XXCMD::viewFirst && command <= XXCMD::viewLast) return viewOutput(command - XXCMD::viewFirst);
    if (command >= XXCMD::defineFirst && command < XXCMD::recentFirst) {
        updateDetail(1270, command - XXCMD::defineFirst);
        view_.menusChanged();
        return;
    }
    const XXCommand* c = findCommand(command);
    if (!c) return;
    switch (c->kind) {
    case XXCmdKind::newDefinition: newDefinition(); break;
    case XXCmdKind::open: open(); break;
    case XXCmdKind::save: save(path_.empty()); break;
    case XXCmdKind::saveAs: save(true); break;
    case XXCmdKind::exit: view_.requestClose(); break;
    case XXCmdKind::nodeGroups: editNodeGroups(); break;
    case XXCmdKind::editGrid:
        updateGrid(loadString(c->gridId));
        view_.setTitle(title());
        view_.menusChanged();
        break;
    case XXCmdKind::editMasterDetail:
        updateGrids(loadString(c->gridId));
        view_.menusChanged();
        break;
    case XXCmdKind::outputFiles: editOutputs(c->gridId); break;
    case XXCmdKind::database: editDatabase(); break;
    case XXCmdKind::odbcAdmin: view_.odbcAdministrator(); break;
    case XXCmdKind::newNode:
    case XXCmdKind::newComment:
        if (!surface || !surface->addItem(c->kind == XXCmdKind::newComment)) view_.setStatus(loadString(1608));
        break;
    case XXCmdKind::run: run(c->inputKind); break;
    case XXCmdKind::viewLog: viewFile(cellText(loadString(1226), 0, 0).empty() ? "Log.tmp" : cellText(loadString(1226), 0, 0)); break;
    case XXCmdKind::mainGraph:
        selectedGraph = -1;
        view_.setTitle(title());
        view_.menusChanged();
        break;
    case XXCmdKind::viewTrace: view_.launch("", traceFileName.text()); break;
    case XXCmdKind::toggleQuickStart: view_.toggleQuickStart(); break;
    case XXCmdKind::toggleTrace: toggleTrace(); break;
    case XXCmdKind::currentDirectory: showCurrentDirectory(); break;
    case XXCmdKind::helpIndex: view_.showHelp(0); break;
    case XXCmdKind::about: view_.information(aboutText(appTitle.text(), version.text()), aboutCaption(appTitle.text())); break;
    default: break;
    }
}

void QuillonApp::newDefinition() {
    if (!okToLoseChanges()) return;
    clear();
    path_.clear();
    modified = false;
    selectedGraph = -1;
    view_.setTitle(title());
    view_.menusChanged();
}

void QuillonApp::open() {
    if (!okToLoseChanges()) return;
    const std::string path = view_.chooseFile(false, "Find", fileFilter());
    if (!path.empty()) openFile(path);
}

void QuillonApp::save(bool askName) {
    std::string path = path_;
    if (askName) {
        path = view_.chooseFile(true, loadString(1675), fileFilter());
        if (path.empty()) return;
    }
    if (saveTo(path) && askName) addRecent(path);
    view_.menusChanged();
}

void QuillonApp::openRecent(int32_t index) {
    if (index < 0 || size_t(index) >= recent_.paths().size() || !okToLoseChanges()) return;
    openFile(recent_.paths()[size_t(index)]);
}

void QuillonApp::editOutputs(int32_t gridId) {
    updateGrid(loadString(gridId));
    connectDatabase(true);
    view_.menusChanged();
}

void QuillonApp::editDatabase() {
    XXGRID* grid = findGrid(loadString(1230));
    if (!grid) return;
    const int32_t result = ui.editGrid(*grid, 1);
    view_.setStatus(kReady);
    if (result != -4 && result != -3) return;
    if (result == -4) modified = true;
    const std::string dsn = cellText(loadString(1230), 0, 0);
    const std::string file = cellText(loadString(1230), 0, 2);
    if (!file.empty() && !view_.configureDataSource(dsn, cellText(loadString(1230), 0, 1), file)) return;
    if (databaseChosen()) destinations().synch(&outputFiles, nullptr, &destinationsGrid, &tablesGrid);
    view_.menusChanged();
}

void QuillonApp::viewFile(const std::string& file) {
    if (file.empty() || !std::filesystem::exists(file)) {
        view_.information("No data available", "");
        return;
    }
    view_.launch(cellText(loadString(1225), 0, 0), file);
}

void QuillonApp::viewOutput(int32_t index) {
    const XXGRID* outputs = findGrid(loadString(1043));
    if (!outputs || index >= outputs->rowCount()) return;
    viewFile(cellText(loadString(1043), index, 1));
}

void QuillonApp::run(int32_t inputKind) {
    // Files are counted as the file scanner reads them; other inputs show their messages.
    // A given-up run may still be reading the inputs; it is left alone (start refuses).
    PXRunControl::Counter counter;
    if (runControl_.state() == PXRunControl::State::idle) {
        inputs.inputKind = inputKind;
        if (inputs.resolvedKind() == MFClient::fileInput)
            counter = [this] { return PXRunControl::Counts{inputs.files.filesVisited.load(), inputs.files.bytesRead.load()}; };
    }
    const bool started = runControl_.start(
        [this, inputKind](PXInst& inst) {
            runKind(inst, inputKind);
            return std::string(runMessage().text());
        },
        runDescription(inputKind), std::move(counter));
    if (!started) {
        view_.error("A run is still going on: " + runControl_.description());
        return;
    }
    view_.runStopBox(runControl_);
    lastRun_ = runControl_.collect();
    if (!lastRun_.error.empty()) view_.error(lastRun_.error);
    view_.setStatus(lastRun_.status);
    view_.menusChanged();
}

void QuillonApp::editNodeGroups() {
    XXGRID* grid = findGrid(loadString(1276));
    if (!grid) {
        updateGrid(loadString(1276));
        return;
    }
    const bool took = grid->lock();
    const int32_t result = ui.editGrid(*grid, 1276);
    if (result == -4) modified = true;
    if (took) grid->unlock();
    if (result >= 0 && result < grid->rowCount()) selectedGraph = result;
    view_.setTitle(title());
    view_.menusChanged();
}

void QuillonApp::message(const char* text) {
    if (runControl_.onWorker()) {
        runControl_.postProgress(text ? text : "");
    } else {
        PXCfg::message(text);
    }
}

std::string QuillonApp::runDescription(int32_t inputKind) const {
    static constexpr const char* kKinds[] = {"Run", "E-mail input", "File input", "URL input"};
    const char* kind = inputKind >= 0 && inputKind < 4 ? kKinds[inputKind] : kKinds[0];
    const std::string name = definitionName().length() > 0 ? definitionName().text() : "(untitled)";
    return std::string(kind) + " of " + name;
}

void QuillonApp::toggleTrace() {
    traceSwitch = !traceSwitch;
    view_.setStatus(loadString(traceSwitch ? 404 : 405));
    view_.menusChanged();
}

void QuillonApp::showCurrentDirectory() {
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    view_.information("Current directory: " + cwd, std::string(appTitle.text()) + " " + loadString(114));
}
