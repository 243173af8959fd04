// PXDefinition: the schema of every engine-side grid, the lookup lists, and lending.
//
// Schema steps of a master/detail pair: title (and key), the "Tag" column with the grid's
// help number and TagChecker2, the detail grid's columns, the master joined to the grid list,
// the detail grid made the master's subGrid. Page rows are 10 unless a grid is a form.
#include "definitions/PXDefinition.h"

#include "definitions/FileVarMgr.h"
#include "foundation/XXSTRTABLE.h"

namespace {

// Reserved words of the engine, in order.
constexpr int32_t kReservedWords[] = {1237, 1950, 1940, 1925, 1920, 1905};
// Names of the variable forms: byte, string, wide string.
constexpr int32_t kVariableTypes[] = {1201, 1202, 1204};

void makeForm(XXGRID& grid) {
    grid.setPageRows(1);
    grid.setMaxRows(1);
}

XXFLD_DEF& addTag(XXGRID& grid, int32_t helpId, XXCHECKER* checker) {
    return grid.addFld(XXFLD_ID::gen, 1286, 50, helpId, checker);
}

void addRow(XXGRID& grid, const char* text) {
    if (XXROW* row = grid.appendRow())
        if (XXFLD* f = row->field(0)) f->setValue(text);
}

}  // namespace

PXDefinition::PXDefinition() = default;

PXDefinition::~PXDefinition() {
    // The error list writes into errorGrid; nothing may be left to emit after it is gone.
    errorList.text = "";
}

std::unique_ptr<CAction> PXDefinition::makeAction(const PXActionKind& kind) {
    return std::make_unique<CAction>(kind.number, kind.label, kind.keyword, kind.hidden);
}

int32_t PXDefinition::buildSchema() {
    if (built_) return 2;
    built_ = true;
    buildLookups();
    buildGrids();
    for (int32_t n = 1; n <= catalogue.count(); ++n) {
        std::unique_ptr<CAction> prototype = makeAction(*catalogue.kind(n));
        if (!prototype) continue;
        prototype->engine = this;
        catalogue.setPrototype(n, std::move(prototype));
    }
    return 2;
}

void PXDefinition::buildLookups() {
    reservedWords.setTitle(1900);
    reservedWords.addFld(XXFLD_STR::gen, 1900, 255);
    for (int32_t id : kReservedWords) addRow(reservedWords, loadString(id));

    XXSTRING setVar(loadString(1057));
    setVar << " / " << loadString(1293);
    setVarNames.setTitle(setVar);
    setVarNames.addFld(XXFLD_ID::gen, setVar, 50);

    targets.setTitle(1288);
    targets.addFld(XXFLD_ID::gen, 1288, 50);

    actionKinds.setTitle(1082);
    actionKinds.addFld(XXFLD_STR::gen, 1082, 10);
    for (int32_t n = 1; n <= catalogue.count(); ++n)
        if (catalogue.kind(n)->listed) addRow(actionKinds, catalogue.kind(n)->label);

    varTypes.setTitle(1092);
    varTypes.addFld(XXFLD_ID::gen, 1092, 10);
    for (int32_t id : kVariableTypes) addRow(varTypes, loadString(id));

    errorGrid.setTitle(1238);
    errorGrid.addFld(XXFLD_STR::gen, 14, 50);

    for (XXGRID* g : {&reservedWords, &setVarNames, &targets, &actionKinds, &varTypes, &errorGrid})
        g->setPersistent(false);
}

void PXDefinition::buildActionGrid(ActionGrid& grid, int32_t titleId) {
    grid.setTitle(titleId);
    grid.engine = this;
    grid.definition = this;
    grid.catalogue = &catalogue;
    grid.runner = runner_;
    grid.addFld(XXFLD_STR::gen, 1082, 18, &actionKinds, 0);
    for (int32_t i = 0; i < PXCOL::parmCount; ++i) {
        XXFLD_DEF& parm = grid.addFld(XXFLD_STR::gen, "", 20, 4006);
        parm.editable = false;
        parm.optional = true;
    }
}

void PXDefinition::buildMapColumns(XXGRID& grid) {
    grid.addFld(XXFLD_STR::gen, 41, 255, 4029);
    grid.addFld(XXFLD_STR::gen, 1400, 255, 4029).optional = true;
    XXFLD_DEF& target = grid.addFld(XXFLD_STR::gen, 1288, 50, &targets, 0);
    target.optional = true;
    grid.addFld(XXFLD_BOOL::gen, 1036, 1, 4015);
}

void PXDefinition::buildGrids() {
    // 1. Node groups.
    nodeGroups.buildSchema(nullptr, &tagChecker2);
    join(nodeGroups);

    // 2. Comment (a form).
    comment.setTitle(1093);
    makeForm(comment);
    comment.addFld(XXFLD_STR::gen, 1093, 255, 4011);
    join(comment);

    // 3. Sets (8-bit) with their ranges.
    sets8.setTitle(1059);
    sets8.setKey(1057);
    addTag(sets8, 4031, &tagChecker2);
    sets8Ranges.addFld(XXFLD_INT::gen, 1053, 3, &byteValHelper, &byteRange);
    sets8Ranges.addFld(XXFLD_INT::gen, 1054, 3, &byteValHelper, &byteRange);
    sets8.setSubGrid(&sets8Ranges);
    join(sets8);

    // 4. Sets (16-bit) with their ranges.
    sets16.setTitle(1061);
    sets16.setKey(1060);
    addTag(sets16, 4031, &tagChecker2);
    sets16Ranges.addFld(XXFLD_INT::gen, 1053, 5, &wordValHelper, &wordRange);
    sets16Ranges.addFld(XXFLD_INT::gen, 1054, 5, &wordValHelper, &wordRange);
    sets16.setSubGrid(&sets16Ranges);
    join(sets16);

    // 5. Pattern / node group names (filled by preparation; not written).
    patternNames.setTitle(1240);
    patternNames.addFld(XXFLD_ID::gen, 1240, 50);
    patternNames.setPersistent(false);
    join(patternNames);

    // 6. Patterns with their elements.
    patterns.setTitle(1239);
    patterns.setKey(1238);
    addTag(patterns, 4032, &tagChecker2);
    patternElements.addFld(XXFLD_ID::gen, 1057, 50, &setVarNames, 0);
    patternElements.addFld(XXFLD_INT::gen, 1051, 5, 4008, &minChecker);
    patternElements.addFld(XXFLD_INT::gen, 1052, 5, 4008, &maxChecker);
    patterns.setSubGrid(&patternElements);
    join(patterns);

    // 7. Action groups with their actions.
    actionGroups.setTitle(1116);
    actionGroups.setKey(1115);
    addTag(actionGroups, 4037, &tagChecker2);
    buildActionGrid(actionGroupActions, 1115);
    actionGroups.setSubGrid(&actionGroupActions);
    join(actionGroups);

    // 8.-11. The phase action grids.
    buildActionGrid(preRunActions, 1111);
    join(preRunActions);
    buildActionGrid(postRunActions, 1112);
    join(postRunActions);
    buildActionGrid(preStreamActions, 1113);
    join(preStreamActions);
    buildActionGrid(postStreamActions, 1114);
    join(postStreamActions);

    // 12. Variables.
    variables.setTitle(1292);
    variables.engine = this;
    variables.definition = this;
    addTag(variables, 4034, &tagChecker2);
    variables.addFld(XXFLD_STR::gen, 1092, 10, &varTypes, 0);
    variables.addFld(XXFLD_BYTES::gen, 1091, 255, 4007).optional = true;
    variables.addFld(XXFLD_BOOL::gen, 1036, 1, 4007);
    join(variables);

    // 13. File variables.
    fileVariables.setTitle(1296);
    addTag(fileVariables, 4065, &tagChecker2);
    fileVariables.addFld(XXFLD_STR::gen, 1222, 260, static_cast<XXCHOOSER*>(nullptr));
    fileVariables.addFld(XXFLD_STR::gen, 1093, 255, 4063);
    fileVariables.addFld(XXFLD_BYTES::gen, "", 0);
    fileVariables.addFld(XXFLD_DATA<FileVarMgr>::gen, "", 0);
    join(fileVariables);

    // 14. Counters.
    counters.setTitle(1217);
    addTag(counters, 4035, &tagChecker2);
    counters.addFld(XXFLD_INT::gen, 1091, 10, 4004);
    join(counters);

    // 15. Maps (the older form of string sets).
    maps.setTitle(1234);
    addTag(maps, 4028, &tagChecker2);
    buildMapColumns(mapRows);
    maps.setSubGrid(&mapRows);
    join(maps);

    // 16. String sets: Enabled, then the map columns.
    stringSets.setTitle(1271);
    stringSets.setKey(1270);
    addTag(stringSets, 4028, &tagChecker2);
    XXFLD_DEF& enabled = stringSetRows.addFld(XXFLD_BOOL::gen, 34, 1, 4061);
    enabled.optional = true;
    enabled.defaultText = "1";
    buildMapColumns(stringSetRows);
    stringSets.setSubGrid(&stringSetRows);
    join(stringSets);

    for (XXGRID* g : {static_cast<XXGRID*>(&reservedWords), static_cast<XXGRID*>(&sets8),
                      static_cast<XXGRID*>(&sets16), static_cast<XXGRID*>(&patterns),
                      static_cast<XXGRID*>(&variables), static_cast<XXGRID*>(&fileVariables),
                      static_cast<XXGRID*>(&counters), static_cast<XXGRID*>(&actionGroups),
                      static_cast<XXGRID*>(&stringSets), static_cast<XXGRID*>(&nodeGroups)})
        tagOwners_.add(g);
}

int32_t PXDefinition::reset() {
    for (XXGRID* g : grids_) g->clearRows();
    nodeGroups.clearAll();
    preRun.clear();
    postRun.clear();
    preStream.clear();
    postStream.clear();
    for (XXGRID* g : {&setVarNames, &targets, &patternNames, &errorGrid}) g->clearRows();
    return 2;
}

// --- lending -----------------------------------------------------------------------------

int32_t PXDefinition::getGridCount() { return grids_.count(); }

int32_t PXDefinition::grabGrid(int32_t position, XXGRID*& grid) {
    grid = nullptr;
    XXGRID* g = grids_.at(position);
    if (!g || !g->lock()) return 0;
    grid = g;
    return 2;
}

int32_t PXDefinition::grabGrid(const char* key, XXGRID*& grid) {
    grid = nullptr;
    XXGRID* g = findGrid(key);
    if (!g || !g->lock()) return 0;
    grid = g;
    return 2;
}

int32_t PXDefinition::releaseGrid(const char* key) {
    XXGRID* g = findGrid(key);
    if (!g) return 0;
    g->unlock();
    return 2;
}

int32_t PXDefinition::grabGraphs(PXGraphs*& graphs) {
    graphs = nullptr;
    if (!nodeGroups.lock()) return 0;
    graphs = &nodeGroups;
    return 2;
}

int32_t PXDefinition::releaseGraphs() {
    nodeGroups.unlock();
    return 2;
}

// --- lists and hooks ---------------------------------------------------------------------

void PXDefinition::addGrid(XXGRID& grid, bool ownsTags) {
    grids_.add(&grid);
    if (ownsTags) tagOwners_.add(&grid);
}

XXGRID* PXDefinition::findGrid(const char* key) const {
    if (!key) return nullptr;
    for (XXGRID* g : grids_)
        if (g->key() == key) return g;
    return nullptr;
}

XXGRID* PXDefinition::findGridByTitle(int32_t titleId) const {
    const char* title = loadString(titleId);
    for (XXGRID* g : grids_)
        if (g->title() == title) return g;
    return nullptr;
}

void PXDefinition::setFormRunner(IPXFormRunner* runner) {
    runner_ = runner;
    byteValHelper.setRunner(runner);
    wordValHelper.setRunner(runner);
    for (ActionGrid* g : {&actionGroupActions, &preRunActions, &postRunActions, &preStreamActions, &postStreamActions})
        g->runner = runner;
}

void PXDefinition::setClientChoosers(XXCHOOSER* definitionFile, XXCHOOSER* file) {
    if (XXFLD_DEF* d = nodeGroups.fieldDef(0)) d->chooser = definitionFile;
    if (XXFLD_DEF* d = fileVariables.fieldDef(PXCOL::fileVarFile)) d->chooser = file;
}
