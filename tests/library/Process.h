// Test support: runs a program as a user would, and collects what it did.
//
// run() starts the program with its own arguments in a working directory, feeds it a text
// on standard input, and keeps standard output and standard error apart. onTerminal() does
// the same with standard error on a pseudo-terminal, for output meant for people only.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;   // exit status, or -1 when the program did not exit normally
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
