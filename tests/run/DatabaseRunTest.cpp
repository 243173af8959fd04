// Runs that write database rows: libqndb.so loaded by name from the program's folder, over
// the SQLite ODBC driver, read back through a second connection.
#include <gtest/gtest.h>

#include <string>

#include "tests/dblib/DBTestSupport.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/run/RunFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

class DatabaseRun : public testing::Test {
protected:
    void SetUp() override {
        dsn = uniqueDSN("runrows");
        ODBCSandbox::instance().addSQLiteDSN(dsn, ws.path("rows.db"));
        ODBCReader setup(dsn);
        setup.exec("CREATE TABLE hits (file TEXT, line TEXT)");
        setup.exec("CREATE TABLE seen (day DATE)");
    }

    // Every "ERROR" line becomes a row of hits: the file name and the rest of the line; the
    // rest also goes to a file. `statements` are Execute SQL actions: (phase grid, SQL).
    std::string definition(const char* dataSource,
                           std::initializer_list<std::pair<ActionGrid PXDefinition::*, const char*>> statements = {}) {
        DefinitionBuilder d;
        int n = 0;
        for (const auto& [phase, sql] : statements) {
            const std::string name = "SQL" + std::to_string(++n);
            d.variable(name.c_str(), "String", sql);
            d.phaseAction(d.engine().*phase, "Execute SQL", {name.c_str()});
        }
        d.database(dataSource);
        d.output("Copy", "copy.txt");
        d.lineVocabulary();
        PXNode* error = d.textNode("ERROR");
        PXNode* rest = d.refNode("Rest");
        d.link(error, rest);
        d.nodeAction(rest, "Send to", {"hits.file", "", "StreamName"});
        d.nodeAction(rest, "Send to", {"hits.line"});
        d.nodeAction(rest, "Output table row", {"hits"});
        d.nodeAction(rest, "Append to", {"Copy"});
        d.input("*.txt");
        return d.save(ws.path("rows.QXD"));
    }

    Workspace ws;
    std::string dsn;
};

TEST_F(DatabaseRun, EveryMatchWritesARow) {
    ws.write("a.txt", "ERROR disk\nok\nERROR net\n");
    ws.write("b.txt", "ERROR cpu\n");
    RunResult r = runDefinition(definition(dsn.c_str()));
    ASSERT_EQ(r.result, 2);
    EXPECT_EQ(r.client->connectedDatabase(), "") << "the connection is dropped at run end";
    ODBCReader reader(dsn);
    EXPECT_EQ(reader.query("SELECT file, line FROM hits ORDER BY rowid"),
              (ODBCReader::Rows{{"a.txt", " disk"}, {"a.txt", " net"}, {"b.txt", " cpu"}}));
    EXPECT_EQ(ws.read("copy.txt"), " disk net cpu");
    EXPECT_EQ(r.client->runMessage(), "Files scanned:  2");
}

TEST_F(DatabaseRun, RowsAreCommittedByStreamAndSeenByEveryStatement) {
    ODBCReader(dsn).exec("CREATE TABLE tally (n INTEGER)");
    ws.write("a.txt", "ERROR disk\nok\nERROR net\n");
    ws.write("b.txt", "ERROR cpu\n");
    ws.write("c.txt", "ERROR 1\nERROR 2\nERROR 3\n");
    const char* count = "INSERT INTO tally SELECT COUNT(*) FROM hits";
    RunResult r = runDefinition(
        definition(dsn.c_str(), {{&PXEngine::postStreamActions, count}, {&PXEngine::postRunActions, count}}));
    ASSERT_EQ(r.result, 2);
    ODBCReader reader(dsn);
    EXPECT_EQ(reader.query("SELECT n FROM tally ORDER BY rowid"), (ODBCReader::Rows{{"2"}, {"3"}, {"6"}, {"6"}}));
    EXPECT_EQ(reader.query("SELECT COUNT(*) FROM hits"), (ODBCReader::Rows{{"6"}}));
}

TEST_F(DatabaseRun, ACommitThatFailsIsAnErrorAndCostsOnlyItsStream) {
    CaptureSink sink;
    ODBCReader setup(dsn);
    setup.exec("DROP TABLE hits");
    setup.exec("CREATE TABLE files (name TEXT PRIMARY KEY)");
    setup.exec("INSERT INTO files VALUES ('a.txt'), ('c.txt')");
    // A row naming a file missing from files is refused only when its stream commits.
    setup.exec("CREATE TABLE hits (file TEXT REFERENCES files(name) DEFERRABLE INITIALLY DEFERRED, line TEXT)");
    ws.write("a.txt", "ERROR disk\nERROR net\n");
    ws.write("b.txt", "ERROR cpu\n");
    ws.write("c.txt", "ERROR fan\n");
    RunResult r = runDefinition(definition(dsn.c_str(), {{&PXEngine::preRunActions, "PRAGMA foreign_keys = ON"}}));
    ASSERT_EQ(r.result, 2);
    ASSERT_EQ(sink.errors.size(), 1u);
    const std::string& error = sink.errors[0];
    EXPECT_TRUE(error.starts_with("Database rows not written\nDatabase error: commit, ")) << error;
    EXPECT_NE(error.find("FOREIGN KEY"), std::string::npos) << error;
    EXPECT_NE(error.find("Rows not written: 1 (hits 1)"), std::string::npos) << error;
    EXPECT_EQ(setup.query("SELECT file, line FROM hits ORDER BY rowid"),
              (ODBCReader::Rows{{"a.txt", " disk"}, {"a.txt", " net"}, {"c.txt", " fan"}}));
}

TEST_F(DatabaseRun, AnUnreachableDatabaseLeavesTheRestOfTheRun) {
    CaptureSink sink;
    ws.write("a.txt", "ERROR disk\n");
    RunResult r = runDefinition(definition("NoSuchSource"));
    ASSERT_EQ(r.result, 2);
    EXPECT_TRUE(r.client->databaseNotAvailable());
    int notAvailable = 0;
    for (const std::string& s : r.client->shown()) notAvailable += s == "Database not available: NoSuchSource";
    EXPECT_GE(notAvailable, 1);
    EXPECT_EQ(ws.read("copy.txt"), " disk");
    // Without the database the column names resolve to nothing, which the run says; and the
    // run itself says that its rows have nowhere to go.
    EXPECT_TRUE(sink.sawError("hits.file"));
    EXPECT_TRUE(sink.sawError("Database not available: NoSuchSource"));
    EXPECT_EQ(r.client->runMessage(), "Files scanned:  1 - some output could not be written");
    ODBCReader reader(dsn);
    EXPECT_EQ(reader.query("SELECT COUNT(*) FROM hits"), (ODBCReader::Rows{{"0"}}));
}

TEST_F(DatabaseRun, ChoosingADataSourceShowsItsTables) {
    CaptureSink sink;
    TestClient client;
    client.init();
    ASSERT_NE(client.database(), nullptr) << "libqndb.so beside the program";
    client.databaseGrid.setText(0, 0, dsn.c_str());
    ASSERT_TRUE(client.databaseChosen());
    EXPECT_EQ(sink.infos, std::vector<std::string>{"Connected to database :  " + dsn + "\n2 tables :  hits, seen"});
    client.databaseGrid.setText(0, 0, "NoSuchSource");
    EXPECT_FALSE(client.databaseChosen());
    EXPECT_EQ(client.shown().back(), "Database not available: NoSuchSource");
}

}  // namespace
