// OutputRecord: what a run's outputs did, kept by its destinations.
//
// The files the run opened (so that the file input does not read them back) and the number
// of failures of its outputs: files that could not be opened or written and database rows
// that were refused. A run with failures has not delivered everything it was asked for,
// and says so at its end.
#pragma once

#include <cstdint>
#include <set>

#include "run/DirSearch.h"

struct OutputRecord {
    std::set<FileId> written;
    int32_t failures = 0;

    void clear() {
        written.clear();
        failures = 0;
    }
};
