// DirSearch: the directory search under the file iterators, and the wildcard rule of file
// specs.
//
// A search lists one directory at once and hands out its entries in byte order of their
// names, so that a run visits files in the same order every time (readdir's own order
// depends on the file system). Each entry says whether it is a directory or a file:
// directories are real directories (a symbolic link to a directory is not followed, so a
// link cannot lead a recursive walk in circles); files are regular files or links to them.
// Other entries (pipes, sockets, devices) are left out: reading them could block a run;
// only a named pipe (FIFO) that a spec names exactly, without wildcards, is kept, to be
// read like a file. A name that begins with "." is hidden.
//
// Wildcards keep the meaning that definitions written on Windows rely on: "*" stands for
// any run of characters (dots included), "?" for one character, and a pattern that ends in
// ".*" also takes names without an extension, so "*.*" matches every name and "a.*" matches
// "a"; a pattern that ends in "." takes only names without a dot. Matching is
// case-sensitive, as Linux file names are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class XXSTREAM;

// `path` made absolute against the current directory (unchanged when it is absolute).
std::string absolutePath(const std::string& path);

// True when `name` matches the file-spec pattern (name and extension, no directory).
bool matchesFileSpec(const char* name, const char* pattern);

class DirSearch {
public:
    struct Entry {
        std::string name;
        bool directory = false;
        bool hidden = false;
    };

    // Lists `directory` ("" is the current directory) and keeps the entries whose name
    // matches `pattern`; false when the directory cannot be read.
    bool first(const std::string& directory, const std::string& pattern);
    // The next kept entry, or false after the last.
    bool next(Entry& out);
    // The entry `ahead` places after the one next() would give (0: that one), without taking
    // it; null past the last.
    const Entry* peek(size_t ahead) const {
        return open_ && next_ + ahead < entries_.size() ? &entries_[next_ + ahead] : nullptr;
    }
    // Forgets the listing.
    void close();
    bool isOpen() const { return open_; }

private:
    std::vector<Entry> entries_;
    size_t next_ = 0;
    bool open_ = false;
};

// True when both paths name one existing file (the same device and inode).
bool sameFile(const char* a, const char* b);

// The identity of a file (device and inode), to tell whether two names are one file.
struct FileId {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator<(const FileId& o) const { return device != o.device ? device < o.device : inode < o.inode; }
    bool operator==(const FileId& o) const = default;
};
// False when `path` names no file.
bool fileIdOf(const char* path, FileId& out);
// The identity of the file `stream` has open, read when it was opened; false when nothing
// is open or the system did not tell.
bool fileIdOf(const XXSTREAM& stream, FileId& out);
