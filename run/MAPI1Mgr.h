// MAPI1Mgr: the walk of the default inbox (the Maildir at $MAILDIR, else ~/Maildir),
// through the messaging layer's inbox. Every message is read, which marks it read, and
// scanned with all its recipients and its received date; stamps play no part here.
#pragma once

#include <cstdint>

#include "engine/PXInst.h"
#include "foundation/XXLIB.h"

class MailScanner;

class MAPI1Mgr {
public:
    explicit MAPI1Mgr(XXLIB& library) : lib_(library) {}

    // Scans every message of the inbox until the end or a halt of level 2; the count.
    // Without the layer or the inbox the walk scans nothing (the reason goes to the log).
    int32_t walk(PXInst& run, MailScanner& scanner);

private:
    XXLIB& lib_;
};
