// The run context: one object created by whoever starts a run and passed through every step.
//
// It records whether a run is going on, how long it took, and the halt level: 0 run on,
// 1 stop scanning the current input stream, 2 stop the run after the current stream. The
// halt level is the one value another thread writes during a run (the builder's Stop
// command), so it is atomic; everything else belongs to the run's thread.
//
// A stop may also be asked for from outside any run context: a command-line host asks for
// one when it receives an interrupt. The request is a process-wide flag that is safe to set
// from a signal handler; run contexts that honour it (ConsoleInst) turn it into halt level
// 2 at their next check, and a run that starts while it is set halts at once.
#pragma once

#include <atomic>
#include <cstdint>

#include "foundation/XXMSG.h"
#include "foundation/platform.h"

// Asks every run of the process to stop (async-signal-safe).
void requestStop();
bool stopRequested();
// Forgets the request (the run it was meant for has ended).
void clearStopRequest();

class XXINST : public XX {
public:
    XXINST() = default;
    XXINST(const XXINST&) = delete;
    XXINST& operator=(const XXINST&) = delete;

    // running = 1, the clock starts, elapsed = 0.
    virtual void begin() {
        running_ = true;
        startTick_ = tickCount();
        elapsed_ = 0;
    }
    // running = 0; returns the elapsed milliseconds.
    virtual int32_t end() {
        running_ = false;
        elapsed_ = int32_t(tickCount() - startTick_);
        return elapsed_;
    }
    virtual bool isRunning() const { return running_; }
    virtual void setHalt(int32_t level) { halt_.store(level, std::memory_order_relaxed); }
    virtual int32_t getHalt() const { return halt_.load(std::memory_order_relaxed); }
    virtual bool haltRequested() const { return getHalt() > 0; }
    virtual bool haltAtLeast(int32_t n) const { return getHalt() >= n; }

    int32_t elapsed() const { return elapsed_; }
    // Whether this is a scan's run context (set by it; actions reach it without a type query).
    bool isScanContext() const { return scanContext_; }

protected:
    bool scanContext_ = false;

private:
    bool running_ = false;
    std::atomic<int32_t> halt_{0};
    int64_t startTick_ = 0;
    int32_t elapsed_ = 0;
};
