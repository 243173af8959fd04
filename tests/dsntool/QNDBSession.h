// QNDBSession: libqndb.so loaded by name and one IQXDB taken from it, as a host does.
#pragma once

#include "dblib/IQXDB.h"

#include <dlfcn.h>

#include <string>

// libqndb.so opened on a data source, as a host would do it.
class QNDBSession {
public:
  QNDBSession() {
    handle_ = dlopen((std::string(QUILLON_BIN_DIR) + "/" + kQNDBLibraryFile).c_str(), RTLD_NOW);
    if (handle_ == nullptr)
      return;
    release_ = reinterpret_cast<QNReleaseIDBFn>(dlsym(handle_, kReleaseIDBSymbol));
    auto get = reinterpret_cast<QNGetIDBFn>(dlsym(handle_, kGetIDBSymbol));
    db_ = get != nullptr ? get() : nullptr;
  }
  QNDBSession(const QNDBSession&) = delete;
  QNDBSession& operator=(const QNDBSession&) = delete;
  ~QNDBSession() {
    if (db_ != nullptr) {
      db_->close();
      release_(db_);
    }
    if (handle_ != nullptr)
      dlclose(handle_);
  }
  IQXDB* operator->() { return db_; }
  explicit operator bool() const { return db_ != nullptr; }
  std::string messages() {
    std::string text;
    for (int32_t i = 0; i < db_->getMsgCount(); ++i)
      text += std::string(db_->getMsg(i)) + "\n";
    return text;
  }

private:
  void* handle_ = nullptr;
  QNReleaseIDBFn release_ = nullptr;
  IQXDB* db_ = nullptr;
};
