// RecursiveFileIterator and FileIterator: the files one spec names, depth first.
//
// The spec is split into drive, directory, name and extension. Level 0 walks the spec's
// directory; with recursion every subdirectory it yields becomes a new level with the same
// name and extension patterns, so within each directory the matching files come first, then
// each subdirectory in turn. Levels are kept as a stack of DirIterators that grows as the
// walk deepens and is reused as it climbs back. Paths are absolute.
//
// FileIterator holds a RecursiveFileIterator that may fail to be allocated: it then reports
// "File iterator not available" once and yields nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/XXFARRAY.h"
#include "foundation/XXSTRING.h"
#include "run/DirIterator.h"

class RecursiveFileIterator {
public:
    RecursiveFileIterator() : levels_(10) {}

    // Copies and splits the spec.
    void setSpec(const char* spec);
    void setRecurse(bool flag) { recurse_ = flag; }
    void setIncludeHidden(bool flag) { includeHidden_ = flag; }
    // Starts the walk at level 0.
    void start();
    // The next file; false when the walk is over. fullPath() is then the file's path.
    bool next();
    const XXSTRING& fullPath() const { return fullPath_; }
    const XXSTRING& spec() const { return spec_; }
    // The path of the file next() gives after `ahead` more files (0: the next one) when it
    // comes from the directory listing under way; false when it is not known without reading
    // another directory.
    bool peek(size_t ahead, XXSTRING& path) const { return level_ >= 0 && levels_[level_].peekFile(ahead, path); }

private:
    XXFARRAY<DirIterator> levels_;
    int32_t level_ = -1;           // -1 before start
    XXSTRING spec_;
    XXSTRING drive_, directory_, name_, extension_;
    XXSTRING fullPath_;
    bool recurse_ = false;
    bool includeHidden_ = false;
};

class FileIterator {
public:
    FileIterator();
    bool valid() const { return iterator_ != nullptr; }
    void setSpec(const char* spec);
    void setRecurse(bool flag);
    void setIncludeHidden(bool flag);
    void start();
    bool next();
    bool peek(size_t ahead, XXSTRING& path) const { return iterator_ && iterator_->peek(ahead, path); }
    // The current file's path ("" without an iterator).
    const XXSTRING& fullPath() const;

private:
    std::unique_ptr<RecursiveFileIterator> iterator_;
    XXSTRING none_;
};
