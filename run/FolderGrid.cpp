#include "run/FolderGrid.h"

#include <string>

#include "foundation/XXROW.h"

void FolderGrid::rowRead(float version, XXROW& row) {
    // The file's version is read as a float: 2.6 itself must not count as older.
    if (version >= 2.6f - 1e-4f || row.count() <= folderCol) return;
    XXFLD* scan = row.field(scanCol);
    XXFLD* store = row.field(storeCol);
    XXFLD* folder = row.field(folderCol);
    if (!scan || !store || !folder || *folder->getText()) return;
    const std::string oldStore = scan->getText();
    const std::string oldFolder = store->getText();
    folder->setValue(oldFolder.c_str());
    store->setValue(oldStore.c_str());
    scan->setValue("1");
}
