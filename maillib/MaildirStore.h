// MaildirStore: a Maildir in the Maildir++ layout that Dovecot and Courier write.
//
// The store's root is its inbox, the folder "INBOX"; a top-level folder X is the directory
// ".X" beside cur/, new/ and tmp/ (".X.Y" is the folder Y inside X, which is not a
// top-level folder and is not listed).
#pragma once

#include "maillib/MailStore.h"

class MaildirStore : public MailStore {
public:
    explicit MaildirStore(std::string root) : root_(std::move(root)) {}

    uint32_t listFolders(std::vector<std::string>& names, std::string& error) override;
    std::unique_ptr<IQNMailFolder> openFolder(const std::string& name, uint32_t& result,
                                              std::string& error) override;

    // The directory of a top-level folder ("" for a name that cannot be one).
    std::string folderDirectory(const std::string& name) const;

private:
    std::string root_;
};
