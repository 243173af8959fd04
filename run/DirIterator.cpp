#include "run/DirIterator.h"

#include <string>

void DirIterator::set(const char* drive, const char* directory, const char* name, const char* extension,
                      bool recurseFlag, bool hiddenFlag) {
    findClose();
    drive_ = drive;
    directory_ = directory;
    name_ = name;
    extension_ = extension;
    recurse = recurseFlag;
    includeHidden = hiddenFlag;
    state = notStarted;
    fullPath_ = "";
    entryName_ = "";
    entry_ = {};
}

void DirIterator::findClose() { search_.close(); }

bool DirIterator::startSearch(const char* pattern) {
    findClose();
    std::string dir;
    dir.append(drive_.text()).append(directory_.text());
    // Made absolute once per search rather than once per entry (a getcwd each).
    base_ = drive_.length() == 0 ? absolutePath(dir) : dir;
    return search_.first(dir, pattern);
}

bool DirIterator::take(bool directories) {
    DirSearch::Entry e;
    while (search_.next(e)) {
        if (directories) {
            if (!e.directory) continue;
        } else {
            if (e.directory) continue;
            if (e.hidden && !includeHidden) continue;
        }
        entry_ = std::move(e);
        entryName_ = entry_.name.c_str();
        makeFullPath();
        return true;
    }
    return false;
}

bool DirIterator::next() {
    for (;;) {
        switch (state) {
        case notStarted: {
            XXSTRING pattern;
            pattern << name_ << extension_;
            if (startSearch(pattern) && take(false)) {
                state = returningFiles;
                return true;
            }
            if (!recurse) return false;
            state = seekingDirectories;
            break;
        }
        case returningFiles:
            if (take(false)) return true;
            if (!recurse) return false;
            state = seekingDirectories;
            break;
        case seekingDirectories:
            if (startSearch("*.*") && take(true)) {
                state = returningDirectories;
                return true;
            }
            findClose();
            state = finished;
            return false;
        case returningDirectories:
            if (take(true)) return true;
            findClose();
            state = finished;
            return false;
        default:
            return false;
        }
    }
}

bool DirIterator::peekFile(size_t ahead, XXSTRING& path) const {
    if (state != returningFiles) return false;
    for (size_t k = 0; const DirSearch::Entry* e = search_.peek(k); ++k) {
        if (e->directory || (e->hidden && !includeHidden)) continue;
        if (ahead-- > 0) continue;
        path = (base_ + e->name).c_str();
        return true;
    }
    return false;
}

void DirIterator::makeFullPath() { fullPath_ = (base_ + entry_.name).c_str(); }
