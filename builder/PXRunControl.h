// PXRunControl: a run of the builder on a worker thread, and its stopping.
//
// start() runs the body (the client's run) on a new thread with a run context of its own;
// the user-interface thread meanwhile shows the stop box (XXStopBox), whose timer calls
// tick(). stop() sets the halt level of the run to 2, which the matcher and the input loops
// read, and starts the box's countdown. The run ends in one of three ways:
//   - the body returns (also after Stop): the user interface, which watches finished(),
//     collects the outcome (the run's status, " - scan halted" when it was
//     stopped);
//   - the body throws: the text "Exception thrown (1) - run terminated." (the framework's
//     own error, a thrown XXSTRING) or "(2)" (anything else), after the description of the
//     run and a line break, is the outcome's error and status;
//   - Stop was ignored until the countdown ran out: the outcome is the error
//     "Run failed due to internal error.\n" + the description. The thread is not killed; it
//     is given up, and no new run starts until it has really ended, since it still uses the
//     client. Destroying the control waits for it.
// A Stop pressed before the run has reset its halt level still stops it: the run context
// keeps the level at 2 once Stop was asked for.
// While the run goes on, the user interface shows its progress a few times a second: the
// files and bytes that the run's counters (read on the user-interface thread, never sent
// by the worker) have reached, the rate since the start, and the run's latest message.
// Tests: tests/builder/RunControlTest.cpp.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "builder/XXStopBox.h"
#include "engine/PXInst.h"

class PXRunControl {
public:
    enum class State { idle, running, stopping, givenUp };

    // What a run came to, for the status text and the error box.
    struct Outcome {
        std::string status;     // the run status text
        std::string error;      // a failure to report ("" when none)
        bool halted = false;    // Stop ended the run
    };

    // The run itself, given the run context. It returns the run status text.
    using Body = std::function<std::string(PXInst&)>;

    // How far a run has come.
    struct Counts {
        int64_t files = 0;
        int64_t bytes = 0;
    };
    // Reads the run's counters; called on the user-interface thread while the run goes on.
    using Counter = std::function<Counts()>;

    PXRunControl() = default;
    ~PXRunControl();
    PXRunControl(const PXRunControl&) = delete;
    PXRunControl& operator=(const PXRunControl&) = delete;

    // Starts a run; false when one is still going on (or a given-up one has not ended).
    // `counter`, when given, tells the progress how far the run has come.
    bool start(Body body, std::string description, Counter counter = {});
    // Shortens the wait for a run that ignores Stop (countdown and timer step in ms).
    void setStopLimit(int32_t countdownMs, int32_t stepMs) { box_.setTiming(countdownMs, stepMs); }
    // The user pressed Stop.
    void stop();
    // One tick of the stop box's timer; true when the countdown ran out and the run was given
    // up.
    bool tick();
    // Whether the worker has finished its body.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Waits up to `ms` milliseconds for the worker to finish; true when it has.
    bool waitFinished(int32_t ms);
    // After the run ended (or was given up): the outcome; the control is idle again, unless a
    // given-up worker is still going.
    Outcome collect();

    // Whether the caller is the worker thread of the run.
    bool onWorker() const { return std::this_thread::get_id() == workerId_.load(); }
    // A status text from the worker (its messages during the run); the latest one is part of
    // the progress.
    void postProgress(std::string text);
    // The status line of the run under way: its counts and rate (when it has a counter),
    // then its latest message.
    std::string progress() const;
    // "3 files   1.5 MB   750.0 KB/s": the counts, and the rate over `seconds` when more
    // than none have passed.
    static std::string progressText(Counts counts, double seconds);

    State state() const;
    bool busy() const { return worker_.joinable(); }
    const XXStopBox& box() const { return box_; }
    const std::string& description() const { return description_; }

private:
    // Keeps the halt level at 2 once Stop was asked for, even when the run resets it.
    class Inst : public PXInst {
    public:
        void setHalt(int32_t level) override;
        std::atomic<bool> stopAsked{false};
    };

    void work(const Body& body);

    std::thread worker_;
    std::atomic<std::thread::id> workerId_{};
    std::unique_ptr<Inst> inst_;
    XXStopBox box_;
    std::string description_;
    std::atomic<bool> finished_{true};
    bool givenUp_ = false;
    mutable std::mutex mutex_;
    std::condition_variable done_;
    // Written by the worker before `finished_`, read after it.
    std::string status_;
    std::string error_;
    std::string progress_;      // guarded by mutex_
    Counter counter_;
    std::chrono::steady_clock::time_point started_;
};
