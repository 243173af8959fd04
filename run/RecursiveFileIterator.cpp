#include "run/RecursiveFileIterator.h"

#include <new>
#include <string>

#include "foundation/XXFILENAME.h"
#include "foundation/XXMSG.h"

namespace {

// The parent's directory joined with a subdirectory name, ending in "/".
XXSTRING joinDirectory(const XXSTRING& parent, const XXSTRING& name) {
    std::string dir = parent.text();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    dir += name.text();
    dir += '/';
    // A doubled separator (a spec such as "a//*.txt") is reduced to one.
    std::string joined;
    for (char c : dir)
        if (!(c == '/' && !joined.empty() && joined.back() == '/')) joined += c;
    return XXSTRING(joined.c_str());
}

}  // namespace

void RecursiveFileIterator::setSpec(const char* spec) {
    spec_ = spec;
    const XXFILENAME parts(spec);
    drive_ = parts.drive;
    directory_ = parts.directory;
    name_ = parts.name;
    extension_ = parts.extension;
}

void RecursiveFileIterator::start() {
    for (int32_t i = 0; i < levels_.count; ++i) levels_[i].findClose();
    level_ = 0;
    levels_.at(0).set(drive_, directory_, name_, extension_, recurse_, includeHidden_);
}

bool RecursiveFileIterator::next() {
    while (level_ >= 0) {
        DirIterator& current = levels_.at(level_);
        if (!current.next()) {
            current.findClose();
            if (level_ == 0) {
                level_ = -1;
                return false;
            }
            --level_;
            continue;
        }
        if (!current.isDirectory()) {
            fullPath_ = current.fullPath();
            return true;
        }
        const XXSTRING& sub = current.entryName();
        if (sub == "." || sub == "..") continue;
        const XXSTRING directory = joinDirectory(current.directory(), sub);
        // at() may move the levels, so `current` is not used after it.
        DirIterator& deeper = levels_.at(level_ + 1);
        deeper.set(drive_, directory, name_, extension_, recurse_, includeHidden_);
        ++level_;
    }
    return false;
}

FileIterator::FileIterator() : iterator_(new (std::nothrow) RecursiveFileIterator) {
    if (!iterator_) Tracer("FileIterator::FileIterator") << "File iterator not available" << endMsg;
}

void FileIterator::setSpec(const char* spec) {
    if (iterator_) iterator_->setSpec(spec);
}
void FileIterator::setRecurse(bool flag) {
    if (iterator_) iterator_->setRecurse(flag);
}
void FileIterator::setIncludeHidden(bool flag) {
    if (iterator_) iterator_->setIncludeHidden(flag);
}
void FileIterator::start() {
    if (iterator_) iterator_->start();
}
bool FileIterator::next() { return iterator_ && iterator_->next(); }
const XXSTRING& FileIterator::fullPath() const { return iterator_ ? iterator_->fullPath() : none_; }
