// libqndb.so over the SQLite ODBC driver, loaded by name as the hosts load it: catalogue,
// staging and inserting rows (read back through a second connection), dates, bad indexes,
// reconnection, free SQL and the chooser of getDBName.
#include "dblib/XXRowBatch.h"
#include "tests/dblib/DBTestSupport.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr const char* kSchema[] = {
    "CREATE TABLE people (id INTEGER, name VARCHAR(40), born DATE, seen TIMESTAMP, note TEXT)",
    "CREATE TABLE \"odd \"\"name\"\" t\" (\"first col\" VARCHAR(10), \"x\"\"y\" INTEGER)",
    "CREATE VIEW adults AS SELECT id, name FROM people",
    // my_table as a catalogue pattern also matches myXtable; their columns must not mix.
    "CREATE TABLE my_table (a INTEGER)",
    "CREATE TABLE myXtable (b INTEGER, c INTEGER)",
};

class QNDBSQLite : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(library_.loaded()) << library_.error();
    db_ = library_.get();
    ASSERT_NE(db_, nullptr);
    dsn_ = uniqueDSN();
    std::string folder = ODBCSandbox::instance().newFolder(currentTestName());
    ODBCSandbox::instance().addSQLiteDSN(dsn_, folder + "/test.db");
    ODBCReader setup(dsn_);
    for (const char* statement : kSchema)
      setup.exec(statement);
  }

  void TearDown() override {
    if (db_ != nullptr) {
      db_->close();
      library_.release(db_);
    }
  }

  // Opens the data source and finds the people table and its columns.
  void openPeople() {
    ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
    people_ = tableIndex(*db_, "people");
    ASSERT_GE(people_, 0);
    for (const char* column : {"id", "name", "born", "seen", "note"})
      ASSERT_GE(fieldIndex(*db_, people_, column), 0) << column;
  }

  int32_t field(const char* name) { return fieldIndex(*db_, people_, name); }

  void put(const char* column, const std::string& text, bool reset = true) {
    EXPECT_EQ(db_->putField(people_, field(column), text.data(),
                            static_cast<int32_t>(text.size()), reset ? 1 : 0),
              1)
        << column << " = " << text << "\n"
        << messageText(*db_);
  }

  // What a second connection reads once the rows written so far are committed (closing a
  // table commits them).
  ODBCReader::Rows read(const std::string& sql) {
    if (people_ >= 0 && people_ < db_->getTableCount()) {
      EXPECT_EQ(db_->closeTable(people_), 1) << messageText(*db_);
    }
    return readAsIs(sql);
  }
  ODBCReader::Rows readAsIs(const std::string& sql) { return ODBCReader(dsn_).query(sql); }

  // Writes rows with the ids from `first` on.
  void writePeople(int first, int count) {
    for (int id = first; id < first + count; ++id) {
      put("id", std::to_string(id));
      ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
    }
  }

  QNDBLibrary library_;
  IQXDB* db_ = nullptr;
  std::string dsn_;
  int32_t people_ = -1;
};

TEST_F(QNDBSQLite, ListsTablesViewsAndQuotedNamesWithTheirColumns) {
  ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  struct Expected {
    const char* table;
    std::vector<std::string> columns;
  };
  const Expected expected[] = {
      {"people", {"id", "name", "born", "seen", "note"}},
      {"odd \"name\" t", {"first col", "x\"y"}},
      {"adults", {"id", "name"}},
      {"my_table", {"a"}},
      {"myXtable", {"b", "c"}},
  };
  for (const Expected& row : expected) {
    SCOPED_TRACE(row.table);
    int32_t t = tableIndex(*db_, row.table);
    ASSERT_GE(t, 0);
    std::vector<std::string> columns;
    for (int32_t f = 0; f < db_->getFieldCount(t); ++f)
      columns.emplace_back(db_->getFieldName(t, f));
    EXPECT_EQ(columns, row.columns);
  }
  int32_t people = tableIndex(*db_, "people");
  EXPECT_EQ(db_->getFieldType(people, fieldIndex(*db_, people, "id")), 4);
  EXPECT_EQ(db_->getFieldType(people, fieldIndex(*db_, people, "name")), 12);
  EXPECT_EQ(db_->getFieldType(people, fieldIndex(*db_, people, "born")), 9);
  EXPECT_EQ(db_->getFieldType(people, fieldIndex(*db_, people, "seen")), 11);
  EXPECT_EQ(db_->getMsgCount(), 0) << messageText(*db_);
}

TEST_F(QNDBSQLite, RowOutInsertsTheStagedValuesAndResetsThem) {
  openPeople();
  put("id", "7");
  put("name", "Ann");
  put("name", "e Smith", false);  // appends to what is staged
  put("born", "12/25/98 3:04:05 pm");
  put("seen", "Dec 25, 2001");
  put("note", "it's \"quoted\"; DROP TABLE people");
  ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
  // After a successful row every staged value starts again from empty.
  put("name", "Bob", false);
  ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);

  ODBCReader::Rows rows = read("SELECT id, name, substr(born, 1, 19), substr(seen, 1, 19), note FROM people ORDER BY rowid");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"7", "Anne Smith", "1998-12-25 15:04:05",
                                               "2001-12-25 00:00:00",
                                               "it's \"quoted\"; DROP TABLE people"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{ODBCReader::kNull, "Bob", ODBCReader::kNull,
                                               ODBCReader::kNull, ""}));
  EXPECT_EQ(db_->getMsgCount(), 0) << messageText(*db_);

  // Each row goes in as staged, whatever the length of the row before it: the insert stays
  // bound to the values' storage, which grows, moves and is reused.
  const std::string notes[] = {"", "x", std::string(40, 'a'), "short", std::string(5000, 'b'), "", "y"};
  ODBCReader::Rows expected;
  for (const std::string& note : notes) {
    put("id", "2");
    put("note", note);
    ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
    expected.push_back({note});
  }
  EXPECT_EQ(read("SELECT note FROM people WHERE id = 2 ORDER BY rowid"), expected);
}

TEST_F(QNDBSQLite, DateColumnsTakeTheExampleTextsAndKeepCorrectedTimes) {
  openPeople();
  struct Row {
    const char* text;
    uint8_t result;
    const char* stored;
  };
  const Row rows[] = {
      {"12/25/98 3:04:05 pm", 1, "1998-12-25 15:04:05"},
      {"Dec 25, 2001", 1, "2001-12-25 00:00:00"},
      {"2/30/2040", 0, "1970-01-01 00:00:00"},
      {"13/01/99", 0, "1970-01-01 00:00:00"},
      {"25:00", 0, "1970-01-01 00:00:00"},
  };
  int id = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    db_->clearMsgs();
    put("id", std::to_string(++id));
    EXPECT_EQ(db_->putField(people_, field("born"), row.text,
                            static_cast<int32_t>(std::strlen(row.text)), 1),
              row.result);
    EXPECT_EQ(db_->getMsgCount(), row.result == 1 ? 0 : 1) << messageText(*db_);
    // A refused date still writes its corrected time with the row.
    ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
    ODBCReader::Rows stored =
        read("SELECT substr(born, 1, 19) FROM people WHERE id = " + std::to_string(id));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0][0], row.stored);
  }
  db_->clearMsgs();
  db_->putField(people_, field("born"), "2/30/2040", 9, 1);
  ASSERT_EQ(db_->getMsgCount(), 1);
  EXPECT_STREQ(db_->getMsg(0),
               "Invalid Date {7- '2/30/2040' 1970-1-1 0:0:0}(people/born): [2/30/2040]");
}

TEST_F(QNDBSQLite, BadIndexesGiveFailureValuesAndTheirLines) {
  openPeople();
  int32_t columns = db_->getFieldCount(people_);
  ASSERT_EQ(columns, 5);
  IQXDB& db = *db_;
  int32_t t = people_;
  struct Row {
    const char* call;
    std::function<bool()> failed;  // whether the call gave its failure value
    const char* line;              // nullptr: no line expected
  };
  const char16_t wide[] = u"x";
  const Row rows[] = {
      {"getTableName(-1)", [&] { return *db.getTableName(-1) == 0; }, "Invalid table index: -1"},
      {"getFieldCount(99)", [&] { return db.getFieldCount(99) == 0; }, "Invalid table index: 99"},
      {"getFieldName(99, 0)", [&] { return *db.getFieldName(99, 0) == 0; },
       "Invalid table index: 99"},
      {"getFieldType(99, 0)", [&] { return db.getFieldType(99, 0) == -1; },
       "Invalid table index: 99"},
      {"getFieldName(t, count)", [&] { return *db.getFieldName(t, columns) == 0; }, nullptr},
      {"getFieldType(t, count)", [&] { return db.getFieldType(t, columns) == -1; }, nullptr},
      {"getFieldType(t, -1)", [&] { return db.getFieldType(t, -1) == -1; }, nullptr},
      {"putField(99, 0)", [&] { return db.putField(99, 0, "a", 1, 1) == 0; },
       "Invalid table index: 99"},
      {"putField(t, count)", [&] { return db.putField(t, columns, "a", 1, 1) == 0; },
       "Invalid field index: 5"},
      {"putFieldText(t, -2)", [&] { return db.putFieldText(t, -2, "a", 1, 1) == 0; },
       "Invalid field index: -2"},
      {"putFieldW(t, 7)", [&] { return db.putFieldW(t, 7, wide, 1, 1) == 0; },
       "Invalid field index: 7"},
      {"putField(t, 0, null, 3)", [&] { return db.putField(t, 0, nullptr, 3, 1) == 0; },
       "Invalid field length: 3 (people/id)"},
      {"putField(t, 0, -1)", [&] { return db.putField(t, 0, "a", -1, 1) == 0; },
       "Invalid field length: -1 (people/id)"},
      {"openTable(99)", [&] { return db.openTable(99) == 0; }, "Invalid table index: 99"},
      {"rowOut(99)", [&] { return db.rowOut(99) == 0; }, "Invalid table index: 99"},
      {"closeTable(99)", [&] { return db.closeTable(99) == 0; }, "Invalid table index: 99"},
  };
  // getTableName with an index past the end names that index.
  db.clearMsgs();
  EXPECT_STREQ(db.getTableName(db.getTableCount() + 5), "");
  ASSERT_EQ(db.getMsgCount(), 1);
  EXPECT_EQ(std::string(db.getMsg(0)),
            "Invalid table index: " + std::to_string(db.getTableCount() + 5));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.call);
    db.clearMsgs();
    EXPECT_TRUE(row.failed());
    if (row.line == nullptr) {
      EXPECT_EQ(db.getMsgCount(), 0) << messageText(db);
    } else {
      ASSERT_EQ(db.getMsgCount(), 1) << messageText(db);
      EXPECT_STREQ(db.getMsg(0), row.line);
    }
  }
}

TEST_F(QNDBSQLite, PutFieldWConvertsAllOfTheTextAndIgnoresEmptyText) {
  openPeople();
  put("name", "kept");
  EXPECT_EQ(db_->putFieldW(people_, field("name"), u"", 0, 1), 0);
  EXPECT_EQ(db_->putFieldW(people_, field("name"), nullptr, 4, 1), 0);
  EXPECT_EQ(db_->getMsgCount(), 0) << messageText(*db_);
  ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);

  const std::u16string wide = u"Zo\u00EB \u20AC \U0001F600";
  EXPECT_EQ(db_->putFieldW(people_, field("name"), wide.data(),
                           static_cast<int32_t>(wide.size()), 1),
            1)
      << messageText(*db_);
  const std::u16string date = u"Dec 25, 2001";
  EXPECT_EQ(db_->putFieldW(people_, field("seen"), date.data(),
                           static_cast<int32_t>(date.size()), 1),
            1)
      << messageText(*db_);
  ASSERT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
  ODBCReader::Rows rows = read("SELECT name, substr(seen, 1, 19) FROM people ORDER BY rowid");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "kept") << "an empty putFieldW must not reset";
  EXPECT_EQ(rows[1][0], "Zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(rows[1][1], "2001-12-25 00:00:00");
}

TEST_F(QNDBSQLite, WritesIntoTablesWithQuotedNames) {
  ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  int32_t t = tableIndex(*db_, "odd \"name\" t");
  ASSERT_GE(t, 0);
  ASSERT_EQ(db_->openTable(t), 1) << messageText(*db_);
  EXPECT_EQ(db_->putField(t, fieldIndex(*db_, t, "first col"), "a b", 3, 1), 1);
  EXPECT_EQ(db_->putField(t, fieldIndex(*db_, t, "x\"y"), "42", 2, 1), 1);
  ASSERT_EQ(db_->rowOut(t), 1) << messageText(*db_);
  EXPECT_EQ(db_->closeTable(t), 1);
  EXPECT_EQ(read("SELECT \"first col\", \"x\"\"y\" FROM \"odd \"\"name\"\" t\""),
            (ODBCReader::Rows{{"a b", "42"}}));
}

TEST_F(QNDBSQLite, ReportsWhatCannotBeWrittenAndKeepsTheStagedValues) {
  openPeople();
  put("id", std::string(300, '9'));
  EXPECT_EQ(db_->rowOut(people_), 0);
  ASSERT_EQ(db_->getMsgCount(), 1);
  EXPECT_STREQ(db_->getMsg(0),
               "XXTable::rowOut - text too long for people/id: 300 characters, at most 255");
  put("id", "1");
  put("note", std::string(262144, 'n'));  // the longest text a TEXT column binds
  EXPECT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
  EXPECT_EQ(read("SELECT id, length(note) FROM people"), (ODBCReader::Rows{{"1", "262144"}}));

  // A view is not written to; the driver's reason is the line.
  db_->clearMsgs();
  int32_t view = tableIndex(*db_, "adults");
  ASSERT_GE(view, 0);
  EXPECT_EQ(db_->openTable(view), 1) << messageText(*db_);
  EXPECT_EQ(db_->putField(view, 1, "V", 1, 1), 1);
  EXPECT_EQ(db_->rowOut(view), 0);
  ASSERT_EQ(db_->getMsgCount(), 1);
  EXPECT_TRUE(std::string(db_->getMsg(0)).starts_with("Database error: table=adults, "))
      << db_->getMsg(0);
}

TEST_F(QNDBSQLite, ExeSQLRunsStatementsOnlyWhileConnected) {
  EXPECT_EQ(db_->exeSQL("DROP TABLE people"), 1) << "before open nothing is done";
  EXPECT_EQ(db_->getMsgCount(), 0);
  ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  EXPECT_GE(tableIndex(*db_, "people"), 0);
  EXPECT_EQ(db_->exeSQL("INSERT INTO people (id) VALUES (5)"), 1) << messageText(*db_);
  EXPECT_EQ(db_->exeSQL("UPDATE people SET id = 6 WHERE id = 99"), 1) << messageText(*db_);
  std::string bad = "SELEKT " + std::string(3000, 'x');
  EXPECT_EQ(db_->exeSQL(bad.c_str()), 0);
  ASSERT_EQ(db_->getMsgCount(), 1);
  std::string line = db_->getMsg(0);
  EXPECT_TRUE(line.starts_with("Database error: QNDB::exeSQL - CDBException, ")) << line;
  EXPECT_LE(line.size(), 1023u);
  EXPECT_EQ(read("SELECT id FROM people"), (ODBCReader::Rows{{"5"}}));
  db_->close();
  EXPECT_EQ(db_->exeSQL("DROP TABLE people"), 1);
  EXPECT_EQ(read("SELECT count(*) FROM people"), (ODBCReader::Rows{{"1"}}));
}

TEST_F(QNDBSQLite, RowsAreCommittedInBatchesBeforeStatementsAndAtClose) {
  openPeople();
  const int batch = static_cast<int>(XXRowBatch::kRowsPerCommit);
  writePeople(0, batch + 2);
  // The row that filled the batch committed it; the two after it wait.
  EXPECT_EQ(readAsIs("SELECT count(*) FROM people"), (ODBCReader::Rows{{std::to_string(batch)}}));
  // A statement sees every row written before it, and what it does is committed at once.
  ASSERT_EQ(db_->exeSQL("CREATE TABLE tally AS SELECT count(*) AS n FROM people"), 1)
      << messageText(*db_);
  const std::string all = std::to_string(batch + 2);
  EXPECT_EQ(readAsIs("SELECT n FROM tally"), (ODBCReader::Rows{{all}}));
  EXPECT_EQ(readAsIs("SELECT count(*) FROM people"), (ODBCReader::Rows{{all}}));
  writePeople(batch + 2, 3);
  EXPECT_EQ(db_->closeTable(people_), 1) << messageText(*db_);
  writePeople(batch + 5, 1);
  db_->close();
  EXPECT_EQ(readAsIs("SELECT count(*), count(DISTINCT id), min(id), max(id) FROM people"),
            (ODBCReader::Rows{{std::to_string(batch + 6), std::to_string(batch + 6), "0",
                               std::to_string(batch + 5)}}));
  EXPECT_EQ(db_->getMsgCount(), 0) << messageText(*db_);
}

TEST_F(QNDBSQLite, ACommitThatFailsLosesItsRowsAndSaysSo) {
  ODBCReader setup(dsn_);
  setup.exec("CREATE TABLE parent (id INTEGER PRIMARY KEY)");
  setup.exec("INSERT INTO parent VALUES (1)");
  setup.exec("CREATE TABLE child (pid INTEGER REFERENCES parent(id) DEFERRABLE INITIALLY DEFERRED)");
  ASSERT_EQ(db_->open(dsn_.c_str()), 1) << messageText(*db_);
  ASSERT_EQ(db_->exeSQL("PRAGMA foreign_keys = ON"), 1) << messageText(*db_);
  int32_t child = tableIndex(*db_, "child");
  ASSERT_GE(child, 0);
  // The missing parent is found only when the transaction commits.
  for (const char* pid : {"1", "99", "1"}) {
    ASSERT_EQ(db_->putField(child, 0, pid, static_cast<int32_t>(std::strlen(pid)), 1), 1);
    ASSERT_EQ(db_->rowOut(child), 1) << messageText(*db_);
  }
  EXPECT_EQ(db_->closeTable(child), 0);
  std::vector<std::string> lines = messages(*db_);
  ASSERT_EQ(lines.size(), 2u) << messageText(*db_);
  EXPECT_TRUE(lines[0].starts_with("Database error: commit, ")) << lines[0];
  EXPECT_NE(lines[0].find("FOREIGN KEY"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1], "Rows not written: 3 (child 3) - the database rolled them back");
  EXPECT_EQ(readAsIs("SELECT count(*) FROM child"), (ODBCReader::Rows{{"0"}}));

  // The connection goes on: the next row is written and committed.
  db_->clearMsgs();
  ASSERT_EQ(db_->putField(child, 0, "1", 1, 1), 1);
  ASSERT_EQ(db_->rowOut(child), 1) << messageText(*db_);
  EXPECT_EQ(db_->closeTable(child), 1) << messageText(*db_);
  EXPECT_EQ(readAsIs("SELECT pid FROM child"), (ODBCReader::Rows{{"1"}}));
}

TEST_F(QNDBSQLite, OpenFailsWithTheDriverManagersReason) {
  EXPECT_EQ(db_->open(""), 0);
  EXPECT_EQ(db_->open(nullptr), 0);
  EXPECT_EQ(db_->getMsgCount(), 0);
  EXPECT_EQ(db_->open("no-such-source"), 0);
  ASSERT_EQ(db_->getMsgCount(), 1);
  std::string line = db_->getMsg(0);
  EXPECT_TRUE(line.starts_with("Database error: QNDB::open - CDBException, ")) << line;
  EXPECT_NE(line.find("Data source name not found"), std::string::npos) << line;
  EXPECT_NE(line.find("State:IM002"), std::string::npos) << line;
  EXPECT_EQ(db_->getTableCount(), 0);
}

TEST_F(QNDBSQLite, RowOutAfterCloseReconnectsOnlyToAChosenSource) {
  openPeople();
  db_->close();
  EXPECT_EQ(db_->getTableCount(), 0);
  EXPECT_EQ(db_->rowOut(people_), 0) << "no source was chosen";

  TestChooser::pick = dsn_;
  EXPECT_EQ(std::string(db_->getDBName()), dsn_);
  EXPECT_NE(std::find(TestChooser::offered.begin(), TestChooser::offered.end(), dsn_),
            TestChooser::offered.end());
  EXPECT_EQ(db_->getTableCount(), 0) << "choosing does not connect";
  EXPECT_EQ(db_->rowOut(people_), 1) << messageText(*db_);
  EXPECT_GT(db_->getTableCount(), 0);
  EXPECT_EQ(read("SELECT count(*) FROM people"), (ODBCReader::Rows{{"1"}}));
}

TEST_F(QNDBSQLite, GetDBNameAsksTheInstalledChooser) {
  ODBCSandbox::instance().addDSN("qndb-broken", "No Such Driver", {});
  struct Row {
    std::string pick;
    std::string expected;
    int lines;
  };
  const Row rows[] = {
      {dsn_, dsn_, 0},
      {"", "", 0},               // the user cancelled
      {"qndb-broken", "", 1},    // listed, but it cannot be reached
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pick);
    db_->clearMsgs();
    int before = TestChooser::calls;
    TestChooser::pick = row.pick;
    EXPECT_EQ(std::string(db_->getDBName()), row.expected);
    EXPECT_EQ(TestChooser::calls, before + 1);
    EXPECT_EQ(db_->getMsgCount(), row.lines) << messageText(*db_);
    if (row.lines == 1) {
      EXPECT_TRUE(std::string(db_->getMsg(0))
                      .starts_with("Database error: QNDB::getDBName - CDBException, "))
          << db_->getMsg(0);
    }
  }
  ODBCSandbox::instance().removeDSN("qndb-broken");
}

}  // namespace
