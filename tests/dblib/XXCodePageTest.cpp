// XXCodePage::fromUTF16: UTF-8 by default, another code page when QUILLON_CODEPAGE names
// one, replacement of what cannot be shown.
#include "dblib/XXCodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class CodePage : public testing::Test {
protected:
  void TearDown() override { unsetenv("QUILLON_CODEPAGE"); }

  static std::string convert(std::u16string_view text, std::string* unknown = nullptr) {
    return XXCodePage::fromUTF16(text.data(), text.size(), unknown);
  }
};

TEST_F(CodePage, ConvertsToUTF8ByDefault) {
  struct Row {
    const char* name;
    std::u16string text;
    std::string expected;
  };
  const Row rows[] = {
      {"ascii", u"abc", "abc"},
      {"two-byte", u"Zo\u00EB", "Zo\xC3\xAB"},
      {"three-byte", u"\u20AC1", "\xE2\x82\xAC" "1"},
      {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"lone high surrogate", std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"},
      {"lone low surrogate", std::u16string(1, char16_t(0xDE00)), "\xEF\xBF\xBD"},
      {"empty", u"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(convert(row.text), row.expected);
  }
}

TEST_F(CodePage, UsesTheCodePageNamedInTheEnvironment) {
  setenv("QUILLON_CODEPAGE", "CP1252", 1);
  EXPECT_EQ(convert(u"Zo\u00EB \u20AC"), "Zo\xEB \x80");
  EXPECT_EQ(convert(u"a\u4E2Db"), "a?b") << "a character CP1252 lacks becomes '?'";
  // A code page that has U+FFFD shows it for what it lacks (here a character beyond 16 bits)
  // and for a lone surrogate, in its own encoding.
  setenv("QUILLON_CODEPAGE", "UCS-2LE", 1);
  const std::string fffd("\xFD\xFF", 2);
  EXPECT_EQ(convert(u"a\U0001F600"), std::string("a\0", 2) + fffd);
  EXPECT_EQ(convert(std::u16string(1, char16_t(0xDC00)) + u"b"), fffd + std::string("b\0", 2));
}

TEST_F(CodePage, FallsBackToUTF8ForAnUnknownCodePage) {
  setenv("QUILLON_CODEPAGE", "NO-SUCH-CODEPAGE", 1);
  std::string unknown;
  EXPECT_EQ(convert(u"\u00EB", &unknown), "\xC3\xAB");
  EXPECT_EQ(unknown, "NO-SUCH-CODEPAGE");
}

}  // namespace
