// MAPIMgr: the mail scanner's messaging manager. It binds the messaging layer
// (libqnmail.so, loaded by name through a holder shared with the default-inbox walk), logs
// on to a profile and walks the named folders of its message stores.
//
// A logon lasts while the profile and the password stay the same. A folder walk stamps
// every message it sees, whether or not it is scanned, so that "new messages only" takes
// exactly the messages no earlier walk saw; the stamps are made lasting when the walk ends,
// also when a halt or an abort cuts it short.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/PXInst.h"
#include "foundation/XXLIB.h"
#include "foundation/XXSTRING.h"
#include "maillib/IQNMail.h"
#include "run/MailText.h"

class MailScanner;

class MAPIMgr {
public:
    explicit MAPIMgr(XXLIB& library) : lib_(library) {}
    ~MAPIMgr() { logoff(); }
    MAPIMgr(const MAPIMgr&) = delete;
    MAPIMgr& operator=(const MAPIMgr&) = delete;

    // Logs on to `profile` (the first profile when empty); true when logged on. `why`
    // receives the reason of a failure.
    bool logon(const char* profile, const char* password, std::string& why);
    void logoff();
    bool loggedOn() const { return session_ != nullptr; }

    // Walks folder `folder` of store `store` (display names, exact): 2 when the folder was
    // found and walked, 1 when only the store was found, 0 otherwise. Every message read is
    // handed to the scanner.
    int32_t scanFolder(const char* store, const char* folder, PXInst& run, MailScanner& scanner, bool newOnly);

    // The names of the profiles (the choice list of the "Profile" field).
    std::vector<std::string> listProfiles();
    // Every store's top-level folders as (store, folder) pairs.
    std::vector<std::pair<std::string, std::string>> listFolders();

private:
    // Walks the open folder; stamps with `stamp`.
    void walkFolder(IQNMailFolder& folder, PXInst& run, MailScanner& scanner, bool newOnly, int64_t stamp);

    XXLIB& lib_;
    std::unique_ptr<IQNMailSession> session_;
    XXSTRING profile_;
    XXSTRING password_;
};

// The parts of a message read through the layer, for the text builder. `dateFormat` 0: the submit time "MM/DD/YYYY hh:mm"; 1: the received date of the default
// inbox, "YYYY/MM/DD hh:mm". Recipients of the kinds `types` (a bit per kind) are listed.
MailFields mailFieldsOf(const QNMailMessage& message, int32_t dateFormat, uint32_t types);
