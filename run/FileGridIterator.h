// FileGridIterator: every file named by the scanned rows of the input files grid, in row
// order.
//
// Rows whose Scan switch is off are passed over; a row without a Scan field ends the walk.
// For each scanned row the row's spec, Subdirectories and Hidden files switches are handed
// to a FileIterator; when it runs dry the next scanned row takes over, until a file is found
// or the rows are exhausted.
#pragma once

#include <cstdint>

#include "foundation/XXGRID.h"
#include "run/RecursiveFileIterator.h"

class FileGridIterator {
public:
    // Starts at once. `grid` may be null (nothing is yielded).
    FileGridIterator(const XXGRID* grid, int32_t specCol, int32_t scanCol, int32_t subdirCol,
                     int32_t hiddenCol);

    // Moves to the next file; true while one is available.
    bool next();
    // The path of the file next() gives after `ahead` more files (0: the next one) when the
    // current directory listing holds it; false when that is not known without reading a
    // directory or moving to another row.
    bool peek(size_t ahead, XXSTRING& path) const { return !done_ && files_.peek(ahead, path); }
    // The current file's absolute path.
    const XXSTRING& fullPath() const { return files_.fullPath(); }
    // The spec of the row the current file comes from.
    const XXSTRING& spec() const { return spec_; }
    bool done() const { return done_; }
    // Ends the walk.
    void end() { done_ = true; }

private:
    // Moves to the next scanned row and starts its files; false when there is none.
    bool advance();

    const XXGRID* grid_;
    int32_t specCol_, scanCol_, subdirCol_, hiddenCol_;
    FileIterator files_;
    int32_t nextRow_ = 0;
    XXSTRING spec_;
    bool recurse_ = false;
    bool hidden_ = false;
    bool done_ = false;
};
