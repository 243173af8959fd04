// DirIterator: one directory level of a file-spec walk.
//
// It yields the files of its directory that match the spec's name and extension patterns,
// then, when recursing, the subdirectories (every one, whatever the patterns; hidden ones
// too, since the hidden switch applies to files only). One call of next() may pass through
// several states:
//   0 not started    search the patterns; the first accepted file moves to 1
//   1 files          continue; at the end move to 2 when recursing
//   2 subdirectories about to be searched ("*.*"); the first directory moves to 3
//   3 subdirectories continue; at the end move to 4
//   4 finished       nothing more
// A level that does not recurse and finds nothing stays in state 0.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/XXSTRING.h"
#include "run/DirSearch.h"

class DirIterator {
public:
    static constexpr int32_t notStarted = 0;
    static constexpr int32_t returningFiles = 1;
    static constexpr int32_t seekingDirectories = 2;
    static constexpr int32_t returningDirectories = 3;
    static constexpr int32_t finished = 4;

    bool recurse = false;
    bool includeHidden = false;
    int32_t state = notStarted;

    DirIterator() = default;

    // Starts over on `directory` (drive and directory of the spec plus the subdirectory path
    // of this level) with the name and extension patterns.
    void set(const char* drive, const char* directory, const char* name, const char* extension,
             bool recurse, bool includeHidden);
    // The next entry; false when this level has no more. fullPath() and isDirectory() then
    // describe it.
    bool next();
    // The path of the file next() would give after `ahead` more files (0: the next one), when
    // this level is handing out files and has that many more; false otherwise (its
    // directories are not looked into).
    bool peekFile(size_t ahead, XXSTRING& path) const;
    // Closes the search if one is open.
    void findClose();

    const XXSTRING& fullPath() const { return fullPath_; }
    const XXSTRING& entryName() const { return entryName_; }
    bool isDirectory() const { return entry_.directory; }
    const XXSTRING& directory() const { return directory_; }

private:
    bool startSearch(const char* pattern);
    // Takes entries of the running search until one is accepted; `directories` selects
    // which kind is accepted.
    bool take(bool directories);
    void makeFullPath();

    XXSTRING drive_;
    XXSTRING name_;
    XXSTRING extension_;
    XXSTRING directory_;
    XXSTRING fullPath_;
    XXSTRING entryName_;
    std::string base_;   // the searched folder as an absolute path, ending in '/' unless empty
    DirSearch::Entry entry_;
    DirSearch search_;
};
