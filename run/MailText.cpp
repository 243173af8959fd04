#include "run/MailText.h"

#include <cstdio>

#include "maillib/IQNMail.h"

namespace {

// "From: " / "To: " with a list of names and addresses.
void addParty(std::string& text, const char* label, const std::string& names, const std::string& addresses) {
    if (names.empty() && addresses.empty()) return;
    text += label;
    if (!names.empty()) text += "\"" + names + "\"";
    if (!addresses.empty()) text += "<" + addresses + ">";
    if (!names.empty()) text += ' ';
    text += '\n';
}

void addLine(std::string& text, const char* label, const std::string& value) {
    if (value.empty()) return;
    text += label;
    text += value;
    text += '\n';
}

struct PropertyName {
    uint16_t id;
    const char* name;
};

// The properties the messaging layer exposes, by their published names.
constexpr PropertyName kProperties[] = {
    {0x0037, "PR_SUBJECT"},
    {0x0039, "PR_CLIENT_SUBMIT_TIME"},
    {0x0C15, "PR_RECIPIENT_TYPE"},
    {0x0C1A, "PR_SENDER_NAME"},
    {0x0C1F, "PR_SENDER_EMAIL_ADDRESS"},
    {0x0E06, "PR_MESSAGE_DELIVERY_TIME"},
    {0x0FFF, "PR_ENTRYID"},
    {0x1000, "PR_BODY"},
    {0x3001, "PR_DISPLAY_NAME"},
    {0x3003, "PR_EMAIL_ADDRESS"},
    {0x35E0, "PR_IPM_SUBTREE_ENTRYID"},
};

struct TypeName {
    uint16_t type;
    const char* name;
};

constexpr TypeName kTypes[] = {
    {0x0000, "PT_UNSPECIFIED"}, {0x0001, "PT_NULL"},   {0x0002, "PT_SHORT"},   {0x0003, "PT_LONG"},
    {0x0004, "PT_FLOAT"},       {0x0005, "PT_DOUBLE"}, {0x0006, "PT_CURRENCY"}, {0x0007, "PT_APPTIME"},
    {0x000A, "PT_ERROR"},       {0x000B, "PT_BOOLEAN"}, {0x000D, "PT_OBJECT"}, {0x0014, "PT_I8"},
    {0x001E, "PT_STRING8"},     {0x001F, "PT_UNICODE"}, {0x0040, "PT_SYSTIME"}, {0x0048, "PT_CLSID"},
    {0x0102, "PT_BINARY"},
};

std::string hexText(const char* format, uint32_t value) {
    char text[48];
    snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string buildMessageText(const MailFields& m) {
    std::string text;
    if (!m.retrievalError.empty()) text = "*** Mail retrieval error:  " + m.retrievalError + " ***\n";
    addLine(text, "Subject: ", m.subject);
    addLine(text, "Date: ", m.date);
    addParty(text, "From: ", m.senderName, m.senderAddress);
    addParty(text, "To: ", m.recipientNames, m.recipientAddresses);
    text += '\n';
    text += m.body;
    return text;
}

const char* mailResultText(uint32_t code) {
    switch (code) {
    case kMailOk: return "Success";
    case kMailErrorsReturned: return "Errors encountered";
    case kMailNotEnoughResources: return "Not enough resources";
    case kMailNotFound: return "Requested message store does not exist";
    case kMailLogonFailed: return "Logon failed";
    case 0x8004011E: return "Server not configured to support client's code page";
    case 0x8004011F: return "Server not configured to support client's locale information";
    case kMailNotInitialized: return "MAPI not initialized";
    case kMailNoAccess:
        return "An attempt was made to access a message store for which the user has insufficient permissions";
    default: return "";
    }
}

const char* bodyProblemText(uint32_t code) {
    switch (code) {
    case kMailOk: return "";
    case kMailNotFound: return "Message body not found";
    case kMailTooBig: return "Message body too large";
    default: return "Unable to retrieve message body";
    }
}

std::string propertyTagName(uint32_t tag) {
    const uint32_t id = tag >> 16;
    const uint32_t type = tag & 0xFFFF;
    std::string name;
    for (const PropertyName& p : kProperties)
        if (p.id == id) name = p.name;
    // Identifiers from 0x8000 up are the named properties.
    if (name.empty()) name = hexText(id >= 0x8000 ? "Named Property (%x)" : "UNKNOWN (%x)", id);
    std::string typeName;
    for (const TypeName& t : kTypes)
        if (t.type == type) typeName = t.name;
    if (typeName.empty()) typeName = hexText("UNKNOWN (%x)", type);
    return name + " (" + typeName + ")";
}
