// Narrow and wide strings: NUL counting, appends, comparisons, conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/XXSTRING.h"
#include "foundation/XXTEXT.h"
#include "tests/support/CaptureSink.h"

namespace {

TEST(XXSTRING, AppendCountsTheNulOnce) {
    XXSTRING s;
    EXPECT_EQ(s.capacity, 40) << "narrow strings allocate 40 slots at once";
    s += "";
    s += static_cast<const char*>(nullptr);
    EXPECT_EQ(s.length(), 0);
    s += "ab";
    EXPECT_EQ(s.length(), 2);
    EXPECT_EQ(s.count, 3);
    s << "c" << 'd' << 12 << -3L << 1.5;
    EXPECT_STREQ(s.text(), "abcd12-31.5");
    EXPECT_EQ(s.count, int32_t(std::strlen(s.text())) + 1);
}

TEST(XXSTRING, CharacterAppendsGrowByTheIncrement) {
    XXSTRING s;
    int growths = 0;
    int32_t capacity = s.capacity;
    for (int i = 0; i < 1000; ++i) {
        s += char('a' + i % 26);
        if (s.capacity != capacity) ++growths, capacity = s.capacity;
    }
    EXPECT_EQ(s.length(), 1000);
    // 40 -> 80 -> 120 in steps of 40, then by half the size: 180, 270, 405, 607, 910, 1365.
    EXPECT_EQ(growths, 8);
    EXPECT_EQ(s.capacity, 1365);
}

TEST(XXSTRING, AssignmentFromOwnBufferKeepsText) {
    XXSTRING s("hello");
    s = s.text();
    EXPECT_STREQ(s.text(), "hello");
    s = u"wide";
    EXPECT_TRUE(s.isWide);
    EXPECT_EQ(s.length(), 4);
    EXPECT_STREQ(s.text(), "");
    s = "narrow";
    EXPECT_FALSE(s.isWide);
    EXPECT_EQ(s.wide.length(), 0);
    EXPECT_EQ(s.length(), 6);
}

TEST(XXSTRING, ComparisonsTreatNullAsUnequal) {
    XXSTRING s("Abc");
    EXPECT_TRUE(s == "Abc");
    EXPECT_FALSE(s == "abc");
    EXPECT_TRUE(s.iequals("aBC"));
    EXPECT_TRUE(s.nequals("Abx", 2));
    EXPECT_TRUE(s.niequals("aBx", 2));
    EXPECT_FALSE(s.equals(static_cast<const char*>(nullptr)));
    XXSTRING empty;
    EXPECT_FALSE(empty.equals(static_cast<const char*>(nullptr)));
    XXSTRING w(u"Wide");
    EXPECT_TRUE(w.equals(u"Wide"));
    EXPECT_TRUE(w.iequals(u"wIDE"));
    EXPECT_FALSE(w.equals(static_cast<const XXWCHAR*>(nullptr)));
}

TEST(XXSTRING, RemoveCapitalizeReplace) {
    XXSTRING s(" a b  c ");
    EXPECT_TRUE(s.remove());
    EXPECT_STREQ(s.text(), "abc");
    EXPECT_EQ(s.count, 4);
    EXPECT_FALSE(s.remove());
    XXSTRING t("hello big world");
    EXPECT_STREQ(t.capitalize().text(), "Hello Big World");
    XXSTRING r("Set(16-bit) and SET");
    EXPECT_STREQ(r.replace("set", "Var").text(), "Var(16-bit) and Var");
    EXPECT_STREQ(XXSTRING("aaa").replace("aa", "b").text(), "ba") << "scanning resumes after a replacement";
    EXPECT_STREQ(XXSTRING("abc").replace("", "x").text(), "abc");
}

TEST(XXWSTRING, AppendAndNarrowConversion) {
    XXWSTRING w;
    EXPECT_EQ(w.capacity, 0) << "wide strings allocate on first use";
    w += u"ab";
    EXPECT_EQ(w.length(), 2);
    EXPECT_EQ(w.count, 3);
    w += "cd";
    EXPECT_TRUE(w == u"abcd");
    w = "\xC3\xA9t\xC3\xA9";   // UTF-8 "été"
    EXPECT_TRUE(w == u"\u00E9t\u00E9");
}

TEST(AToW, ConvertsOnTheCodePageAndReplacesInvalidBytes) {
    XXWSTRING w;
    EXPECT_TRUE(AToW(XXSTRING("x\xE2\x82\xACy"), w));   // UTF-8 euro sign
    EXPECT_TRUE(w == u"x\u20ACy");
    EXPECT_EQ(w.count, 4);
    EXPECT_TRUE(AToW(XXSTRING("a\xFF" "b"), w));
    EXPECT_TRUE(w == u"a\uFFFDb");
    EXPECT_TRUE(AToW(XXSTRING(""), w));
    EXPECT_EQ(w.length(), 0);
}

TEST(WToA, LimitsNarrowResultsTo254Bytes) {
    XXSTRING out("kept");
    std::u16string text(254, u'x');
    EXPECT_TRUE(WToA(XXWSTRING(text.c_str()), out));
    EXPECT_EQ(out.length(), 254);
    out = "kept";
    text.push_back(u'y');
    EXPECT_FALSE(WToA(XXWSTRING(text.c_str()), out));
    EXPECT_STREQ(out.text(), "kept");
    std::u16string threeHundred(300, u'z');
    EXPECT_FALSE(WToA(XXWSTRING(threeHundred.c_str()), out));
    EXPECT_STREQ(out.text(), "kept");
    // 127 two-byte characters are 254 bytes; one more does not fit.
    std::u16string accents(127, u'\u00E9');
    EXPECT_TRUE(WToA(XXWSTRING(accents.c_str()), out));
    accents.push_back(u'\u00E9');
    EXPECT_FALSE(WToA(XXWSTRING(accents.c_str()), out));
}

TEST(WToA, LoneSurrogateBecomesReplacementCharacter) {
    XXSTRING out;
    const XXWCHAR text[] = {u'a', 0xD800, u'b', 0};
    EXPECT_TRUE(WToA(XXWSTRING(text), out));
    EXPECT_STREQ(out.text(), "a\xEF\xBF\xBD" "b");
}

TEST(XXTEXT, ToBool) {
    const struct {
        const char* text;
        bool expected;
    } rows[] = {{"", false}, {nullptr, false}, {"f", false}, {"F", false}, {"false", false},
                {"FaLsE", false}, {"0", false}, {"00", false}, {"yes", true}, {"2", true},
                {"-1", true}, {"fx", true}, {"true", true}};
    for (const auto& r : rows) EXPECT_EQ(toBool(r.text), r.expected) << (r.text ? r.text : "(null)");
}

TEST(XXTEXT, ToLong) {
    const struct {
        const char* text;
        bool ok;
        long value;
    } rows[] = {{"42", true, 42},  {"-7", true, -7}, {"12-3", true, 12}, {"", true, 0},
                {nullptr, true, 0}, {"1a", false, 99}, {" 1", false, 99}, {"+1", false, 99}};
    for (const auto& r : rows) {
        long out = 99;
        SCOPED_TRACE(r.text ? r.text : "(null)");
        EXPECT_EQ(toLong(r.text, out), r.ok);
        EXPECT_EQ(out, r.value);
    }
    EXPECT_FALSE(isInteger(""));
    EXPECT_TRUE(isInteger("--"));
    EXPECT_TRUE(hasWildcard("a*.txt"));
    EXPECT_TRUE(hasWildcard("a?"));
    EXPECT_FALSE(hasWildcard("plain.txt"));
}

}  // namespace
