// Test program of the run layer: a private ODBC configuration for the whole process, made
// before any test touches ODBC, so that the SQLite data sources the tests register never
// reach the machine's own set-up.
#include <gtest/gtest.h>

#include <cstdio>
#include <exception>

#include "tests/odbc/ODBCSandbox.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    try {
        ODBCSandbox::instance();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "run_tests: no private ODBC configuration: %s\n", e.what());
        return 1;
    }
    return RUN_ALL_TESTS();
}
