// quilrun: runs a definition headless, through the engine library's C interface.
//
// Standard output carries nothing but data (the default output with --stdout). Information
// from the library goes to standard error one message per line, unless --quiet; warnings
// and errors always do, each line prefixed "quilrun: ". When standard error is a terminal,
// a run over files shows a progress line there once it has taken a second
// (QUILRUN_PROGRESS_DELAY, in milliseconds, changes the wait).
//
// Exit status: 0 the run completed; 1 the definition could not be opened or has errors;
// 2 a usage error; 3 the run completed, but an INPUT matched no file; 4 standard input
// could not be read (or is too large to scan as one block), or output meant for standard
// output could not be written there.
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

enum Exit { completed = 0, definitionFailed = 1, usageFailed = 2, inputUnmatched = 3, streamFailed = 4 };

bool quiet = false;
Progress* progress = nullptr;

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
            exitCode = inputUnmatched;
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

int runDefinition(const QuilRunOptions& options) {
    QNLib__setMsg(onMessage);
    if (QNLib__load(options.definition.c_str()) != 2) return definitionFailed;
    if (options.trace) QNLib__setTrace(1);
    if (!options.logName.empty()) QNLib__setLogName(options.logName.c_str());
    if (!options.toStdout) return runLoaded(options);

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
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    const QuilRunOptions options = QuilRunOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case QuilRunOptions::Action::help:
        std::fputs(QuilRunOptions::usage(), stdout);
        return writtenOut();
    case QuilRunOptions::Action::version:
        std::printf("quilrun (Quillon) %s\n", QNLib__version());
        return writtenOut();
    case QuilRunOptions::Action::usageError:
        std::fprintf(stderr, "quilrun: %s\n\n%s", options.error.c_str(), QuilRunOptions::usage());
        return usageFailed;
    case QuilRunOptions::Action::run: break;
    }
    quiet = options.quiet;
    return runDefinition(options);
}
