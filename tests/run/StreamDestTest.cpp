// Output files as destinations: names built from the input by reconcile, lazy opening per
// cycle, append and create modes, and what a run may not do to files.
#include <gtest/gtest.h>

#include <string>

#include "run/StreamDest.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

struct ReconcileCase {
    const char* source;
    const char* pattern;
    const char* result;
};

const ReconcileCase kReconcile[] = {
    // The examples every user of wildcard outputs relies on.
    {"report", "*", "report"},
    {"txt", "bak", "bak"},
    {"abcdef", "?x*", "axcdef"},
    {"abc", "+x*", "xabc"},
    {"data", "*_old", "_old"},
    {"data", "*_+o+l+d+", "data_old"},
    // More of the same rules.
    {"anything", "", "anything"},           // an empty pattern keeps the source
    {"", "res", "res"},                     // literals past the source are written all the same
    {"abc", "???", "abc"},
    {"ab", "????", "ab"},                   // ? past the source copies nothing
    {"abcdef", "xy", "xy"},                 // the pattern's end ends the name
    {"abcdef", "*.x", "abcd.x"},            // the tail replaces the last source characters
    {"abcdef", "*_+v+2+", "abcdef_v2"},     // a marked tail is inserted ("+" after its letter)
    {"abcdef", "*+_+v+2", "abcde_v2"},      // read from the right, "2" is not marked
    {"abcdef", "a*?", "abcdef"},
    {"ab", "x*yz", "xyz"},                  // the tail may cover what the front used
    {"abcdef", "*.*", "abcde."},            // a second * is ignored
    {"/home/in/", "/out/", "/out/"},        // directories replace literally
    {"/home/in/", "", "/home/in/"},
};

TEST(StreamDestReconcile, BuildsEachNamePartFromTheInput) {
    for (const ReconcileCase& c : kReconcile) {
        SCOPED_TRACE(std::string(c.source) + " with " + c.pattern);
        EXPECT_EQ(StreamDest::reconcile(c.source, c.pattern), c.result);
    }
}

TEST(StreamDestReconcile, AnOverlongTailIsReportedAndStaysBounded) {
    CaptureSink sink;
    const std::string pattern = "*" + std::string(300, 'x');
    const XXSTRING name = StreamDest::reconcile("abc", pattern.c_str());
    EXPECT_TRUE(sink.sawError("StreamDest::reconcile :\n:  ot < 0 (2)"));
    EXPECT_EQ(name.length(), 259);
}

struct NameCase {
    const char* spec;
    const char* input;
    const char* output;
};

const NameCase kNames[] = {
    {"/out/*.res", "/data/a.txt", "/out/a.res"},
    {"/out/*.res", "/data/b.log", "/out/b.res"},
    {"/out/*.res", "/data/noext", "/out/noext.res"},
    {"/out/*", "/data/a.txt", "/out/a.txt"},
    {"*.bak", "/data/report.txt", "/data/report.bak"},     // no directory: the input's
    {"/out/?x*.*", "/in/abcdef.txt", "/out/axcdef.txt"},
    {"/out/*_+o+l+d+.*", "/in/data.csv", "/out/data_old.csv"},
    {"/out/plain.txt", "/in/a.txt", "/out/plain.txt"},     // no wildcards: the spec itself
};

TEST(StreamDest, OutputNamesFollowTheInput) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(std::string(c.spec) + " <- " + c.input);
        StreamDest dest(c.spec, StreamDest::createMode);
        dest.notify(2, c.input);
        EXPECT_EQ(dest.outputName(), c.output);
    }
}

class StreamDestFiles : public testing::Test {
protected:
    TempDir dir;
    CaptureSink sink;
    std::string path(const char* name) { return dir.file(name); }
    std::string read(const char* name) { return TempDir::read(dir.file(name)); }
};

TEST_F(StreamDestFiles, OpensAtTheFirstRequestAndStaysOpen) {
    StreamDest dest(path("out.txt").c_str(), StreamDest::createMode);
    EXPECT_FALSE(std::filesystem::exists(path("out.txt")));
    ASSERT_EQ(dest.ensureOpen(), 2);
    EXPECT_EQ(dest.writeText("ab", 2, true), 2);
    dest.notify(2, path("input.txt").c_str());   // without wildcards nothing changes
    ASSERT_EQ(dest.ensureOpen(), 2);
    EXPECT_EQ(dest.putByte('c'), 2);
    EXPECT_EQ(dest.flushBytes(false), 2);
    EXPECT_EQ(dest.writeString(XXSTRING("d"), false), 2);
    EXPECT_EQ(dest.close(), 2);
    EXPECT_EQ(read("out.txt"), "abcd");
}

TEST_F(StreamDestFiles, AppendKeepsAndCreateReplaces) {
    dir.write("keep.txt", "old;");
    dir.write("new.txt", "old;");
    for (auto [name, mode, expected] : {std::tuple{"keep.txt", StreamDest::appendMode, "old;run"},
                                        std::tuple{"new.txt", StreamDest::createMode, "run"}}) {
        SCOPED_TRACE(name);
        StreamDest dest(path(name).c_str(), mode);
        ASSERT_EQ(dest.ensureOpen(), 2);
        dest.writeText("run", 3, true);
        dest.close();
        EXPECT_EQ(read(name), expected);
    }
}

TEST_F(StreamDestFiles, WildcardsReopenForEachInputAndAppendWhenANameComesRoundAgain) {
    StreamDest dest((dir.path().string() + "/*.res").c_str(), StreamDest::createMode);
    dir.write("a.res", "from an earlier run;");
    const char* inputs[] = {"/in/a.txt", "/in/b.txt", "/in/a.log"};
    const char* texts[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        dest.notify(2, inputs[i]);
        ASSERT_EQ(dest.ensureOpen(), 2);
        dest.writeText(texts[i], 1, true);
    }
    dest.close();
    // The first open of a run creates anew; a.res coming round again within the run appends.
    EXPECT_EQ(read("a.res"), "AC");
    EXPECT_EQ(read("b.res"), "B");
    // A new run (reset) creates anew again.
    dest.reset();
    dest.notify(2, "/in/a.txt");
    ASSERT_EQ(dest.ensureOpen(), 2);
    dest.writeText("D", 1, true);
    dest.close();
    EXPECT_EQ(read("a.res"), "D");
}

TEST_F(StreamDestFiles, AFileThatCannotBeOpenedIsReportedOncePerCycle) {
    std::ofstream(dir.path() / "plain") << "a file where a folder would have to be";
    const std::string spec = dir.path().string() + "/plain/*.res";
    StreamDest dest(spec.c_str(), StreamDest::createMode);
    dest.notify(2, "/in/a.txt");
    EXPECT_EQ(dest.ensureOpen(), 0);
    // The rest of the cycle gets the destination, but nothing is taken.
    EXPECT_EQ(dest.ensureOpen(), 2);
    EXPECT_EQ(dest.writeText("x", 1, true), 0);
    EXPECT_EQ(dest.putByte('x'), 0);
    dest.notify(2, "/in/b.txt");
    EXPECT_EQ(dest.ensureOpen(), 0);
    const std::string plain = dir.path().string() + "/plain/";
    const std::vector<std::string> reports = {"Unable to open " + plain + "a.res: Not a directory",
                                              "Unable to open " + plain + "b.res: Not a directory"};
    EXPECT_EQ(sink.logLines, reports);
    EXPECT_EQ(sink.errors, reports);
}

TEST_F(StreamDestFiles, TheInputBeingReadIsNeverAnOutput) {
    const std::string input = dir.write("data.txt", "precious");
    StreamDest dest((dir.path().string() + "/*.*").c_str(), StreamDest::createMode);
    dest.notify(2, input.c_str());
    EXPECT_EQ(dest.ensureOpen(), 0);
    EXPECT_EQ(read("data.txt"), "precious");
    EXPECT_EQ(sink.logLines, std::vector<std::string>{"Unable to open " + input + ": it is the input file being read"});
}

TEST_F(StreamDestFiles, AFullDeviceRefusesTheBytes) {
    StreamDest dest("/dev/full", StreamDest::createMode);
    ASSERT_EQ(dest.ensureOpen(), 2);
    // Output is buffered: the refusal shows when the bytes are handed to the system.
    dest.writeText("x", 1, true);
    EXPECT_EQ(dest.close(), 0);
    EXPECT_TRUE(sink.sawError("Unable to write /dev/full: No space left on device"));
}

}  // namespace
