// Progress: the one-line progress display of a long run over many files.
//
// The line shows the files done, their bytes and the rate since the run began; it is
// redrawn in place (carriage return, erase to the end of the line) at most five times a
// second, and only once the run has taken longer than the delay. It is meant for a
// terminal: the caller enables it only when standard error is one. Messages that go to the
// same terminal call clear() first, and the next update draws the line again below them.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class Progress {
public:
    using Clock = std::chrono::steady_clock;

    Progress(std::FILE* out, bool enabled, std::chrono::milliseconds delay);

    // The state after another file.
    void update(int32_t files, int64_t bytes);
    // Erases the line if it is shown.
    void clear();
    bool shown() const { return shown_; }

    // "12 files, 3.4 MB, 1.2 MB/s" (`seconds` > 0 for a rate).
    static std::string describe(int32_t files, int64_t bytes, double seconds);
    // 999 B, 1.5 kB, 12.0 MB, 1.2 GB.
    static std::string bytesText(double bytes);

private:
    std::FILE* out_;
    bool enabled_;
    std::chrono::milliseconds delay_;
    Clock::time_point start_;
    Clock::time_point lastDraw_{};
    bool shown_ = false;
};
