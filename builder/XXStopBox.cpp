// The stop box's countdown and text.
#include "builder/XXStopBox.h"

void XXStopBox::setTiming(int32_t countdownMs, int32_t stepMs) {
    countdownMs_ = countdownMs > 0 ? countdownMs : kCountdownMs;
    stepMs_ = stepMs > 0 ? stepMs : kStepMs;
}

void XXStopBox::open() {
    stopping_ = false;
    remainingMs_ = 0;
}

void XXStopBox::stop() {
    stopping_ = true;
    remainingMs_ = countdownMs_;
}

bool XXStopBox::tick() {
    if (!stopping_) return false;
    remainingMs_ -= stepMs_;
    return remainingMs_ <= 0;
}

std::string XXStopBox::text() const {
    if (!stopping_) return " Working ... ";
    std::string text = " Stopping";
    const int32_t seconds = remainingMs_ / 1000;
    if (seconds <= kShownSeconds && seconds > 0) text += " " + std::to_string(seconds);
    return text + " ... ";
}
