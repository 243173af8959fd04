// Test program of the database library: a private ODBC configuration for the whole process
// (made before any test touches ODBC) and the data-source chooser a host would install.
#include "tests/dblib/DBTestSupport.h"
#include "tests/odbc/ODBCSandbox.h"

#include <gtest/gtest.h>

#include <cstdio>

std::string TestChooser::pick;
std::vector<std::string> TestChooser::offered;
int TestChooser::calls = 0;

// Found by libqndb.so through the process's symbol table, as the builder's list dialog will be.
extern "C" __attribute__((visibility("default"))) int32_t
QNDBChooseDataSource(const char* const* names, const char* const* descriptions, int32_t count) {
  (void)descriptions;
  ++TestChooser::calls;
  TestChooser::offered.assign(names, names + count);
  for (int32_t i = 0; i < count; ++i)
    if (TestChooser::pick == names[i])
      return i;
  return -1;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  try {
    ODBCSandbox::instance();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dblib_tests: no private ODBC configuration: %s\n", e.what());
    return 1;
  }
  return RUN_ALL_TESTS();
}
