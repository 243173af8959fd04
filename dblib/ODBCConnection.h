// ODBCConnection: one connection to a data source through the ODBC driver manager.
//
// It owns its environment (set to ODBC 2 behaviour, so that the catalogue functions return
// the ODBC 2 column names and the SQL type codes 9, 10 and 11 for date, time and timestamp)
// and its connection handle. connect builds the connect string from the data-source name as
// the "ODBC;" default connect string asks for: the "ODBC;" prefix stands for ODBC itself and
// is dropped, "DSN=<name>;" is what the driver manager gets. No dialog is ever shown.
//
// Failures of ODBC calls are thrown as ODBCError; the caller turns them into message lines.
#pragma once

#include "dblib/ODBCError.h"
#include "dblib/ODBCHandle.h"

#include <sqlext.h>

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct ODBCDataSource {
  std::string name;
  std::string description;
};

class ODBCConnection {
public:
  ODBCConnection() = default;
  // Not copyable: one connection handle, one owner.
  ODBCConnection(const ODBCConnection&) = delete;
  ODBCConnection& operator=(const ODBCConnection&) = delete;
  ~ODBCConnection() { disconnect(); }

  // The connect string handed to the driver manager for `dataSource`; a name that contains
  // connect-string punctuation is braced.
  static std::string connectString(std::string_view dataSource);

  // Connects to the named data source (read-only when asked). Throws ODBCError on failure.
  void connect(std::string_view dataSource, bool readOnly);
  // Disconnects when connected; never fails.
  void disconnect() noexcept;
  bool isConnected() const { return connected_; }

  // Every user and system data source the driver manager knows, in its order.
  std::vector<ODBCDataSource> dataSources();

  // Whether the driver offers the ODBC function (an SQL_API_* code).
  bool supports(SQLUSMALLINT function);
  // Whether the driver reports the data source as read-only.
  bool isReadOnlySource();
  // Whether the driver can group inserts in a transaction.
  bool supportsTransactions();
  // Whether rows are better sent in arrays of parameters: the driver takes them and the
  // database is behind a server, where each execution costs a round trip.
  bool sendsRowArrays();
  // Whether prepared statements stay prepared when a transaction ends (committed when
  // `commit`, else rolled back); some drivers drop them.
  bool statementsSurvive(bool commit);
  // Autocommit on (every statement its own transaction) or off (statements wait for
  // endTransaction). Throws ODBCError.
  void setAutoCommit(bool on);
  // Commits the open transaction, or rolls it back. Throws ODBCError.
  void endTransaction(bool commit);
  // `name` as a quoted identifier for generated SQL: the driver's quote character around it,
  // inner quote characters doubled (SQL-92 double quotes when the driver names none).
  // Drivers name a single character; a longer answer is taken by its first.
  std::string quoteIdentifier(std::string_view name);

  // A new statement on the connection.
  ODBCHandle newStatement();
  // Executes `sql` directly, reading no result. Throws ODBCError on failure.
  void execDirect(std::string_view sql);

  // Runs `call`, an execution of `statement` (repeated while the driver is still executing),
  // so that cancel() may interrupt it from another thread; returns the final answer.
  template <class Call>
  SQLRETURN execute(SQLHSTMT statement, Call call);
  // Asks the driver to stop the execution under way, if any. Safe from any thread.
  void cancel() noexcept;

  SQLHDBC handle() const { return dbc_.get(); }

private:
  SQLHENV environment();

  ODBCHandle env_;
  ODBCHandle dbc_;
  bool connected_ = false;
  char quote_ = '\0';  // the driver's identifier quote, asked for once per connection
  std::mutex executingLock_;  // guards executing_ against the statement's end
  SQLHSTMT executing_ = SQL_NULL_HSTMT;
};

// Repeats an asynchronous-capable ODBC call while the driver answers that it is still
// executing, and returns the final answer.
template <class Call>
SQLRETURN whileStillExecuting(Call call) {
  SQLRETURN code;
  while ((code = call()) == SQL_STILL_EXECUTING)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return code;
}

template <class Call>
SQLRETURN ODBCConnection::execute(SQLHSTMT statement, Call call) {
  {
    std::lock_guard<std::mutex> hold(executingLock_);
    executing_ = statement;
  }
  SQLRETURN code = whileStillExecuting(call);
  std::lock_guard<std::mutex> hold(executingLock_);
  executing_ = SQL_NULL_HSTMT;
  return code;
}
