// The exports of libqnmail.so. Hosts find them by name with dlsym; everything else in the
// library is hidden. Nothing may escape them: failures come back as result codes.
#include <memory>

#include "maillib/MaildirFolder.h"
#include "maillib/QNMailSession.h"

namespace {

void setResult(uint32_t* result, uint32_t value) {
    if (result) *result = value;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) IQNMailSession* QNMailLogon(const char* profile,
                                                                                const char* password,
                                                                                uint32_t* result,
                                                                                std::string* error) {
    try {
        std::vector<MailProfile> profiles;
        std::string failure;
        if (!readMailProfiles(mailProfilePath(), profiles, failure)) {
            setResult(result, kMailLogonFailed);
            if (error) *error = failure;
            return nullptr;
        }
        const std::string wanted = profile ? profile : "";
        for (MailProfile& p : profiles) {
            if (!wanted.empty() && p.name != wanted) continue;
            setResult(result, kMailOk);
            return std::make_unique<QNMailSession>(std::move(p), password ? password : "").release();
        }
        setResult(result, kMailLogonFailed);
        if (error) *error = (wanted.empty() ? "No profile" : "No profile " + wanted) + " in " + mailProfilePath();
    } catch (const std::exception& e) {
        setResult(result, kMailNotEnoughResources);
        if (error) *error = e.what();
    }
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) int32_t QNMailProfiles(QNMailProfileFn each, void* context) {
    try {
        std::vector<MailProfile> profiles;
        std::string ignored;
        readMailProfiles(mailProfilePath(), profiles, ignored);
        for (const MailProfile& p : profiles)
            if (each) each(p.name.c_str(), context);
        return int32_t(profiles.size());
    } catch (const std::exception&) {
        return 0;
    }
}

extern "C" __attribute__((visibility("default"))) IQNMailFolder* QNMailOpenInbox(uint32_t* result,
                                                                                  std::string* error) {
    try {
        auto inbox = std::make_unique<MaildirFolder>(pathFromEnvironment("MAILDIR", "/Maildir"), true);
        if (!inbox->opened()) {
            setResult(result, kMailNotFound);
            if (error) *error = inbox->lastError();
            return nullptr;
        }
        setResult(result, kMailOk);
        return inbox.release();
    } catch (const std::exception& e) {
        setResult(result, kMailNotEnoughResources);
        if (error) *error = e.what();
        return nullptr;
    }
}
