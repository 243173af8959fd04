// ODBCError: a failed ODBC call, carrying what the message list prints about it.
//
// odbcCheck turns the return code of an ODBC call into this exception when the call failed
// (SQL_ERROR, SQL_INVALID_HANDLE), reading the diagnostic records of the handle at fault.
// Success, success with information, no data and still executing pass through.
#pragma once

#include <sql.h>

#include <stdexcept>
#include <string>

class ODBCError : public std::runtime_error {
public:
  ODBCError(SQLRETURN code, std::string text, std::string message);

  // Reads the diagnostic records of `handle` (of ODBC handle type `type`, may be null).
  static ODBCError fromHandle(SQLRETURN code, SQLSMALLINT type, SQLHANDLE handle);

  SQLRETURN code() const { return code_; }
  // The driver's diagnostic texts, each followed by one space; empty when there were none.
  const std::string& text() const { return text_; }
  // "State:S,Native:N" of the first diagnostic record; empty when there was none.
  const std::string& message() const { return message_; }

private:
  SQLRETURN code_;
  std::string text_;
  std::string message_;
};

// Throws ODBCError when `code` reports a failure of the call on `handle`.
void odbcCheck(SQLRETURN code, SQLSMALLINT type, SQLHANDLE handle);

inline bool odbcSucceeded(SQLRETURN code) {
  return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}
