// ODBCReader: plain ODBC 3 calls, failing loudly.
#include "tests/odbc/ODBCReader.h"

#include <sql.h>
#include <sqlext.h>

#include <stdexcept>

namespace {

std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record, state, &native, message,
                                     sizeof message, &length)))
      break;
    text += reinterpret_cast<const char*>(message);
    text += ' ';
  }
  return text;
}

void check(SQLRETURN code, SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
  if (!SQL_SUCCEEDED(code) && code != SQL_NO_DATA)
    throw std::runtime_error(what + ": " + diagnostics(type, handle));
}

SQLCHAR* text(const std::string& s) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

struct Statement {
  SQLHSTMT handle = SQL_NULL_HSTMT;
  explicit Statement(SQLHDBC dbc) {
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &handle), SQL_HANDLE_DBC, dbc, "statement");
  }
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle); }
};

}  // namespace

ODBCReader::ODBCReader(const std::string& dsn) {
  SQLHENV env = SQL_NULL_HENV;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  env_ = env;
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  dbc_ = dbc;
  std::string connect = "DSN=" + dsn + ";";
  SQLRETURN code = SQLDriverConnect(dbc, nullptr, text(connect), SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(code)) {
    std::string why = diagnostics(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    throw std::runtime_error("cannot connect to " + dsn + ": " + why);
  }
}

ODBCReader::~ODBCReader() {
  SQLDisconnect(static_cast<SQLHDBC>(dbc_));
  SQLFreeHandle(SQL_HANDLE_DBC, static_cast<SQLHDBC>(dbc_));
  SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(env_));
}

void ODBCReader::exec(const std::string& sql) {
  Statement statement(static_cast<SQLHDBC>(dbc_));
  check(SQLExecDirect(statement.handle, text(sql), SQL_NTS), SQL_HANDLE_STMT, statement.handle,
        sql);
}

ODBCReader::Rows ODBCReader::query(const std::string& sql) {
  Statement statement(static_cast<SQLHDBC>(dbc_));
  check(SQLExecDirect(statement.handle, text(sql), SQL_NTS), SQL_HANDLE_STMT, statement.handle,
        sql);
  SQLSMALLINT columns = 0;
  SQLNumResultCols(statement.handle, &columns);
  Rows rows;
  for (;;) {
    SQLRETURN code = SQLFetch(statement.handle);
    if (code == SQL_NO_DATA)
      break;
    check(code, SQL_HANDLE_STMT, statement.handle, "fetch of " + sql);
    std::vector<std::string> row;
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
      std::string value;
      char buffer[4096];
      SQLLEN length = 0;
      bool isNull = false;
      for (;;) {
        code = SQLGetData(statement.handle, column, SQL_C_CHAR, buffer, sizeof buffer, &length);
        if (code == SQL_NO_DATA)
          break;
        check(code, SQL_HANDLE_STMT, statement.handle, "column of " + sql);
        if (length == SQL_NULL_DATA) {
          isNull = true;
          break;
        }
        value += buffer;
        if (code == SQL_SUCCESS)
          break;
      }
      row.push_back(isNull ? kNull : value);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}
