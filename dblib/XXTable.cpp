// XXTable: catalogue columns, staged values and the prepared insert of one table.
#include "dblib/XXTable.h"

#include "dblib/XXCatalogRecs.h"

#include <algorithm>
#include <ctime>
#include <new>

namespace {

SQLCHAR* sqlText(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

}  // namespace

XXTable::XXTable(std::string name, std::string owner, XXMsgList& messages)
    : name_(std::move(name)), owner_(std::move(owner)), messages_(messages),
      staged_(messages), bound_(messages) {}

const std::string* XXTable::columnName(int32_t field) const {
  if (field < 0 || field >= columnCount())
    return nullptr;
  return &columnNames_[static_cast<size_t>(field)];
}

int32_t XXTable::columnType(int32_t field) const {
  if (field < 0 || field >= columnCount())
    return -1;
  return columnTypes_[static_cast<size_t>(field)];
}

size_t XXTable::textLimit(int32_t sqlType) {
  switch (sqlType) {
  case 4:   // INTEGER
  case -7:  // BIT
  case -6:  // TINYINT
  case -2:  // BINARY
    return kShortTextLimit;
  default:
    return kLongTextLimit;
  }
}

void XXTable::readColumns(ODBCConnection& connection) {
  XXFieldRecs recs(connection);
  recs.open("", owner_, name_);
  while (recs.fetch()) {
    // The catalogue takes the table name as a pattern ('_' and '%' match anything), so rows
    // of other tables may come along.
    if (recs.tableName.value() != name_)
      continue;
    if (!owner_.empty() && recs.tableOwner.value() != owner_)
      continue;
    if (recs.columnName.truncated())
      messages_.add("QNDB: column name longer than 255 characters in table " + name_);
    XXFieldValue value;
    value.columnName = recs.columnName.value();
    value.tableName = name_;
    value.sqlType = recs.dataType();
    value.reset();
    columnNames_.push_back(value.columnName);
    columnTypes_.push_back(value.sqlType);
    typeNames_.push_back(recs.typeName.value());
    columnLengths_.push_back(recs.length);
    bound_.add(value);
    staged_.add(std::move(value));
  }
}

bool XXTable::putField(int32_t field, const char* bytes, int32_t length, bool reset) {
  XXFieldValue* value = staged_.at(field);
  if (value == nullptr)
    return false;
  if (length < 0 || (bytes == nullptr && length > 0)) {
    messages_.addf("Invalid field length: %d (%s/%s)", length, name_.c_str(),
                   value->columnName.c_str());
    return false;
  }
  return value->assign(bytes, length, reset, messages_);
}

std::string XXTable::qualifiedName(ODBCConnection& connection) const {
  std::string name;
  if (!owner_.empty())
    name = connection.quoteIdentifier(owner_) + ".";
  return name + connection.quoteIdentifier(name_);
}

std::string XXTable::columnList(ODBCConnection& connection) const {
  std::string list;
  for (const std::string& column : columnNames_) {
    if (!list.empty())
      list += ", ";
    list += connection.quoteIdentifier(column);
  }
  return list;
}

bool XXTable::open(ODBCConnection& connection) {
  try {
    close();
    std::string columns = columnNames_.empty() ? "*" : columnList(connection);
    connection.execDirect("SELECT " + columns + " FROM " + qualifiedName(connection) +
                          " WHERE 1=0");
    canAppend_ = !connection.isReadOnlySource();
    timestamps_.assign(columnNames_.size(), TIMESTAMP_STRUCT{});
    indicators_.assign(columnNames_.size(), 0);
    open_ = true;
  } catch (const ODBCError& e) {
    messages_.addDatabaseError("table=" + name_, e.text(), e.code(), e.message());
  } catch (const std::exception&) {
    messages_.add("XXTable::openTable - unknown exception");
  }
  return open_;
}

void XXTable::close() {
  forgetInsert();
  open_ = false;
}

std::string XXTable::insertSQL(ODBCConnection& connection) const {
  std::string sql = "INSERT INTO " + qualifiedName(connection);
  if (columnNames_.empty())
    return sql + " DEFAULT VALUES";
  sql += " (" + columnList(connection) + ") VALUES (";
  for (size_t i = 0; i < columnNames_.size(); ++i)
    sql += i == 0 ? "?" : ", ?";
  return sql + ")";
}

void XXTable::prepareInsert(ODBCConnection& connection) {
  std::string sql = insertSQL(connection);
  ODBCHandle statement = connection.newStatement();
  odbcCheck(SQLPrepare(statement.get(), sqlText(sql), SQL_NTS), SQL_HANDLE_STMT,
            statement.get());
  insert_ = std::move(statement);
  bindings_.assign(columnNames_.size(), BoundText{});
}

bool XXTable::textsFit() {
  for (size_t i = 0; i < columnNames_.size(); ++i) {
    const XXFieldValue& value = bound_[i];
    size_t limit = textLimit(value.sqlType);
    if (!isDateType(value.sqlType) && value.text.size() > limit) {
      messages_.addf("XXTable::rowOut - text too long for %s/%s: %zu characters, at most %zu",
                     name_.c_str(), value.columnName.c_str(), value.text.size(), limit);
      return false;
    }
  }
  return true;
}

bool XXTable::bindRow() {
  try {
    SQLHSTMT statement = insert_.get();
    for (size_t i = 0; i < columnNames_.size(); ++i) {
      XXFieldValue& value = bound_[i];
      SQLUSMALLINT parameter = static_cast<SQLUSMALLINT>(i + 1);
      BoundText& binding = bindings_[i];
      indicators_[i] = textIndicator(value.text, value.sqlType);
      if (isDateType(value.sqlType)) {
        timestamps_[i] = timestampOf(value.time);
        if (binding.data != nullptr)
          continue;
        binding.data = reinterpret_cast<const char*>(&timestamps_[i]);
        odbcCheck(SQLBindParameter(statement, parameter, SQL_PARAM_INPUT, SQL_C_TIMESTAMP,
                                   SQL_TIMESTAMP, 19, 0, &timestamps_[i], sizeof timestamps_[i],
                                   &indicators_[i]),
                  SQL_HANDLE_STMT, statement);
        continue;
      }
      // The parameter points into the value's own storage, which a row's copy reuses; it is
      // bound again only when that storage moved or grew.
      if (binding.data == value.text.data() && binding.capacity == value.text.capacity())
        continue;
      binding.data = value.text.data();
      binding.capacity = value.text.capacity();
      odbcCheck(SQLBindParameter(statement, parameter, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                 std::max<size_t>(binding.capacity, 1), 0, value.text.data(),
                                 static_cast<SQLLEN>(binding.capacity), &indicators_[i]),
                SQL_HANDLE_STMT, statement);
    }
    return true;
  } catch (const ODBCError& e) {
    messages_.addDatabaseError("XXTable::DoFieldExchange - CDBException *", e.text(),
                               e.code(), e.message());
  } catch (const std::exception&) {
    messages_.add("XXTable::DoFieldExchange - unknown exception");
  }
  return false;
}

bool XXTable::canInsert(ODBCConnection& connection) {
  return (open_ || open(connection)) && canAppend_;
}

bool XXTable::takeRow(ODBCConnection& connection, XXRowValues& row) {
  try {
    if (!canInsert(connection))
      return false;
    bound_.copyValuesFrom(staged_);
    if (!textsFit())
      return false;
    bound_.copyValuesTo(row);
    staged_.resetAll();
    return true;
  } catch (const std::exception&) {
    messages_.add("XXTable::rowOut - unknown exception");
  }
  return false;
}

bool XXTable::rowsIn(ODBCConnection& connection, const std::vector<const XXRowValues*>& rows) {
  try {
    if (insertSQL_.empty())
      insertSQL_ = insertSQL(connection);
    return canInsert(connection) && array_.insert(connection, insertSQL_, columnTypes_, rows);
  } catch (const ODBCError& e) {
    messages_.addDatabaseError("table=" + name_, e.text(), e.code(), e.message());
  } catch (const std::exception&) {
    messages_.add("XXTable::rowOut - unknown exception");
  }
  return false;
}

std::string XXTable::describe(const XXRowValues& row) const {
  constexpr size_t kShown = 60;
  std::string text;
  for (size_t i = 0; i < row.texts.size(); ++i) {
    if (i > 0)
      text += ", ";
    const std::string& value = row.texts[i];
    text += i < columnNames_.size() ? columnNames_[i] + "=" : "";
    text += value.size() > kShown ? value.substr(0, kShown) + "..." : value;
  }
  return text;
}

XXRowResult XXTable::insertBound(ODBCConnection& connection) {
  bool sent = false;
  try {
    if (!canInsert(connection))
      return XXRowResult::notSent;
    if (!insert_)
      prepareInsert(connection);
    if (!textsFit() || !bindRow())
      return XXRowResult::notSent;
    SQLHSTMT statement = insert_.get();
    sent = true;
    SQLRETURN code = connection.execute(statement, [&] { return SQLExecute(statement); });
    SQLLEN rows = -1;
    if (code != SQL_NO_DATA) {
      odbcCheck(code, SQL_HANDLE_STMT, statement);
      SQLRowCount(statement, &rows);
    }
    if (code == SQL_NO_DATA || rows == 0) {
      messages_.add("XXTable::rowOut - update failure");
      return XXRowResult::refused;
    }
    return XXRowResult::written;
  } catch (const ODBCError& e) {
    messages_.addDatabaseError("table=" + name_, e.text(), e.code(), e.message());
  } catch (const std::exception&) {
    messages_.add("XXTable::rowOut - unknown exception");
  }
  return sent ? XXRowResult::refused : XXRowResult::notSent;
}

XXRowResult XXTable::rowOut(ODBCConnection& connection) {
  bound_.copyValuesFrom(staged_);
  XXRowResult result = insertBound(connection);
  if (result == XXRowResult::written)
    staged_.resetAll();
  return result;
}

XXRowResult XXTable::rowIn(ODBCConnection& connection, const XXRowValues& row) {
  bound_.copyValuesFrom(row);
  return insertBound(connection);
}
