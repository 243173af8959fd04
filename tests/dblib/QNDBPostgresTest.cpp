// libqndb.so against a PostgreSQL server that the tests start themselves (see PGServer):
// the same catalogue and insert checks as over SQLite, plus what a server adds: its own
// length limits, schemas with tables of the same name, and typed columns that take text.
// A server that cannot be started fails every test here with the reason.
#include "tests/dblib/DBTestSupport.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/odbc/PGServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr const char* kSchema[] = {
    "DROP SCHEMA IF EXISTS other CASCADE",
    "DROP VIEW IF EXISTS adults",
    "DROP TABLE IF EXISTS people, \"odd \"\"name\"\" t\", dup, child, parent",
    "CREATE TABLE people (id INTEGER, name VARCHAR(10), born DATE, seen TIMESTAMP, "
    "at_time TIME, amount NUMERIC(8,2), note TEXT)",
    "CREATE TABLE \"odd \"\"name\"\" t\" (\"first col\" VARCHAR(10), \"x\"\"y\" INTEGER)",
    "CREATE VIEW adults AS SELECT id, name FROM people",
    "CREATE TABLE dup (a INTEGER)",
    "CREATE SCHEMA other",
    "CREATE TABLE other.dup (b VARCHAR(5), c INTEGER)",
};

class QNDBPostgres : public testing::Test {
protected:
  static void SetUpTestSuite() {
    try {
      server_ = std::make_unique<PGServer>();
      dsn_ = uniqueDSN("qndbpg");
      ODBCSandbox::instance().addPostgresDSN(dsn_, server_->port(), "postgres");
    } catch (const std::exception& e) {
      startError_ = e.what();
    }
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_NE(server_, nullptr) << "PostgreSQL could not be started: " << startError_;
    ASSERT_TRUE(library_.loaded()) << library_.error();
    db_ = library_.get();
    ASSERT_NE(db_, nullptr);
    ODBCReader setup(dsn_);
    for (const char* statement : kSchema)
      setup.exec(statement);
    ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  }

  void TearDown() override {
    if (db_ != nullptr) {
      db_->close();
      library_.release(db_);
    }
  }

  // The index of the table `name` whose columns include `column` (names repeat across
  // schemas).
  int32_t table(const char* name, const char* column) {
    for (int32_t t = 0; t < db_->getTableCount(); ++t)
      if (std::strcmp(db_->getTableName(t), name) == 0 && fieldIndex(*db_, t, column) >= 0)
        return t;
    return -1;
  }

  uint8_t put(int32_t t, const char* column, const std::string& text) {
    return db_->putField(t, fieldIndex(*db_, t, column), text.data(),
                         static_cast<int32_t>(text.size()), 1);
  }

  // What a second connection reads once the rows written so far are committed (closing a
  // table commits them).
  ODBCReader::Rows read(const std::string& sql) {
    if (int32_t people = table("people", "id"); people >= 0) {
      EXPECT_EQ(db_->closeTable(people), 1) << messageText(*db_);
    }
    return ODBCReader(dsn_).query(sql);
  }

  static std::unique_ptr<PGServer> server_;
  static std::string startError_;
  static std::string dsn_;
  QNDBLibrary library_;
  IQXDB* db_ = nullptr;
};

std::unique_ptr<PGServer> QNDBPostgres::server_;
std::string QNDBPostgres::startError_;
std::string QNDBPostgres::dsn_;

TEST_F(QNDBPostgres, ListsTablesViewsAndQuotedNamesWithTheirTypes) {
  struct Expected {
    const char* table;
    const char* firstColumn;
    std::vector<std::string> columns;
  };
  const Expected expected[] = {
      {"people", "id", {"id", "name", "born", "seen", "at_time", "amount", "note"}},
      {"odd \"name\" t", "first col", {"first col", "x\"y"}},
      {"adults", "id", {"id", "name"}},
      {"dup", "a", {"a"}},
      {"dup", "b", {"b", "c"}},
  };
  for (const Expected& row : expected) {
    SCOPED_TRACE(std::string(row.table) + "." + row.firstColumn);
    int32_t t = table(row.table, row.firstColumn);
    ASSERT_GE(t, 0);
    std::vector<std::string> columns;
    for (int32_t f = 0; f < db_->getFieldCount(t); ++f)
      columns.emplace_back(db_->getFieldName(t, f));
    EXPECT_EQ(columns, row.columns);
  }
  int32_t people = table("people", "id");
  const std::pair<const char*, int32_t> types[] = {
      {"id", 4}, {"name", 12}, {"born", 9}, {"seen", 11}, {"at_time", 10}, {"amount", 2}};
  for (const auto& [column, type] : types)
    EXPECT_EQ(db_->getFieldType(people, fieldIndex(*db_, people, column)), type) << column;
}

TEST_F(QNDBPostgres, RowOutInsertsTextIntoTypedColumns) {
  int32_t people = table("people", "id");
  ASSERT_GE(people, 0);
  ASSERT_EQ(db_->openTable(people), 1) << messageText(*db_);
  EXPECT_EQ(put(people, "id", "7"), 1);
  EXPECT_EQ(put(people, "name", "O'Brien"), 1);
  EXPECT_EQ(put(people, "born", "12/25/98 3:04:05 pm"), 1);
  EXPECT_EQ(put(people, "seen", "12/25/98 3:04:05 pm"), 1);
  EXPECT_EQ(put(people, "at_time", "12/25/98 3:04:05 pm"), 1);
  EXPECT_EQ(put(people, "amount", "12.50"), 1);
  EXPECT_EQ(put(people, "note", "x'); DROP TABLE people; --"), 1);
  ASSERT_EQ(db_->rowOut(people), 1) << messageText(*db_);
  EXPECT_EQ(put(people, "name", "second"), 1);
  ASSERT_EQ(db_->rowOut(people), 1) << messageText(*db_);

  EXPECT_EQ(read("SELECT id, name, born, seen, at_time, amount, note FROM people ORDER BY name"),
            (ODBCReader::Rows{
                {"7", "O'Brien", "1998-12-25", "1998-12-25 15:04:05", "15:04:05", "12.50",
                 "x'); DROP TABLE people; --"},
                {ODBCReader::kNull, "second", ODBCReader::kNull, ODBCReader::kNull,
                 ODBCReader::kNull, ODBCReader::kNull, ""}}));
  EXPECT_EQ(db_->getMsgCount(), 0) << messageText(*db_);

  // A wide value starts an array of its own (the others keep narrow slots); every value
  // still goes in whole.
  for (size_t length : {3, 200000, 5, 0, 7}) {
    EXPECT_EQ(put(people, "name", "wide"), 1);
    EXPECT_EQ(put(people, "note", std::string(length, 'w')), 1);
    ASSERT_EQ(db_->rowOut(people), 1) << messageText(*db_);
  }
  EXPECT_EQ(read("SELECT length(note), count(*) FROM people WHERE name = 'wide' AND "
                 "note = repeat('w', length(note)) GROUP BY 1 ORDER BY 1"),
            (ODBCReader::Rows{{"0", "1"}, {"3", "1"}, {"5", "1"}, {"7", "1"}, {"200000", "1"}}));
}

TEST_F(QNDBPostgres, WritesToTheSchemaTheTableCameFrom) {
  int32_t publicDup = table("dup", "a");
  int32_t otherDup = table("dup", "b");
  ASSERT_GE(publicDup, 0);
  ASSERT_GE(otherDup, 0);
  EXPECT_EQ(put(publicDup, "a", "1"), 1);
  ASSERT_EQ(db_->rowOut(publicDup), 1) << messageText(*db_);
  EXPECT_EQ(put(otherDup, "b", "bee"), 1);
  EXPECT_EQ(put(otherDup, "c", "2"), 1);
  ASSERT_EQ(db_->rowOut(otherDup), 1) << messageText(*db_);
  EXPECT_EQ(read("SELECT a FROM public.dup"), (ODBCReader::Rows{{"1"}}));
  EXPECT_EQ(read("SELECT b, c FROM other.dup"), (ODBCReader::Rows{{"bee", "2"}}));

  int32_t odd = table("odd \"name\" t", "first col");
  ASSERT_GE(odd, 0);
  EXPECT_EQ(put(odd, "first col", "q\"q"), 1);
  EXPECT_EQ(put(odd, "x\"y", "3"), 1);
  ASSERT_EQ(db_->rowOut(odd), 1) << messageText(*db_);
  EXPECT_EQ(read("SELECT \"first col\", \"x\"\"y\" FROM \"odd \"\"name\"\" t\""),
            (ODBCReader::Rows{{"q\"q", "3"}}));
}

TEST_F(QNDBPostgres, TheServersRefusalsBecomeLinesAndTheNextRowStillGoesIn) {
  int32_t people = table("people", "id");
  struct Row {
    const char* column;
    std::string text;
    const char* reason;
  };
  const Row rows[] = {
      {"name", "much too long", "value too long"},
      {"id", "seven", "invalid input syntax"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.column);
    db_->clearMsgs();
    // Rows travel in arrays: a refusal comes with the call that sends the row, here the
    // commit of closeTable, and names the row.
    EXPECT_EQ(put(people, row.column, row.text), 1);
    EXPECT_EQ(db_->rowOut(people), 1) << messageText(*db_);
    EXPECT_EQ(put(people, row.column, "1"), 1);
    EXPECT_EQ(db_->rowOut(people), 1) << messageText(*db_);
    EXPECT_EQ(db_->closeTable(people), 0);
    std::vector<std::string> lines = messages(*db_);
    ASSERT_EQ(lines.size(), 2u) << messageText(*db_);
    EXPECT_TRUE(lines[0].starts_with("Database error: table=people, ")) << lines[0];
    EXPECT_NE(lines[0].find(row.reason), std::string::npos) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Row refused: table people (")) << lines[1];
    EXPECT_NE(lines[1].find(std::string(row.column) + "=" + row.text), std::string::npos) << lines[1];
  }
  EXPECT_EQ(read("SELECT count(*) FROM people"), (ODBCReader::Rows{{"2"}}));
}

TEST_F(QNDBPostgres, ARefusedRowCostsNoOtherRowAndAFailedCommitIsReported) {
  ODBCReader setup(dsn_);
  setup.exec("CREATE TABLE parent (id INTEGER PRIMARY KEY)");
  setup.exec("INSERT INTO parent VALUES (1)");
  setup.exec("CREATE TABLE child (pid INTEGER REFERENCES parent(id) DEFERRABLE INITIALLY "
             "DEFERRED, note VARCHAR(3))");
  ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  int32_t child = table("child", "pid");
  ASSERT_GE(child, 0);
  auto row = [&](const char* pid, const char* note) {
    EXPECT_EQ(put(child, "pid", pid), 1);
    EXPECT_EQ(put(child, "note", note), 1);
    return db_->rowOut(child);
  };
  // The server aborts the whole transaction at a refused row, here in the third array of a
  // hundred rows; the rows before it are sent again and the rows of its array one by one, so
  // only the refused one is missing, and it is named.
  for (int i = 0; i < 250; ++i)
    EXPECT_EQ(row("1", i == 230 ? "too long" : std::to_string(i).c_str()), 1) << messageText(*db_);
  EXPECT_EQ(db_->closeTable(child), 0);
  std::vector<std::string> refused = messages(*db_);
  ASSERT_EQ(refused.size(), 2u) << messageText(*db_);
  EXPECT_EQ(refused[1], "Row refused: table child (pid=1, note=too long)");
  EXPECT_EQ(ODBCReader(dsn_).query("SELECT count(*), count(DISTINCT note) FROM child"),
            (ODBCReader::Rows{{"249", "249"}}));
  ODBCReader(dsn_).exec("DELETE FROM child");

  // A deferred constraint fails at the commit: the transaction's rows are lost, and said so.
  db_->clearMsgs();
  EXPECT_EQ(row("1", "c"), 1) << messageText(*db_);
  EXPECT_EQ(row("99", "d"), 1) << messageText(*db_);
  EXPECT_EQ(db_->exeSQL("UPDATE parent SET id = 1"), 0);
  std::vector<std::string> lines = messages(*db_);
  ASSERT_EQ(lines.size(), 2u) << messageText(*db_);
  EXPECT_TRUE(lines[0].starts_with("Database error: commit, ")) << lines[0];
  EXPECT_NE(lines[0].find("foreign key"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1], "Rows not written: 2 (child 2) - the database rolled them back");
  EXPECT_EQ(ODBCReader(dsn_).query("SELECT count(*) FROM child"), (ODBCReader::Rows{{"0"}}));
}

TEST_F(QNDBPostgres, RowsOfTwoTablesReachTheServerInTheOrderTheyWereWritten) {
  ODBCReader setup(dsn_);
  setup.exec("CREATE TABLE parent (id INTEGER PRIMARY KEY)");
  setup.exec("CREATE TABLE child (pid INTEGER REFERENCES parent(id), note VARCHAR(3))");
  ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  int32_t parent = table("parent", "id");
  int32_t child = table("child", "pid");
  ASSERT_GE(parent, 0);
  ASSERT_GE(child, 0);
  // Blocks of parents, then their children: each child needs its parent in the database
  // first, although the two tables' rows travel in separate arrays. The notes vary in width
  // within an array.
  size_t noteLength = 0;
  for (int block = 0; block < 5; ++block) {
    for (int i = block * 30; i < block * 30 + 30; ++i) {
      EXPECT_EQ(put(parent, "id", std::to_string(i)), 1);
      ASSERT_EQ(db_->rowOut(parent), 1) << messageText(*db_);
    }
    for (int i = block * 30; i < block * 30 + 30; ++i) {
      EXPECT_EQ(put(child, "pid", std::to_string(i)), 1);
      EXPECT_EQ(put(child, "note", std::string(i % 4, 'n')), 1);
      noteLength += i % 4;
      ASSERT_EQ(db_->rowOut(child), 1) << messageText(*db_);
    }
  }
  EXPECT_EQ(db_->closeTable(child), 1) << messageText(*db_);
  EXPECT_EQ(ODBCReader(dsn_).query("SELECT count(*), sum(length(note)) FROM child"),
            (ODBCReader::Rows{{"150", std::to_string(noteLength)}}));
}

TEST_F(QNDBPostgres, ExeSQLReachesTheServer) {
  EXPECT_EQ(db_->exeSQL("INSERT INTO dup (a) VALUES (41), (42)"), 1) << messageText(*db_);
  EXPECT_EQ(db_->exeSQL("SELECT * FROM no_such_table"), 0);
  ASSERT_EQ(db_->getMsgCount(), 1);
  std::string line = db_->getMsg(0);
  EXPECT_TRUE(line.starts_with("Database error: QNDB::exeSQL - CDBException, ")) << line;
  EXPECT_NE(line.find("no_such_table"), std::string::npos) << line;
  EXPECT_EQ(read("SELECT a FROM public.dup ORDER BY a"), (ODBCReader::Rows{{"41"}, {"42"}}));
}

}  // namespace
