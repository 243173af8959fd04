// StdoutRelay: a file name under which the engine library can write to standard output.
//
// The library opens its outputs by name, so standard output is named "/dev/stdout". That
// works for terminals, pipes and files, but not for a socket (a service manager's or a
// remote shell's standard output): it cannot be opened again by name. Then the relay makes
// a pipe, names its write end ("/proc/self/fd/N") and copies whatever arrives to standard
// output on a thread of its own until finish().
#pragma once

#include <string>
#include <thread>

class StdoutRelay {
public:
    StdoutRelay();
    ~StdoutRelay();
    StdoutRelay(const StdoutRelay&) = delete;
    StdoutRelay& operator=(const StdoutRelay&) = delete;

    // The name to open for writing; empty when standard output cannot be reached at all.
    const std::string& name() const { return name_; }
    // Waits until everything written has reached standard output; false when some of it
    // could not be written there.
    bool finish();

private:
    void copy();

    std::string name_;
    int pipe_[2] = {-1, -1};
    std::thread thread_;
    bool failed_ = false;
};
