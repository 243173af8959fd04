#include "run/FolderGrid.h"

int32_t FolderGrid::firstColumnRead(float version, int32_t values) const {
    // The file's version is read as a float: 2.6 itself must not count as older.
    return version < 2.6f - 1e-4f && values <= folderCol ? storeCol : scanCol;
}
