#include "tools/quilrun/StdoutRelay.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

StdoutRelay::StdoutRelay() {
    if (fcntl(STDOUT_FILENO, F_GETFD) < 0) return;   // no standard output at all
    if (pipe2(pipe_, O_CLOEXEC) != 0) return;
    name_ = "/proc/self/fd/" + std::to_string(pipe_[1]);
    // The copying thread takes no interrupts: they must reach the run's thread, to end a
    // wait there. It inherits the mask that is in place while it is made.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    thread_ = std::thread([this] { copy(); });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

StdoutRelay::~StdoutRelay() { finish(); }

void StdoutRelay::copy() {
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(pipe_[0], chunk, sizeof chunk);
        if (n == 0) return;
        if (n < 0) {
            if (errno == EINTR) continue;
            failed_ = true;
            return;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(STDOUT_FILENO, chunk + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                // Keep draining, so that the writer is never blocked on a full pipe.
                failed_ = true;
                break;
            }
            done += w;
        }
    }
}

bool StdoutRelay::finish() {
    if (pipe_[1] >= 0) {
        close(pipe_[1]);
        pipe_[1] = -1;
    }
    if (thread_.joinable()) thread_.join();
    if (pipe_[0] >= 0) {
        close(pipe_[0]);
        pipe_[0] = -1;
    }
    return !failed_ && !name_.empty();
}
