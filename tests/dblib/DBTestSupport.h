// Helpers of the database library tests: loading libqndb.so as a host does, reading the
// message list, finding tables by name, and the data-source chooser the test program installs.
#pragma once

#include "dblib/IQXDB.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

// libqndb.so loaded by name from the build's bin folder, with its two exports.
class QNDBLibrary {
public:
  QNDBLibrary() {
    std::string path = std::string(QUILLON_BIN_DIR) + "/" + kQNDBLibraryFile;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      error_ = dlerror();
      return;
    }
    getIDB_ = reinterpret_cast<QNGetIDBFn>(dlsym(handle_, kGetIDBSymbol));
    releaseIDB_ = reinterpret_cast<QNReleaseIDBFn>(dlsym(handle_, kReleaseIDBSymbol));
  }
  QNDBLibrary(const QNDBLibrary&) = delete;
  QNDBLibrary& operator=(const QNDBLibrary&) = delete;
  ~QNDBLibrary() {
    if (handle_ != nullptr)
      dlclose(handle_);
  }
  bool loaded() const { return getIDB_ != nullptr && releaseIDB_ != nullptr; }
  const std::string& error() const { return error_; }
  IQXDB* get() const { return getIDB_(); }
  void release(IQXDB* db) const { releaseIDB_(db); }

private:
  void* handle_ = nullptr;
  QNGetIDBFn getIDB_ = nullptr;
  QNReleaseIDBFn releaseIDB_ = nullptr;
  std::string error_;
};

// Every line of the message list.
inline std::vector<std::string> messages(IQXDB& db) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < db.getMsgCount(); ++i)
    lines.emplace_back(db.getMsg(i));
  return lines;
}

// All message lines joined, for failure output.
inline std::string messageText(IQXDB& db) {
  std::string text;
  for (const std::string& line : messages(db))
    text += "  " + line + "\n";
  return text.empty() ? "  (no messages)\n" : text;
}

// Index of the table named `name`, or -1.
inline int32_t tableIndex(IQXDB& db, const std::string& name) {
  for (int32_t i = 0; i < db.getTableCount(); ++i)
    if (name == db.getTableName(i))
      return i;
  return -1;
}

// Index of the column named `name` in table `table`, or -1.
inline int32_t fieldIndex(IQXDB& db, int32_t table, const std::string& name) {
  for (int32_t i = 0; i < db.getFieldCount(table); ++i)
    if (name == db.getFieldName(table, i))
      return i;
  return -1;
}

// What the test program's chooser answers: the data source to pick by name ("" cancels);
// it records the names it was offered.
struct TestChooser {
  static std::string pick;
  static std::vector<std::string> offered;
  static int calls;
};

// The name of the test currently running, usable as a data-source or file name.
inline std::string currentTestName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name)
    if (c == '/')
      c = '_';
  return name;
}

// A data-source name not used before in this process (names are at most 32 characters).
inline std::string uniqueDSN(const char* prefix = "qndb") {
  static int next = 0;
  return std::string(prefix) + std::to_string(++next);
}
