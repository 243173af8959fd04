#include "definitions/PXDefIO.h"

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "definitions/PXActionCatalogue.h"
#include "definitions/PXGraphs.h"
#include "foundation/XXFILENAME.h"
#include "foundation/XXSTRTABLE.h"

namespace {

constexpr int32_t kInvalidInputReports = 5;
constexpr const char* kApplication = "Quillon";
constexpr const char* kVersion = PXDefIO::writtenVersion;

// The version number that follows "Version" in a header line; 0 when there is none.
float versionOf(std::string_view line) {
    const std::string_view word = loadString(17);
    const size_t at = line.find(word);
    if (at == std::string_view::npos) return 0.0f;
    size_t i = at + word.size();
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    float v = 0.0f;
    const auto result = std::from_chars(line.data() + i, line.data() + line.size(), v);
    return result.ec == std::errc() ? v : 0.0f;
}

void reportUnopened(const std::vector<std::string>& paths, int32_t mode) {
    if (paths.empty()) return;
    Error e(mode);
    e << loadString(28) << ":\n";
    for (const std::string& p : paths) e << p.c_str() << "\n";
    e << endMsg;
}

}  // namespace

PXDefIO::PXDefIO() : defExt("QXD"), graphExt("QXG") {
    header << kApplication << " " << loadString(17) << " " << kVersion;
    setLineEnd(LineEnd::crlf);
}

PXDefIO::~PXDefIO() = default;

XXSTRING PXDefIO::graphPath(const char* name) const {
    XXFILENAME definition(getPath());
    XXSTRING group(name ? name : "");
    for (int32_t i = 0; i < group.length(); ++i)
        if (group[i] == '\\') group[i] = '/';
    XXSTRING path;
    path << definition.drive << definition.directory << group << "." << graphExt;
    return path;
}

bool PXDefIO::save(const char* path) {
    if (!open(path, writeText)) {
        reportUnopened({path ? path : ""}, 0);
        return false;
    }
    return out();
}

bool PXDefIO::load(const char* path) {
    if (!open(path, readText)) {
        reportUnopened({path ? path : ""}, 0);
        return false;
    }
    return in();
}

// --- writing -----------------------------------------------------------------------------

bool PXDefIO::out() {
    bool ok = isOutputOpen();
    seekTo(0);
    clearLine();
    ok = writeLine(header) && ok;
    for (XXGRID* g : clientGrids)
        if (g && g->persistent()) ok = gridIO.writeGrid(*this, *g) && ok;
    if (engine) {
        const int32_t n = engine->getGridCount();
        for (int32_t i = 0; i < n; ++i) {
            XXGRID* g = nullptr;
            if (engine->grabGrid(i, g) != 2 || !g) continue;
            if (g->persistent()) ok = gridIO.writeGrid(*this, *g) && ok;
            const XXSTRING key(g->key());
            engine->releaseGrid(key);
        }
        PXGraphs* graphs = nullptr;
        if (engine->grabGraphs(graphs) == 2 && graphs) {
            ok = graphIO.out(*this, graphs->main) && ok;
            std::vector<std::string> unopened;
            for (int32_t i = 0; i < graphs->groupCount(); ++i) {
                const char* name = graphs->groupName(i);
                PXGraph* graph = isBlank(name) ? nullptr : graphs->group(i);
                if (!graph) continue;
                const XXSTRING path = graphPath(name);
                XXSTREAM file;
                file.setLineEnd(LineEnd::crlf);
                if (!file.open(path, writeText)) {
                    unopened.emplace_back(path.text());
                    ok = false;
                    continue;
                }
                bool written = file.writeLine(header);
                written = graphIO.out(file, *graph) && written;
                ok = file.close() && written && !file.failed() && ok;
            }
            engine->releaseGraphs();
            reportUnopened(unopened, error.mode);
        } else {
            Tracer("PXDefIO::out") << "grabGraphs" << endMsg;
        }
    }
    ok = !failed() && ok;
    return close() && ok;
}

// --- reading -----------------------------------------------------------------------------

void PXDefIO::goQuiet() {
    quiet_ = true;
    gridIO.quiet = true;
    graphIO.quiet = true;
}

bool PXDefIO::in() {
    const int32_t reportsBefore = ::errorCount();
    errorCount = 0;
    quiet_ = false;
    current_ = nullptr;
    currentDetail_ = nullptr;
    takenKey_ = "";
    graphIO.beginRead();
    graphIO.catalogue = engine ? &engine->actionCatalogue() : nullptr;

    PXGraphs* graphs = nullptr;
    if (engine) {
        if (engine->grabGraphs(graphs) == 2 && graphs) {
            engine->releaseGraphs();
        } else {
            graphs = nullptr;
            Tracer("PXDefIO::in") << "grabGraphs" << endMsg;
        }
    }
    graphIO.begin(graphs ? &graphs->main : nullptr);
    const XXSTRING path(getPath());
    if (graphs) graphs->main.file = path;

    version = 0.0f;
    if (const char* first = readLine()) version = versionOf(std::string_view(first, size_t(lineLength())));
    gridIO.beginRead(version);

    int32_t number = 1;
    while (const char* line = readLine()) {
        placeAt(path, ++number);
        try {
            lineIn(std::string_view(line, size_t(lineLength())));
        } catch (const XXSTRING&) {
            // The error limit was reached: the rest of the file is read without reports.
            goQuiet();
        }
    }
    try {
        graphIO.resolveLinks();
    } catch (const XXSTRING&) {
        goQuiet();
    }
    giveBackGrid();
    current_ = nullptr;
    currentDetail_ = nullptr;
    close();
    const bool loaded = graphs ? loadGraphs(*graphs) : true;
    placeAt("", 0);
    // The error counter of the process counts every report (it only restarts past its limit,
    // which makes the read quiet).
    readReported = quiet_ || ::errorCount() != reportsBefore;
    return loaded;
}

void PXDefIO::placeAt(const char* file, int32_t number) {
    place_ = filePlace(file, number);
    gridIO.place = place_;
    gridIO.lineNumber = number;
    graphIO.place = place_;
    graphIO.lineNumber = number;
}

void PXDefIO::checkQuotes(std::string_view line) {
    DefLine tokens(line);
    DefToken t;
    while (tokens.next(t)) {
        if (!t.unclosed) continue;
        if (!quiet_) {
            Error e(error.mode);
            e << place_ << loadString(54) << " - " << loadString(24) << " (missing closing quote)  ["
              << lineForMessage(line) << "]" << endMsg;
        }
        return;
    }
}

void PXDefIO::lineIn(std::string_view line) {
    checkQuotes(line);
    DefLine tokens(line);
    DefToken first;
    if (!tokens.next(first)) return;
    if (GraphIO::isGraphLine(first)) {
        graphIO.lineIn(first, tokens, line);
        return;
    }
    if (first.quoted || first.isWide || first.text.empty() || first.text[0] != XXGRIDIO::marker) {
        // A detail row of the current record. A grid that has no detail rows cannot take
        // it: the line is reported rather than lost without a word (a missing marker, a
        // mistyped graph keyword). Lines under an unknown grid were reported with it.
        if (current_ && current_->subGrid() && currentDetail_) {
            DefLine again(line);
            gridIO.readRow(*current_->subGrid(), currentDetail_, again, line);
        } else if (current_) {
            reportInvalid(line);
        }
        return;
    }
    XXSTRING name(first.text.data() + 1, int32_t(first.text.size() - 1));
    name.remove('"');
    name.remove(' ');
    takeGrid(name, line, tokens);
}

void PXDefIO::takeGrid(const char* key, std::string_view line, DefLine& rest) {
    giveBackGrid();
    current_ = nullptr;
    currentDetail_ = nullptr;
    XXGRID* grid = nullptr;
    if (engine && engine->grabGrid(key, grid) == 2 && grid) {
        takenKey_ = key;
    } else {
        grid = nullptr;
        for (XXGRID* g : clientGrids)
            if (g && g->key() == key) {
                grid = g;
                break;
            }
    }
    // Lookup lists are not part of a definition: a file cannot add to them. A single-record
    // grid (the log name, the database) keeps its first record; a second one is refused.
    if (grid && (!grid->persistent() || (grid->maxRows() == 1 && grid->rowCount() >= 1))) {
        giveBackGrid();
        grid = nullptr;
    }
    if (!grid) {
        reportInvalid(line);
        return;
    }
    current_ = grid;
    gridIO.readRow(*grid, nullptr, rest, line, &currentDetail_);
}

void PXDefIO::reportInvalid(std::string_view line) {
    ++errorCount;
    if (errorCount <= kInvalidInputReports && !quiet_) {
        Error e(error.mode);
        e << place_ << loadString(54) << " - " << loadString(24) << "  [" << lineForMessage(line) << "]" << endMsg;
    }
}

void PXDefIO::giveBackGrid() {
    if (engine && takenKey_.length() > 0) engine->releaseGrid(takenKey_);
    takenKey_ = "";
}

bool PXDefIO::loadGraphs(PXGraphs& graphs) {
    std::vector<std::string> unopened;
    for (int32_t i = 0; i < graphs.groupCount(); ++i) {
        // A group named before its file was read (by a node, a Run action, a pattern row)
        // already has a graph object, but an empty one: its file is read all the same.
        if (const PXGraph* loaded = graphs.groupIfAny(i); loaded && !loaded->items().empty()) continue;
        PXGraph* graph = graphs.group(i);
        if (!graph) continue;
        const char* name = graphs.groupName(i);
        graph->name = name;
        if (isBlank(name)) continue;
        const XXSTRING path = graphPath(name);
        XXSTREAM file;
        if (!file.open(path, readText)) {
            // Each path is named after the row that names its group, so that it can be mended.
            const XXROW* row = graphs.row(i);
            const XXSTRING place = filePlace(graphs.main.file.view(), row ? row->line : 0);
            unopened.emplace_back(std::string(place.text()) + path.text());
            continue;
        }
        graphIO.begin(graph);
        graph->file = path;
        int32_t number = 0;
        while (const char* line = file.readLine()) {
            placeAt(path, ++number);
            try {
                const std::string_view text(line, size_t(file.lineLength()));
                checkQuotes(text);
                DefLine tokens(text);
                DefToken first;
                // The first line is the header; any other line that is no graph line would
                // be lost unseen.
                if (!tokens.next(first)) continue;
                if (GraphIO::isGraphLine(first))
                    graphIO.lineIn(first, tokens, text);
                else if (number > 1)
                    reportInvalid(text);
            } catch (const XXSTRING&) {
                goQuiet();
            }
        }
        try {
            graphIO.resolveLinks();
        } catch (const XXSTRING&) {
            goQuiet();
        }
        graphIO.begin(nullptr);
        file.close();
    }
    try {
        reportUnopened(unopened, quiet_ ? 3 : error.mode);
    } catch (const XXSTRING&) {
        goQuiet();
    }
    return unopened.empty();
}
