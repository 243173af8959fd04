// libqndb.so over the SQLite ODBC driver, loaded by name as the hosts load it: catalogue,
// staging and inserting rows (read back through a second connection), dates, bad indexes,
// reconnection, free SQL and the chooser of getDBName.
#include "tests/dblib/DBTestSupport.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"

#include <gtest/gtest.h>

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

  ODBCReader::Rows read(const std::string& sql) { return ODBCReader(dsn_).query(sql); }

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
}

}  // namespace
