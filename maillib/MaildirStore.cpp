#include "maillib/MaildirStore.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "maillib/MaildirFolder.h"

std::string MaildirStore::folderDirectory(const std::string& name) const {
    if (name == "INBOX") return root_;
    if (name.empty() || name.find('.') != std::string::npos || name.find('/') != std::string::npos) return "";
    return root_ + "/." + name;
}

uint32_t MaildirStore::listFolders(std::vector<std::string>& names, std::string& error) {
    names.clear();
    DIR* d = opendir(root_.c_str());
    if (!d) {
        error = "Unable to open " + root_ + ": " + strerror(errno);
        return kMailNotFound;
    }
    while (const dirent* e = readdir(d)) {
        const std::string entry = e->d_name;
        if (entry.size() < 2 || entry[0] != '.' || entry.find('.', 1) != std::string::npos) continue;
        struct stat st {};
        if (stat((root_ + "/" + entry + "/cur").c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            names.push_back(entry.substr(1));
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    names.insert(names.begin(), "INBOX");
    return kMailOk;
}

std::unique_ptr<IQNMailFolder> MaildirStore::openFolder(const std::string& name, uint32_t& result,
                                                        std::string& error) {
    const std::string dir = folderDirectory(name);
    struct stat st {};
    if (dir.empty() || stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        result = kMailNotFound;
        error = "No folder " + name + " in " + root_;
        return nullptr;
    }
    auto folder = std::make_unique<MaildirFolder>(dir, false);
    if (!folder->opened()) {
        result = kMailNotFound;
        error = folder->lastError();
        return nullptr;
    }
    result = kMailOk;
    return folder;
}
