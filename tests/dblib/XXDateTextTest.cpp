// parseDateText and the date checks of XXFieldValue::assign: the fields read out of a text,
// the error code chosen, the corrected time and the "Invalid Date" line.
#include "dblib/XXDateText.h"
#include "dblib/XXField.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

namespace {

std::string fieldsText(const XXDateFields& f) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", f.year, f.month, f.day, f.hour,
                f.minute, f.second);
  return text;
}

TEST(ParseDateText, ReadsTheFieldsOutOfFreeText) {
  struct Row {
    const char* text;
    bool parsed;
    const char* fields;
  };
  const Row rows[] = {
      {"12/25/98 3:04:05 pm", true, "1998-12-25 15:4:5"},
      {"12/25/98 3:04:05 PM", true, "1998-12-25 15:4:5"},
      {"12/25/98 12:30:00 p.m.", true, "1998-12-25 12:30:0"},
      {"Dec 25, 2001", true, "2001-12-25 -1:-1:-1"},
      {"Wednesday, December 25, 2001 03:04:05", true, "2001-12-25 3:4:5"},
      {"2001-12-25 10:11:12", true, "2001-12-25 10:11:12"},
      {"   1/2/03", true, "2003-1-2 -1:-1:-1"},
      {"1/2/69", true, "2069-1-2 -1:-1:-1"},
      {"1/2/70", true, "1970-1-2 -1:-1:-1"},
      {"2/30/2040", true, "2040-2-30 -1:-1:-1"},
      {"13/01/99", true, "1999-13-1 -1:-1:-1"},
      {"25:00", true, "-1-25-0 -1:-1:-1"},  // no year given stays unknown
      {"3 pm", true, "-1-3--1 -1:-1:-1"},   // pm without an hour changes nothing
      {"12/25/98 3:04 pm x", true, "1998-12-25 3:4:-1"},  // pm only at the very end
      {"1/2/3/4/5/6/7", false, "2003-1-2 4:5:6"},         // a seventh number
      {"123/45678/9", true, "-1-9--1 -1:-1:-1"},          // 3 and 5 digits are skipped
      {"", false, "-1--1--1 -1:-1:-1"},
      {"    ", false, "-1--1--1 -1:-1:-1"},
      {"1/1/2000,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,", false, "2000-1-1 -1:-1:-1"},  // 30 tokens
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    XXDateFields fields;
    EXPECT_EQ(parseDateText(row.text, static_cast<int32_t>(std::strlen(row.text)), fields),
              row.parsed);
    EXPECT_EQ(fieldsText(fields), row.fields);
  }
  XXDateFields fields;
  EXPECT_FALSE(parseDateText(nullptr, 5, fields));
}

TEST(ParseDateText, ReadsOnlyTheGivenLength) {
  XXDateFields fields;
  EXPECT_TRUE(parseDateText("1/2/2003 4:05", 8, fields));
  EXPECT_EQ(fieldsText(fields), "2003-1-2 -1:-1:-1");
}

std::string localText(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

XXFieldValue dateColumn() {
  XXFieldValue value;
  value.columnName = "born";
  value.tableName = "people";
  value.sqlType = 9;
  value.reset();
  return value;
}

TEST(AssignDate, ChecksInOrderAndCorrectsTheTime) {
  struct Row {
    const char* text;
    int error;  // 0: accepted
    const char* time;
  };
  const Row rows[] = {
      {"12/25/98 3:04:05 pm", 0, "1998-12-25 15:04:05"},
      {"Dec 25, 2001", 0, "2001-12-25 00:00:00"},
      {"2/29/2000", 0, "2000-02-29 00:00:00"},
      {"12/31/2037 23:59:59", 0, "2037-12-31 23:59:59"},
      {"not a date", 2, "1970-01-01 00:00:00"},
      {"", 0, "1970-01-01 00:00:00"},  // nothing given, nothing parsed
      {"1/2/3/4/5/6/7", 1, "1970-01-01 04:05:06"},
      {"25:00", 2, "1970-01-01 00:00:00"},
      {"1/32/99", 3, "1970-01-01 00:00:00"},
      {"2/30/99", 3, "1970-01-01 00:00:00"},  // would otherwise become 2 March
      {"2/29/2001", 3, "1970-01-01 00:00:00"},
      {"0/12/99", 4, "1970-01-01 00:00:00"},
      {"13/01/99", 5, "1970-01-01 00:00:00"},
      {"1/1/1969", 6, "1970-01-01 00:00:00"},
      {"2/30/2040", 7, "1970-01-01 00:00:00"},
      {"1/2/99 24:00", 8, "1999-01-02 00:00:00"},
      {"1/2/99 10:60", 9, "1999-01-02 10:00:00"},
      {"1/2/99 10:20:61", 10, "1999-01-02 10:20:00"},
      {"1/2/99 24:60:61", 10, "1999-01-02 00:00:00"},  // the last check's code stays
      {"13/01/99 25:00", 8, "1970-01-01 00:00:00"},   // a time code replaces a date code
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    XXMsgList messages;
    XXFieldValue value = dateColumn();
    int32_t length = static_cast<int32_t>(std::strlen(row.text));
    EXPECT_EQ(value.assign(row.text, length, true, messages), row.error == 0);
    EXPECT_EQ(localText(value.time), row.time);
    EXPECT_EQ(value.text, row.text);
    if (row.error == 0) {
      EXPECT_EQ(messages.count(), 0);
    } else {
      ASSERT_EQ(messages.count(), 1);
      std::string line = messages.get(0);
      std::string head = "Invalid Date {" + std::to_string(row.error) + "- '" + row.text + "' ";
      EXPECT_TRUE(line.starts_with(head)) << line;
      EXPECT_TRUE(line.ends_with("}(people/born): [" + std::string(row.text) + "]")) << line;
    }
  }
}

TEST(AssignDate, WritesTheInvalidDateLineInFull) {
  XXMsgList messages;
  XXFieldValue value = dateColumn();
  EXPECT_FALSE(value.assign("2/30/2040", 9, true, messages));
  ASSERT_EQ(messages.count(), 1);
  EXPECT_STREQ(messages.get(0),
               "Invalid Date {7- '2/30/2040' 1970-1-1 0:0:0}(people/born): [2/30/2040]");
}

TEST(AssignDate, ParsesOnlyTheNewBytesButKeepsAllText) {
  XXMsgList messages;
  XXFieldValue value = dateColumn();
  EXPECT_TRUE(value.assign("12/25/98", 8, true, messages));
  EXPECT_TRUE(value.assign(" 3:04:05 pm", 11, false, messages));
  EXPECT_EQ(value.text, "12/25/98 3:04:05 pm");
  // The second piece is parsed alone: its 3, 4 and 5 are month, day and year.
  EXPECT_EQ(localText(value.time), "2005-03-04 00:00:00");
}

}  // namespace
