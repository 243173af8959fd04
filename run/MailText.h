// MailText: the text a mail message is scanned as, and the messaging layer's texts.
//
// A message becomes lines joined by "\n": a retrieval-error line when the body could not
// be read, "Subject: ", "Date: ", "From: " and "To: " lines for the parts it has, an empty
// line, then the body. A sender or recipient list is written as the names in double quotes
// and the addresses in angle brackets, with a space after them when there were names.
#pragma once

#include <cstdint>
#include <string>

// The parts of one message, as the walks of the mail scanner collect them.
struct MailFields {
    std::string retrievalError;   // empty when the body was read
    std::string subject;
    std::string date;
    std::string senderName;
    std::string senderAddress;
    std::string recipientNames;       // each followed by ";"
    std::string recipientAddresses;   // each followed by ";"
    std::string body;
};

// The message's text.
std::string buildMessageText(const MailFields& fields);

// The text of a result code of the messaging layer; "" for codes without one.
const char* mailResultText(uint32_t code);
// The retrieval error a body result stands for ("" for success).
const char* bodyProblemText(uint32_t code);

// A property tag (identifier in the high 16 bits, type in the low 16) by its published
// name and type name: "PR_SUBJECT (PT_STRING8)".
std::string propertyTagName(uint32_t tag);

// Property tags of the message parts the scanner reads.
inline constexpr uint32_t kPrClientSubmitTime = 0x00390040;
inline constexpr uint32_t kPtError = 0x000A;
