// Test support: runs a program as a user would, and collects what it did.
//
// run() starts the program with its own arguments in a working directory, feeds it a text
// on standard input, and keeps standard output and standard error apart. onTerminal() does
// the same with standard error on a pseudo-terminal, for output meant for people only.
// RunningProcess starts a program and leaves it running, so that a test can send it signals
// or start another one beside it.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;   // exit status, or -1 when the program did not exit normally
    int signal = 0;    // the signal that ended it, or 0
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string dir;                           // working directory ("" the current one)
    std::string input;                         // standard input
    std::map<std::string, std::string> env;    // added to (or replacing) the environment
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});
// As runProcess, but standard error is a terminal; `err` is what appeared on it.
ProcessResult runOnTerminal(const std::string& program, const std::vector<std::string>& arguments,
                            const ProcessOptions& options = {});

// A program of the build ("quilrun", "velder", ...).
std::string binary(const std::string& name);

// A program started with standard input empty and standard error in a file; standard output
// goes to a file too, or, with `blockedOutput`, into a pipe that nobody reads, so that the
// program stops once the pipe is full. A program still running when the object goes is
// killed.
class RunningProcess {
public:
    RunningProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const ProcessOptions& options, bool blockedOutput = false);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    void sendSignal(int signal) const;
    // Still running (not ended and not reaped).
    bool running();
    // Bytes waiting in the unread output pipe (`blockedOutput`).
    int pendingOutput() const;
    // What it has written to standard error so far.
    std::string errSoFar() const;
    // Waits for the end, up to `seconds` (then kills it); its result.
    ProcessResult finish(int seconds = 60);

private:
    struct Files;
    std::unique_ptr<Files> files_;
    pid_t pid_ = -1;
    int blockedPipe_ = -1;
    ProcessResult result_;
};

// Waits up to `seconds` for `condition`, checking every 20 ms; whether it came true.
bool waitUntil(const std::function<bool()>& condition, int seconds = 30);
