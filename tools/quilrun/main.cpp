// quilrun: runs a definition headless, through the engine library's C interface.
//
// Standard output carries nothing but data (the default output with --stdout). Information
// from the library goes to standard error one message per line, unless --quiet; warnings
// and errors always do, each line prefixed "quilrun: ". When standard error is a terminal,
// a run over files shows a progress line there once it has taken a second
// (QUILRUN_PROGRESS_DELAY, in milliseconds, changes the wait).
//
// Exit status: 0 the run completed; 1 the definition could not be opened or has errors
// (also errors in reading its files, unless --force);
// 2 a usage error; 3 the run completed, but an INPUT matched no file, or a file it matched
// or a web page (of the command line or the definition) could not be read, each named on
// standard error;
// 4 standard input could not be read (or is too large to scan as one block), or output
// meant for standard output could not be written there; 5 the run completed, but some
// output (a file, the log, a database row or an SQL statement) could not be written, each failure named on
// standard error; 6 the run was ended early by too many errors (the rest of its inputs
// was not scanned).
//
// Interrupts. The first SIGINT or SIGTERM asks the run to stop as the Halt action at level
// 2 does (the library's stop request): the current node's actions finish, the post-run
// actions run, outputs, rows and the log are written and closed, and quilrun exits with
// 128 + the signal's number (130, 143). A second one ends the process at once.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "include/quilcore.h"
#include "tools/quilrun/Progress.h"
#include "tools/quilrun/QuilRunOptions.h"
#include "tools/quilrun/StdoutRelay.h"

namespace {

enum Exit {
    completed = 0,
    definitionFailed = 1,
    usageFailed = 2,
    inputUnread = 3,
    streamFailed = 4,
    outputFailed = 5,
    runTerminated = 6,
    bySignal = 128,
};

bool quiet = false;
Progress* progress = nullptr;
volatile sig_atomic_t stopSignal = 0;
constexpr int kStopSignals[] = {SIGINT, SIGTERM};

// The first signal asks the run to stop; a second one ends the process with the signal's
// own default action.
void onStopSignal(int signal) {
    if (stopSignal == 0) {
        stopSignal = signal;
        QNLib__stop();
        return;
    }
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(signal);
}

// Without SA_RESTART, so that a wait for another run's lock ends with the signal.
void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

// Writes every line of `text` to standard error, after `prefix`.
void writeLines(const char* prefix, std::string_view text) {
    if (progress) progress->clear();
    while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    size_t start = 0;
    do {
        const size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        std::fprintf(stderr, "%s%.*s\n", prefix, int(line.size()), line.data());
        start = end == std::string_view::npos ? text.size() + 1 : end + 1;
    } while (start <= text.size());
}

void onMessage(int32_t kind, const char* text) {
    std::string_view t = text ? text : "";
    if (kind == 0) {
        if (quiet) return;
        // The library indents its progress notes (" Scanning ..."); a terminal line needs no
        // indent.
        while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
        writeLines("", t);
    } else {
        writeLines("quilrun: ", t);
    }
}

void onProgress(int32_t files, int64_t bytes) {
    if (progress) progress->update(files, bytes);
}

std::chrono::milliseconds progressDelay() {
    const char* text = std::getenv("QUILRUN_PROGRESS_DELAY");
    if (!text || !*text) return std::chrono::milliseconds(1000);
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return std::chrono::milliseconds(end && *end == '\0' && value >= 0 ? value : 1000);
}

// Reads standard input to its end into `data`; false (after a message) when it cannot be
// read or does not fit into one block.
bool readStandardInput(std::vector<char>& data) {
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n == 0) return true;
        if (n < 0) {
            // Stopped while reading: what came so far is the block (the run stops at once).
            if (errno == EINTR && stopSignal != 0) return true;
            if (errno == EINTR) continue;
            std::fprintf(stderr, "quilrun: cannot read standard input: %s\n", std::strerror(errno));
            return false;
        }
        if (data.size() + size_t(n) > size_t(INT32_MAX)) {
            std::fprintf(stderr, "quilrun: standard input is larger than %d bytes, the most one block can hold\n",
                         int(INT32_MAX));
            return false;
        }
        data.insert(data.end(), chunk, chunk + n);
    }
}

// Runs the loaded definition as the options say; the exit status.
int runLoaded(const QuilRunOptions& options) {
    if (options.standardInput) {
        std::vector<char> data;
        if (!readStandardInput(data)) return streamFailed;
        return QNLib__scan(data.data(), int32_t(data.size())) == 2 ? completed : streamFailed;
    }

    Progress line(stderr, !quiet && isatty(STDERR_FILENO), progressDelay());
    progress = &line;
    QNLib__setProgress(onProgress);
    int exitCode = completed;
    if (options.inputs.empty()) {
        QNLib__run();
    } else if (options.urls) {
        std::vector<const char*> urls;
        for (const std::string& url : options.inputs) urls.push_back(url.c_str());
        QNLib__runURLs(urls.data(), int32_t(urls.size()));
    } else {
        std::vector<const char*> patterns;
        for (const std::string& input : options.inputs) patterns.push_back(input.c_str());
        std::vector<int32_t> found(patterns.size(), 0);
        QNLib__runFiles(patterns.data(), int32_t(patterns.size()), found.data());
        line.clear();
        for (size_t i = 0; i < patterns.size(); ++i) {
            if (found[i] > 0) continue;
            std::fprintf(stderr, "quilrun: no file matches %s\n", patterns[i]);
            exitCode = inputUnread;
        }
    }
    QNLib__setProgress(nullptr);
    line.clear();
    progress = nullptr;
    return exitCode;
}

// The exit status after printing to standard output: whether it all got there.
int writtenOut() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return completed;
    std::fprintf(stderr, "quilrun: output could not be written to standard output\n");
    return streamFailed;
}

// The exit status of a run that ended with `status`, once its inputs and outputs are counted.
int withOutputs(int status) {
    if (QNLib__runTerminated()) {
        std::fprintf(stderr, "quilrun: the run was ended early by too many errors (above); inputs after them were not scanned\n");
        return runTerminated;
    }
    if (status == completed && QNLib__inputErrors() > 0) status = inputUnread;
    if (status == completed || status == inputUnread)
        if (QNLib__outputErrors() > 0) return outputFailed;
    return status;
}

int runDefinition(const QuilRunOptions& options) {
    QNLib__setMsg(onMessage);
    if (QNLib__load(options.definition.c_str()) != 2) return definitionFailed;
    // A mistyped keyword or a missing file would otherwise run a part of the definition
    // without a word: what was reported above is mended first, or run on purpose.
    if (QNLib__loadReported() && !options.force) {
        std::fprintf(stderr, "quilrun: %s has errors (above); nothing was run (--force runs what could be read)\n",
                     options.definition.c_str());
        return definitionFailed;
    }
    if (options.trace) QNLib__setTrace(1);
    if (!options.logName.empty()) QNLib__setLogName(options.logName.c_str());
    if (options.noWait) QNLib__setLockWait(0);
    if (!options.toStdout) return withOutputs(runLoaded(options));

    StdoutRelay out;
    if (out.name().empty()) {
        std::fprintf(stderr, "quilrun: there is no standard output to write to\n");
        return streamFailed;
    }
    QNLib__setDefaultOutput(out.name().c_str(), 1);
    const int exitCode = runLoaded(options);
    if (!out.finish()) {
        std::fprintf(stderr, "quilrun: output could not be written to standard output\n");
        return streamFailed;
    }
    return withOutputs(exitCode);
}

const char* signalName(int signal) { return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal"; }

}  // namespace

int main(int argc, char** argv) {
    const QuilRunOptions options = QuilRunOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case QuilRunOptions::Action::help:
        std::fputs(QuilRunOptions::usage(), stdout);
        return writtenOut();
    case QuilRunOptions::Action::version:
        std::printf("quilrun (Quillon engine %s, definition format %s)\n", QNLib__version(),
                    QNLib__formatVersion());
        return writtenOut();
    case QuilRunOptions::Action::usageError:
        std::fprintf(stderr, "quilrun: %s (quilrun --help lists the options)\n", options.error.c_str());
        return usageFailed;
    case QuilRunOptions::Action::run: break;
    }
    quiet = options.quiet;
    catchStopSignals();
    const int status = runDefinition(options);
    if (stopSignal == 0) return status;
    std::fprintf(stderr, "quilrun: the run was stopped by %s\n", signalName(stopSignal));
    return bySignal + stopSignal;
}
