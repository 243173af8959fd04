// ODBCHandle: owner of one ODBC handle (environment, connection or statement).
//
// Move-only: a handle is freed exactly once, by its last owner. Freeing a statement also
// closes its cursor; a connection must be disconnected before its handle is freed.
#pragma once

#include <sql.h>

#include <utility>

class ODBCHandle {
public:
  ODBCHandle() = default;
  ODBCHandle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
  ODBCHandle(ODBCHandle&& other) noexcept
      : type_(other.type_), handle_(std::exchange(other.handle_, SQLHANDLE{})) {}
  ODBCHandle& operator=(ODBCHandle&& other) noexcept {
    if (this != &other) {
      reset();
      type_ = other.type_;
      handle_ = std::exchange(other.handle_, SQLHANDLE{});
    }
    return *this;
  }
  ODBCHandle(const ODBCHandle&) = delete;
  ODBCHandle& operator=(const ODBCHandle&) = delete;
  ~ODBCHandle() { reset(); }

  void reset() {
    if (handle_ != SQL_NULL_HANDLE)
      SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
  }
  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

private:
  SQLSMALLINT type_ = SQL_HANDLE_STMT;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};
