// QNDB used directly: what needs a host without a chooser, and the object's own lifecycle.
#include "dblib/QNDB.h"
#include "tests/dblib/DBTestSupport.h"

#include <gtest/gtest.h>

namespace {

QNDBChooserFn noChooser() { return nullptr; }

TEST(QNDB, GetDBNameWithoutAChooserIsEmpty) {
  int before = TestChooser::calls;
  QNDB db(&noChooser);
  EXPECT_STREQ(db.getDBName(), "");
  EXPECT_EQ(db.getMsgCount(), 0);
  EXPECT_EQ(TestChooser::calls, before) << "the installed chooser must not be asked";
}

TEST(QNDB, StartsDisconnectedAndEmpty) {
  QNDB db;
  EXPECT_EQ(db.getTableCount(), 0);
  EXPECT_EQ(db.getMsgCount(), 0);
  EXPECT_EQ(db.exeSQL("anything"), 1);
  EXPECT_EQ(db.rowOut(0), 0) << "no source chosen, nothing to reconnect to";
  EXPECT_EQ(db.getMsgCount(), 0) << "a disconnected rowOut fails silently";
}

}  // namespace
