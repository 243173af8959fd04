// StdoutRelay: a file name under which the engine library can write to standard output.
//
// The library opens its outputs by name. Opening standard output again by name
// ("/dev/stdout") would not do: it fails for a socket, and for a file it makes a second
// open file with an offset of its own, so whatever the shell writes to the same file after
// the run lands over the run's output. So the relay makes a pipe, names its write end
// ("/proc/self/fd/N") and copies whatever arrives to descriptor 1 itself, on a thread of
// its own, until finish().
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
