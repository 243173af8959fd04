// PXEngine: construction, the client's interface, and the name lookups of the actions.
#include "engine/PXEngine.h"

#include <strings.h>

#include "engine/ClientSource.h"
#include "engine/PXActions.h"
#include "foundation/XXSTRTABLE.h"

PXEngine::PXEngine() {
    isEngine_ = true;
    varForms_.setEngine(this);
    variables.varForms = &varForms_;
}

PXEngine::~PXEngine() = default;

std::unique_ptr<CAction> PXEngine::makeAction(const PXActionKind& kind) { return makeEngineAction(kind); }

int32_t PXEngine::buildSchema() {
    PXDefinition::buildSchema();
    variables.varForms = &varForms_;
    varForms_.setDialogs(formRunner());
    return 2;
}

int32_t PXEngine::reset() {
    PXDefinition::reset();
    sets8_.clear();
    sets16_.clear();
    variables_.clear();
    patterns_.clear();
    stringSets_.clear();
    groupLists_.clear();
    counters_.clear();
    dropFastTables();
    return 2;
}

void PXEngine::setUp(void* userData, IPXSources* sources, IDests* dests) {
    userData_ = userData;
    sources_ = sources;
    dests_ = dests;
}

const char* PXEngine::errorText(int32_t i) {
    const XXFLD* f = errorGrid.getCell(0, i);
    return f ? f->getText() : "";
}

XXGRID* PXEngine::findGridByLabel(const char* title) {
    if (isBlank(title)) return nullptr;
    for (XXGRID* g : definitionGrids())
        if (strcasecmp(g->title().text(), title) == 0) return g;
    return nullptr;
}

PXNode* PXEngine::grabNode(const char* tag) { return isBlank(tag) ? nullptr : nodeGroups.main.findByTag(tag); }

PXNode* PXEngine::grabNode(int32_t number) { return nodeGroups.main.nodeNumbered(number); }

XXSTRING PXEngine::traceTitle() const {
    XXSTRING title;
    if (appTag_.length() > 0) title << appTag_ << " ";
    title << loadString(403);
    return title;
}

// --- name lookups -------------------------------------------------------------------------

int32_t PXEngine::keyPosition(const XXGRID* grid, const char* name) {
    if (!grid || isBlank(name)) return -1;
    for (int32_t i = 0; i < grid->rowCount(); ++i) {
        const XXFLD* f = grid->getCell(0, i);
        if (f && XXSTRING(f->getText()) == name) return i;
    }
    return -1;
}

XXFLD* PXEngine::findVariableValue(const char* name) {
    int32_t i = keyPosition(&variables, name);
    if (i >= 0) return variables.getCell(PXCOL::varValue, i);
    i = keyPosition(&fileVariables, name);
    if (i >= 0) return fileVariables.getCell(PXCOL::fileVarContents, i);
    return nullptr;
}

StringSet* PXEngine::findStringSet(const char* name) {
    const int32_t i = keyPosition(&stringSets, name);
    return i >= 0 && i < int32_t(stringSets_.size()) ? &stringSets_[size_t(i)] : nullptr;
}

int32_t PXEngine::destinationIndex(const char* name) {
    return keyPosition(PXDefinition::findGridByTitle(1045), name);
}

int32_t PXEngine::tableIndex(const char* name) { return keyPosition(PXDefinition::findGridByTitle(1284), name); }

int32_t PXEngine::counterIndex(const char* name) { return keyPosition(&counters, name); }

int32_t PXEngine::actionGroupIndex(const char* name) { return keyPosition(&actionGroups, name); }

int32_t PXEngine::nodeRefIndex(const char* tag) {
    if (isBlank(tag)) return -1;
    const PXNodeRefTable& refs = nodeGroups.nodeRefs;
    for (int32_t i = 0; i < refs.count; ++i)
        if (refs[i].tag == tag) return i;
    return -1;
}

PXNode* PXEngine::nodeOfRef(int32_t index) {
    PXNodeRefTable& refs = nodeGroups.nodeRefs;
    return index >= 0 && index < refs.count ? refs[index].node : nullptr;
}

PXGraph* PXEngine::findGraph(const char* name) {
    if (isBlank(name)) return &nodeGroups.main;
    return nodeGroups.findGroup(name);
}

ClientSource* PXEngine::findSource(const char* name) {
    return sources_ && !isBlank(name) ? sources_->findSource(name) : nullptr;
}
