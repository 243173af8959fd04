// XXStopBox: the state of the stop box shown while a run goes on.
//
// The box reads " Working ... " until the user presses Stop. Stop starts a countdown of ten
// seconds, counted down by a timer of one second; the box then reads " Stopping ... ", and
// " Stopping 5 ... " down to " Stopping 1 ... " once five seconds or fewer remain. When the
// countdown runs out the run has ignored Stop: the box ends and the run is given up. Every
// press of Stop starts the countdown again. The countdown and its step may be shortened
// (setTiming), so that a test need not wait ten seconds for a run that ignores Stop.
// Tests: tests/builder/RunControlTest.cpp.
#pragma once

#include <cstdint>
#include <string>

class XXStopBox {
public:
    static constexpr int32_t kCountdownMs = 10000;
    static constexpr int32_t kStepMs = 1000;
    static constexpr int32_t kTimerId = 111;
    // From this many seconds on the remaining time is shown.
    static constexpr int32_t kShownSeconds = 5;

    // The length of the countdown and the timer step, both in milliseconds.
    void setTiming(int32_t countdownMs, int32_t stepMs);
    int32_t stepMs() const { return stepMs_; }

    // The box is shown: not stopping, no countdown.
    void open();
    // Stop was pressed: stopping, countdown from kCountdownMs.
    void stop();
    // One timer step; true when the countdown has run out (the box must end).
    bool tick();
    bool stopping() const { return stopping_; }
    int32_t remainingMs() const { return remainingMs_; }
    // What the box shows.
    std::string text() const;

private:
    bool stopping_ = false;
    int32_t remainingMs_ = 0;
    int32_t countdownMs_ = kCountdownMs;
    int32_t stepMs_ = kStepMs;
};
