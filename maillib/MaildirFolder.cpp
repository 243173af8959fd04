#include "maillib/MaildirFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "maillib/MessageReader.h"

namespace {

bool isDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes `text` to `path` through a temporary file beside it; an error text, or "".
std::string replaceFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return "Unable to create " + temporary + ": " + strerror(errno);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string failure = "Unable to write " + temporary + ": " + strerror(errno);
            close(fd);
            unlink(temporary.c_str());
            return failure;
        }
        done += size_t(n);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        unlink(temporary.c_str());
        return "Unable to write " + temporary + ": " + strerror(errno);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string failure = "Unable to replace " + path + ": " + strerror(errno);
        unlink(temporary.c_str());
        return failure;
    }
    return "";
}

}  // namespace

MaildirFolder::MaildirFolder(std::string dir, bool markRead) : dir_(std::move(dir)), markRead_(markRead) {
    if (!isDirectory(dir_ + "/cur") && !isDirectory(dir_ + "/new")) {
        error_ = "Not a Maildir folder (no cur/ or new/): " + dir_;
        return;
    }
    list("cur");
    list("new");
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.unique < b.unique; });
    opened_ = loadStamps();
}

void MaildirFolder::list(const char* subdir) {
    DIR* d = opendir((dir_ + "/" + subdir).c_str());
    if (!d) return;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        const std::string file = e->d_name;
        entries_.push_back({file.substr(0, file.find(':')), subdir, file});
    }
    closedir(d);
}

bool MaildirFolder::loadStamps() {
    const std::string path = dir_ + "/" + stampFileName;
    std::ifstream in(path);
    if (!in) return true;   // nothing stamped yet
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) {
            error_ = path + ":" + std::to_string(number) + ": expected a message name, a tab and a time";
            return false;
        }
        stamps_[line.substr(0, tab)] = strtoll(line.c_str() + tab + 1, nullptr, 10);
    }
    return true;
}

bool MaildirFolder::next() {
    current_ = current_ == SIZE_MAX ? 0 : current_ + 1;
    return current_ < entries_.size();
}

bool MaildirFolder::stamped() {
    return current_ < entries_.size() && stamps_.count(entries_[current_].unique) > 0;
}

uint32_t MaildirFolder::setStamp(int64_t when) {
    if (current_ >= entries_.size()) return kMailNotFound;
    stamps_[entries_[current_].unique] = when;
    stampsChanged_ = true;
    return kMailOk;
}

uint32_t MaildirFolder::saveChanges() {
    if (!stampsChanged_) return kMailOk;
    std::ostringstream text;
    for (const Entry& e : entries_) {
        auto it = stamps_.find(e.unique);
        if (it != stamps_.end()) text << e.unique << '\t' << it->second << '\n';
    }
    error_ = replaceFile(dir_ + "/" + stampFileName, text.str());
    if (!error_.empty()) return kMailNoAccess;
    stampsChanged_ = false;
    return kMailOk;
}

bool MaildirFolder::markSeen(Entry& entry) {
    std::string flags;
    const size_t colon = entry.file.find(':');
    if (entry.subdir == "cur" && colon != std::string::npos && entry.file.compare(colon, 3, ":2,") == 0)
        flags = entry.file.substr(colon + 3);
    if (entry.subdir == "cur" && flags.find('S') != std::string::npos) return true;
    flags += 'S';
    std::sort(flags.begin(), flags.end());
    const std::string file = entry.unique + ":2," + flags;
    const std::string from = dir_ + "/" + entry.subdir + "/" + entry.file;
    const std::string to = dir_ + "/cur/" + file;
    if (rename(from.c_str(), to.c_str()) != 0) {
        error_ = "Unable to mark " + from + " as read: " + strerror(errno);
        return false;
    }
    entry.subdir = "cur";
    entry.file = file;
    return true;
}

uint32_t MaildirFolder::read(QNMailMessage& out) {
    if (current_ >= entries_.size()) return kMailNotFound;
    Entry& entry = entries_[current_];
    const std::string path = dir_ + "/" + entry.subdir + "/" + entry.file;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error_ = "Unable to open " + path + ": " + strerror(errno);
        return kMailNotFound;   // gone since the folder was listed
    }
    std::ostringstream raw;
    raw << in.rdbuf();
    readMessage(raw.str(), markRead_, out);
    if (markRead_ && !markSeen(entry)) return kMailErrorsReturned;
    return kMailOk;
}
