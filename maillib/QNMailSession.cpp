#include "maillib/QNMailSession.h"

const char* QNMailSession::storeName(int32_t index) const {
    if (index < 0 || index >= storeCount()) return "";
    return profile_.stores[size_t(index)].name.c_str();
}

uint32_t QNMailSession::openStore(const char* name) {
    store_.reset();
    error_.clear();
    component_ = "profile " + profile_.name;
    for (const MailStoreEntry& entry : profile_.stores) {
        if (entry.name != name) continue;
        component_ = entry.url;
        uint32_t result = kMailOk;
        store_ = openMailStore(entry.url, password_, result, error_);
        return store_ ? kMailOk : result;
    }
    error_ = std::string("No message store ") + name + " in the profile";
    return kMailNotFound;
}

uint32_t QNMailSession::listFolders(std::vector<std::string>& names) {
    names.clear();
    if (!store_) return kMailNotFound;
    return store_->listFolders(names, error_);
}

IQNMailFolder* QNMailSession::openFolder(const char* name, uint32_t* result) {
    uint32_t r = kMailNotFound;
    std::unique_ptr<IQNMailFolder> folder;
    if (store_)
        folder = store_->openFolder(name, r, error_);
    else
        error_ = "No message store is open";
    if (result) *result = r;
    return folder.release();
}
