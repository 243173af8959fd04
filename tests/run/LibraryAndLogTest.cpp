// The library holder, and the log lines that open and close every run.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "foundation/XXLIB.h"
#include "run/RunLog.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kExtension = std::string(QUILLON_BIN_DIR) + "/librun_test_extension.so";

TEST(XXLIB, LoadsOnceAndFindsExports) {
    CaptureSink sink;
    XXLIB lib(kExtension.c_str());
    ASSERT_TRUE(lib.load());
    EXPECT_TRUE(lib.load());
    EXPECT_NE(lib.symbol("QNCallback01"), nullptr);
    EXPECT_EQ(lib.symbol("NoSuchExport"), nullptr);
    lib.unload();
    EXPECT_FALSE(lib.isLoaded());
    EXPECT_EQ(lib.symbol("QNCallback01"), nullptr);
    EXPECT_TRUE(sink.errors.empty());
}

TEST(XXLIB, AFailureIsReportedOnceByItsHolder) {
    CaptureSink sink;
    XXLIB lib("/no/such/libthing.so");
    EXPECT_FALSE(lib.load());
    EXPECT_FALSE(lib.load());
    EXPECT_TRUE(lib.loadFailed());
    EXPECT_EQ(sink.errors, std::vector<std::string>{"Unable to load /no/such/libthing.so"});
    // A new name is tried again.
    lib.setFileName(kExtension.c_str());
    EXPECT_TRUE(lib.load());
    XXLIB empty("");
    EXPECT_FALSE(empty.load());
    EXPECT_FALSE(empty.loadFailed());
    EXPECT_EQ(sink.errors.size(), 1u);
}

TEST(RunLogLines, HaveTheirFixedForms) {
    const std::string start = runStartLine("Quillon", "/defs/inv.QXD");
    EXPECT_TRUE(std::regex_match(start, std::regex(R"(\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d\.\d{3}  Quillon run start \[/defs/inv\.QXD\])")))
        << start;
    const struct {
        int32_t ms;
        const char* line;
    } elapsed[] = {{16, " 0.016 seconds"}, {0, " 0.000 seconds"}, {61234, " 61.234 seconds"}};
    for (const auto& e : elapsed) {
        SCOPED_TRACE(e.ms);
        EXPECT_EQ(elapsedLine(e.ms), e.line);
    }
    EXPECT_EQ(runCompleteLine("Quillon"), "Quillon run complete");
}

TEST(RunLog, CountsMessagesButNotItsOwnLines) {
    TempDir dir;
    const std::string name = dir.file("run.log");
    RunLog log;
    ASSERT_TRUE(log.open(name.c_str(), false));
    EXPECT_EQ(runLog(), &log);
    const int32_t before = logWriteCount();
    log.writeLine("own line");
    EXPECT_EQ(logWriteCount(), before);
    XXMSG(2) << "a message" << toLog;
    XXMSG(2) << "ends its line\n" << toLog;
    EXPECT_EQ(logWriteCount(), before + 2);
    log.close();
    EXPECT_EQ(runLog(), nullptr);
    EXPECT_EQ(TempDir::read(name), "own line\na message\nends its line\n");

    ASSERT_TRUE(log.open(name.c_str(), true));
    log.writeLine("appended");
    log.close();
    ASSERT_TRUE(log.open(name.c_str(), false));
    log.writeLine("anew");
    log.close();
    EXPECT_EQ(TempDir::read(name), "anew\n");
    // The folders the name needs are made; a regular file in the way cannot be one.
    ASSERT_TRUE(log.open(dir.file("new/dir/run.log").c_str(), false));
    log.close();
    EXPECT_FALSE(log.open(dir.file("run.log/x.log").c_str(), false));
    EXPECT_EQ(log.reason(), "Not a directory");
    EXPECT_EQ(runLog(), nullptr);
}

}  // namespace
