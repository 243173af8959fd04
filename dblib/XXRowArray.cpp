// XXRowArray: column-wise parameter arrays and one execution per array of rows.
#include "dblib/XXRowArray.h"

#include <algorithm>
#include <cstring>

namespace {

SQLCHAR* sqlText(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

void setAttribute(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value) {
  odbcCheck(SQLSetStmtAttr(statement, attribute, value, 0), SQL_HANDLE_STMT, statement);
}

}  // namespace

TIMESTAMP_STRUCT timestampOf(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  TIMESTAMP_STRUCT stamp{};
  stamp.year = static_cast<SQLSMALLINT>(local.tm_year + 1900);
  stamp.month = static_cast<SQLUSMALLINT>(local.tm_mon + 1);
  stamp.day = static_cast<SQLUSMALLINT>(local.tm_mday);
  stamp.hour = static_cast<SQLUSMALLINT>(local.tm_hour);
  stamp.minute = static_cast<SQLUSMALLINT>(local.tm_min);
  stamp.second = static_cast<SQLUSMALLINT>(local.tm_sec);
  stamp.fraction = 0;
  return stamp;
}

SQLLEN textIndicator(const std::string& text, int32_t sqlType) {
  if (isDateType(sqlType))
    return text.empty() ? SQL_NULL_DATA : static_cast<SQLLEN>(sizeof(TIMESTAMP_STRUCT));
  bool null = text.empty() && !isCharacterType(sqlType);
  return null ? SQL_NULL_DATA : static_cast<SQLLEN>(text.size());
}

void XXRowArray::bindColumn(size_t column, int32_t sqlType,
                            const std::vector<const XXRowValues*>& rows) {
  Column& buffers = columns_[column];
  SQLHSTMT statement = statement_.get();
  SQLUSMALLINT parameter = static_cast<SQLUSMALLINT>(column + 1);
  buffers.indicators.resize(rows.size());
  for (size_t r = 0; r < rows.size(); ++r)
    buffers.indicators[r] = textIndicator(rows[r]->texts[column], sqlType);
  if (isDateType(sqlType)) {
    buffers.stamps.resize(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
      buffers.stamps[r] = timestampOf(rows[r]->times[column]);
    odbcCheck(SQLBindParameter(statement, parameter, SQL_PARAM_INPUT, SQL_C_TIMESTAMP,
                               SQL_TIMESTAMP, 19, 0, buffers.stamps.data(),
                               sizeof(TIMESTAMP_STRUCT), buffers.indicators.data()),
              SQL_HANDLE_STMT, statement);
    return;
  }
  size_t width = 1;
  for (const XXRowValues* row : rows)
    width = std::max(width, row->texts[column].size());
  buffers.texts.resize(rows.size() * width);
  for (size_t r = 0; r < rows.size(); ++r) {
    const std::string& text = rows[r]->texts[column];
    std::memcpy(buffers.texts.data() + r * width, text.data(), text.size());
  }
  odbcCheck(SQLBindParameter(statement, parameter, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                             width, 0, buffers.texts.data(), static_cast<SQLLEN>(width),
                             buffers.indicators.data()),
            SQL_HANDLE_STMT, statement);
}

bool XXRowArray::insert(ODBCConnection& connection, const std::string& sql,
                        const std::vector<int32_t>& sqlTypes,
                        const std::vector<const XXRowValues*>& rows) {
  if (rows.empty())
    return true;
  if (!statement_) {
    ODBCHandle statement = connection.newStatement();
    odbcCheck(SQLPrepare(statement.get(), sqlText(sql), SQL_NTS), SQL_HANDLE_STMT,
              statement.get());
    setAttribute(statement.get(), SQL_ATTR_PARAM_BIND_TYPE,
                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_PARAM_BIND_BY_COLUMN)));
    statement_ = std::move(statement);
    columns_.assign(sqlTypes.size(), Column{});
  }
  SQLHSTMT statement = statement_.get();
  status_.assign(rows.size(), SQL_PARAM_UNUSED);
  processed_ = 0;
  setAttribute(statement, SQL_ATTR_PARAMSET_SIZE,
               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(rows.size())));
  setAttribute(statement, SQL_ATTR_PARAM_STATUS_PTR, status_.data());
  setAttribute(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_);
  for (size_t c = 0; c < sqlTypes.size(); ++c)
    bindColumn(c, sqlTypes[c], rows);
  SQLRETURN code = connection.execute(statement, [&] { return SQLExecute(statement); });
  if (!odbcSucceeded(code) || processed_ != rows.size())
    return false;
  return std::all_of(status_.begin(), status_.end(), [](SQLUSMALLINT status) {
    return status == SQL_PARAM_SUCCESS || status == SQL_PARAM_SUCCESS_WITH_INFO;
  });
}
