// XXTableRecs and XXFieldRecs: read-only recordsets over the ODBC table and column
// catalogues (SQLTables, SQLColumns).
//
// Each binds the catalogue's columns by position with the widths of the ODBC 2 result set:
// text columns take at most 255 characters, integers come in as 16- or 32-bit values. A NULL
// column reads as empty text or 0. Fetching walks the rows in the order the driver gives.
#pragma once

#include "dblib/ODBCConnection.h"

#include <cstdint>
#include <string>

// One bound text column of at most 255 characters.
struct XXBoundText {
  static constexpr SQLLEN kMaxLength = 255;
  char buffer[kMaxLength + 1] = {};
  SQLLEN indicator = SQL_NULL_DATA;

  std::string value() const { return indicator == SQL_NULL_DATA ? std::string() : buffer; }
  bool isNull() const { return indicator == SQL_NULL_DATA; }
  // Whether the catalogue held more than the 255 characters read.
  bool truncated() const { return indicator != SQL_NULL_DATA && indicator > kMaxLength; }
};

class XXTableRecs {
public:
  static constexpr int kColumnCount = 5;

  explicit XXTableRecs(ODBCConnection& connection) : connection_(connection) {}

  // Runs SQLTables for every qualifier, owner, table and table type.
  void open();
  // Reads the next row into the columns; false after the last.
  bool fetch();

  XXBoundText tableQualifier;  // "table_qualifier"
  XXBoundText tableOwner;      // "table_owner"
  XXBoundText tableName;       // "table_name"
  XXBoundText tableType;       // "table_type"
  XXBoundText remarks;         // "remarks"

private:
  ODBCConnection& connection_;
  ODBCHandle statement_;
};

class XXFieldRecs {
public:
  static constexpr int kColumnCount = 12;

  explicit XXFieldRecs(ODBCConnection& connection) : connection_(connection) {}

  // Runs SQLColumns for every column of `table`; an empty qualifier or owner matches any.
  void open(const std::string& qualifier, const std::string& owner, const std::string& table);
  bool fetch();

  XXBoundText tableQualifier;  // "TABLE_QUALIFIER"
  XXBoundText tableOwner;      // "TABLE_OWNER"
  XXBoundText tableName;       // "TABLE_NAME"
  XXBoundText columnName;      // "COLUMN_NAME"
  int32_t dataType() const { return dataType_; }  // "DATA_TYPE", 16 bits widened
  XXBoundText typeName;        // "TYPE_NAME"
  int32_t precision = 0;       // "PRECISION"
  int32_t length = 0;          // "LENGTH"
  int16_t scale = 0;           // "SCALE"
  int16_t radix = 0;           // "RADIX"
  int16_t nullable = 0;        // "NULLABLE"
  XXBoundText remarks;         // "REMARKS"

private:
  ODBCConnection& connection_;
  ODBCHandle statement_;
  int16_t dataType16_ = 0;
  int32_t dataType_ = 0;
  SQLLEN indicators_[7] = {};
};
