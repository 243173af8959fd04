// Tests of the compiled-in string table: texts from every area of the system come back exactly,
// unknown numbers give the empty text, and every entry of the table can be reached.
#include "foundation/XXSTRTABLE.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

struct Known {
    int32_t id;
    const char* text;
};

// One or more texts from each area, including the ones whose exact characters are easy to
// lose: trailing spaces, menu mnemonics, the tab before a shortcut, punctuation.
const Known kKnown[] = {
    {2, "Duplicate tag"},
    {14, "Error"},
    {15, "Please contact programming support"},
    {24, "Invalid input"},
    {25, "blank"},
    {100, "&Ok"},
    {114, "Information"},
    {304, "Duplicate link ignored"},
    {403, "Trace"},
    {405, "Trace off"},
    {1047, "No pattern / string defined"},
    {1054, "End  "},
    {1090, "Processing complete - view log for information"},
    {1118, "run start"},
    {1119, "run complete"},
    {1240, "Pattern / Node Group"},
    {1340, "Start node ="},
    {1614, "&Run\tCtrl+R"},
    {1630, "&1 Actions: pre-run"},
    {1709, "Enter a decimal integer in the range 0 .. 255."},
    {1711, "Or ... Enter any character in the box :"},
    {1910, "Date (YYYYMMDD)"},
    {1952, "Time (24hr)"},
    {2103, "&Email input\tCtrl+E"},
    {2250, "Unable to log on to messaging system"},
};

TEST(XXSTRTABLE, KnownNumbersGiveTheirExactText) {
    for (const Known& k : kKnown) {
        SCOPED_TRACE(k.id);
        const char* text = loadString(k.id);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, k.text);
    }
}

TEST(XXSTRTABLE, UnknownNumbersGiveTheEmptyText) {
    // Below the first entry, between entries, above the last, and the extremes.
    const int32_t unknown[] = {INT32_MIN, -1, 0, 1, 3, 1000, 1001, 2251, 99999, INT32_MAX};
    for (int32_t id : unknown) {
        SCOPED_TRACE(id);
        const char* text = loadString(id);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, "");
    }
}

TEST(XXSTRTABLE, TextsStayPutAcrossCalls) {
    EXPECT_EQ(loadString(14), loadString(14));
}

// A table out of order would leave some entries unreachable by the search; counting what a
// walk over every plausible number finds proves that all of them are reached, and that none
// breaks the length limit.
TEST(XXSTRTABLE, EveryEntryIsReachableAndWithinTheLimit) {
    int found = 0;
    for (int32_t id = 0; id <= 10000; ++id) {
        const char* text = loadString(id);
        ASSERT_NE(text, nullptr) << id;
        const std::size_t length = std::strlen(text);
        EXPECT_LE(length, 255u) << id;
        if (length > 0) ++found;
    }
    EXPECT_EQ(found, 257);
}

}  // namespace
