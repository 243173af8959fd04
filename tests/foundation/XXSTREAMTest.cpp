// Tests of XXSTREAM and XXFILENAME: the token reader's quoting rules and wide tokens, whole
// lines of any length with LF and CR LF ends, assembled lines read back unchanged, raw reads
// and seeks at the end of a file, the open modes, write failures, file times, path parts.
#include "foundation/XXSTREAM.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "foundation/XXFILENAME.h"
#include "foundation/platformfile.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

// The time a run starts at: the fine clock, once the coarse clock file systems stamp from has
// passed it.
int64_t settledTimeNow() {
    const int64_t now = fileTimeFine();
    waitForFileClock(now);
    return now;
}

// Opens a one-line file holding `line` and reads the line.
void readOneLine(XXSTREAM& s, const TempDir& dir, const std::string& line) {
    ASSERT_TRUE(s.open(dir.write("line.txt", line + "\n").c_str(), XXSTREAM::readText));
    ASSERT_NE(s.readLine(), nullptr);
}

// --- token reader ------------------------------------------------------------------------

struct TokenRow {
    const char* line;
    char quote;
    std::vector<std::string> tokens;   // quoted tokens carry a leading '#'
};

TEST(XXSTREAMTokens, QuotingRules) {
    const TokenRow rows[] = {
        {R"("a""b")", '"', {R"(#a"b)"}},             // a doubled quote stands for one
        {"a  b", '"', {"a b"}},                     // a doubled space stays inside
        {"a b", '"', {"a", "b"}},
        {" \t x \t", '"', {"x"}},                   // tabs are skipped like spaces
        {"a\tb", '"', {"a\tb"}},                    // but only a space ends a token
        {R"("" x)", '"', {"#", "x"}},               // the empty quoted token
        {R"("a b" c)", '"', {"#a b", "c"}},
        {R"(x"y z)", '"', {R"(x"y)", "z"}},
        {R"("""")", '"', {R"(#")"}},
        {R"("open)", '"', {"#open"}},               // unterminated: to the end of the line
        {R"("ab"cd)", '"', {"#ab", "cd"}},          // the cursor ends after the closing quote
        {"'it''s' \"x\"", '\'', {"#it's", "\"x\""}},
        {"   ", '"', {}},
    };
    TempDir dir;
    for (const TokenRow& row : rows) {
        SCOPED_TRACE(row.line);
        XXSTREAM s;
        readOneLine(s, dir, row.line);
        std::vector<std::string> got;
        while (const char* t = s.getFld(row.quote)) got.push_back((s.lastQuoted() ? "#" : "") + std::string(t));
        EXPECT_EQ(got, row.tokens);
    }
}

struct WideRow {
    const char* line;
    const char16_t* wide;   // null when readWide fails
    const char* next;       // what getFld gives afterwards
};

TEST(XXSTREAMTokens, ReadWide) {
    const WideRow rows[] = {
        {"{65}{66}", u"AB", nullptr},
        {"  {97} x", u"a", "x"},
        {"{65}{66}\tx", u"AB", "x"},
        {"{1234}{65535}", u"\u04D2\uFFFF", nullptr},
        {"{65}x", nullptr, "{65}x"},        // the groups must end the token
        {"{65", nullptr, "{65"},
        {"{}", nullptr, "{}"},
        {"{6a}", nullptr, "{6a}"},
        {"{-1}", nullptr, "{-1}"},
        {"{65536}", nullptr, "{65536}"},    // beyond a 16-bit unit
        {"{0}", nullptr, "{0}"},            // a NUL unit would cut the text
        {R"("{65}")", nullptr, "{65}"},
        {"", nullptr, nullptr},
    };
    TempDir dir;
    for (const WideRow& row : rows) {
        SCOPED_TRACE(row.line);
        XXSTREAM s;
        readOneLine(s, dir, row.line);
        const XXWCHAR* wide = s.readWide('{', '}');
        EXPECT_EQ(wide ? std::u16string(wide) : u"<null>", row.wide ? row.wide : u"<null>");
        const char* next = s.getFld();
        EXPECT_EQ(next ? std::string(next) : "<null>", row.next ? row.next : "<null>");
    }
}

// --- lines -------------------------------------------------------------------------------

struct LineRow {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(XXSTREAMLines, ReadLineDeliversWholeLines) {
    const std::string longA(300, 'a');
    const std::string block(65535, 'b');     // its CR ends the first input block
    const std::string huge(200000, 'c');     // spans several input blocks
    const LineRow rows[] = {
        {"LF", "one\ntwo\n", {"one", "two"}},
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"mixed", "one\r\ntwo\nthree\r\n", {"one", "two", "three"}},
        {"no final line end", "one\ntwo", {"one", "two"}},
        {"empty lines", "\n\r\n\nx\n", {"", "", "", "x"}},
        {"inner CR kept", "a\rb\r\n", {"a\rb"}},
        {"empty file", "", {}},
        {"300 characters", longA + "\r\nz\n", {longA, "z"}},
        {"CR LF across blocks", block + "\r\nnext\r\n", {block, "next"}},
        {"200000 characters", "x\n" + huge + "\ny", {"x", huge, "y"}},
    };
    TempDir dir;
    for (const LineRow& row : rows) {
        SCOPED_TRACE(row.name);
        XXSTREAM s;
        ASSERT_TRUE(s.open(dir.write("lines.txt", row.bytes).c_str(), XXSTREAM::readText));
        std::vector<std::string> got;
        while (const char* line = s.readLine()) got.emplace_back(line, size_t(s.lineLength()));
        EXPECT_EQ(got, row.lines);
        EXPECT_TRUE(s.atEnd());
        EXPECT_FALSE(s.failed());
    }
}

// Lines assembled token by token read back as the same values, with the chosen line end.
class XXSTREAMRoundTrip : public testing::TestWithParam<XXSTREAM::LineEnd> {};

TEST_P(XXSTREAMRoundTrip, AssembledLinesReadBack) {
    TempDir dir;
    const std::string path = dir.file("round.qxd");
    const std::string longText = std::string(5000, 'L') + "\"" + std::string(5000, 'M');
    const std::u16string longWide(3000, u'\u263A');
    {
        XXSTREAM out;
        out.setLineEnd(GetParam());
        ASSERT_TRUE(out.open(path.c_str(), XXSTREAM::writeText));
        out.addToken("Node");
        out.addInt(-42);
        out.addToken("");                  // an empty plain value keeps its column
        out.addQuoted(R"(say "hi")");
        out.addQuoted("{65}");             // narrow text that looks wide stays narrow
        out.addWide(u"AB");
        out.addString(XXSTRING(longWide.c_str()));
        out.addString(XXSTRING(longText.c_str()));
        out.addQuoted("it's", '\'');
        EXPECT_TRUE(out.endLine());
        EXPECT_TRUE(out.writeLine("plain line"));
        ASSERT_TRUE(out.close());
    }
    const std::string bytes = TempDir::read(path);
    const bool crlf = GetParam() == XXSTREAM::LineEnd::crlf;
    EXPECT_EQ(bytes.find('\r') != std::string::npos, crlf);
    EXPECT_EQ(bytes.substr(bytes.size() - (crlf ? 12 : 11)), crlf ? "plain line\r\n" : "plain line\n");

    XXSTREAM in;
    ASSERT_TRUE(in.open(path.c_str(), XXSTREAM::readText));
    ASSERT_NE(in.readLine(), nullptr);
    EXPECT_STREQ(in.getFld(), "Node");
    EXPECT_STREQ(in.getFld(), "-42");
    EXPECT_STREQ(in.getFld(), "");
    struct Value {
        bool wide;
        std::string narrow;
        std::u16string w;
    };
    const Value values[] = {{false, R"(say "hi")", u""}, {false, "{65}", u""}, {true, "", u"AB"},
                            {true, "", longWide},         {false, longText, u""}};
    for (size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        XXSTRING v("stale");
        ASSERT_TRUE(in.getString(v));
        EXPECT_EQ(v.isWide, values[i].wide);
        EXPECT_EQ(values[i].wide ? std::u16string(v.wtext()) : u"", values[i].w);
        EXPECT_EQ(values[i].wide ? std::string() : std::string(v.text()), values[i].narrow);
    }
    EXPECT_STREQ(in.getFld('\''), "it's");
    XXSTRING untouched("kept");
    EXPECT_FALSE(in.getString(untouched));
    EXPECT_STREQ(untouched.text(), "kept");
    EXPECT_STREQ(in.readLine(), "plain line");
    EXPECT_EQ(in.readLine(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, XXSTREAMRoundTrip,
                         testing::Values(XXSTREAM::LineEnd::lf, XXSTREAM::LineEnd::crlf),
                         [](const auto& info) { return info.param == XXSTREAM::LineEnd::lf ? "LF" : "CRLF"; });

// --- raw reading and seeking -------------------------------------------------------------

TEST(XXSTREAMRaw, ReadsToTheEndThenZero) {
    TempDir dir;
    CaptureSink sink;
    XXSTREAM s;
    ASSERT_TRUE(s.open(dir.write("ten", "0123456789").c_str(), XXSTREAM::readRaw));
    EXPECT_TRUE(s.isOpen());
    EXPECT_EQ(s.fileSize(), 10);
    char buf[8];
    struct Step {
        int64_t got, prev, pos;
        bool atEnd;
    };
    const Step steps[] = {{4, 0, 4, false}, {4, 4, 8, false}, {2, 8, 10, false}, {0, 8, 10, true}, {0, 8, 10, true}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.read(buf, 4), steps[i].got);
        EXPECT_EQ(s.getPrevPosition(), steps[i].prev);
        EXPECT_EQ(s.getPosition(), steps[i].pos);
        EXPECT_EQ(s.atEnd(), steps[i].atEnd);
    }
    // Seeking makes reads possible again.
    EXPECT_EQ(s.seek(-3, XXSTREAM::fromEnd), 7);
    EXPECT_FALSE(s.atEnd());
    EXPECT_EQ(s.skip(-2), 5);
    EXPECT_EQ(s.read(buf, 8), 5);
    EXPECT_EQ(std::string(buf, 5), "56789");
    EXPECT_TRUE(sink.errors.empty());

    // Before the start: reported, and the position still tells where the next read starts.
    EXPECT_EQ(s.seekTo(2), 2);
    EXPECT_EQ(s.skip(-3), -1);
    EXPECT_TRUE(sink.sawError("SetFilePointer failure"));
    EXPECT_EQ(s.getPosition(), 2);
    EXPECT_EQ(s.read(buf, 1), 1);
    EXPECT_EQ(buf[0], '2');

    s.close();
    EXPECT_EQ(s.getPosition(), -1);
    EXPECT_EQ(s.read(buf, 4), 0);
    EXPECT_EQ(s.fileSize(), 0);
}

// The status read at open names the file as a path lookup does (device and inode), and a
// read stops at the size the file had then; bytes added since come with the next read.
TEST(XXSTREAMRaw, StatusOfTheOpenFileAndReadsUpToItsSizeThen) {
    TempDir dir;
    CaptureSink sink;
    const std::string path = dir.write("grows", "0123456789");
    XXSTREAM s;
    EXPECT_EQ(s.status(), nullptr);
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const FileStatus* status = s.status();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->device, uint64_t(st.st_dev));
    EXPECT_EQ(status->inode, uint64_t(st.st_ino));
    EXPECT_TRUE(status->regular);

    {
        std::ofstream more(path, std::ios::app | std::ios::binary);
        more << "abc";
    }
    EXPECT_EQ(s.fileSize(), 10);
    char buf[64];
    EXPECT_EQ(s.read(buf, 64), 10);
    EXPECT_FALSE(s.atEnd());
    EXPECT_EQ(s.read(buf, 64), 3);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_EQ(s.read(buf, 64), 0);
    EXPECT_TRUE(s.atEnd());
    s.close();
    EXPECT_EQ(s.status(), nullptr);
    EXPECT_TRUE(sink.errors.empty());
}

TEST(XXSTREAMRaw, AnAdoptedFileReadsItsFirstBytesThenTheRestAlsoAfterASeekBack) {
    TempDir dir;
    CaptureSink sink;
    const std::string path = dir.write("adopted", "0123456789abcdef");
    FileStatus status;
    const int fd = fileOpenRegular(path.c_str(), status);
    ASSERT_GE(fd, 0);
    auto first = std::make_unique<unsigned char[]>(6);
    bool partial = false;
    ASSERT_EQ(fileRead(fd, first.get(), 6, partial), 6);
    XXSTREAM s;
    s.adopt(path.c_str(), fd, status, std::move(first), 6);
    EXPECT_EQ(s.fileSize(), 16);
    char buf[64];
    // Across the end of the adopted bytes, then back into them and on to the end.
    ASSERT_EQ(s.read(buf, 4), 4);
    ASSERT_EQ(s.read(buf + 4, 5), 5);
    EXPECT_EQ(std::string(buf, 9), "012345678");
    EXPECT_EQ(s.seekTo(2), 2);
    ASSERT_EQ(s.read(buf, 64), 14);
    EXPECT_EQ(std::string(buf, 14), "23456789abcdef");
    EXPECT_EQ(s.read(buf, 64), 0);
    EXPECT_TRUE(s.atEnd());
    s.close();
    EXPECT_TRUE(sink.errors.empty());
}

TEST(XXSTREAMRaw, TextStreamsSeekOnlyFromTheBeginning) {
    TempDir dir;
    CaptureSink sink;
    XXSTREAM in;
    ASSERT_TRUE(in.open(dir.write("t.txt", "first\nsecond\n").c_str(), XXSTREAM::readText));
    EXPECT_STREQ(in.readLine(), "first");
    EXPECT_EQ(in.seek(0, XXSTREAM::fromCurrent), -1);
    EXPECT_TRUE(sink.sawError("Invalid input seek origin"));
    sink.clear();
    EXPECT_EQ(in.seek(0, XXSTREAM::fromEnd), -1);
    EXPECT_TRUE(sink.errors.empty());
    EXPECT_EQ(in.seekTo(6), 0);
    EXPECT_STREQ(in.readLine(), "second");
    EXPECT_EQ(in.rewind(), 0);
    EXPECT_STREQ(in.readLine(), "first");

    XXSTREAM out;
    ASSERT_TRUE(out.open(dir.file("o.txt").c_str(), XXSTREAM::writeText));
    EXPECT_EQ(out.seek(1, XXSTREAM::fromCurrent), -1);
    EXPECT_TRUE(sink.sawError("Invalid output seek origin"));
    out.writeLine("abcdef");
    EXPECT_EQ(out.seekTo(0), 0);   // pending output is written first
    out.write("X", 1);
    out.close();
    EXPECT_EQ(TempDir::read(dir.file("o.txt")), "Xbcdef\n");
}

// --- opening and writing -----------------------------------------------------------------

TEST(XXSTREAMOpen, Modes) {
    TempDir dir;
    const std::string existing = dir.file("e.txt");
    const std::string missing = dir.file("missing.txt");
    const std::string folder = dir.path().string();
    struct Row {
        int32_t mode;
        const std::string* path;
        bool opens;
        const char* afterWritingNew;   // "new\n" written with CR LF line ends; null: nothing
    };
    const Row rows[] = {
        {XXSTREAM::readText, &existing, true, nullptr},
        {XXSTREAM::readText, &missing, false, nullptr},
        {XXSTREAM::readRaw, &missing, false, nullptr},
        {XXSTREAM::readRaw, &folder, false, nullptr},
        {XXSTREAM::writeText, &existing, true, "new\r\n"},
        {XXSTREAM::writeBinary, &existing, true, "new\n"},   // binary modes never translate
        {XXSTREAM::appendText, &existing, true, "old\nnew\r\n"},
        {XXSTREAM::appendBinary, &existing, true, "old\nnew\n"},
        {XXSTREAM::appendText, &missing, true, "new\r\n"},
        {0, &existing, false, nullptr},
        {3, &existing, false, nullptr},
        {16, &existing, false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " " << *row.path);
        dir.write("e.txt", "old\n");
        std::filesystem::remove(missing);
        XXSTREAM s;
        s.setLineEnd(XXSTREAM::LineEnd::crlf);
        EXPECT_EQ(s.open(row.path->c_str(), row.mode), row.opens);
        EXPECT_EQ(s.isOpen(), row.opens);
        EXPECT_FALSE(s.failed());
        if (row.afterWritingNew) {
            EXPECT_TRUE(s.write("new\n", 4));
            EXPECT_TRUE(s.close());
            EXPECT_EQ(TempDir::read(*row.path), row.afterWritingNew);
        }
    }
}

// A full disk must not look like a successful write.
TEST(XXSTREAMOpen, WriteFailureIsReportedOnceAndFailsTheClose) {
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    CaptureSink sink;
    XXSTREAM s;
    ASSERT_TRUE(s.open("/dev/full", XXSTREAM::writeBinary));
    const std::string block(100000, 'x');   // more than the output buffer holds
    EXPECT_FALSE(s.write(block.data(), int64_t(block.size())));
    EXPECT_FALSE(s.write(block.data(), int64_t(block.size())));
    EXPECT_TRUE(s.failed());
    EXPECT_FALSE(s.close());
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_NE(sink.errors[0].find("XXSTREAM::write"), std::string::npos);
    EXPECT_NE(sink.errors[0].find("Unable to write /dev/full"), std::string::npos);
}

// --- file times --------------------------------------------------------------------------

TEST(XXSTREAMTimes, FileTimes) {
    TempDir dir;
    XXSTREAM s;
    EXPECT_STREQ(s.fileTime(2, true).text(), "");
    EXPECT_FALSE(s.createdAfter(0));

    const int64_t runStart = settledTimeNow();
    const std::string path = dir.write("t.dat", "x");
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    const int64_t when = int64_t(1000000000) * 1000000000;
    EXPECT_EQ(std::string(s.fileDateTime(2).text()), localTimeText(when, true));
    EXPECT_EQ(std::string(s.fileDate(0).text()), localTimeText(when, false));
    EXPECT_EQ(std::string(s.fileTime(3, true).text()), localTimeText(when, true));
    EXPECT_EQ(s.fileDateTime(1).length(), 19);
    EXPECT_EQ(s.fileDate(1).length(), 10);

    // Created since the "run start" taken before it, not since an hour from now.
    EXPECT_TRUE(s.createdAfter(runStart));
    EXPECT_FALSE(s.createdAfter(settledTimeNow() + int64_t(3600) * 1000000000));
    s.close();
    EXPECT_STREQ(s.fileDate(2).text(), "");
}

TEST(XXSTREAMTimes, TimesAreReadOncePerOpen) {
    TempDir dir;
    const std::string path = dir.write("t.dat", "x");
    const timespec first[2] = {{1000000000, 0}, {1000000000, 0}};
    const timespec second[2] = {{1500000000, 0}, {1500000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), first, 0), 0);
    XXSTREAM s;
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    const std::string before = s.fileDateTime(0).text();
    EXPECT_EQ(before, localTimeText(int64_t(1000000000) * 1000000000, true));
    // Changed while open: the stream keeps the times it read first.
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), second, 0), 0);
    EXPECT_EQ(std::string(s.fileDateTime(0).text()), before);
    // Opened again (on the same stream object): the times are read afresh.
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    EXPECT_EQ(std::string(s.fileDateTime(0).text()), localTimeText(int64_t(1500000000) * 1000000000, true));
}

TEST(XXSTREAMTimes, RunStartSplitsFilesWrittenJustBeforeAndJustAfter) {
    // A stamp that was looked at makes the next one fine-grained, ahead of the coarse clock.
    TempDir dir;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::filesystem::remove(dir.file("before.txt"));
        const std::string before = dir.write("before.txt", std::to_string(round));
        XXSTREAM look;
        ASSERT_TRUE(look.open(before.c_str(), XXSTREAM::readRaw));
        (void)look.createdAfter(0);
        look.close();
        dir.write("before.txt", "again");
        // Odd rounds take the time first and wait for the file clock afterwards.
        int64_t runStart = round % 2 ? fileTimeFine() : settledTimeNow();
        if (round % 2) waitForFileClock(runStart);
        const std::string after = dir.write("after" + std::to_string(round) + ".txt", "x");
        XXSTREAM a, b;
        ASSERT_TRUE(a.open(before.c_str(), XXSTREAM::readRaw));
        ASSERT_TRUE(b.open(after.c_str(), XXSTREAM::readRaw));
        EXPECT_FALSE(a.createdAfter(runStart));
        EXPECT_TRUE(b.createdAfter(runStart));
    }
}

// --- XXFILENAME --------------------------------------------------------------------------

TEST(XXFILENAME, SplitsAndRebuilds) {
    struct Row {
        const char *path, *directory, *name, *extension, *full;
    };
    const Row rows[] = {
        {"/data/in/report.qxd", "/data/in/", "report", ".qxd", "/data/in/report.qxd"},
        {"report.qxd", "", "report", ".qxd", "report.qxd"},
        {"dir/archive.tar.gz", "dir/", "archive.tar", ".gz", "dir/archive.tar.gz"},
        {"/data/", "/data/", "", "", "/data/"},
        {"/home/u/.profile", "/home/u/", ".profile", "", "/home/u/.profile"},
        {"a/..", "a/", "..", "", "a/.."},
        {"C:\\defs\\sub\\group.QXG", "C:/defs/sub/", "group", ".QXG", "C:/defs/sub/group.QXG"},
        {"", "", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        XXFILENAME f(row.path);
        EXPECT_STREQ(f.drive.text(), "");
        EXPECT_STREQ(f.directory.text(), row.directory);
        EXPECT_STREQ(f.name.text(), row.name);
        EXPECT_STREQ(f.extension.text(), row.extension);
        EXPECT_STREQ(f.text(), row.full);
    }
    XXFILENAME f("/a/b/defn.qxd");
    EXPECT_STREQ(f.setExtension("QXG").text(), "/a/b/defn.QXG");
    EXPECT_STREQ(f.setDirectory("win\\dir").text(), "win/dir/defn.QXG");
    EXPECT_STREQ(f.setDirectory("").text(), "defn.QXG");
}

}  // namespace
