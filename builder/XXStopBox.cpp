// The stop box's countdown and text.
#include "builder/XXStopBox.h"

void XXStopBox::open() {
    stopping_ = false;
    remainingMs_ = 0;
}

void XXStopBox::stop() {
    stopping_ = true;
    remainingMs_ = kCountdownMs;
}

bool XXStopBox::tick() {
    if (!stopping_) return false;
    remainingMs_ -= kStepMs;
    return remainingMs_ <= 0;
}

std::string XXStopBox::text() const {
    if (!stopping_) return " Working ... ";
    std::string text = " Stopping";
    const int32_t seconds = remainingMs_ / 1000;
    if (seconds <= kShownSeconds && seconds > 0) text += " " + std::to_string(seconds);
    return text + " ... ";
}
