// OutputRecord: what a run's outputs did, kept by its destinations.
//
// The files the run opened (so that the file input does not read them back) and the number
// of failures of its outputs: files that could not be opened or written and database rows
// that were refused. A run with failures has not delivered everything it was asked for,
// and says so at its end. Also which output has each file open now, so that two outputs
// naming one file write through one handle.
#pragma once

#include <cstdint>
#include <map>
#include <set>

#include "run/DirSearch.h"

class StreamDest;

struct OutputRecord {
    std::set<FileId> written;
    int32_t failures = 0;
    // Kept by the outputs themselves as they open and close their files; the run's log is
    // there too, held by no output (null).
    std::map<FileId, StreamDest*> openFiles;

    void clear() {
        written.clear();
        failures = 0;
        openFiles.clear();
    }
};
