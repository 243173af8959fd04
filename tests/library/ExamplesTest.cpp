// The bundled examples, run as their users run them: the C host program over its alert
// definition, and the Servers definition over its reports with quilrun, writing CSV files,
// a summary and rows of an SQLite table through the ODBC driver.
#include <gtest/gtest.h>
#include <odbcinst.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/library/Process.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

const std::string kExamples = QUILLON_EXAMPLES_DIR;

TEST(Examples, TheCHostScansABlockAndReadsTheCounterBack) {
    TempDir dir;
    ProcessOptions options;
    options.dir = dir.path().string();
    // The host loads the library by name; the loader finds it beside the program through
    // the program's run path, or, where a sanitizer stands in for dlopen, on this path.
    options.env["LD_LIBRARY_PATH"] = QUILLON_BIN_DIR;
    const ProcessResult r = runProcess(binary("quilcore_host"), {kExamples + "/host/Alerts.QXD"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "nodes: 2\n"
              "[info]  1 buffer scanned, 2 terminal node matches.\n"
              "AlertTotal: 2\n"
              "[info]  1 buffer scanned, 2 terminal node matches.\n"
              "client AlertTotal: 2\n");
    EXPECT_EQ(r.err, "");
    EXPECT_NE(TempDir::read(dir.file("Alerts.log")).find("1 buffer scanned"), std::string::npos);
}

TEST(Examples, ServersWritesFilesSummaryAndTableRows) {
    ODBCSandbox& odbc = ODBCSandbox::instance();
    // The name the example's description file uses for the driver.
    odbc.addDriver("SQLite3", ODBCSandbox::driverLibrary("libsqlite3odbc.so"), "");
    // The SQLite driver leaks a little at every connection. It stays loaded, so that the
    // leak report can name it and the suppression below keeps it out of this test.
    ASSERT_TRUE(SQLWritePrivateProfileString("SQLite3", "DontDLClose", "1", "odbcinst.ini"));
    const std::string work = odbc.newFolder("servers");
    fs::create_directory(work + "/out");
    ProcessOptions options;
    options.dir = work;
    const std::string suppressions = work + "/lsan.supp";
    std::ofstream(suppressions) << "leak:libsqlite3odbc.so\n";
    options.env["LSAN_OPTIONS"] = "print_suppressions=0:suppressions=" + suppressions;
    // The driver's own libraries have no frame pointers: walk their stacks the slow way.
    options.env["ASAN_OPTIONS"] = "fast_unwind_on_malloc=0";

    ProcessResult r = runProcess(binary("velder"), {kExamples + "/servers/servers.dsn"}, options);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    ASSERT_EQ(r.out, "DSN added:\nDSN=Quillon-Servers\n");
    {
        ODBCReader db("Quillon-Servers");
        db.exec("CREATE TABLE Events (Host TEXT, Stamp TEXT, Level TEXT, Message TEXT)");
    }

    r = runProcess(binary("quilrun"), {"-q", kExamples + "/servers/Servers", kExamples + "/servers/reports/*.txt"},
                   options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(TempDir::read(work + "/out/db-01.csv"),
              "time;level;message\n"
              "2026-11-30 14:04:58;error;out of connections (max 200)\n"
              "2026-11-30 14:06:40;warning;replication lag 45 s on replica-2\n");
    EXPECT_TRUE(fs::exists(work + "/out/web-01.csv"));
    EXPECT_TRUE(fs::exists(work + "/out/mail-01.csv"));
    const std::string summary = TempDir::read(work + "/summary.txt");
    EXPECT_NE(summary.find("web-01.txt, host web-01: 4\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("All reports: 7\n"), std::string::npos) << summary;
    EXPECT_FALSE(fs::exists(work + "/out.tmp")) << "every output has a destination";

    ODBCReader db("Quillon-Servers");
    const ODBCReader::Rows rows = db.query("SELECT Host, Stamp, Level, Message FROM Events ORDER BY Stamp");
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows.front(), (std::vector<std::string>{"web-01", "2026-11-30 08:14:03", "warning",
                                                      "response time 2300 ms on /api/orders"}));
    const std::string log = TempDir::read(work + "/Servers.log");
    EXPECT_NE(log.find("Files scanned:  3"), std::string::npos) << log;
    EXPECT_EQ(log.find("not"), std::string::npos) << "no complaints in the log: " << log;
}

}  // namespace
