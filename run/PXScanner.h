// PXScanner: an input scanner of a client (files, URLs, mail). A scan brackets its inputs
// with the client's run begin and run end and hands each input stream to the engine.
#pragma once

#include <cstdint>

#include "engine/PXInst.h"

class PXScanner {
public:
    virtual ~PXScanner() = default;
    // The input of one run; 2 when it ran.
    virtual int32_t scan(PXInst& run) = 0;
};
