// Rows per second (wall clock and CPU) through libqndb.so: 100 000 rows of five columns
// (integer, text, number, timestamp from a date text, longer text) staged with putField and
// written with rowOut, into SQLite and into PostgreSQL over loopback, ending with the
// closeTable that commits the last rows, as a run ends. The library is loaded by name as the
// hosts load it; the ODBC configuration and the PostgreSQL server are private to this
// program and gone when it ends.
//
//   bench_dbrowout [rows] [sqlite|postgres]      (both when no database is named)
#include "dblib/IQXDB.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/odbc/PGServer.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <string>

namespace {

struct Library {
  void* handle = nullptr;
  QNGetIDBFn get = nullptr;
  QNReleaseIDBFn release = nullptr;
};

Library load() {
  Library library;
  std::string path = std::string(QUILLON_BIN_DIR) + "/" + kQNDBLibraryFile;
  library.handle = dlopen(path.c_str(), RTLD_NOW);
  if (library.handle == nullptr) {
    std::fprintf(stderr, "Unable to load %s: %s\n", path.c_str(), dlerror());
    std::exit(1);
  }
  library.get = reinterpret_cast<QNGetIDBFn>(dlsym(library.handle, kGetIDBSymbol));
  library.release = reinterpret_cast<QNReleaseIDBFn>(dlsym(library.handle, kReleaseIDBSymbol));
  return library;
}

void fail(IQXDB& db, const char* what) {
  std::fprintf(stderr, "%s failed\n", what);
  for (int32_t i = 0; i < db.getMsgCount(); ++i)
    std::fprintf(stderr, "  %s\n", db.getMsg(i));
  std::exit(1);
}

bool put(IQXDB& db, int32_t table, int32_t field, const std::string& text) {
  return db.putField(table, field, text.data(), static_cast<int32_t>(text.size()), 1) == 1;
}

// Creates the table, writes `rows` rows and prints the rate.
void measure(const Library& library, const char* label, const std::string& dsn, int rows,
             const char* createTable) {
  IQXDB* db = library.get();
  if (db->open(dsn.c_str()) != 1)
    fail(*db, "open");
  db->exeSQL("DROP TABLE IF EXISTS bench_rows");
  if (db->exeSQL(createTable) != 1 || db->open(dsn.c_str()) != 1)
    fail(*db, "create");
  int32_t table = -1;
  for (int32_t t = 0; t < db->getTableCount(); ++t)
    if (std::strcmp(db->getTableName(t), "bench_rows") == 0)
      table = t;
  if (table < 0 || db->getFieldCount(table) != 5 || db->openTable(table) != 1)
    fail(*db, "table");

  const std::string note(60, 'n');
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpuStart = std::clock();
  for (int row = 0; row < rows; ++row) {
    bool ok = put(*db, table, 0, std::to_string(row)) &&
              put(*db, table, 1, "name " + std::to_string(row % 977)) &&
              put(*db, table, 2, std::to_string(row % 1000) + ".25") &&
              put(*db, table, 3, "12/25/98 3:04:05 pm") && put(*db, table, 4, note);
    if (!ok || db->rowOut(table) != 1)
      fail(*db, "rowOut");
  }
  if (db->closeTable(table) != 1)
    fail(*db, "closeTable");
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // This process's own CPU time as well: on a shared machine the wall clock mostly measures
  // the other processes (a database server's share is not in it).
  double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  std::printf("%-32s %8d rows  %8.2f s  %10.0f rows/s  %10.0f rows per CPU second\n", label,
              rows, seconds, rows / seconds, rows / cpu);
  db->close();
  library.release(db);
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string only = argc > 2 ? argv[2] : "";
  const char* createTable = "CREATE TABLE bench_rows (id INTEGER, name VARCHAR(40), "
                            "amount NUMERIC(10,2), seen TIMESTAMP, note TEXT)";
  try {
    ODBCSandbox& sandbox = ODBCSandbox::instance();
    Library library = load();

    if (only.empty() || only == "sqlite") {
      std::string folder = sandbox.newFolder("bench");
      sandbox.addSQLiteDSN("bench-sqlite", folder + "/bench.db");
      measure(library, "rowOut into SQLite", "bench-sqlite", rows, createTable);
      sandbox.addDSN("bench-sqlite-nosync", ODBCSandbox::kSQLiteDriver,
                     {{"Database", folder + "/bench-nosync.db"}, {"SyncPragma", "OFF"}});
      measure(library, "rowOut into SQLite, no fsync", "bench-sqlite-nosync", rows, createTable);
    }
    if (only.empty() || only == "postgres") {
      PGServer server;
      sandbox.addPostgresDSN("bench-pg", server.port(), "postgres");
      measure(library, "rowOut into PostgreSQL", "bench-pg", rows, createTable);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_dbrowout: %s\n", e.what());
    return 1;
  }
  return 0;
}
