#include "run/DirSearch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/XXSTREAM.h"

namespace {

// Glob match of `text` against `pattern` with "*" and "?", iterative with one backtrack
// point, so long names cannot make it exponential.
bool globMatch(std::string_view text, std::string_view pattern) {
    size_t t = 0, p = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool matchesFileSpec(const char* name, const char* pattern) {
    const std::string_view n = name ? name : "";
    const std::string_view p = pattern ? pattern : "";
    if (globMatch(n, p)) return true;
    // "x.*" also takes names without an extension ("*.*" takes every name), and "x." takes
    // only those.
    if (p.size() >= 2 && p.substr(p.size() - 2) == ".*") return globMatch(n, p.substr(0, p.size() - 2));
    if (!p.empty() && p.back() == '.')
        return n.find('.') == std::string_view::npos && globMatch(n, p.substr(0, p.size() - 1));
    return false;
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::string cwd(4096, '\0');
    while (!getcwd(cwd.data(), cwd.size())) {
        if (errno != ERANGE) return path;
        cwd.resize(cwd.size() * 2);
    }
    cwd.resize(std::strlen(cwd.c_str()));
    if (cwd.empty() || cwd.back() != '/') cwd += '/';
    return path.empty() ? cwd : cwd + path;
}

bool DirSearch::first(const std::string& directory, const std::string& pattern) {
    close();
    const std::string dir = directory.empty() ? std::string(".") : directory;
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    const std::string prefix = dir.back() == '/' ? dir : dir + "/";
    while (const dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (!matchesFileSpec(name, pattern.c_str())) continue;
        Entry entry;
        entry.name = name;
        entry.hidden = name[0] == '.';
        // The listing already says "regular file" on most file systems; only other entries
        // (folders, links, pipes, unknown kinds) are looked up, two system calls each.
        if (e->d_type != DT_REG) {
            const std::string full = prefix + name;
            struct stat linkInfo {};
            if (lstat(full.c_str(), &linkInfo) != 0) continue;
            if (S_ISDIR(linkInfo.st_mode)) {
                entry.directory = true;
            } else {
                struct stat target {};
                if (stat(full.c_str(), &target) != 0) continue;
                // A pipe named exactly (no wildcard) is read like a file: its writer feeds the run.
                const bool namedPipe =
                    S_ISFIFO(target.st_mode) && pattern.find_first_of("*?") == std::string::npos;
                if (!S_ISREG(target.st_mode) && !namedPipe) continue;
            }
        }
        entries_.push_back(std::move(entry));
    }
    closedir(d);
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    open_ = true;
    return true;
}

bool DirSearch::next(Entry& out) {
    if (!open_ || next_ >= entries_.size()) return false;
    out = entries_[next_++];
    return true;
}

void DirSearch::close() {
    entries_.clear();
    next_ = 0;
    open_ = false;
}

bool sameFile(const char* a, const char* b) {
    struct stat sa {}, sb {};
    if (!a || !b || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool fileIdOf(const XXSTREAM& stream, FileId& out) {
    const FileStatus* status = stream.status();
    if (!status) return false;
    out = {status->device, status->inode};
    return true;
}

bool fileIdOf(const char* path, FileId& out) {
    struct stat st {};
    if (!path || stat(path, &st) != 0) return false;
    out.device = uint64_t(st.st_dev);
    out.inode = uint64_t(st.st_ino);
    return true;
}
