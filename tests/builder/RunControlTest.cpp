// Run control without widgets: the stop box's countdown and texts, a run on its worker
// thread that ends, stops, throws, or ignores Stop, and a real run of the builder's client.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "builder/PXRunControl.h"
#include "builder/XXStopBox.h"
#include "foundation/XXSTRING.h"

namespace {

TEST(StopBox, CountsDownFromTenSecondsShowingTheLastFive) {
    XXStopBox box;
    box.open();
    EXPECT_EQ(box.text(), " Working ... ");
    EXPECT_FALSE(box.tick());                         // no countdown before Stop
    box.stop();
    std::vector<std::string> texts{box.text()};
    bool expired = false;
    for (int i = 0; i < 10 && !expired; ++i) {
        expired = box.tick();
        if (!expired) texts.push_back(box.text());
    }
    EXPECT_TRUE(expired);
    const std::vector<std::string> expected{" Stopping ... ",   " Stopping ... ",   " Stopping ... ",
                                            " Stopping ... ",   " Stopping ... ",   " Stopping 5 ... ",
                                            " Stopping 4 ... ", " Stopping 3 ... ", " Stopping 2 ... ",
                                            " Stopping 1 ... "};
    EXPECT_EQ(texts, expected);
    // A second Stop starts the countdown again.
    box.stop();
    EXPECT_EQ(box.remainingMs(), XXStopBox::kCountdownMs);
}

// A run body that scans until the halt level says stop, as the matcher does.
std::string honouringRun(PXInst& inst) {
    inst.setHalt(0);                                   // every run begins by clearing the level
    while (!inst.haltAtLeast(2)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return "3 files";
}

TEST(RunControl, RunEndsOnItsOwnWithItsStatus) {
    PXRunControl control;
    ASSERT_TRUE(control.start([](PXInst&) { return std::string("12 matches"); }, "Run of T"));
    ASSERT_TRUE(control.waitFinished(5000));
    const PXRunControl::Outcome out = control.collect();
    EXPECT_EQ(out.status, "12 matches");
    EXPECT_TRUE(out.error.empty());
    EXPECT_FALSE(out.halted);
    EXPECT_EQ(control.state(), PXRunControl::State::idle);
}

TEST(RunControl, StopAtOnceEndsTheRunWithScanHalted) {
    PXRunControl control;
    ASSERT_TRUE(control.start(honouringRun, "Run of T"));
    control.stop();                                    // possibly before the run cleared its level
    EXPECT_EQ(control.box().text(), " Stopping ... ");
    ASSERT_TRUE(control.waitFinished(5000));
    EXPECT_FALSE(control.tick());                      // an ended run is never given up
    const PXRunControl::Outcome out = control.collect();
    EXPECT_TRUE(out.halted);
    EXPECT_EQ(out.status, "3 files - scan halted");
    EXPECT_TRUE(out.error.empty());
}

TEST(RunControl, ExceptionsInTheWorkerEndTheRunWithTheirKind) {
    struct Case {
        std::function<std::string(PXInst&)> body;
        const char* expected;
    };
    const Case cases[] = {
        {[](PXInst&) -> std::string { throw XXSTRING("too many errors"); }, "Run of T\nException thrown (1) - run terminated."},
        {[](PXInst&) -> std::string { throw std::runtime_error("bad"); }, "Run of T\nException thrown (2) - run terminated."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        PXRunControl control;
        ASSERT_TRUE(control.start(c.body, "Run of T"));
        ASSERT_TRUE(control.waitFinished(5000));
        const PXRunControl::Outcome out = control.collect();
        EXPECT_EQ(out.error, c.expected);
        EXPECT_EQ(out.status, c.expected);
    }
}

TEST(RunControl, RunIgnoringStopIsGivenUpAndBlocksTheNextRunUntilItEnds) {
    std::atomic<bool> release{false};
    PXRunControl control;
    ASSERT_TRUE(control.start(
                    [&release](PXInst&) {
                        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
                        return std::string("late");
                    },
                    "URL input of T"));
    control.stop();
    int32_t ticks = 0;
    while (!control.tick()) ASSERT_LT(++ticks, 20);
    EXPECT_EQ(ticks, 9);                               // the tenth tick of a second gives up
    EXPECT_EQ(control.state(), PXRunControl::State::givenUp);
    const PXRunControl::Outcome out = control.collect();
    EXPECT_EQ(out.error, "Run failed due to internal error.\nURL input of T");
    EXPECT_FALSE(control.start([](PXInst&) { return std::string(); }, "again"));
    release = true;
    ASSERT_TRUE(control.waitFinished(5000));
    EXPECT_TRUE(control.start([](PXInst&) { return std::string("next"); }, "again"));
    ASSERT_TRUE(control.waitFinished(5000));
    EXPECT_EQ(control.collect().status, "next");
}

// The status line during a run is checked end to end by the window tests; here its counts.
TEST(RunControl, ProgressCountsInTheirUnitsAndTheWorkerThread) {
    EXPECT_EQ(PXRunControl::progressText({1, 512}, 0), "1 file   512 bytes");
    EXPECT_EQ(PXRunControl::progressText({0, 1536}, 2.0), "0 files   1.5 KB   768 bytes/s");
    EXPECT_EQ(PXRunControl::progressText({12, 3LL << 30}, 1.0), "12 files   3.0 GB   3.0 GB/s");
    PXRunControl control;
    std::atomic<bool> onWorker{false};
    ASSERT_TRUE(control.start(
        [&](PXInst&) {
            onWorker = control.onWorker();
            return std::string("done");
        },
        "Run of T"));
    ASSERT_TRUE(control.waitFinished(5000));
    EXPECT_TRUE(onWorker);
    EXPECT_FALSE(control.onWorker());
    EXPECT_EQ(control.collect().status, "done");
}

}  // namespace
