#include "run/ConsoleInst.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <mutex>

namespace {

constexpr int64_t kPollInterval = 100;

// The terminal as it was before the first ConsoleInst took it, and how many hold it now
// (runs nest: a pre-processor runs inside the main run).
std::mutex holdLock;
termios original{};
termios keys{};
std::atomic<int> holders{0};

// Signals that end or stop the process: the terminal is given back first.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
struct sigaction previous[sizeof kSignals / sizeof kSignals[0]];

// Another process group has the terminal: changing its settings or reading from it would
// stop this process (SIGTTOU, SIGTTIN). A terminal that is not the controlling one has no
// foreground group and never stops anyone.
bool inBackground() {
    const pid_t foreground = tcgetpgrp(STDIN_FILENO);
    return foreground >= 0 && foreground != getpgrp();
}

void onSignal(int signal);

void catchSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &action, &previous[i]);
}

void releaseSignals() {
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &previous[i], nullptr);
}

// Gives the terminal back and lets the signal do what it would have done: the handler the
// process had before, or the signal's default action. When the process goes on (after a
// handler of its own, or after a stop with Ctrl-Z) it takes the keys again if it is in the
// foreground.
void onSignal(int signal) {
    if (!inBackground()) tcsetattr(STDIN_FILENO, TCSANOW, &original);
    size_t i = 0;
    while (kSignals[i] != signal) ++i;
    const struct sigaction& before = previous[i];
    if (before.sa_flags & SA_SIGINFO) {
        siginfo_t info{};
        info.si_signo = signal;
        before.sa_sigaction(signal, &info, nullptr);
    } else if (before.sa_handler == SIG_DFL) {
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigemptyset(&standard.sa_mask);
        struct sigaction mine {};
        sigaction(signal, &standard, &mine);
        sigset_t unblock;
        sigemptyset(&unblock);
        sigaddset(&unblock, signal);
        sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
        raise(signal);
        sigaction(signal, &mine, nullptr);
    } else if (before.sa_handler != SIG_IGN) {
        before.sa_handler(signal);
    }
    if (!inBackground()) tcsetattr(STDIN_FILENO, TCSANOW, &keys);
}

}  // namespace

ConsoleInst::ConsoleInst() {
    if (!isatty(STDIN_FILENO)) return;
    std::lock_guard<std::mutex> hold(holdLock);
    if (holders > 0) {
        ++holders;
        holds_ = true;
        return;
    }
    if (inBackground() || tcgetattr(STDIN_FILENO, &original) != 0) return;
    keys = original;
    keys.c_lflag &= tcflag_t(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    catchSignals();
    if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) != 0) {
        releaseSignals();
        return;
    }
    holders = 1;
    holds_ = true;
}

ConsoleInst::~ConsoleInst() {
    if (!holds_) return;
    std::lock_guard<std::mutex> hold(holdLock);
    if (--holders > 0) return;
    if (!inBackground()) tcsetattr(STDIN_FILENO, TCSANOW, &original);
    releaseSignals();
}

void ConsoleInst::poll() const {
    if (stopRequested() && getHalt() < 2) const_cast<ConsoleInst*>(this)->setHalt(2);
    if (!holds_) return;
    const int64_t now = tickCount();
    if (now - lastPoll_ < kPollInterval) return;
    lastPoll_ = now;
    if (inBackground()) return;
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
