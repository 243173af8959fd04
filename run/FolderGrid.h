// FolderGrid: the "Folders" grid of mail input ("Scan", "MessageStore", "Folder").
//
// Definitions written before version 2.6 had no "Scan" column: their two values land in
// "Scan" and "MessageStore", leaving "Folder" empty. Such a row is moved one column to the
// right and scanned, so old definitions keep their folders.
#pragma once

#include "definitions/PXGrids.h"

class FolderGrid : public PXGrid {
public:
    static constexpr int32_t scanCol = 0;
    static constexpr int32_t storeCol = 1;
    static constexpr int32_t folderCol = 2;

    void rowRead(float version, XXROW& row) override;
};
