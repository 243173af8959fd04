// XXRowArray: rows of one table sent in one execution of its insert.
//
// A database behind a server costs a network round trip per executed statement. Drivers that
// take arrays of parameters send a whole array of rows in one execution (psqlODBC in one
// batch), so rows are bound column-wise: each column's values are copied into one buffer,
// every value in a slot as wide as the column's longest value in the array, and the buffers
// are bound for that execution (SQL_ATTR_PARAMSET_SIZE rows).
//
// A database that refuses one row of an array may refuse the whole array, and drivers do not
// always say which row it was; so a failed execution only says that not every row went in,
// and the caller sends the rows one by one to find and name the refused ones. The driver's
// own reasons for the failed array are not reported for the same reason.
//
// The rules of the values are those of a single row: text as variable-length character data
// (empty text is NULL except in character columns), date types as timestamps.
#pragma once

#include "dblib/ODBCConnection.h"
#include "dblib/XXField.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The timestamp of a date value (local time), and the indicator of a text value of a column
// of `sqlType`: its length, or SQL_NULL_DATA.
TIMESTAMP_STRUCT timestampOf(std::time_t time);
SQLLEN textIndicator(const std::string& text, int32_t sqlType);

class XXRowArray {
public:
  XXRowArray() = default;
  // Not copyable: the statement and its bound buffers belong to it alone.
  XXRowArray(const XXRowArray&) = delete;
  XXRowArray& operator=(const XXRowArray&) = delete;

  // Inserts `rows` (values in the order of `sqlTypes`, one type per column) with `sql`, an
  // insert with one parameter per column, prepared on a statement of its own at the first
  // call. True when every row went in. Throws ODBCError when the statement cannot be prepared
  // or set up.
  bool insert(ODBCConnection& connection, const std::string& sql,
              const std::vector<int32_t>& sqlTypes, const std::vector<const XXRowValues*>& rows);
  // Drops the prepared statement (for drivers whose statements end with the transaction).
  void reset() { statement_.reset(); }

private:
  void bindColumn(size_t column, int32_t sqlType, const std::vector<const XXRowValues*>& rows);

  struct Column {
    std::vector<char> texts;  // rows x width bytes
    std::vector<TIMESTAMP_STRUCT> stamps;
    std::vector<SQLLEN> indicators;
  };

  ODBCHandle statement_;
  std::vector<Column> columns_;
  std::vector<SQLUSMALLINT> status_;
  SQLULEN processed_ = 0;
};
