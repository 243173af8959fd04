#include "builder/PXCfg.h"

#include <algorithm>

#include "builder/IXXView.h"
#include "definitions/PXDefinition.h"
#include "definitions/PXNode.h"
#include "engine/PXEngine.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"

namespace {

// Grid names compare ignoring case and spaces, so that a title ("Sets (8-bit)") and a key
// ("Set(16-bit)") can both be given as the menus name them.
std::string squeezed(const char* text) {
    std::string s;
    for (const char* p = text ? text : ""; *p; ++p)
        if (*p != ' ') s += char(std::tolower(static_cast<unsigned char>(*p)));
    return s;
}

bool namesGrid(const XXGRID& grid, const std::string& wanted) {
    return !wanted.empty() && (squeezed(grid.title()) == wanted || squeezed(grid.key()) == wanted);
}

// Fills a cell through the window layer: file names from the file dialog, data-source names
// from the database library's own chooser.
class ViewChooser : public XXCHOOSER {
public:
    ViewChooser(PXCfg& cfg, IXXView& view, int32_t kind) : cfg_(cfg), view_(view), kind_(kind) {}

    int32_t listChoices(XXGRID& grid, int32_t col, int32_t row, XXSTRING&, LIST<XXSTRING>&, int32_t&) override {
        std::string value;
        if (kind_ == 4) {
            if (IQXDB* db = cfg_.database()) value = db->getDBName();
        } else {
            std::string filter = "All files (*)";
            if (grid.label(col) == XXSTRING(54)) filter = "QXD Files (*.QXD);;" + filter;
            value = view_.chooseFile(false, grid.label(col), filter);
        }
        if (value.empty()) return -1;
        grid.setText(col, row, value.c_str());
        return 0;
    }

private:
    PXCfg& cfg_;
    IXXView& view_;
    int32_t kind_;
};

}  // namespace

PXCfg::PXCfg(IXXView& view) : ui(view), view_(view) {}

PXCfg::~PXCfg() = default;

bool PXCfg::setUp() {
    if (!init()) return false;
    if (auto* definition = dynamic_cast<PXDefinition*>(&engine()->definition())) {
        definition->setFormRunner(this);
        // The engine hands the runner to its variable forms when its schema is built.
        engine()->buildSchema();
    }
    return true;
}

XXCHOOSER* PXCfg::fieldHelper(int32_t kind) {
    choosers_.push_back(std::make_unique<ViewChooser>(*this, view_, kind));
    return choosers_.back().get();
}

void PXCfg::message(const char* text) { view_.setStatus(text ? text : ""); }

XXGRID* PXCfg::findGrid(const char* name) const {
    const std::string wanted = squeezed(name);
    if (IPXEngine* e = engine()) {
        IPXDefinition& definition = e->definition();
        for (int32_t i = 0; i < definition.getGridCount(); ++i) {
            XXGRID* g = nullptr;
            if (definition.grabGrid(i, g) != 2 || !g) continue;
            definition.releaseGrid(g->key());
            if (namesGrid(*g, wanted)) return g;
        }
    }
    for (XXGRID* g : ownGrids())
        if (namesGrid(*g, wanted)) return g;
    return nullptr;
}

int32_t PXCfg::updateGrid(const char* name) {
    XXGRID* grid = findGrid(name);
    if (!grid) {
        Error e;
        e << "grabGrid: " << (name ? name : "") << endMsg;
        return 0;
    }
    const bool took = grid->lock();
    if (ui.editGrid(*grid, 1) == -4) modified = true;
    if (took) grid->unlock();
    view_.setStatus("Press F1 for help");
    return 2;
}

bool PXCfg::editDetail(XXGRID& master, int32_t record) {
    XXFLD* head = master.getCell(0, record);
    XXGRID* detail = master.subGrid();
    if (!head || !detail) return false;
    detail->replaceRows(head->subRows() ? copyRows(*head->subRows()) : std::make_unique<XXROWLIST>());
    detail->resetPosition();
    detail->extraText = head->getText();
    const int32_t result = ui.runDialog(*detail, 2);
    detail->extraText = "";
    auto edited = detail->replaceRows(std::make_unique<XXROWLIST>());
    if (result != -4) return false;
    head->setSubRows(std::move(edited));
    modified = true;
    return true;
}

int32_t PXCfg::updateDetail(int32_t titleId, int32_t record) {
    XXGRID* grid = findGrid(loadString(titleId));
    if (!grid || !grid->subGrid()) {
        Error e;
        e << "grabGrid" << endMsg;
        return 0;
    }
    if (record >= 0 && record < grid->rowCount()) editDetail(*grid, record);
    view_.setStatus("Press F1 for help");
    return 2;
}

int32_t PXCfg::updateGrids(const char* name) {
    XXGRID* grid = findGrid(name);
    if (!grid) {
        Error e;
        e << "grabGrid 1" << endMsg;
        return 0;
    }
    if (!grid->subGrid()) {
        Error e;
        e << "no subgrid" << endMsg;
        return 0;
    }
    // String 108 leads the hint when the table has it; without it the hint stands alone.
    const std::string lead = loadString(108);
    view_.setStatus((lead.empty() ? "" : lead + ".  ") + "Press Enter to define " + grid->title().text());
    // The master stays on the first level while its records' detail rows are edited.
    if (!ui.setGrid(1)) return 0;
    XXRowsCopy copy(*grid);
    grid->resetPosition();
    bool detailChanged = false;
    for (;;) {
        const int32_t result = view_.runGridDialog(*grid, ui.depth());
        if (result >= 0) {
            detailChanged |= editDetail(*grid, result);
            continue;
        }
        if (result == -4 || (result == -3 && detailChanged)) {
            copy.keep();
            modified = true;
        } else if (result != -3 && detailChanged && !view_.askYesNo("OK to lose changes?")) {
            continue;
        }
        break;
    }
    ui.popGrid();
    view_.setStatus("Press F1 for help");
    return 2;
}

bool PXCfg::editNodeActions(PXNode& node) {
    auto* compiler = dynamic_cast<PXEngine*>(engine());
    if (!compiler) return false;
    // The grid of an action group's actions lends its columns; its own rows (none outside
    // the action groups' dialog) are put back afterwards.
    ActionGrid& grid = compiler->actionGroupActions;
    std::unique_ptr<XXROWLIST> held = grid.replaceRows(std::make_unique<XXROWLIST>());
    int32_t row = 0;
    for (const CAction* action : node.actions) {
        grid.setText(PXCOL::actionKind, row, action->name.text());
        for (int32_t p = 0; p < std::min(action->parmCount(), PXCOL::parmCount); ++p)
            grid.setFromString(PXCOL::firstParm + p, row, action->parm(p));
        ++row;
    }
    grid.resetPosition();
    const std::string caption = "Actions of node " + std::to_string(node.number + 1) +
                                (node.tag().length() > 0 ? std::string(" (") + node.tag().text() + ")" : "");
    grid.extraText = caption.c_str();
    const int32_t result = ui.runDialog(grid, 1082);
    grid.extraText = "";
    std::unique_ptr<XXROWLIST> edited = grid.replaceRows(std::move(held));
    grid.resetPosition();
    if (result != -4) return false;
    CActions actions;
    compiler->compileActions(*edited, actions, nullptr);
    actions.setGraph(node.owner);
    node.actions = std::move(actions);
    node.rebuildSummary();
    modified = true;
    return true;
}

// A value picker may be asked for from a detail grid, where both levels are taken: its
// one-field form opens above them without a place on the grid stack.
bool PXCfg::runForm(XXGRID& form) {
    XXRowsCopy copy(form);
    form.resetPosition();
    const int32_t result = view_.runGridDialog(form, ui.depth() + 1);
    if (result == -4) copy.keep();
    return result == -4 || result == -3;
}
