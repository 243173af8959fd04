// The two exports of libqndb.so. Hosts find them by name with dlsym; everything else in the
// library is hidden. Ownership crosses the C boundary as a plain pointer: GetIDB gives it
// away, ReleaseIDB takes it back.
#include "dblib/QNDB.h"

#include <memory>

extern "C" __attribute__((visibility("default"))) IQXDB* GetIDB() {
  try {
    return std::make_unique<QNDB>().release();
  } catch (...) {
    return nullptr;  // the one failure the host can see: no object
  }
}

extern "C" __attribute__((visibility("default"))) void ReleaseIDB(IQXDB* db) {
  // Every IQXDB the library hands out is a QNDB, so the library alone destroys them.
  std::unique_ptr<QNDB> owned(static_cast<QNDB*>(db));
}
