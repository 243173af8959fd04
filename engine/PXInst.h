// The run context as the engine sees it: the generic run context plus the switches and the
// current input that the matcher and the actions read.
#pragma once

#include <cstdint>

#include "foundation/IXXINBUF.h"
#include "foundation/XXINST.h"

class IPXEngine;

class PXInst : public XXINST {
public:
    PXInst() { scanContext_ = true; }

    bool debug = false;             // call the host back after every node's actions
    bool trace = false;             // write the HTML trace
    IPXEngine* engine = nullptr;    // the engine serving the run
    IXXINBUF* buffer = nullptr;     // the input stream being scanned, or null
    int32_t matchCount = 0;         // terminal-node matches of the current stream
    int32_t nesting = 0;            // graph walks and action groups under way, one in another
    bool nestingCut = false;        // the nesting limit was reached: nothing more nests for now
    bool nestingReported = false;   // the limit was reported in this run
};
