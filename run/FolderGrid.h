// FolderGrid: the "Folders" grid of mail input ("Scan", "MessageStore", "Folder").
//
// Definitions written before version 2.6 had no "Scan" column: their rows hold two values,
// the store and the folder. Such a row is read one column to the right and scanned, so old
// definitions keep their folders. The row's shape decides, never its values: a store named
// "0" or "false" stays a store.
#pragma once

#include "definitions/PXGrids.h"

class FolderGrid : public PXGrid {
public:
    static constexpr int32_t scanCol = 0;
    static constexpr int32_t storeCol = 1;
    static constexpr int32_t folderCol = 2;

    int32_t firstColumnRead(float version, int32_t values) const override;
};
