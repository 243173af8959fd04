// Tests of XXSTREAM and XXFILENAME: the token reader's quoting rules and wide tokens, whole
// lines of any length with LF and CR LF ends, written lines read back unchanged, raw reads
// and seeks at the end of a file, the open modes, write failures, file times and the path
// parts.
#include "foundation/XXSTREAM.h"

#include <gtest/gtest.h>

#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

#include "foundation/XXFILENAME.h"
#include "foundation/platformfile.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

// Whether `text` has the shape of `pattern`, where '9' stands for any digit.
bool shaped(const char* text, const char* pattern) {
    for (; *pattern; ++text, ++pattern) {
        if (*pattern == '9' ? !(*text >= '0' && *text <= '9') : *text != *pattern) return false;
    }
    return *text == 0;
}

std::u16string wideOf(const XXWCHAR* w) { return w ? std::u16string(w) : std::u16string(u"<null>"); }

// Every token of a line, as the reader gives them; quoted tokens are marked with a leading
// '#' so that rows can tell "a" from a.
std::vector<std::string> tokensOf(XXSTREAM& s, char q) {
    std::vector<std::string> out;
    while (const char* t = s.getFld(q)) out.push_back((s.lastQuoted() ? "#" : "") + std::string(t));
    return out;
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
    std::vector<std::string> tokens;
};

TEST(XXSTREAMTokens, QuotingRules) {
    const TokenRow rows[] = {
        {R"("a""b")", '"', {R"(#a"b)"}},                 // doubled quote stands for one
        {"a  b", '"', {"a b"}},                         // doubled space stays inside
        {"a b", '"', {"a", "b"}},
        {" \t x \t", '"', {"x"}},                       // tabs are skipped like spaces
        {R"("" x)", '"', {"#", "x"}},                   // the empty quoted token
        {R"("a b" c)", '"', {"#a b", "c"}},
        {R"(x"y z)", '"', {R"(x"y)", "z"}},              // a quote inside an unquoted token
        {R"("""")", '"', {R"(#")"}},
        {R"("open)", '"', {"#open"}},                   // unterminated: to the end of the line
        {R"("ab"cd)", '"', {"#ab", "cd"}},              // the cursor ends after the closing quote
        {"a\tb", '"', {"a\tb"}},
        {"'it''s' \"x\"", '\'', {"#it's", "\"x\""}},    // the caller's quote character
        {"", '"', {}},
        {"   ", '"', {}},
    };
    TempDir dir;
    for (const TokenRow& row : rows) {
        SCOPED_TRACE(row.line);
        XXSTREAM s;
        readOneLine(s, dir, row.line);
        EXPECT_EQ(tokensOf(s, row.quote), row.tokens);
    }
}

TEST(XXSTREAMTokens, BackTokenRereadsTheLastToken) {
    TempDir dir;
    XXSTREAM s;
    readOneLine(s, dir, R"(one "two words" three)");
    EXPECT_STREQ(s.getFld(), "one");
    EXPECT_STREQ(s.getFld(), "two words");
    s.backToken();
    EXPECT_STREQ(s.getFld(), "two words");
    EXPECT_STREQ(s.getFld(), "three");
    EXPECT_EQ(s.getFld(), nullptr);
}

struct WideRow {
    const char* line;
    std::u16string wide;       // u"<null>" when readWide fails
    const char* next;          // the token getFld gives afterwards
};

TEST(XXSTREAMTokens, ReadWide) {
    const WideRow rows[] = {
        {"{65}{66}", u"AB", nullptr},
        {"  {97} x", u"a", "x"},
        {"{65}{66}\tx", u"AB", "x"},
        {"{1234}{65535}", u"\u04D2\uFFFF", nullptr},
        {"{65}x", u"<null>", "{65}x"},          // groups must end the token
        {"{65}", u"A", nullptr},
        {"{65", u"<null>", "{65"},
        {"{}", u"<null>", "{}"},
        {"{6a}", u"<null>", "{6a}"},
        {"{-1}", u"<null>", "{-1}"},
        {"{65536}", u"<null>", "{65536}"},      // beyond a 16-bit unit
        {"{0}", u"<null>", "{0}"},              // a NUL unit would cut the text
        {"x{65}", u"<null>", "x{65}"},
        {R"("{65}")", u"<null>", "{65}"},
        {"", u"<null>", nullptr},
    };
    TempDir dir;
    for (const WideRow& row : rows) {
        SCOPED_TRACE(row.line);
        XXSTREAM s;
        readOneLine(s, dir, row.line);
        EXPECT_EQ(wideOf(s.readWide('{', '}')), row.wide);
        const char* next = s.getFld();
        if (row.next) {
            EXPECT_STREQ(next, row.next);
        } else {
            EXPECT_EQ(next, nullptr);
        }
    }
}

TEST(XXSTREAMTokens, ReadWideWithOtherBrackets) {
    TempDir dir;
    XXSTREAM s;
    readOneLine(s, dir, "<72><105> {72}");
    EXPECT_EQ(wideOf(s.readWide('<', '>')), u"Hi");
    EXPECT_EQ(wideOf(s.readWide('<', '>')), u"<null>");
    EXPECT_EQ(wideOf(s.readWide()), u"H");
}

// Only an unquoted token that begins with "{" and is made of groups is wide; a quoted text
// stays narrow whatever it holds.
TEST(XXSTREAMTokens, GetStringTellsWideFromNarrow) {
    TempDir dir;
    XXSTREAM s;
    readOneLine(s, dir, R"({65}{66} "{65}{66}" {abc "" plain {67})");
    struct Expect {
        bool wide;
        const char* narrow;
        std::u16string w;
    };
    const Expect expected[] = {
        {true, "", u"AB"}, {false, "{65}{66}", u""}, {false, "{abc", u""},
        {false, "", u""},  {false, "plain", u""},    {true, "", u"C"},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        XXSTRING value("stale");
        ASSERT_TRUE(s.getString(value));
        EXPECT_EQ(value.isWide, expected[i].wide);
        if (expected[i].wide) {
            EXPECT_EQ(std::u16string(value.wtext()), expected[i].w);
        } else {
            EXPECT_STREQ(value.text(), expected[i].narrow);
        }
    }
    XXSTRING untouched("kept");
    EXPECT_FALSE(s.getString(untouched));
    EXPECT_STREQ(untouched.text(), "kept");
}

// --- lines -------------------------------------------------------------------------------

struct LineRow {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

std::string repeat(size_t n, char c) { return std::string(n, c); }

TEST(XXSTREAMLines, ReadLineDeliversWholeLines) {
    const std::string longA = repeat(300, 'a');
    const std::string block = repeat(65535, 'b');      // its CR ends the first input block
    const std::string huge = repeat(200000, 'c');      // spans several input blocks
    const LineRow rows[] = {
        {"LF", "one\ntwo\n", {"one", "two"}},
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"mixed", "one\r\ntwo\nthree\r\n", {"one", "two", "three"}},
        {"no final line end", "one\ntwo", {"one", "two"}},
        {"empty lines", "\n\r\n\nx\n", {"", "", "", "x"}},
        {"inner CR kept", "a\rb\r\n", {"a\rb"}},
        {"empty file", "", {}},
        {"300 characters", longA + "\r\n" + "z\n", {longA, "z"}},
        {"CR LF across blocks", block + "\r\n" + "next\r\n", {block, "next"}},
        {"200000 characters", "x\n" + huge + "\ny", {"x", huge, "y"}},
    };
    TempDir dir;
    for (const LineRow& row : rows) {
        SCOPED_TRACE(row.name);
        XXSTREAM s;
        ASSERT_TRUE(s.open(dir.write("lines.txt", row.bytes).c_str(), XXSTREAM::readText));
        std::vector<std::string> got;
        while (const char* line = s.readLine()) {
            got.emplace_back(line, size_t(s.lineLength()));
            EXPECT_FALSE(s.atEnd() && got.size() < row.lines.size());
        }
        EXPECT_EQ(got, row.lines);
        EXPECT_TRUE(s.atEnd());
        EXPECT_FALSE(s.failed());
        EXPECT_EQ(s.readLine(), nullptr);
    }
}

TEST(XXSTREAMLines, TokensOfALongLineAreWhole) {
    TempDir dir;
    const std::string big = repeat(100000, 'q');
    XXSTREAM s;
    readOneLine(s, dir, "\"" + big + "\" " + big);
    EXPECT_EQ(std::string(s.getFld()), big);
    EXPECT_EQ(std::string(s.getFld()), big);
}

// Lines assembled token by token read back as the same values, with the chosen line end.
class XXSTREAMRoundTrip : public testing::TestWithParam<XXSTREAM::LineEnd> {};

TEST_P(XXSTREAMRoundTrip, AssembledLinesReadBack) {
    TempDir dir;
    const std::string path = dir.file("round.qxd");
    const std::string longText = repeat(5000, 'L') + "\"" + repeat(5000, 'M');
    const std::u16string longWide(3000, u'\u263A');
    {
        XXSTREAM out;
        out.setLineEnd(GetParam());
        ASSERT_TRUE(out.open(path.c_str(), XXSTREAM::writeText));
        out.addToken("Node");
        out.addInt(-42);
        out.addToken("");                      // an empty plain value keeps its column
        out.addQuoted(R"(say "hi")");
        out.addQuoted("{65}");                 // narrow text that looks wide
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
    EXPECT_EQ(bytes.find("\r\n") != std::string::npos, crlf);
    EXPECT_EQ(bytes.substr(bytes.size() - (crlf ? 12 : 11)), crlf ? "plain line\r\n" : "plain line\n");

    XXSTREAM in;
    ASSERT_TRUE(in.open(path.c_str(), XXSTREAM::readText));
    ASSERT_NE(in.readLine(), nullptr);
    EXPECT_STREQ(in.getFld(), "Node");
    EXPECT_STREQ(in.getFld(), "-42");
    EXPECT_STREQ(in.getFld(), "");
    XXSTRING v;
    ASSERT_TRUE(in.getString(v));
    EXPECT_STREQ(v.text(), R"(say "hi")");
    ASSERT_TRUE(in.getString(v));
    EXPECT_FALSE(v.isWide);
    EXPECT_STREQ(v.text(), "{65}");
    ASSERT_TRUE(in.getString(v));
    EXPECT_TRUE(v.isWide);
    EXPECT_EQ(std::u16string(v.wtext()), u"AB");
    ASSERT_TRUE(in.getString(v));
    EXPECT_EQ(std::u16string(v.wtext()), longWide);
    ASSERT_TRUE(in.getString(v));
    EXPECT_EQ(std::string(v.text()), longText);
    EXPECT_STREQ(in.getFld('\''), "it's");
    EXPECT_EQ(in.getFld(), nullptr);
    EXPECT_STREQ(in.readLine(), "plain line");
    EXPECT_EQ(in.readLine(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, XXSTREAMRoundTrip,
                         testing::Values(XXSTREAM::LineEnd::lf, XXSTREAM::LineEnd::crlf),
                         [](const auto& info) { return info.param == XXSTREAM::LineEnd::lf ? "LF" : "CRLF"; });

TEST(XXSTREAMLines, BinaryModesNeverTranslate) {
    TempDir dir;
    const std::string path = dir.file("bin.dat");
    XXSTREAM out;
    out.setLineEnd(XXSTREAM::LineEnd::crlf);
    ASSERT_TRUE(out.open(path.c_str(), XXSTREAM::writeBinary));
    out.write("a\nb", 3);
    out.putByte('\n');
    out.write(XXWSTRING(u"\u0A0D"));
    ASSERT_TRUE(out.close());
    EXPECT_EQ(TempDir::read(path), std::string("a\nb\n\x0D\x0A", 6));
}

// --- raw reading -------------------------------------------------------------------------

TEST(XXSTREAMRaw, ReadsToTheEndThenZero) {
    TempDir dir;
    XXSTREAM s;
    ASSERT_TRUE(s.open(dir.write("ten", "0123456789").c_str(), XXSTREAM::readRaw));
    EXPECT_TRUE(s.isOpen());
    EXPECT_EQ(s.fileSize(), 10);
    char buf[8];
    struct Step {
        int64_t asked, got, prev, pos;
        bool atEnd;
    };
    const Step steps[] = {{4, 4, 0, 4, false}, {4, 4, 4, 8, false}, {4, 2, 8, 10, false}, {4, 0, 8, 10, true},
                          {4, 0, 8, 10, true}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.read(buf, steps[i].asked), steps[i].got);
        EXPECT_EQ(s.getPrevPosition(), steps[i].prev);
        EXPECT_EQ(s.getPosition(), steps[i].pos);
        EXPECT_EQ(s.atEnd(), steps[i].atEnd);
    }
    // A seek makes further reads possible again.
    EXPECT_EQ(s.seek(-3, XXSTREAM::fromEnd), 7);
    EXPECT_FALSE(s.atEnd());
    EXPECT_EQ(s.read(buf, 8), 3);
    EXPECT_EQ(std::string(buf, 3), "789");
    s.close();
    EXPECT_EQ(s.getPosition(), -1);
    EXPECT_EQ(s.getPrevPosition(), -1);
    EXPECT_EQ(s.read(buf, 4), 0);
    EXPECT_EQ(s.fileSize(), 0);
}

TEST(XXSTREAMRaw, SeekOrigins) {
    TempDir dir;
    CaptureSink sink;
    XXSTREAM s;
    ASSERT_TRUE(s.open(dir.write("ten", "0123456789").c_str(), XXSTREAM::readRaw));
    char c = 0;
    EXPECT_EQ(s.seekTo(6), 6);
    EXPECT_EQ(s.skip(-2), 4);
    EXPECT_EQ(s.read(&c, 1), 1);
    EXPECT_EQ(c, '4');
    EXPECT_EQ(s.skip(2), 7);
    EXPECT_EQ(s.seek(0, XXSTREAM::fromEnd), 10);
    EXPECT_EQ(s.rewind(), 0);
    EXPECT_TRUE(sink.errors.empty());
    // Before the start: reported, and the position still tells where the next read starts.
    EXPECT_EQ(s.skip(-1), -1);
    EXPECT_TRUE(sink.sawError("SetFilePointer failure"));
    EXPECT_EQ(s.getPosition(), 0);
    EXPECT_EQ(s.read(&c, 1), 1);
    EXPECT_EQ(c, '0');
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
    char buf[4];
    EXPECT_EQ(in.read(buf, 4), 0);   // raw reads need mode 2

    XXSTREAM out;
    ASSERT_TRUE(out.open(dir.file("o.txt").c_str(), XXSTREAM::writeText));
    EXPECT_EQ(out.seek(1, XXSTREAM::fromCurrent), -1);
    EXPECT_TRUE(sink.sawError("Invalid output seek origin"));
    out.writeLine("abcdef");
    EXPECT_EQ(out.seekTo(0), 0);
    out.write("X", 1);
    out.close();
    EXPECT_EQ(TempDir::read(dir.file("o.txt")), "Xbcdef\n");

    XXSTREAM closed;
    EXPECT_EQ(closed.seekTo(0), -1);
}

// --- opening and writing -----------------------------------------------------------------

TEST(XXSTREAMOpen, Modes) {
    TempDir dir;
    const std::string existing = dir.write("e.txt", "old\n");
    const std::string missing = dir.file("missing.txt");
    struct Row {
        int32_t mode;
        const std::string* path;
        bool opens;
        const char* contentAfterWritingNew;   // null: not written
    };
    const Row rows[] = {
        {XXSTREAM::readText, &existing, true, nullptr},
        {XXSTREAM::readText, &missing, false, nullptr},
        {XXSTREAM::readRaw, &missing, false, nullptr},
        {XXSTREAM::writeText, &existing, true, "new\n"},
        {XXSTREAM::writeBinary, &existing, true, "new\n"},
        {XXSTREAM::appendText, &existing, true, "old\nnew\n"},
        {XXSTREAM::appendBinary, &existing, true, "old\nnew\n"},
        {XXSTREAM::appendText, &missing, true, "new\n"},
        {0, &existing, false, nullptr},
        {3, &existing, false, nullptr},
        {16, &existing, false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " " << *row.path);
        dir.write("e.txt", "old\n");
        std::filesystem::remove(missing);
        XXSTREAM s;
        EXPECT_EQ(s.open(row.path->c_str(), row.mode), row.opens);
        EXPECT_EQ(s.isOpen(), row.opens);
        EXPECT_FALSE(s.failed());
        if (row.contentAfterWritingNew) {
            EXPECT_TRUE(s.writeLine("new"));
            EXPECT_TRUE(s.close());
            EXPECT_EQ(TempDir::read(*row.path), row.contentAfterWritingNew);
        }
        EXPECT_EQ(s.getMode(), row.mode);
    }
}

TEST(XXSTREAMOpen, DirectoriesAndEmptyPathsDoNotOpen) {
    TempDir dir;
    XXSTREAM s;
    EXPECT_FALSE(s.open(dir.path().c_str(), XXSTREAM::readRaw));
    EXPECT_FALSE(s.open(dir.path().c_str(), XXSTREAM::readText));
    EXPECT_FALSE(s.open("", XXSTREAM::writeText));
    EXPECT_FALSE(s.isOpen());
}

TEST(XXSTREAMOpen, OpeningClosesTheFormerFile) {
    TempDir dir;
    XXSTREAM s(dir.file("a.txt").c_str());
    ASSERT_TRUE(s.open(XXSTREAM::writeText));
    s.write("pending", 7);
    ASSERT_TRUE(s.open(dir.write("b.txt", "b\n").c_str(), XXSTREAM::readText));
    EXPECT_EQ(TempDir::read(dir.file("a.txt")), "pending");
    EXPECT_STREQ(s.readLine(), "b");
}

TEST(XXSTREAMOpen, CopiesTakeSettingsNotTheOpenFile) {
    TempDir dir;
    XXSTREAM s;
    s.setQuote('\'');
    s.setLineEnd(XXSTREAM::LineEnd::crlf);
    ASSERT_TRUE(s.open(dir.write("c.txt", "x\n").c_str(), XXSTREAM::readText));
    XXSTREAM copy(s);
    EXPECT_FALSE(copy.isOpen());
    EXPECT_STREQ(copy.getPath(), s.getPath());
    EXPECT_EQ(copy.getMode(), XXSTREAM::readText);
    EXPECT_EQ(copy.getQuote(), '\'');
    EXPECT_EQ(copy.getLineEnd(), XXSTREAM::LineEnd::crlf);
    ASSERT_TRUE(copy.open());
    EXPECT_STREQ(copy.readLine(), "x");
}

TEST(XXSTREAMOpen, WritesWithoutOutputFail) {
    XXSTREAM s;
    EXPECT_FALSE(s.write("x", 1));
    EXPECT_FALSE(s.putByte('x'));
    EXPECT_FALSE(s.writeLine("x"));
    s.addToken("x");
    EXPECT_FALSE(s.endLine());
    EXPECT_EQ(s.lineLength(), 0);
}

// A full disk must not look like a successful write.
TEST(XXSTREAMOpen, WriteFailureIsReportedOnceAndFailsTheClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_FAIL() << "/dev/full is missing";
    CaptureSink sink;
    XXSTREAM s;
    ASSERT_TRUE(s.open("/dev/full", XXSTREAM::writeBinary));
    const std::string block(100000, 'x');   // more than the output buffer
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
    const std::string path = dir.write("t.dat", "x");
    XXSTREAM s;
    EXPECT_STREQ(s.fileTime(2, true).text(), "");
    EXPECT_FALSE(s.createdAfter(0));

    // A known last-write time, shown in local time.
    timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    const int64_t when = int64_t(1000000000) * 1000000000;
    EXPECT_EQ(std::string(s.fileDateTime(2).text()), localTimeText(when, true));
    EXPECT_EQ(std::string(s.fileDate(0).text()), localTimeText(when, false));
    EXPECT_EQ(std::string(s.fileTime(3, true).text()), localTimeText(when, true));
    EXPECT_TRUE(shaped(s.fileDateTime(1).text(), "9999-99-99 99:99:99")) << s.fileDateTime(1).text();
    EXPECT_TRUE(shaped(s.fileDate(1).text(), "9999-99-99")) << s.fileDate(1).text();

    // Created just now: after the epoch, not after an hour from now.
    EXPECT_TRUE(s.createdAfter(0));
    EXPECT_FALSE(s.createdAfter(fileTimeNow() + int64_t(3600) * 1000000000));
    s.close();
    EXPECT_STREQ(s.fileDate(2).text(), "");
}

TEST(XXSTREAMTimes, FileCreatedAfterTheRunStartIsSeenAsSuch) {
    TempDir dir;
    const int64_t before = fileTimeNow();
    // The file systems' clock ticks coarsely: wait for the next tick so "later" is visible.
    while (fileTimeNow() == before) {
    }
    const std::string path = dir.write("late.dat", "x");
    XXSTREAM s;
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    EXPECT_TRUE(s.createdAfter(before));
}

// --- XXFILENAME --------------------------------------------------------------------------

struct NameRow {
    const char* path;
    const char* directory;
    const char* name;
    const char* extension;
    const char* full;
};

TEST(XXFILENAME, SplitsAndRebuilds) {
    const NameRow rows[] = {
        {"/data/in/report.qxd", "/data/in/", "report", ".qxd", "/data/in/report.qxd"},
        {"report.qxd", "", "report", ".qxd", "report.qxd"},
        {"dir/archive.tar.gz", "dir/", "archive.tar", ".gz", "dir/archive.tar.gz"},
        {"/data/noext", "/data/", "noext", "", "/data/noext"},
        {"/data/", "/data/", "", "", "/data/"},
        {"/home/u/.profile", "/home/u/", ".profile", "", "/home/u/.profile"},
        {"a/..", "a/", "..", "", "a/.."},
        {"trailing.", "", "trailing", ".", "trailing."},
        {"C:\\defs\\sub\\group.QXG", "C:/defs/sub/", "group", ".QXG", "C:/defs/sub/group.QXG"},
        {"", "", "", "", ""},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(row.path);
        XXFILENAME f(row.path);
        EXPECT_STREQ(f.drive.text(), "");
        EXPECT_STREQ(f.directory.text(), row.directory);
        EXPECT_STREQ(f.name.text(), row.name);
        EXPECT_STREQ(f.extension.text(), row.extension);
        EXPECT_STREQ(f.text(), row.full);
    }
}

TEST(XXFILENAME, SettersRebuildThePath) {
    XXFILENAME f("/a/b/defn.qxd");
    f.setExtension("QXG");
    EXPECT_STREQ(f.text(), "/a/b/defn.QXG");
    f.setExtension(".log");
    EXPECT_STREQ(f.text(), "/a/b/defn.log");
    f.setDirectory("/out");
    EXPECT_STREQ(f.text(), "/out/defn.log");
    f.setDirectory("win\\dir\\");
    EXPECT_STREQ(f.text(), "win/dir/defn.log");
    f.setDirectory("");
    EXPECT_STREQ(f.text(), "defn.log");
    f.setName("other");
    f.setExtension("");
    EXPECT_STREQ(f.text(), "other");
}

}  // namespace
