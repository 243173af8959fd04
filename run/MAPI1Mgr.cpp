#include "run/MAPI1Mgr.h"

#include <memory>
#include <string>

#include "foundation/XXMSG.h"
#include "maillib/IQNMail.h"
#include "run/MAPIMgr.h"
#include "run/MailScanner.h"

int32_t MAPI1Mgr::walk(PXInst& run, MailScanner& scanner) {
    scanner.folderEvent(2, "", "");
    if (!lib_.load()) return 0;
    auto openInbox = reinterpret_cast<QNMailOpenInboxFn>(lib_.symbol(kMailOpenInboxSymbol));
    if (!openInbox) return 0;
    uint32_t result = kMailOk;
    std::string why;
    std::unique_ptr<IQNMailFolder> inbox(openInbox(&result, &why));
    if (!inbox) {
        XXMSG log(2);
        log << why.c_str() << toLog;
        return 0;
    }
    const uint32_t allRecipients = (1u << kMailTo) | (1u << kMailCc) | (1u << kMailBcc);
    int32_t count = 0;
    while (!run.haltAtLeast(2) && inbox->next()) {
        QNMailMessage message;
        const uint32_t read = inbox->read(message);
        if (read == kMailNotFound) continue;
        if (read != kMailOk) {
            XXMSG log(2);
            log << inbox->lastError() << toLog;
        }
        scanner.message(run, message.subject, buildMessageText(mailFieldsOf(message, 1, allRecipients)));
        ++count;
    }
    return count;
}
