// The built velder against unixODBC's installer in a private ODBC configuration: a data
// source added from a file lands in odbc.ini and libqndb.so connects through it; removing
// it takes it away again; a driver with a set-up library is reached through
// SQLConfigDataSource and its ConfigDSN.
#include "tests/dsntool/QNDBSession.h"
#include "tests/odbc/ODBCSandbox.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` in `dir` with `arguments`.
Outcome runProgram(const std::string& program, const std::string& dir,
                   const std::vector<std::string>& arguments) {
  std::string name = program;
  std::vector<char*> argv = {name.data()};
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::string outFile = dir + "/velder.out";
  std::string errFile = dir + "/velder.err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t child = -1;
  Outcome outcome;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  outcome.out = readFile(outFile);
  outcome.err = readFile(errFile);
  return outcome;
}

Outcome runVelder(const std::string& dir, const std::vector<std::string>& arguments) {
  return runProgram(std::string(QUILLON_BIN_DIR) + "/velder", dir, arguments);
}

// The section [name] of an ini text, empty when there is none.
std::string iniSection(const std::string& text, const std::string& name) {
  size_t start = text.find("[" + name + "]");
  if (start == std::string::npos)
    return "";
  size_t end = text.find("\n[", start + 1);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class VelderODBC : public testing::Test {
protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = ODBCSandbox::instance().newFolder(info->name());
  }

  std::string writeFile(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  std::string odbcIni() { return readFile(ODBCSandbox::instance().odbcIni()); }

  std::string dir_;
};

TEST_F(VelderODBC, AddsADataSourceThatQndbConnectsThroughAndRemovesIt) {
  std::string file = writeFile("sqlite.dsn", std::string(ODBCSandbox::kSQLiteDriver) +
                                                 "\nDSN=velder1\nDatabase=#DIR#/v.db\n");
  Outcome added = runVelder(dir_, {file});
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "DSN added:\nDSN=velder1\n") << added.err;
  std::string section = iniSection(odbcIni(), "velder1");
    EXPECT_NE(section.find(ODBCSandbox::kSQLiteDriver), std::string::npos) << odbcIni();
  EXPECT_NE(section.find("Database=" + dir_ + "/v.db"), std::string::npos) << odbcIni();

  {
    QNDBSession db;
    ASSERT_TRUE(db);
    ASSERT_EQ(db->open("velder1"), 1) << db.messages();
    EXPECT_EQ(db->exeSQL("CREATE TABLE made_by_velder (a TEXT)"), 1) << db.messages();
    ASSERT_EQ(db->open("velder1"), 1) << db.messages();
    ASSERT_EQ(db->getTableCount(), 1);
    EXPECT_STREQ(db->getTableName(0), "made_by_velder");
  }
  EXPECT_TRUE(fs::exists(dir_ + "/v.db")) << "the database lies where #DIR# pointed";

  Outcome removed = runVelder(dir_, {file, "-D"});
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(removed.out, "DSN removed:\nDSN=velder1\n") << removed.err;
  EXPECT_EQ(iniSection(odbcIni(), "velder1"), "") << odbcIni();
  // unixODBC keeps what a process once read of odbc.ini, so whether the source is gone is
  // asked by a fresh process, as the next host to start would ask.
  std::string probe = std::string(QUILLON_BIN_DIR) + "/dsntool_tests";
  Outcome fresh = runProgram(probe, dir_, {"--qndb-open-fails", "velder1"});
  EXPECT_EQ(fresh.status, 0) << fresh.out << fresh.err;

  Outcome again = runVelder(dir_, {file, "-d"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.out, "Unable to remove DSN:\nDSN=velder1\n");
  EXPECT_NE(again.err.find("no user data source named \"velder1\""), std::string::npos)
      << again.err;
}

TEST_F(VelderODBC, AnEmptyAttributeLineEndsTheListTheInstallerSees) {
  std::string file = writeFile("empty.dsn", std::string(ODBCSandbox::kSQLiteDriver) +
                                                "\nDSN=velder2\n\nDatabase=/nowhere.db\n");
  Outcome added = runVelder(dir_, {file});
  EXPECT_EQ(added.out, "DSN added:\nDSN=velder2\n") << added.err;
  std::string section = iniSection(odbcIni(), "velder2");
  EXPECT_NE(section, "") << odbcIni();
  EXPECT_EQ(section.find("nowhere"), std::string::npos) << section;
}

TEST_F(VelderODBC, RefusesWhatTheInstallerCannotTakeAndSaysWhy) {
  const std::string sqlite = ODBCSandbox::kSQLiteDriver;
  struct Row {
    const char* name;
    std::string text;
    const char* firstAttribute;
    const char* reason;
  };
  const Row rows[] = {
      {"unregistered driver", "No Such Driver\nDSN=velder3\n", "DSN=velder3",
       "\"No Such Driver\" is not registered"},
      {"name too long", sqlite + "\nDSN=" + std::string(33, 'n') + "\n",
       "DSN=nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn", "is no valid data-source name"},
      {"bad characters", sqlite + "\nDSN=a[b]\n", "DSN=a[b]", "is no valid data-source name"},
      {"no DSN attribute", sqlite + "\nDatabase=x\n", "Database=x", "no DSN= attribute"},
      {"attribute without key", sqlite + "\nDSN=velder5\n=x\n", "DSN=velder5",
       "attribute without a key"},
  };
  std::string before = odbcIni();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Outcome added = runVelder(dir_, {writeFile("bad.dsn", row.text)});
    EXPECT_EQ(added.status, 1);
    EXPECT_EQ(added.out, "Unable to add DSN:\n" + std::string(row.firstAttribute) + "\n");
    EXPECT_NE(added.err.find(row.reason), std::string::npos) << added.err;
  }
  EXPECT_EQ(odbcIni(), before);
}

TEST_F(VelderODBC, ReachesTheDriversSetupLibraryWithTheSampleFile) {
  std::string setup = std::string(QUILLON_BIN_DIR) + "/libdsntool_test_setup.so";
  const std::string driver = "Microsoft Access Driver (*.mdb)";
  ODBCSandbox::instance().addDriver(driver, setup, setup);
  std::string log = dir_ + "/setup.log";
  setenv("QUILLON_SETUP_LOG", log.c_str(), 1);
  std::string file =
      writeFile("sample.txt", driver + "\nDSN=Pennark-Prices\nDBQ=#DIR#Prices.mdb\n");

  Outcome added = runVelder(dir_, {file});
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "DSN added:\nDSN=Pennark-Prices\n") << added.err;
  Outcome removed = runVelder(dir_, {file, "-d"});
  EXPECT_EQ(removed.out, "DSN removed:\nDSN=Pennark-Prices\n") << removed.err;
  setenv("QUILLON_SETUP_FAIL", "1", 1);
  Outcome refused = runVelder(dir_, {file});
  unsetenv("QUILLON_SETUP_FAIL");
  unsetenv("QUILLON_SETUP_LOG");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "Unable to add DSN:\nDSN=Pennark-Prices\n");

  std::string call = "driver=" + driver + "\nattribute=DSN=Pennark-Prices\nattribute=DBQ=" +
                     dir_ + "Prices.mdb\nend\n";
  EXPECT_EQ(readFile(log), "request=1\n" + call + "request=3\n" + call + "request=1\n" + call);
}

TEST_F(VelderODBC, TheShippedExampleRegistersAnSQLiteSource) {
  // The example names the driver as Debian's libsqliteodbc registers it.
  ODBCSandbox::instance().addDriver("SQLite3", ODBCSandbox::driverLibrary("libsqlite3odbc.so"),
                                    "");
  std::string example = std::string(QUILLON_EXAMPLES_DIR) + "/velder-sqlite.dsn";
  Outcome added = runVelder(dir_, {example});
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "DSN added:\nDSN=Quillon-Prices\n") << added.err;
  {
    QNDBSession db;
    ASSERT_TRUE(db);
    ASSERT_EQ(db->open("Quillon-Prices"), 1) << db.messages();
    EXPECT_EQ(db->exeSQL("CREATE TABLE prices (item TEXT, price NUMERIC)"), 1) << db.messages();
  }
  EXPECT_TRUE(fs::exists(dir_ + "/Prices.db"));
  Outcome removed = runVelder(dir_, {example, "-D"});
  EXPECT_EQ(removed.out, "DSN removed:\nDSN=Quillon-Prices\n") << removed.err;
}

}  // namespace
