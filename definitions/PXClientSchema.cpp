#include "definitions/PXClientSchema.h"

namespace {

constexpr int32_t kProcessorRows = 10;
constexpr int32_t kOutputFileRows = 10;

void makeForm(XXGRID& grid) {
    grid.setPageRows(1);
    grid.setMaxRows(1);
}

// The "Scan" switch that starts every input grid: on for a new row.
void addScan(XXGRID& grid, int32_t helpId) {
    XXFLD_DEF& scan = grid.addFld(XXFLD_BOOL::gen, 1354, 1, helpId);
    scan.optional = true;
    scan.defaultText = "1";
}

void buildProcessors(XXGRID& grid, int32_t titleId, int32_t keyId, const PXClientChoosers& choosers) {
    grid.setTitle(titleId);
    grid.setKey(keyId);
    grid.setMaxRows(kProcessorRows);
    grid.addFld(XXFLD_FNAME::gen, 54, 260, choosers.definitionFile);
}

}  // namespace

void buildLogNameGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(1226);
    makeForm(grid);
    grid.addFld(XXFLD_FNAME::gen, 1226, 260, choosers.fileName);
    grid.addFld(XXFLD_BOOL::gen, 1301, 1, 4010);
}

void buildExtensionDllGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(1227);
    makeForm(grid);
    grid.addFld(XXFLD_FNAME::gen, 1227, 260, choosers.fileName);
}

void buildFileViewerGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(1225);
    makeForm(grid);
    grid.addFld(XXFLD_FNAME::gen, 1225, 260, choosers.fileName);
}

void buildDatabaseGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(1230);
    makeForm(grid);
    grid.addFld(XXFLD_STR::gen, 1232, 255, choosers.dataSource);
    grid.addFld(XXFLD_STR::gen, 1231, 255, 4055);
    grid.addFld(XXFLD_STR::gen, 1222, 255, choosers.file);
}

void buildPreProcessorsGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    buildProcessors(grid, 1253, 1252, choosers);
}

void buildPostProcessorsGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    buildProcessors(grid, 1255, 1254, choosers);
}

void buildOutputFilesGrid(XXGRID& grid, const PXClientChoosers& choosers, XXCHECKER* tagChecker) {
    grid.setTitle(1044);
    grid.setKey(1043);
    grid.setMaxRows(kOutputFileRows);
    grid.addFld(XXFLD_ID::gen, 1286, 50, 4039, tagChecker);
    grid.addFld(XXFLD_FNAME::gen, 1042, 260, choosers.fileName);
    grid.addFld(XXFLD_BOOL::gen, 1301, 1, 4010);
}

void buildSourcesGrid(XXGRID& grid) {
    grid.setTitle(1266);
    grid.addFld(XXFLD_ID::gen, 1286, 50);
    grid.setPersistent(false);
}

void buildTablesGrid(XXGRID& grid) {
    grid.setTitle(1284);
    grid.addFld(XXFLD_ID::gen, 1286, 50);
    grid.setPersistent(false);
}

void buildDestinationsGrid(XXGRID& grid) {
    grid.setTitle(1045);
    grid.addFld(XXFLD_ID::gen, 1286, 50);
}

void buildFilesGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(1224);
    grid.setKey(1040);
    addScan(grid, 4038);
    grid.addFld(XXFLD_FNAME::gen, 1039, 260, choosers.fileName);
    grid.addFld(XXFLD_BOOL::gen, 1310, 1, 4009).optional = true;
    grid.addFld(XXFLD_BOOL::gen, 1311, 1, 4060);
}

void buildUrlsGrid(XXGRID& grid) {
    grid.setTitle(1291);
    addScan(grid, 4038);
    grid.addFld(XXFLD_FNAME::gen, 1290, 260, 4052).extra = 60;
}

void buildFoldersGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(2204);
    addScan(grid, 4059);
    grid.addFld(XXFLD_STR::gen, 2201, 255, choosers.folder);
    grid.addFld(XXFLD_STR::gen, 2203, 255, choosers.folder);
}

void buildMessageOptionsGrid(XXGRID& grid, const PXClientChoosers& choosers) {
    grid.setTitle(2109);
    makeForm(grid);
    grid.addFld(XXFLD_BOOL::gen, 2150, 1, 5020);
    grid.addFld(XXFLD_BOOL::gen, 2160, 1, 5030);
    grid.addFld(XXFLD_STR::gen, 2206, 255, choosers.profile);
    grid.addFld(XXFLD_STR::gen, 320, 255, 5040);
}
