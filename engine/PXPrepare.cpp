// prepare(): turns the definition grids into the run-time tables, in a fixed order. Every
// step runs even when an earlier one failed, so that one prepare reports every fault of a
// definition; the result is 2 when no step failed, else 0. Nothing survives from an earlier
// prepare: every table is rebuilt from the grids.
//
// Node faults (an unknown pattern name, a node with nothing to match) are collected in the
// definition-error text and emitted into the error list (errorCount / errorText), together
// with the "not found" lines of action parameters unless prepare is quiet. A fault of a row or
// node read from a file is reported after that file and line ("D.QXD:14: "), so that the user
// can mend it without guessing.
#include <algorithm>
#include <string_view>

#include "definitions/FileVarMgr.h"
#include "definitions/DefTokens.h"
#include "engine/PXEngine.h"
#include "foundation/XXSTRTABLE.h"

namespace {

XXSTRING keyOf(const XXGRID& grid, int32_t row) {
    const XXFLD* f = grid.getCell(0, row);
    return XXSTRING(f ? f->getText() : "");
}

void addKeys(const XXGRID& from, XXGRID& to) {
    for (int32_t i = 0; i < from.rowCount(); ++i) {
        const XXSTRING key = keyOf(from, i);
        if (key.length() == 0) continue;
        to.setText(0, to.rowCount(), key);
    }
}

// The field of column `col` of a detail row, or null.
const XXFLD* detailField(const XXROW* row, int32_t col) { return row ? row->field(col) : nullptr; }

// Appends every line of `lines` to `to`, each after `place`.
void appendPlaced(XXSTRING& to, const XXSTRING& place, const XXSTRING& lines) {
    std::string_view rest = lines.view();
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        to << place << XXSTRING(line.data(), int32_t(line.size())) << "\n";
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
}

}  // namespace

int32_t PXEngine::prepare(bool quiet) {
    bool ok = true;
    // 1.
    defText_ = "";
    errorList.text = "";
    errorGrid.clearRows();
    dropFastTables();
    // 2.
    ok = synchSets8() && ok;
    ok = synchSets16() && ok;
    // 3.-4.
    buildVariables();
    loadFileVariables();
    // 5.
    ok = synchPatterns() && ok;
    // 6.
    upgradeMaps();
    compileStringSets();
    // 7.-8.
    registerNodes();
    // 9.
    XXSTRING actionErrors;
    PXGraphIter graphs(nodeGroups);
    while (PXGraph* g = graphs.next()) ok = checkNodes(*g, actionErrors, quiet) && ok;
    // 10.
    compileAllActions(quiet ? nullptr : &actionErrors);
    // 11.
    loadCounters();
    // 12.
    buildChoiceLists();
    targets.clearRows();
    ok = appendTags(1292, targets) && ok;
    ok = appendTags(1045, targets) && ok;
    if (!quiet) defText_ << actionErrors;
    if (defText_.length() > 0) {
        errorList << defText_;
        errorList.emit();
        defText_ = "";
    }
    // 13.
    return ok ? 2 : 0;
}

XXSTRING PXEngine::rowPlace(const XXROW* row) const {
    return filePlace(nodeGroups.main.file.view(), row ? row->line : 0);
}

// --- sets ---------------------------------------------------------------------------------

template <typename Set>
bool PXEngine::synchSets(XXGRID& grid, std::vector<Set>& sets, const char* title) {
    sets.clear();
    sets.resize(size_t(grid.rowCount()));
    int32_t bits = 0;
    for (int32_t i = 0; i < grid.rowCount(); ++i) {
        Set& set = sets[size_t(i)];
        set.name = keyOf(grid, i);
        const XXFLD* master = grid.getCell(0, i);
        const XXROWLIST* ranges = master ? master->subRows() : nullptr;
        if (!ranges) continue;
        for (const XXROW* range : *ranges) {
            const XXFLD* from = detailField(range, PXCOL::rangeStart);
            const XXFLD* to = detailField(range, PXCOL::rangeEnd);
            if (!from) bits |= 1;
            if (!to) bits |= 2;
            if (bits != 0) {
                Tracer(title) << rowPlace(range) << "Error: " << bits << endMsg;
                continue;
            }
            const int32_t a = from->getInt();
            const int32_t b = to->isEmpty() ? a : to->getInt();
            set.addRange(a, b);
        }
    }
    return bits == 0;
}

bool PXEngine::synchSets8() { return synchSets(sets8, sets8_, "PXEngine::synchSets8"); }

bool PXEngine::synchSets16() { return synchSets(sets16, sets16_, "PXEngine::synchSets16"); }

// --- variables ----------------------------------------------------------------------------

void PXEngine::buildVariables() {
    variables_.clear();
    variables_.reserve(size_t(variables.rowCount()));
    for (int32_t i = 0; i < variables.rowCount(); ++i)
        if (XXROW* row = variables.row(i)) variables_.emplace_back(*row);
}

void PXEngine::loadFileVariables() {
    for (int32_t i = 0; i < fileVariables.rowCount(); ++i) {
        XXROW* row = fileVariables.row(i);
        auto* holder = dynamic_cast<XXFLD_DATA<FileVarMgr>*>(row ? row->field(PXCOL::fileVarManager) : nullptr);
        if (!holder) continue;
        // A row made by a dialog or read from a file has no manager yet: it gets one here,
        // or its file would never be loaded.
        if (!holder->get()) holder->set(std::make_unique<FileVarMgr>());
        loadFileVariable(*holder->get(), *row, PXCOL::fileVarFile, PXCOL::fileVarContents);
    }
}

// --- patterns -----------------------------------------------------------------------------

bool PXEngine::synchPatterns() {
    patterns_.clear();
    patterns_.resize(size_t(patterns.rowCount()));
    int32_t bits = 0;
    XXSTRING report;
    for (int32_t i = 0; i < patterns.rowCount(); ++i) {
        PXPatternForm& form = patterns_[size_t(i)];
        const XXSTRING name = keyOf(patterns, i);
        const XXFLD* master = patterns.getCell(0, i);
        const XXROWLIST* rows = master ? master->subRows() : nullptr;
        if (!rows) continue;
        form.chk(rows->count());
        for (const XXROW* row : *rows) {
            SubPattern sp;
            const XXFLD* setField = detailField(row, PXCOL::elementSet);
            const XXSTRING setName(setField ? setField->getText() : "");
            for (size_t s = 0; s < sets8_.size() && !sp.checker; ++s)
                if (sets8_[s].name == setName) sp.checker = &sets8_[s];
            for (size_t s = 0; s < sets16_.size() && !sp.checker; ++s)
                if (sets16_[s].name == setName) sp.checker = &sets16_[s];
            for (size_t s = 0; s < variables_.size() && !sp.checker; ++s)
                if (variables_[s].name == setName) sp.checker = &variables_[s];
            if (!sp.checker) {
                report << rowPlace(row) << loadString(1238) << " " << name << ": " << setName << " " << loadString(23) << newline;
                bits |= 1;
            }
            const XXFLD* minField = detailField(row, PXCOL::elementMin);
            const XXFLD* maxField = detailField(row, PXCOL::elementMax);
            if (!minField) {
                report << rowPlace(row) << "!Min" << newline;
                bits |= 2;
            } else {
                sp.min = minField->getInt();
            }
            if (!maxField) {
                report << rowPlace(row) << "!Max" << newline;
                bits |= 4;
            } else {
                sp.max = maxField->isEmpty() ? sp.min : maxField->getInt();
            }
            form.add(sp);
        }
    }
    if (report.length() > 0) Tracer("PXEngine::synchPatterns") << report << endMsg;
    return bits == 0;
}

// --- string sets --------------------------------------------------------------------------

void PXEngine::upgradeMaps() {
    if (maps.rowCount() == 0) return;
    if (stringSets.rowCount() > 0)
        Tracer("PXEngine::upgradeMaps") << "#maps=" << maps.rowCount() << ", #ssets=" << stringSets.rowCount() << endMsg;
    if (!maps.subGrid() || !stringSets.subGrid()) {
        Tracer("PXEngine::upgradeMaps") << "Maps|SSet subgrid missing" << endMsg;
        return;
    }
    XXGRID& setRows = *stringSets.subGrid();
    for (int32_t i = 0; i < maps.rowCount(); ++i) {
        const int32_t at = stringSets.rowCount();
        stringSets.setText(0, at, keyOf(maps, i));
        const XXFLD* mapMaster = maps.getCell(0, i);
        XXFLD* setMaster = stringSets.getCell(0, at);
        const XXROWLIST* mapRowList = mapMaster ? mapMaster->subRows() : nullptr;
        if (!mapRowList || !setMaster) {
            Tracer("PXEngine::upgradeMaps") << "Map|SSet missing" << endMsg;
            continue;
        }
        auto rows = std::make_unique<XXROWLIST>();
        for (const XXROW* mapRow : *mapRowList) {
            std::unique_ptr<XXROW> row = setRows.newRow();
            if (XXFLD* enabled = row->field(PXCOL::ssetEnabled)) enabled->setValue("1");
            for (int32_t c = 0; mapRow && c < mapRow->count(); ++c)
                if (XXFLD* to = row->field(c + 1))
                    if (const XXFLD* from = mapRow->field(c)) to->setValue(*from);
            rows->add(std::move(row));
        }
        setMaster->setSubRows(std::move(rows));
    }
    maps.clearRows();
    stringSets.setModified(true);
}

void PXEngine::compileStringSets() {
    stringSets_.clear();
    stringSets_.resize(size_t(stringSets.rowCount()));
    for (int32_t i = 0; i < stringSets.rowCount(); ++i) {
        StringSet& set = stringSets_[size_t(i)];
        const XXFLD* master = stringSets.getCell(0, i);
        const XXROWLIST* rows = master ? master->subRows() : nullptr;
        if (!rows) continue;
        set.items.chk(rows->count());
        for (const XXROW* row : *rows) {
            StringSetItem item;
            const XXFLD* enabled = detailField(row, PXCOL::ssetEnabled);
            const XXFLD* text = detailField(row, PXCOL::ssetEnabled + 1 + PXCOL::mapText);
            const XXFLD* other = detailField(row, PXCOL::ssetEnabled + 1 + PXCOL::mapOtherText);
            const XXFLD* target = detailField(row, PXCOL::ssetEnabled + 1 + PXCOL::mapTarget);
            const XXFLD* noCase = detailField(row, PXCOL::ssetEnabled + 1 + PXCOL::mapIgnoreCase);
            item.enabled = enabled && enabled->getInt() != 0 ? 1 : 0;
            item.text = text ? text->getText() : "";
            item.valueText = other ? other->getText() : "";
            const char* targetName = target ? target->getText() : "";
            item.target = findVariableValue(targetName);
            item.destIndex = item.target ? -1 : destinationIndex(targetName);
            item.ignoreCase = noCase && noCase->getInt() != 0 ? 1 : 0;
            set.longest = std::max(set.longest, item.text.length());
            set.items.add(item);
        }
        set.itemCount = set.items.count;
    }
}

// --- nodes --------------------------------------------------------------------------------

void PXEngine::registerNodes() {
    PXNodeRefTable& refs = nodeGroups.nodeRefs;
    refs.clear();
    refs.chk(nodeGroups.totalNodes());
    PXGraphIter graphs(nodeGroups);
    while (PXGraph* g = graphs.next()) {
        for (XXNODE* n : g->nodes()) registerNodeRef(refs, *static_cast<PXNode*>(n));
        g->attach();
    }
}

bool PXEngine::checkNodes(PXGraph& graph, XXSTRING& actionErrors, bool) {
    bool anyFaulty = false;
    for (XXNODE* n : graph.nodes()) {
        auto* node = static_cast<PXNode*>(n);
        bool faulty = false;
        const XXSTRING place = filePlace(graph.file.view(), node->line);
        // 1. What the node's reference name names.
        const XXSTRING name = node->refName();
        node->setRefName(name);
        node->clearTargets();
        if (name.length() > 0) {
            const int32_t pattern = keyPosition(&patterns, name);
            if (pattern >= 0 && pattern < int32_t(patterns_.size())) {
                node->setPattern(&patterns_[size_t(pattern)]);
            } else if (PXGraph* group = nodeGroups.findGroup(name)) {
                node->setNodeGroup(group);
            } else if (StringSet* set = findStringSet(name)) {
                node->setStringSet(set);
            } else {
                defText_ << place << loadString(1238) << " " << name << " " << loadString(23) << newline;
                faulty = true;
            }
        }
        // 2. Its actions, with every parameter resolved again; older kinds replaced.
        XXSTRING unresolved;
        for (int32_t i = 0; i < node->actions.count(); ++i) {
            CAction* a = node->actions.at(i);
            a->engine = this;
            a->graph = &graph;
            if (std::unique_ptr<CAction> replacement = a->upgrade()) {
                node->actions.remove(i);
                a = node->actions.insert(i, std::move(replacement));
            }
            for (int32_t p = 0; p < a->parmCount(); ++p) a->setParm(p, XXSTRING(a->parm(p)), &unresolved);
        }
        appendPlaced(actionErrors, place, unresolved);
        node->rebuildSummary();
        // 3. Something to match.
        if (!node->matcher()) {
            defText_ << place << loadString(1047) << newline;
            faulty = true;
            graph.select(node->id(), true);
        }
        // 4.
        if (faulty) {
            defText_ << place << loadString(1237);
            if (node->tag().length() == 0)
                defText_ << "# " << (node->number + 1);
            else
                defText_ << ": " << node->tag();
            defText_ << newline;
            anyFaulty = true;
        }
        node->buildFastLinks();
    }
    if (anyFaulty) {
        errorList << defText_;
        errorList.emit();
        defText_ = "";
    }
    return !anyFaulty;
}

// --- actions ------------------------------------------------------------------------------

bool PXEngine::compileActions(XXROWLIST& rows, CActions& list, XXSTRING* errors) {
    list.clear();
    bool changed = false;
    for (XXROW* row : rows) {
        const XXFLD* kindField = row ? row->field(PXCOL::actionKind) : nullptr;
        std::unique_ptr<CAction> action = kindField ? catalogue.make(kindField->getText()) : nullptr;
        if (!action) {
            // The row is skipped; a kind that names nothing is listed as node actions' are.
            if (errors && kindField && !kindField->isEmpty())
                *errors << rowPlace(row) << loadString(24) << " (" << loadString(1082) << ": " << kindField->getText()
                        << ")" << newline;
            continue;
        }
        action->engine = this;
        action->graph = &nodeGroups.main;
        // Each parameter is set (and so resolved and checked) once: a bad value is reported
        // once per compile, not once per pass.
        XXSTRING unresolved;
        XXSTRING* unresolvedList = errors ? &unresolved : nullptr;
        for (int32_t c = PXCOL::firstParm; c < row->count(); ++c) {
            const XXFLD* f = row->field(c);
            if (!f) continue;
            if (f->isWide())
                action->setParm(c - PXCOL::firstParm, f->getWText());
            else
                action->setParm(c - PXCOL::firstParm, f->getText(), unresolvedList);
        }
        if (std::unique_ptr<CAction> replacement = action->upgrade()) {
            // The replacement took the old parameters in its own places; its names are
            // resolved again so that what does not resolve is listed under its new kind.
            action = std::move(replacement);
            unresolved = "";
            for (int32_t p = 0; p < action->parmCount(); ++p) action->setParm(p, XXSTRING(action->parm(p)), unresolvedList);
        }
        if (errors) appendPlaced(*errors, rowPlace(row), unresolved);
        // The row shows what it now holds: the kind's display name and its parameters.
        auto store = [&changed](XXFLD* f, const XXSTRING& text) {
            if (!f) return;
            const bool differs = text.isWide ? f->differs(text.wtext()) : f->differs(text.text());
            if (!differs) return;
            f->setValue(text);
            changed = true;
        };
        store(row->field(PXCOL::actionKind), action->name);
        for (int32_t c = PXCOL::firstParm; c < row->count(); ++c) store(row->field(c), action->parm(c - PXCOL::firstParm));
        list.add(std::move(action));
    }
    return changed;
}

void PXEngine::compileActions(XXGRID& grid, CActions& list, XXSTRING* errors) {
    if (compileActions(grid.rowList(), list, errors)) grid.setModified(true);
}

void PXEngine::compileAllActions(XXSTRING* errors) {
    compileActions(preRunActions, preRun, errors);
    compileActions(postRunActions, postRun, errors);
    compileActions(preStreamActions, preStream, errors);
    compileActions(postStreamActions, postStream, errors);
    groupLists_.clear();
    groupLists_.resize(size_t(actionGroups.rowCount()));
    // A group's actions are the detail rows of its record.
    for (int32_t i = 0; i < actionGroups.rowCount(); ++i) {
        XXFLD* master = actionGroups.getCell(0, i);
        if (master && master->subRows() && compileActions(*master->subRows(), groupLists_[size_t(i)], errors))
            actionGroups.setModified(true);
    }
}

// --- counters and lists -------------------------------------------------------------------

void PXEngine::loadCounters() {
    counters_.assign(size_t(counters.rowCount()), 0);
    for (int32_t i = 0; i < counters.rowCount(); ++i)
        if (const XXFLD* f = counters.getCell(PXCOL::counterInitial, i)) counters_[size_t(i)] = f->getInt();
}

void PXEngine::buildChoiceLists() {
    setVarNames.clearRows();
    addKeys(sets8, setVarNames);
    addKeys(sets16, setVarNames);
    addKeys(variables, setVarNames);
    patternNames.clearRows();
    addKeys(patterns, patternNames);
    addKeys(nodeGroups, patternNames);
    addKeys(stringSets, patternNames);
}

bool PXEngine::appendTags(int32_t titleId, XXGRID& list) {
    const XXGRID* grid = PXDefinition::findGridByTitle(titleId);
    if (!grid) {
        Tracer("PXEngine::appendTags") << "Grid " << loadString(titleId) << " (" << titleId << ") " << loadString(23)
                                       << endMsg;
        return false;
    }
    addKeys(*grid, list);
    return true;
}
