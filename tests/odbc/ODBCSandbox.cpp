// ODBCSandbox: temporary ODBC configuration files written through unixODBC's installer.
#include "tests/odbc/ODBCSandbox.h"

#include <odbcinst.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void check(BOOL ok, const std::string& what) {
  if (!ok)
    throw std::runtime_error("ODBC installer failed: " + what);
}

}  // namespace

ODBCSandbox& ODBCSandbox::instance() {
  static ODBCSandbox sandbox;
  return sandbox;
}

std::string ODBCSandbox::driverLibrary(const std::string& file) {
  for (const char* folder : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                             "/usr/lib64/odbc", "/usr/lib/odbc", "/usr/local/lib/odbc"}) {
    fs::path candidate = fs::path(folder) / file;
    if (fs::exists(candidate))
      return candidate.string();
  }
  throw std::runtime_error("ODBC driver library not found: " + file +
                           " (install libsqliteodbc and odbc-postgresql)");
}

ODBCSandbox::ODBCSandbox() {
  std::string pattern = (fs::temp_directory_path() / "quillon-odbc-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder for ODBC");
  dir_ = pattern;
  fs::create_directories(systemDir());
  setenv("ODBCSYSINI", systemDir().c_str(), 1);
  setenv("ODBCINI", odbcIni().c_str(), 1);
  setenv("HOME", dir_.c_str(), 1);
  // All three files exist from the start, so that every reader sees this folder's set-up.
  std::ofstream(systemDir() + "/odbcinst.ini") << "[ODBC]\nTrace=No\n";
  std::ofstream{systemDir() + "/odbc.ini"};
  std::ofstream{odbcIni()};
  addDriver(kSQLiteDriver, driverLibrary("libsqlite3odbc.so"), "");
  addDriver(kPostgresDriver, driverLibrary("psqlodbca.so"), "");
}

ODBCSandbox::~ODBCSandbox() {
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string ODBCSandbox::newFolder(const std::string& name) const {
  fs::path folder = fs::path(dir_) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

void ODBCSandbox::addDriver(const std::string& name, const std::string& driver,
                            const std::string& setup) const {
  const std::string file = "odbcinst.ini";
  check(SQLWritePrivateProfileString(name.c_str(), "Driver", driver.c_str(), file.c_str()),
        "driver " + name);
  if (!setup.empty())
    check(SQLWritePrivateProfileString(name.c_str(), "Setup", setup.c_str(), file.c_str()),
          "set-up of " + name);
}

void ODBCSandbox::addDSN(const std::string& dsn, const std::string& driver,
                         const std::vector<std::pair<std::string, std::string>>& attributes)
    const {
  SQLSetConfigMode(ODBC_USER_DSN);
  check(SQLWriteDSNToIni(dsn.c_str(), driver.c_str()), "data source " + dsn);
  for (const auto& [key, value] : attributes)
    check(SQLWritePrivateProfileString(dsn.c_str(), key.c_str(), value.c_str(), "odbc.ini"),
          key + " of " + dsn);
  SQLSetConfigMode(ODBC_BOTH_DSN);
}

void ODBCSandbox::addSQLiteDSN(const std::string& dsn, const std::string& databaseFile) const {
  addDSN(dsn, kSQLiteDriver, {{"Database", databaseFile}, {"Timeout", "2000"}});
}

void ODBCSandbox::addPostgresDSN(const std::string& dsn, int port,
                                 const std::string& database) const {
  addDSN(dsn, kPostgresDriver,
         {{"Servername", "127.0.0.1"},
          {"Port", std::to_string(port)},
          {"Database", database},
          {"Username", "postgres"},
          {"Password", ""},
          {"SSLmode", "disable"}});
}

void ODBCSandbox::removeDSN(const std::string& dsn) const {
  SQLSetConfigMode(ODBC_USER_DSN);
  SQLRemoveDSNFromIni(dsn.c_str());
  SQLSetConfigMode(ODBC_BOTH_DSN);
}
