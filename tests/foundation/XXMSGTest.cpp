// Message modes, the error counter's limits and the run-log hook.
#include <gtest/gtest.h>

#include <thread>

#include "foundation/XXMSG.h"
#include "tests/support/CaptureSink.h"

namespace {

TEST(XXMSG, ModesRouteText) {
    CaptureSink sink;
    XXMSG m;
    m << "shown " << 1 << endMsg;
    m << "logged" << newline << toLog;
    m << "dropped" << discard;
    ASSERT_EQ(sink.infos, std::vector<std::string>{"shown 1"});
    ASSERT_EQ(sink.logLines, std::vector<std::string>{"logged\n"});
    EXPECT_EQ(m.text.length(), 0);
}

TEST(XXMSG, DestructorEmitsLeftoverText) {
    CaptureSink sink;
    { XXMSG(2) << "left over"; }
    EXPECT_EQ(sink.logLines, std::vector<std::string>{"left over"});
}

TEST(XXMSG, QuietLogDoesNotCount) {
    CaptureSink sink;
    const int32_t before = logWriteCount();
    XXMSG() << "counted" << toLog;
    EXPECT_EQ(logWriteCount(), before + 1);
    XXMSG() << "quiet" << quietLog;
    EXPECT_EQ(logWriteCount(), before + 1);
    EXPECT_EQ(sink.logLines.size(), 2u);
}

TEST(Error, TenReportedThenLoggedThenRunAborted) {
    CaptureSink sink;
    for (int i = 1; i <= 1000; ++i) Error() << "e" << i << endMsg;
    EXPECT_EQ(sink.errors.size(), 10u);
    EXPECT_EQ(sink.errors.back(), "e10");
    EXPECT_EQ(sink.logLines.size(), 990u);
    EXPECT_EQ(sink.logLines.front(), "e11");
    try {
        Error() << "e1001" << endMsg;
        FAIL() << "the 1001st error must abort the run";
    } catch (const XXSTRING& abort) {
        EXPECT_STREQ(abort.text(), "e1001");
    }
    EXPECT_EQ(errorCount(), 0) << "the counter starts again after an abort";
}

TEST(Tracer, ReportsWithTitleAndAbortsAtEleven) {
    CaptureSink sink;
    Tracer("XXGRID::getFld") << "Field not found: " << "Name" << endMsg;
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0], "Please contact programming support:\nXXGRID::getFld :\nField not found: Name\n");
    for (int i = 2; i <= 10; ++i) Tracer("T::t") << "x" << endMsg;
    EXPECT_THROW(Tracer("T::t") << "eleventh" << endMsg, XXSTRING);
}

TEST(Error, DestructorNeverThrowsPastTheLimit) {
    CaptureSink sink;
    for (int i = 0; i < 1000; ++i) Error() << "e" << endMsg;
    EXPECT_NO_THROW({ Error() << "from destructor"; });
    EXPECT_EQ(sink.logLines.back(), "from destructor");
}

TEST(XXMSG, EachThreadWritesToItsOwnRunLog) {
    CaptureSink sink;   // the test thread's log
    IXXLOG* none = nullptr;
    struct Log : IXXLOG {
        std::vector<std::string> lines;
        void logWrite(const char* t, int32_t n) override { lines.emplace_back(t, size_t(n)); }
    } other;
    std::thread worker([&] {
        none = setRunLog(&other);
        XXMSG() << "worker" << toLog;
        setRunLog(none);
    });
    worker.join();
    XXMSG() << "main" << toLog;
    EXPECT_EQ(none, nullptr) << "a new thread starts without a run log";
    EXPECT_EQ(other.lines, std::vector<std::string>{"worker"});
    EXPECT_EQ(sink.logLines, std::vector<std::string>{"main"});
}

}  // namespace
