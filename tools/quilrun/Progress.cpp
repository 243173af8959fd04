#include "tools/quilrun/Progress.h"

namespace {

constexpr std::chrono::milliseconds kRedraw{200};

}  // namespace

Progress::Progress(std::FILE* out, bool enabled, std::chrono::milliseconds delay)
    : out_(out), enabled_(enabled), delay_(delay), start_(Clock::now()) {}

std::string Progress::bytesText(double bytes) {
    static const char* const units[] = {"B", "kB", "MB", "GB", "TB"};
    int unit = 0;
    while (bytes >= 1000.0 && unit < 4) {
        bytes /= 1000.0;
        ++unit;
    }
    char text[32];
    if (unit == 0)
        std::snprintf(text, sizeof text, "%.0f B", bytes);
    else
        std::snprintf(text, sizeof text, "%.1f %s", bytes, units[unit]);
    return text;
}

std::string Progress::describe(int32_t files, int64_t bytes, double seconds) {
    std::string text = std::to_string(files) + (files == 1 ? " file, " : " files, ") + bytesText(double(bytes));
    if (seconds > 0) text += ", " + bytesText(double(bytes) / seconds) + "/s";
    return text;
}

void Progress::update(int32_t files, int64_t bytes) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < delay_) return;
    if (shown_ && now - lastDraw_ < kRedraw) return;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(out_, "\r\033[Kquilrun: %s", describe(files, bytes, seconds).c_str());
    std::fflush(out_);
    lastDraw_ = now;
    shown_ = true;
}

void Progress::clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}
