// MessageReader: one raw RFC 5322 message turned into the fields a scan shows (subject,
// date, sender, recipients, body), every text converted to the run's code page.
//
// The subject and the names may carry encoded words; the body is the first text/plain part
// that is not an attachment, with its transfer encoding and charset undone, or, when the
// message has none, its first text/html part with the tags removed and the entities
// decoded. A body whose charset cannot be converted keeps its undecoded bytes and is marked
// as not readable; a message without any text part has no body and is marked as such.
#pragma once

#include <string>

#include "maillib/IQNMail.h"

// The code page texts are converted to: QUILLON_CODEPAGE, else UTF-8.
std::string mailCodePage();

// Fills `out` from the message `raw`. `allRecipients` also lists Cc and Bcc recipients
// (the default inbox's walk shows them all).
void readMessage(const std::string& raw, bool allRecipients, QNMailMessage& out);
