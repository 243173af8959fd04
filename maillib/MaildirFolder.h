// MaildirFolder: one folder of a Maildir (its cur/ and new/ messages) as a message cursor.
//
// Messages are taken in the order of their unique names (the part of the file name before
// the ':' of the flags), which Maildir writers begin with the delivery time, so the walk
// follows delivery. A folder opened for the default inbox marks every message it reads as
// seen: a message in new/ moves to cur/ with the flag S, one in cur/ gains S.
//
// Stamps never touch the messages: they are kept in the state file "quillon-stamps" in the
// folder's directory, one line per stamped message (unique name, tab, stamp time). It is
// rewritten whole by saveChanges, through a temporary file renamed over it, so a crash
// leaves either the old or the new file; messages that have gone drop out of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "maillib/IQNMail.h"

class MaildirFolder : public IQNMailFolder {
public:
    // The folder whose cur/ and new/ are in `dir`. `markRead` marks messages seen as they
    // are read. Check opened() afterwards.
    MaildirFolder(std::string dir, bool markRead);
    ~MaildirFolder() override = default;

    // False, with lastError set, when the directory is not a Maildir folder or the state
    // file cannot be read.
    bool opened() const { return opened_; }

    bool next() override;
    bool stamped() override;
    uint32_t setStamp(int64_t when) override;
    uint32_t saveChanges() override;
    uint32_t read(QNMailMessage& out) override;
    const char* lastError() const override { return error_.c_str(); }

    static constexpr const char* stampFileName = "quillon-stamps";

private:
    struct Entry {
        std::string unique;   // the file name up to the flags
        std::string subdir;   // "cur" or "new"
        std::string file;     // the file name in subdir
    };

    void list(const char* subdir);
    bool loadStamps();
    // Marks the current message seen (its file renamed); false with lastError on failure.
    bool markSeen(Entry& entry);

    std::string dir_;
    bool markRead_;
    bool opened_ = false;
    std::vector<Entry> entries_;
    size_t current_ = SIZE_MAX;   // before the first message
    std::map<std::string, int64_t> stamps_;
    bool stampsChanged_ = false;
    std::string error_;
};
