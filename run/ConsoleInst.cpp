#include "run/ConsoleInst.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int64_t kPollInterval = 100;

}  // namespace

ConsoleInst::ConsoleInst() {
    if (!isatty(STDIN_FILENO)) return;
    auto saved = std::make_unique<termios>();
    if (tcgetattr(STDIN_FILENO, saved.get()) != 0) return;
    termios raw = *saved;
    raw.c_lflag &= tcflag_t(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) saved_ = std::move(saved);
}

ConsoleInst::~ConsoleInst() {
    if (saved_) tcsetattr(STDIN_FILENO, TCSANOW, saved_.get());
}

void ConsoleInst::poll() const {
    if (!saved_) return;
    const int64_t now = tickCount();
    if (now - lastPoll_ < kPollInterval) return;
    lastPoll_ = now;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    while (::poll(&in, 1, 0) > 0 && (in.revents & POLLIN)) {
        char key = 0;
        if (read(STDIN_FILENO, &key, 1) != 1) break;
        if (key == 'S' || key == 's') const_cast<ConsoleInst*>(this)->setHalt(2);
    }
}

bool ConsoleInst::checkStop() const {
    lastPoll_ = 0;
    poll();
    return getHalt() > 0;
}

bool ConsoleInst::haltRequested() const {
    poll();
    return getHalt() > 0;
}

bool ConsoleInst::haltAtLeast(int32_t n) const {
    poll();
    return getHalt() >= n;
}
