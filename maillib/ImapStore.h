// ImapStore: an IMAP account (imap:// or imaps://user@host:port) as a message store.
//
// The store's top-level folders are the mailboxes at the top of the account's hierarchy
// ("INBOX" among them). A folder is opened for reading and writing; its messages are taken
// in sequence order and fetched without setting \Seen. The stamp is the keyword $QNStamp,
// set on a message as soon as it is seen; the stamped messages are found with a search for
// the keyword when the folder opens. Servers are verified against the system's
// certificate authorities (imaps://).
#pragma once

#include "maillib/MailStore.h"

// Connects and logs in: kMailLogonFailed when the server refuses the credentials,
// kMailNotFound when it cannot be reached.
std::unique_ptr<MailStore> openImapStore(const std::string& url, const std::string& password, uint32_t& result,
                                         std::string& error);
