// Test program of the data-source tool. Called as
//   dsntool_tests --qndb-open-fails DSN
// it is instead a fresh host process that checks that libqndb.so can no longer open DSN and
// says why in a database error line (exit status 0 when so).
#include "tests/dsntool/QNDBSession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

int openFails(const char* dsn) {
  QNDBSession db;
  if (!db) {
    std::puts("libqndb.so did not load");
    return 3;
  }
  if (db->open(dsn) != 0) {
    std::printf("%s still opens\n", dsn);
    return 1;
  }
  std::string lines = db.messages();
  std::fputs(lines.c_str(), stdout);
  return lines.find("Database error: QNDB::open - CDBException, ") != std::string::npos ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--qndb-open-fails") == 0)
    return openFails(argv[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
