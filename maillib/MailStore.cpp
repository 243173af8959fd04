// Opening a store by the scheme of its URL.
#include "maillib/MailStore.h"

#include <sys/stat.h>

#include "maillib/ImapStore.h"
#include "maillib/MaildirStore.h"

std::unique_ptr<MailStore> openMailStore(const std::string& url, const std::string& password, uint32_t& result,
                                         std::string& error) {
    result = kMailOk;
    if (url.rfind("maildir://", 0) == 0) {
        const std::string root = url.substr(10);
        struct stat st {};
        if (root.empty() || root[0] != '/' || stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            result = kMailNotFound;
            error = "No Maildir at " + (root.empty() ? url : root);
            return nullptr;
        }
        return std::make_unique<MaildirStore>(root);
    }
    if (url.rfind("imap://", 0) == 0 || url.rfind("imaps://", 0) == 0) return openImapStore(url, password, result, error);
    result = kMailNotFound;
    error = "Unknown kind of message store (maildir://, imap:// or imaps:// expected): " + url;
    return nullptr;
}
