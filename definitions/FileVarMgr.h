// FileVarMgr: the manager of one file variable, kept in the hidden data column of its row.
//
// It remembers which file the variable's value was loaded from, so that preparing a run
// reads a file again only when its path changed. The loading itself belongs to the engine.
#pragma once

#include <cstdint>

#include "foundation/XXFILENAME.h"
#include "foundation/XXSTRING.h"

class FileVarMgr {
public:
    XXSTRING name;
    XXFILENAME file;
    uint8_t loaded = 0;

    // A path that differs (exactly) from the current one is stored and marks the value not
    // loaded.
    void setPath(const char* path) {
        if (file == (path ? path : "")) return;
        file.set(path ? path : "");
        loaded = 0;
    }
};
