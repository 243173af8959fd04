// QNMailSession: a logged-on profile; it opens the profile's stores by display name.
#pragma once

#include <memory>
#include <string>

#include "maillib/MailProfiles.h"
#include "maillib/MailStore.h"

class QNMailSession : public IQNMailSession {
public:
    QNMailSession(MailProfile profile, std::string password)
        : profile_(std::move(profile)), password_(std::move(password)) {}

    int32_t storeCount() const override { return int32_t(profile_.stores.size()); }
    const char* storeName(int32_t index) const override;
    uint32_t openStore(const char* name) override;
    uint32_t listFolders(std::vector<std::string>& names) override;
    IQNMailFolder* openFolder(const char* name, uint32_t* result) override;
    const char* lastError() const override { return error_.c_str(); }
    const char* component() const override { return component_.c_str(); }

private:
    MailProfile profile_;
    std::string password_;
    std::unique_ptr<MailStore> store_;
    std::string storeUrl_;
    std::string error_;
    std::string component_;
};
