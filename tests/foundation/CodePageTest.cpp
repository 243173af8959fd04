// Narrow text read as wide text: in the default code page (UTF-8), and in a code page whose
// bytes below 128 are not ASCII (EBCDIC), where plain-looking bytes must still be converted.
#include "foundation/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(CodePage, NarrowTextReadsAsWideTextWhateverItsBytes) {
    EXPECT_EQ(narrowToWide("name.txt 2026-01-05", 19), u"name.txt 2026-01-05");
    EXPECT_EQ(narrowToWide("caf\xC3\xA9/a", 7), u"caf\u00E9/a");
    EXPECT_EQ(narrowToWide("a\xFFz", 3), u"a\uFFFDz");
    EXPECT_EQ(narrowToWide("", 0), u"");
}

TEST(CodePage, BytesBelow128AreConvertedInACodePageThatIsNotASCII) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // In a process of its own, so that the code page is read afresh: "A" is 0x41 in ASCII,
    // while 0x41 in EBCDIC (IBM037) is a no-break space.
    EXPECT_EXIT(
        {
            setenv("QUILLON_CODEPAGE", "IBM037", 1);
            std::exit(narrowToWide("\x41", 1) == u"\u00A0" && narrowToWide("\xC1", 1) == u"A" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
