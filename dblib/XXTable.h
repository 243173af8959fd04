// XXTable: one table of the open data source: its columns from the column catalogue, the
// value staged for each column, and the insert that writes the staged values as a row.
//
// Opening the table checks that its columns can be selected; the first row prepares
//   INSERT INTO "owner"."table" ("column", ...) VALUES (?, ...)
// with every name a quoted identifier, and binds its parameters once: text as variable-length
// character data pointing into the row's values (bound again only when a value's storage
// moves), date, time and timestamp columns as timestamps. Each row then sets only the
// values and their lengths. An empty
// text goes in as NULL except in character columns (so an integer or date column that was
// given nothing holds NULL, not '' or 1970-01-01).
//
// A row that went in can be kept (its values copied out) and inserted again later, so that
// rows of a transaction the database had to roll back can be sent once more.
#pragma once

#include "dblib/ODBCConnection.h"
#include "dblib/XXField.h"
#include "dblib/XXMsgList.h"
#include "dblib/XXRowArray.h"

#include <cstdint>
#include <string>
#include <vector>

// What became of a row: it went in; it was never sent (nothing changed in the database); or
// the database refused the insert, which may have ended the connection's open transaction.
enum class XXRowResult { written, notSent, refused };

class XXTable {
public:
  // Longest text bound for integer, bit, tiny-integer and binary columns, and for the rest.
  static constexpr size_t kShortTextLimit = 255;
  static constexpr size_t kLongTextLimit = 262144;

  // `owner` is the table's schema as the table catalogue gives it (empty when none).
  XXTable(std::string name, std::string owner, XXMsgList& messages);
  // Not copyable: its value arrays and statement belong to it alone.
  XXTable(const XXTable&) = delete;
  XXTable& operator=(const XXTable&) = delete;

  const std::string& name() const { return name_; }
  int32_t columnCount() const { return static_cast<int32_t>(columnNames_.size()); }
  // Null for a field index out of range (nothing reported).
  const std::string* columnName(int32_t field) const;
  // -1 for a field index out of range (nothing reported).
  int32_t columnType(int32_t field) const;

  // Reads the table's columns from the column catalogue. Throws ODBCError.
  void readColumns(ODBCConnection& connection);

  // Whether `field` is a column of the table; reports "Invalid field index: N" if not.
  bool checkField(int32_t field) { return staged_.at(field) != nullptr; }
  // Assigns to the staged value of `field`; reports a bad index. See XXFieldValue::assign.
  bool putField(int32_t field, const char* bytes, int32_t length, bool reset);

  bool isOpen() const { return open_; }
  // Opens the table for writing; reports failures under "table=<name>".
  bool open(ODBCConnection& connection);
  void close();
  // Drops the prepared insert (the next row prepares it again), for drivers whose
  // prepared statements do not outlive a transaction.
  void forgetInsert() {
    insert_.reset();
    array_.reset();
  }
  // Inserts the staged values as one row and resets them when it went in.
  XXRowResult rowOut(ODBCConnection& connection);
  // The values of the row rowOut wrote last, and a row of such values inserted again.
  void keepLastRow(XXRowValues& row) const { bound_.copyValuesTo(row); }
  XXRowResult rowIn(ODBCConnection& connection, const XXRowValues& row);

  // Rows sent in arrays (see XXRowArray): the staged values taken out into `row` without
  // sending them (false, reported, when the table cannot be written or a text is too long),
  // and rows of such values inserted in one execution (true when every one went in; which
  // failed is not said).
  bool takeRow(ODBCConnection& connection, XXRowValues& row);
  bool rowsIn(ODBCConnection& connection, const std::vector<const XXRowValues*>& rows);
  // A row's values for a message: "column=value, ..." with long values cut.
  std::string describe(const XXRowValues& row) const;

  static size_t textLimit(int32_t sqlType);

private:
  std::string qualifiedName(ODBCConnection& connection) const;
  std::string columnList(ODBCConnection& connection) const;
  std::string insertSQL(ODBCConnection& connection) const;
  void prepareInsert(ODBCConnection& connection);
  // Opens the table when needed; false when it cannot be opened or written.
  bool canInsert(ODBCConnection& connection);
  bool textsFit();
  bool bindRow();
  // Opens and prepares as needed, then inserts the bound values.
  XXRowResult insertBound(ODBCConnection& connection);

  std::string name_;
  std::string owner_;
  XXMsgList& messages_;
  std::vector<std::string> columnNames_;
  std::vector<int32_t> columnTypes_;
  std::vector<std::string> typeNames_;
  std::vector<int32_t> columnLengths_;
  XXFieldValues staged_;
  XXFieldValues bound_;

  bool open_ = false;
  bool canAppend_ = false;
  ODBCHandle insert_;
  std::vector<TIMESTAMP_STRUCT> timestamps_;
  std::vector<SQLLEN> indicators_;
  // What each parameter of the prepared insert is bound to (null: not bound yet).
  struct BoundText {
    const char* data = nullptr;
    size_t capacity = 0;
  };
  std::vector<BoundText> bindings_;
  XXRowArray array_;
  std::string insertSQL_;  // for the arrays, built once
};
