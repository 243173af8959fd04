// ODBCError: collecting the diagnostic records of a failed ODBC call.
#include "dblib/ODBCError.h"

#include <sqlext.h>

#include <cstdio>

namespace {

// Enough records to explain a failure; drivers rarely post more than two.
constexpr SQLSMALLINT kMaxRecords = 8;

}  // namespace

ODBCError::ODBCError(SQLRETURN code, std::string text, std::string message)
    : std::runtime_error(text), code_(code), text_(std::move(text)),
      message_(std::move(message)) {}

ODBCError ODBCError::fromHandle(SQLRETURN code, SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  std::string message;
  if (handle != SQL_NULL_HANDLE) {
    for (SQLSMALLINT record = 1; record <= kMaxRecords; ++record) {
      SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
      SQLINTEGER native = 0;
      SQLCHAR buffer[SQL_MAX_MESSAGE_LENGTH] = {};
      SQLSMALLINT length = 0;
      SQLRETURN got = SQLGetDiagRec(type, handle, record, state, &native, buffer,
                                    sizeof buffer, &length);
      if (!odbcSucceeded(got))
        break;
      text += reinterpret_cast<const char*>(buffer);
      text += ' ';
      if (record == 1) {
        char line[64];
        std::snprintf(line, sizeof line, "State:%s,Native:%d",
                      reinterpret_cast<const char*>(state), static_cast<int>(native));
        message = line;
      }
    }
  }
  return ODBCError(code, std::move(text), std::move(message));
}

void odbcCheck(SQLRETURN code, SQLSMALLINT type, SQLHANDLE handle) {
  if (code == SQL_ERROR || code == SQL_INVALID_HANDLE)
    throw ODBCError::fromHandle(code, type, handle);
}
