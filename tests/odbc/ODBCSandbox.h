// ODBCSandbox: a private ODBC configuration for one test process.
//
// It makes a temporary folder, points ODBCSYSINI (its "sys" folder: drivers and system data
// sources), ODBCINI (its odbc.ini: user data sources) and HOME at it before any ODBC call,
// and registers the SQLite and PostgreSQL drivers there, so that no test reads or
// changes the machine's own ODBC set-up. The folder is removed when the process ends.
#pragma once

#include <string>
#include <utility>
#include <vector>

class ODBCSandbox {
public:
  static constexpr const char* kSQLiteDriver = "Quillon SQLite3";
  static constexpr const char* kPostgresDriver = "Quillon PostgreSQL";

  // The sandbox of this process, made at the first call.
  static ODBCSandbox& instance();

  ODBCSandbox(const ODBCSandbox&) = delete;
  ODBCSandbox& operator=(const ODBCSandbox&) = delete;
  ~ODBCSandbox();

  const std::string& dir() const { return dir_; }
  // The user data-source file the driver manager reads ($ODBCINI).
  std::string odbcIni() const { return dir_ + "/odbc.ini"; }
  // The folder of odbcinst.ini and the system odbc.ini ($ODBCSYSINI).
  std::string systemDir() const { return dir_ + "/sys"; }
  // A new empty folder inside the sandbox.
  std::string newFolder(const std::string& name) const;

  // Registers a user data source for `driver` with the attributes given (key, value).
  void addDSN(const std::string& dsn, const std::string& driver,
              const std::vector<std::pair<std::string, std::string>>& attributes) const;
  void addSQLiteDSN(const std::string& dsn, const std::string& databaseFile) const;
  void addPostgresDSN(const std::string& dsn, int port, const std::string& database) const;
  void removeDSN(const std::string& dsn) const;

  // Registers one more driver (name, library, set-up library) in the sandbox.
  void addDriver(const std::string& name, const std::string& driver,
                 const std::string& setup) const;

  // Path of a driver library of the machine, found in the usual ODBC folders.
  static std::string driverLibrary(const std::string& file);

private:
  ODBCSandbox();
  std::string dir_;
};
