// ODBCReader: a second, independent ODBC connection for tests, to set up tables and read
// back what the code under test wrote.
#pragma once

#include <string>
#include <vector>

class ODBCReader {
public:
  using Rows = std::vector<std::vector<std::string>>;
  static constexpr const char* kNull = "<NULL>";

  // Connects to the data source; throws std::runtime_error with the driver's text on failure.
  explicit ODBCReader(const std::string& dsn);
  ODBCReader(const ODBCReader&) = delete;
  ODBCReader& operator=(const ODBCReader&) = delete;
  ~ODBCReader();

  // Executes a statement; throws std::runtime_error on failure.
  void exec(const std::string& sql);
  // Every row of a query, each column as text (NULL as kNull).
  Rows query(const std::string& sql);

private:
  void* env_ = nullptr;
  void* dbc_ = nullptr;
};
