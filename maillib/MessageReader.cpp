#include "maillib/MessageReader.h"

#include <cstdlib>
#include <strings.h>
#include <vmime/vmime.hpp>
#include <vmime/contentTypeField.hpp>

#include "maillib/HtmlText.h"

namespace {

constexpr uint64_t kLargestBody = 0xFFFFFFFFull;   // a body must stay under 4 GiB

vmime::charsetConverterOptions replacingOptions(const std::string& codePage) {
    vmime::charsetConverterOptions options;
    options.silentlyReplaceInvalidSequences = true;
    options.invalidSequence = strcasecmp(codePage.c_str(), "UTF-8") == 0 ? "\xEF\xBF\xBD" : "?";
    return options;
}

// A header text (encoded words decoded) in `codePage`.
std::string headerText(const vmime::text& text, const std::string& codePage) {
    return text.getConvertedText(vmime::charset(codePage), replacingOptions(codePage));
}

// The part's media type; text/plain when it has none (the default of a message).
vmime::mediaType mediaTypeOf(const vmime::header& header) {
    if (!header.hasField(vmime::fields::CONTENT_TYPE)) return vmime::mediaType("text", "plain");
    return *header.ContentType()->getValue<vmime::mediaType>();
}

bool isAttachment(const vmime::header& header) {
    if (!header.hasField(vmime::fields::CONTENT_DISPOSITION)) return false;
    const auto disposition = header.ContentDisposition()->getValue<vmime::contentDisposition>();
    return disposition->getName() == vmime::contentDispositionTypes::ATTACHMENT;
}

// The first body part (depth first) whose type is text/`subType` and that is not an
// attachment, or null.
const vmime::bodyPart* findText(const vmime::bodyPart& part, const char* subType) {
    const vmime::header& header = *part.getHeader();
    const vmime::body& body = *part.getBody();
    if (body.getPartCount() > 0) {
        for (size_t i = 0; i < body.getPartCount(); ++i) {
            if (const vmime::bodyPart* found = findText(*body.getPartAt(i), subType)) return found;
        }
        return nullptr;
    }
    const vmime::mediaType type = mediaTypeOf(header);
    if (type.getType() == vmime::mediaTypes::TEXT && type.getSubType() == subType && !isAttachment(header))
        return &part;
    return nullptr;
}

vmime::charset charsetOf(const vmime::header& header) {
    if (header.hasField(vmime::fields::CONTENT_TYPE)) {
        auto field = std::dynamic_pointer_cast<const vmime::contentTypeField>(header.ContentType());
        if (field && field->hasCharset()) return field->getCharset();
    }
    return vmime::charset(vmime::charsets::US_ASCII);
}

// The decoded body of `part` in UTF-8; false (with the transfer-decoded bytes in `out`)
// when its charset cannot be converted.
bool decodedUtf8(const vmime::bodyPart& part, std::string& out) {
    std::string bytes;
    vmime::utility::outputStreamStringAdapter stream(bytes);
    part.getBody()->getContents()->extract(stream);
    stream.flush();
    try {
        vmime::charset::convert(bytes, out, charsetOf(*part.getHeader()), vmime::charset("UTF-8"),
                                replacingOptions("UTF-8"));
        return true;
    } catch (const vmime::exception&) {
        out = bytes;
        return false;
    }
}

void readBody(const vmime::message& message, const std::string& codePage, QNMailMessage& out) {
    bool html = false;
    const vmime::bodyPart* part = findText(message, vmime::mediaTypes::TEXT_PLAIN);
    if (!part) {
        part = findText(message, vmime::mediaTypes::TEXT_HTML);
        html = true;
    }
    if (!part) {
        out.bodyResult = kMailNotFound;
        return;
    }
    std::string utf8;
    if (!decodedUtf8(*part, utf8)) {
        out.bodyResult = kMailErrorsReturned;
        out.body = utf8;
        return;
    }
    if (html) utf8 = htmlToText(utf8);
    if (utf8.size() >= kLargestBody) {
        out.bodyResult = kMailTooBig;
        return;
    }
    if (strcasecmp(codePage.c_str(), "UTF-8") == 0) {
        out.body = std::move(utf8);
        return;
    }
    try {
        vmime::charset::convert(utf8, out.body, vmime::charset("UTF-8"), vmime::charset(codePage),
                                replacingOptions(codePage));
    } catch (const vmime::exception&) {
        out.bodyResult = kMailErrorsReturned;
        out.body = std::move(utf8);
    }
}

void addRecipients(const vmime::header& header, const char* field, int32_t type, const std::string& codePage,
                   QNMailMessage& out) {
    if (!header.hasField(field)) return;
    auto list = header.findField(field)->getValue<vmime::addressList>();
    if (!list) return;
    auto mailboxes = list->toMailboxList();
    for (size_t i = 0; i < mailboxes->getMailboxCount(); ++i) {
        auto box = mailboxes->getMailboxAt(i);
        QNMailRecipient r;
        r.address = box->getEmail().toString();
        r.name = headerText(box->getName(), codePage);
        if (r.name.empty()) r.name = r.address;
        r.type = type;
        out.recipients.push_back(std::move(r));
    }
}

}  // namespace

std::string mailCodePage() {
    const char* named = getenv("QUILLON_CODEPAGE");
    return named && *named ? named : "UTF-8";
}

void readMessage(const std::string& raw, bool allRecipients, QNMailMessage& out) {
    out = QNMailMessage();
    const std::string codePage = mailCodePage();
    vmime::message message;
    message.parse(raw);
    const vmime::header& header = *message.getHeader();

    if (header.hasField(vmime::fields::SUBJECT))
        out.subject = headerText(*header.Subject()->getValue<vmime::text>(), codePage);
    if (header.hasField(vmime::fields::DATE)) {
        const vmime::datetime utc =
            vmime::utility::datetimeUtils::toUniversalTime(*header.Date()->getValue<vmime::datetime>());
        out.hasSubmitTime = true;
        out.year = utc.getYear();
        out.month = utc.getMonth();
        out.day = utc.getDay();
        out.hour = utc.getHour();
        out.minute = utc.getMinute();
    }
    if (header.hasField(vmime::fields::FROM)) {
        auto from = header.From()->getValue<vmime::mailbox>();
        out.senderName = headerText(from->getName(), codePage);
        out.senderAddress = from->getEmail().toString();
    }
    addRecipients(header, vmime::fields::TO, kMailTo, codePage, out);
    if (allRecipients) {
        addRecipients(header, vmime::fields::CC, kMailCc, codePage, out);
        addRecipients(header, vmime::fields::BCC, kMailBcc, codePage, out);
    }
    readBody(message, codePage, out);
}
