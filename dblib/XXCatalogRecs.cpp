// XXCatalogRecs: running the catalogue functions and binding their result columns.
#include "dblib/XXCatalogRecs.h"

namespace {

void bindText(SQLHSTMT statement, SQLUSMALLINT column, XXBoundText& target) {
  odbcCheck(SQLBindCol(statement, column, SQL_C_CHAR, target.buffer, sizeof target.buffer,
                       &target.indicator),
            SQL_HANDLE_STMT, statement);
}

template <class T>
void bindNumber(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType, T& target,
                SQLLEN& indicator) {
  odbcCheck(SQLBindCol(statement, column, cType, &target, sizeof target, &indicator),
            SQL_HANDLE_STMT, statement);
}

// The argument for a catalogue function: null (any) for an empty text.
SQLCHAR* catalogArgument(const std::string& text) {
  return text.empty() ? nullptr
                      : reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

SQLSMALLINT catalogLength(const std::string& text) {
  return text.empty() ? 0 : SQL_NTS;
}

// Fetches one row; false at the end of the result.
bool fetchRow(ODBCHandle& statement) {
  SQLRETURN code = whileStillExecuting([&] { return SQLFetch(statement.get()); });
  if (code == SQL_NO_DATA)
    return false;
  odbcCheck(code, SQL_HANDLE_STMT, statement.get());
  return true;
}

}  // namespace

void XXTableRecs::open() {
  statement_ = connection_.newStatement();
  SQLHSTMT statement = statement_.get();
  SQLRETURN code = whileStillExecuting(
      [&] { return SQLTables(statement, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); });
  odbcCheck(code, SQL_HANDLE_STMT, statement);
  bindText(statement, 1, tableQualifier);
  bindText(statement, 2, tableOwner);
  bindText(statement, 3, tableName);
  bindText(statement, 4, tableType);
  bindText(statement, 5, remarks);
}

bool XXTableRecs::fetch() { return fetchRow(statement_); }

void XXFieldRecs::open(const std::string& qualifier, const std::string& owner,
                       const std::string& table) {
  statement_ = connection_.newStatement();
  SQLHSTMT statement = statement_.get();
  SQLRETURN code = whileStillExecuting([&] {
    return SQLColumns(statement, catalogArgument(qualifier), catalogLength(qualifier),
                      catalogArgument(owner), catalogLength(owner), catalogArgument(table),
                      catalogLength(table), nullptr, 0);
  });
  odbcCheck(code, SQL_HANDLE_STMT, statement);
  bindText(statement, 1, tableQualifier);
  bindText(statement, 2, tableOwner);
  bindText(statement, 3, tableName);
  bindText(statement, 4, columnName);
  bindNumber(statement, 5, SQL_C_SSHORT, dataType16_, indicators_[0]);
  bindText(statement, 6, typeName);
  bindNumber(statement, 7, SQL_C_SLONG, precision, indicators_[1]);
  bindNumber(statement, 8, SQL_C_SLONG, length, indicators_[2]);
  bindNumber(statement, 9, SQL_C_SSHORT, scale, indicators_[3]);
  bindNumber(statement, 10, SQL_C_SSHORT, radix, indicators_[4]);
  bindNumber(statement, 11, SQL_C_SSHORT, nullable, indicators_[5]);
  bindText(statement, 12, remarks);
}

bool XXFieldRecs::fetch() {
  // A NULL number leaves its bound value alone, so every number starts the row at 0.
  dataType16_ = 0;
  precision = length = 0;
  scale = radix = nullable = 0;
  if (!fetchRow(statement_))
    return false;
  dataType_ = dataType16_;
  return true;
}
