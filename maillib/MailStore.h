// MailStore: one open message store of a session (a Maildir, an IMAP account).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "maillib/IQNMail.h"

class MailStore {
public:
    virtual ~MailStore() = default;
    // The names of the top-level folders, the inbox ("INBOX") first.
    virtual uint32_t listFolders(std::vector<std::string>& names, std::string& error) = 0;
    // A top-level folder by name (exact comparison); null with the result and an error text.
    virtual std::unique_ptr<IQNMailFolder> openFolder(const std::string& name, uint32_t& result,
                                                      std::string& error) = 0;
};

// Opens the store at `url`; null with the result and an error text when it cannot be.
// `password` replaces the URL's own password when it is not empty.
std::unique_ptr<MailStore> openMailStore(const std::string& url, const std::string& password, uint32_t& result,
                                         std::string& error);
