#include "run/MAPIMgr.h"

#include <cstdio>
#include <ctime>

#include "foundation/XXMSG.h"
#include "run/MailScanner.h"
#include "run/MailText.h"
#include "run/TitledError.h"

namespace {

void collectProfile(const char* name, void* context) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(name);
}

std::string dateText(const QNMailMessage& m, int32_t format) {
    char text[64];
    if (format == 0)
        snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d", m.month, m.day, m.year, m.hour, m.minute);
    else
        snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

}  // namespace

MailFields mailFieldsOf(const QNMailMessage& m, int32_t dateFormat, uint32_t types) {
    MailFields f;
    f.retrievalError = bodyProblemText(m.bodyResult);
    f.subject = m.subject;
    if (m.hasSubmitTime)
        f.date = dateText(m, dateFormat);
    else if (dateFormat == 0)
        f.date = "  [" + propertyTagName((kPrClientSubmitTime & 0xFFFF0000u) | kPtError) + "]";
    f.senderName = m.senderName;
    f.senderAddress = m.senderAddress;
    for (const QNMailRecipient& r : m.recipients) {
        if (!(types & (1u << r.type))) continue;
        f.recipientNames += r.name + ";";
        f.recipientAddresses += r.address + ";";
    }
    f.body = m.body;
    return f;
}

bool MAPIMgr::logon(const char* profile, const char* password, std::string& why) {
    if (session_ && profile_ == profile && password_ == password) return true;
    profile_ = profile;
    password_ = password;
    logoff();
    if (!lib_.load()) {
        why = std::string("Unable to load ") + lib_.fileName();
        return false;
    }
    auto logonFn = reinterpret_cast<QNMailLogonFn>(lib_.symbol(kMailLogonSymbol));
    if (!logonFn) {
        why = std::string("Unable to locate ") + kMailLogonSymbol;
        return false;
    }
    uint32_t result = kMailOk;
    session_.reset(logonFn(profile, password, &result, &why));
    if (!session_ && why.empty()) why = mailResultText(result);
    return session_ != nullptr;
}

void MAPIMgr::logoff() { session_.reset(); }

int32_t MAPIMgr::scanFolder(const char* store, const char* folder, PXInst& run, MailScanner& scanner, bool newOnly) {
    scanner.folderEvent(0, store, folder);
    if (!session_) return 0;
    bool named = false;
    for (int32_t i = 0; i < session_->storeCount(); ++i)
        if (std::string(session_->storeName(i)) == store) named = true;
    if (!named) return 0;
    if (const uint32_t opened = session_->openStore(store); opened != kMailOk) {
        TitledError e("MAPIMgr::scanFolder");
        e << mailResultText(opened) << "\n" << session_->lastError() << " [" << session_->component() << "]"
          << endMsg;
        return 0;
    }
    uint32_t result = kMailOk;
    std::unique_ptr<IQNMailFolder> open(session_->openFolder(folder, &result));
    if (!open) {
        XXMSG log(2);
        log << session_->lastError() << toLog;
        return 1;
    }
    walkFolder(*open, run, scanner, newOnly, int64_t(time(nullptr)));
    scanner.folderEvent(1, store, folder);
    return 2;
}

void MAPIMgr::walkFolder(IQNMailFolder& folder, PXInst& run, MailScanner& scanner, bool newOnly, int64_t stamp) {
    try {
        while (!run.haltAtLeast(2) && folder.next()) {
            const bool seenBefore = folder.stamped();
            if (folder.setStamp(stamp) != kMailOk) {
                TitledError e("MAPIMgr::scanFolder");
                e << "Unable to set TimeStamp: " << folder.lastError() << endMsg;
            }
            if (seenBefore && newOnly) continue;
            QNMailMessage message;
            const uint32_t read = folder.read(message);
            if (read == kMailNotFound) continue;
            if (read != kMailOk) {
                XXMSG log(2);
                log << folder.lastError() << toLog;
            }
            scanner.message(run, message.subject, buildMessageText(mailFieldsOf(message, 0, 1u << kMailTo)));
        }
    } catch (...) {
        folder.saveChanges();   // the stamps set so far are kept however the walk ends
        throw;
    }
    if (folder.saveChanges() != kMailOk) {
        TitledError e("MAPIMgr::scanFolder");
        e << "Unable to save changes: " << folder.lastError() << endMsg;
    }
}

std::vector<std::string> MAPIMgr::listProfiles() {
    std::vector<std::string> names;
    if (!lib_.load()) return names;
    if (auto profiles = reinterpret_cast<QNMailProfilesFn>(lib_.symbol(kMailProfilesSymbol)))
        profiles(collectProfile, &names);
    return names;
}

std::vector<std::pair<std::string, std::string>> MAPIMgr::listFolders() {
    std::vector<std::pair<std::string, std::string>> table;
    if (!session_) return table;
    for (int32_t i = 0; i < session_->storeCount(); ++i) {
        const std::string store = session_->storeName(i);
        std::vector<std::string> folders;
        if (session_->openStore(store.c_str()) != kMailOk || session_->listFolders(folders) != kMailOk) continue;
        for (const std::string& f : folders) table.emplace_back(store, f);
    }
    return table;
}
