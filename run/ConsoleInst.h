// ConsoleInst: the run context of a run started from a console. Besides the halt level set
// by actions, a key "S" or "s" typed on the terminal stops the run (halt level 2), and so
// does a stop request of the process (requestStop, XXINST.h), which a host makes when it
// is interrupted; the request is looked at every time the run asks for a halt.
//
// The keyboard is only looked at when standard input is a terminal and the process is not
// in the background; then, for the life of the object (the outermost one, when runs nest),
// the terminal passes keys without waiting for Enter and without echo, and its settings are
// restored afterwards, also when a signal ends or stops the process. The matcher asks for a
// halt after every node, so the keyboard is polled at most every 100 ms.
#pragma once

#include <cstdint>

#include "engine/PXInst.h"

class ConsoleInst : public PXInst {
public:
    ConsoleInst();
    ~ConsoleInst() override;

    // Reads waiting keys; a stop key sets the halt level to 2. True when a halt is requested.
    bool checkStop() const;

    bool haltRequested() const override;
    bool haltAtLeast(int32_t n) const override;

private:
    // Polls the keyboard when the last poll is long enough ago.
    void poll() const;

    bool holds_ = false;   // this run takes keys from the terminal
    mutable int64_t lastPoll_ = 0;
};
