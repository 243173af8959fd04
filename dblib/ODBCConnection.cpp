// ODBCConnection: environment, connect string and the few connection-level calls.
#include "dblib/ODBCConnection.h"

namespace {

SQLCHAR* sqlText(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// A connect-string value with ';', braces or outer blanks must be braced, with '}' doubled.
bool needsBraces(std::string_view value) {
  if (value.empty())
    return false;
  if (value.front() == ' ' || value.back() == ' ')
    return true;
  return value.find_first_of(";{}") != std::string_view::npos;
}

}  // namespace

std::string ODBCConnection::connectString(std::string_view dataSource) {
  // The default connect string is "ODBC;" with nothing after the prefix, so the driver
  // manager gets the data-source name alone.
  std::string result = "DSN=";
  if (needsBraces(dataSource)) {
    result += '{';
    for (char c : dataSource) {
      result += c;
      if (c == '}')
        result += '}';
    }
    result += '}';
  } else {
    result += dataSource;
  }
  result += ';';
  return result;
}

SQLHENV ODBCConnection::environment() {
  if (!env_) {
    SQLHANDLE env = SQL_NULL_HANDLE;
    SQLRETURN code = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    if (!odbcSucceeded(code))
      throw ODBCError(code, "Unable to allocate an ODBC environment ", "");
    env_ = ODBCHandle(SQL_HANDLE_ENV, env);
    odbcCheck(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0),
              SQL_HANDLE_ENV, env);
  }
  return env_.get();
}

void ODBCConnection::connect(std::string_view dataSource, bool readOnly) {
  disconnect();
  SQLHENV env = environment();
  if (!dbc_) {
    SQLHANDLE dbc = SQL_NULL_HANDLE;
    odbcCheck(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env);
    dbc_ = ODBCHandle(SQL_HANDLE_DBC, dbc);
  }
  SQLHDBC dbc = dbc_.get();
  odbcCheck(SQLSetConnectAttr(dbc, SQL_ATTR_ACCESS_MODE,
                              reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(
                                  readOnly ? SQL_MODE_READ_ONLY : SQL_MODE_READ_WRITE)),
                              0),
            SQL_HANDLE_DBC, dbc);
  std::string in = connectString(dataSource);
  SQLCHAR out[1024] = {};
  SQLSMALLINT outLength = 0;
  SQLRETURN code = SQLDriverConnect(dbc, nullptr, sqlText(in), SQL_NTS, out, sizeof out,
                                    &outLength, SQL_DRIVER_NOPROMPT);
  odbcCheck(code, SQL_HANDLE_DBC, dbc);
  connected_ = odbcSucceeded(code);
  quote_ = '\0';
}

void ODBCConnection::disconnect() noexcept {
  if (connected_)
    SQLDisconnect(dbc_.get());
  connected_ = false;
}

std::vector<ODBCDataSource> ODBCConnection::dataSources() {
  SQLHENV env = environment();
  std::vector<ODBCDataSource> sources;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
    SQLCHAR description[512] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLRETURN code = SQLDataSources(env, direction, name, sizeof name, &nameLength,
                                    description, sizeof description, &descriptionLength);
    if (code == SQL_NO_DATA)
      break;
    odbcCheck(code, SQL_HANDLE_ENV, env);
    sources.push_back({reinterpret_cast<const char*>(name),
                       reinterpret_cast<const char*>(description)});
    direction = SQL_FETCH_NEXT;
  }
  return sources;
}

bool ODBCConnection::supports(SQLUSMALLINT function) {
  SQLUSMALLINT supported = SQL_FALSE;
  odbcCheck(SQLGetFunctions(dbc_.get(), function, &supported), SQL_HANDLE_DBC, dbc_.get());
  return supported == SQL_TRUE;
}

bool ODBCConnection::isReadOnlySource() {
  SQLCHAR answer[8] = {};
  SQLSMALLINT length = 0;
  SQLRETURN code =
      SQLGetInfo(dbc_.get(), SQL_DATA_SOURCE_READ_ONLY, answer, sizeof answer, &length);
  return odbcSucceeded(code) && answer[0] == 'Y';
}

bool ODBCConnection::supportsTransactions() {
  SQLUSMALLINT capable = SQL_TC_NONE;
  SQLRETURN code = SQLGetInfo(dbc_.get(), SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr);
  return odbcSucceeded(code) && capable != SQL_TC_NONE;
}

bool ODBCConnection::sendsRowArrays() {
  SQLUINTEGER counts = 0;
  SQLRETURN code =
      SQLGetInfo(dbc_.get(), SQL_PARAM_ARRAY_ROW_COUNTS, &counts, sizeof counts, nullptr);
  if (!odbcSucceeded(code) || counts == 0 || !supportsTransactions())
    return false;
  // SQLite runs inside the process: an execution costs no round trip, its driver executes an
  // array row by row anyway, and a row it refuses is best reported by its own call.
  SQLCHAR name[64] = {};
  SQLSMALLINT length = 0;
  code = SQLGetInfo(dbc_.get(), SQL_DBMS_NAME, name, sizeof name, &length);
  return odbcSucceeded(code) && std::string_view(reinterpret_cast<char*>(name)) != "SQLite";
}

bool ODBCConnection::statementsSurvive(bool commit) {
  SQLUSMALLINT behaviour = SQL_CB_DELETE;
  SQLRETURN code = SQLGetInfo(dbc_.get(),
                              commit ? SQL_CURSOR_COMMIT_BEHAVIOR : SQL_CURSOR_ROLLBACK_BEHAVIOR,
                              &behaviour, sizeof behaviour, nullptr);
  return odbcSucceeded(code) && behaviour != SQL_CB_DELETE;
}

void ODBCConnection::setAutoCommit(bool on) {
  SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
  odbcCheck(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(value), 0),
            SQL_HANDLE_DBC, dbc_.get());
}

void ODBCConnection::endTransaction(bool commit) {
  odbcCheck(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), commit ? SQL_COMMIT : SQL_ROLLBACK),
            SQL_HANDLE_DBC, dbc_.get());
}

std::string ODBCConnection::quoteIdentifier(std::string_view name) {
  if (quote_ == '\0') {
    SQLCHAR answer[8] = {};
    SQLSMALLINT length = 0;
    SQLRETURN code =
        SQLGetInfo(dbc_.get(), SQL_IDENTIFIER_QUOTE_CHAR, answer, sizeof answer, &length);
    // A blank answer means the driver names no quote character; its SQL still takes the
    // standard one more often than bare names that hold blanks or punctuation.
    quote_ = odbcSucceeded(code) && answer[0] != ' ' && answer[0] != '\0'
                 ? static_cast<char>(answer[0])
                 : '"';
  }
  std::string quoted(1, quote_);
  for (char c : name) {
    quoted += c;
    if (c == quote_)
      quoted += c;
  }
  quoted += quote_;
  return quoted;
}

ODBCHandle ODBCConnection::newStatement() {
  SQLHANDLE statement = SQL_NULL_HANDLE;
  odbcCheck(SQLAllocHandle(SQL_HANDLE_STMT, dbc_.get(), &statement), SQL_HANDLE_DBC,
            dbc_.get());
  return ODBCHandle(SQL_HANDLE_STMT, statement);
}

void ODBCConnection::execDirect(std::string_view sql) {
  ODBCHandle statement = newStatement();
  std::string text(sql);
  SQLRETURN code = execute(statement.get(), [&] {
    return SQLExecDirect(statement.get(), sqlText(text), SQL_NTS);
  });
  if (code != SQL_NO_DATA)
    odbcCheck(code, SQL_HANDLE_STMT, statement.get());
}

void ODBCConnection::cancel() noexcept {
  // Held across the call, so that the statement cannot be freed under it; the executing
  // thread takes the lock only after its call has returned.
  std::lock_guard<std::mutex> hold(executingLock_);
  if (executing_ != SQL_NULL_HSTMT)
    SQLCancel(executing_);
}
