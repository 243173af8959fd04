// XXMsgList: the three line forms and the 1024-character bound.
#include "dblib/XXMsgList.h"

#include <gtest/gtest.h>

namespace {

TEST(XXMsgList, ComposesTheThreeForms) {
  XXMsgList messages;
  messages.addDatabaseError("QNDB::exeSQL - CDBException", "near \"x\": syntax error ", -1,
                            "State:HY000,Native:1");
  messages.addDatabaseError("", "text ", -2, "");
  messages.addMemoryError("QNDB::open - CMemoryException", "std::bad_alloc");
  messages.addMemoryError("QNDB::open - CMemoryException", "");
  messages.add("XXTable::rowOut - update failure");
  messages.addf("Invalid table index: %d", 5);
  const char* expected[] = {
      "Database error: QNDB::exeSQL - CDBException, near \"x\": syntax error code=-1 - "
      "State:HY000,Native:1",
      "Database error: text code=-2 - (no message available)",
      "QNDB::open - CMemoryException - std::bad_alloc",
      "QNDB::open - CMemoryException - (no message available)",
      "XXTable::rowOut - update failure",
      "Invalid table index: 5",
  };
  ASSERT_EQ(messages.count(), 6);
  for (int32_t i = 0; i < 6; ++i)
    EXPECT_STREQ(messages.get(i), expected[i]) << "line " << i;
  EXPECT_STREQ(messages.get(6), "");
  EXPECT_STREQ(messages.get(-1), "");
  messages.clear();
  EXPECT_EQ(messages.count(), 0);
}

TEST(XXMsgList, CutsLongLinesWithoutSplittingCharacters) {
  struct Row {
    const char* name;
    std::string line;
    size_t keptLength;
  };
  const std::string euro = "\xE2\x82\xAC";  // three bytes
  const Row rows[] = {
      {"exactly the bound", std::string(1023, 'a'), 1023},
      {"one over", std::string(1024, 'a'), 1023},
      {"far over", std::string(5000, 'a'), 1023},
      {"euro across the bound", std::string(1022, 'a') + euro, 1022},
      {"euro ending at the bound", std::string(1020, 'a') + euro + "b", 1023},
      {"not UTF-8", std::string(1022, 'a') + "\x80\x80\x80", 1023},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    XXMsgList messages;
    messages.add(row.line);
    EXPECT_EQ(std::string(messages.get(0)), row.line.substr(0, row.keptLength));
    messages.addf("%s", row.line.c_str());
    EXPECT_EQ(std::string(messages.get(1)), row.line.substr(0, row.keptLength));
  }
}

}  // namespace
