// The schema of the client's option grids and of the input grids the scanners register.
//
// The client and the scanners own these grids; building their columns here keeps the whole
// schema of a definition in one place. Each function gives an empty grid its title, key,
// columns and limits. The choosers are dialogs of the user interface (null where there is
// none); the output-files grid also takes the definition's tag checker.
#pragma once

#include "foundation/XXFLD_DEF.h"
#include "foundation/XXGRID.h"

struct PXClientChoosers {
    XXCHOOSER* fileName = nullptr;         // a file name to write or read
    XXCHOOSER* file = nullptr;             // an existing file
    XXCHOOSER* definitionFile = nullptr;   // a definition file
    XXCHOOSER* dataSource = nullptr;       // an ODBC data source
    XXCHOOSER* folder = nullptr;           // a message store or folder
    XXCHOOSER* profile = nullptr;          // a mail profile
};

// Option grids, in the order of the client's option list.
void buildLogNameGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildExtensionDllGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildFileViewerGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildDatabaseGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildPreProcessorsGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildPostProcessorsGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildOutputFilesGrid(XXGRID& grid, const PXClientChoosers& choosers, XXCHECKER* tagChecker);

// Grids the client appends to the definition grid list. Sources and Tables are filled at set-up
// and before each run, so they are not written to definition files.
void buildSourcesGrid(XXGRID& grid);
void buildTablesGrid(XXGRID& grid);
void buildDestinationsGrid(XXGRID& grid);

// Input grids of the file, URL and mail scanners.
void buildFilesGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildUrlsGrid(XXGRID& grid);
void buildFoldersGrid(XXGRID& grid, const PXClientChoosers& choosers);
void buildMessageOptionsGrid(XXGRID& grid, const PXClientChoosers& choosers);
