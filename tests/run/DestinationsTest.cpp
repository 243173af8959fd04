// The set of destinations: its layout by index, lazy opening, the default and trace
// destinations, and database columns through libqndb.so over SQLite.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "definitions/PXClientSchema.h"
#include "definitions/PXGrids.h"
#include "run/DBDest.h"
#include "run/Destinations.h"
#include "run/StreamDest.h"
#include "tests/dblib/DBTestSupport.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

std::string str(const XXSTRING& text) { return text.text(); }

std::vector<std::string> names(const XXGRID& grid) {
    std::vector<std::string> out;
    for (int32_t r = 0; r < grid.rowCount(); ++r) out.emplace_back(grid.getCell(0, r)->getText());
    return out;
}

class DestinationsTest : public testing::Test {
protected:
    DestinationsTest() {
        buildOutputFilesGrid(outputs, PXClientChoosers{}, nullptr);
        buildDestinationsGrid(destinationGrid);
        buildTablesGrid(tableGrid);
        dests.setTraceFileName(dir.file("trace.htm").c_str());
    }
    void addOutput(const char* tag, const char* file, bool append = false) {
        const int32_t r = outputs.rowCount();
        outputs.setText(0, r, tag);
        outputs.setText(1, r, dir.file(file).c_str());
        outputs.setText(2, r, append ? "1" : "0");
    }
    StreamDest* file(int32_t index) { return dynamic_cast<StreamDest*>(dests.at(index)); }

    TempDir dir;
    CaptureSink sink;
    PXGrid outputs, destinationGrid, tableGrid;
    Destinations dests;
};

TEST_F(DestinationsTest, TraceFirstThenOneFilePerOutputRowNamedByTag) {
    addOutput("Report", "report.txt");
    addOutput("", "untagged.txt", true);
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    ASSERT_EQ(dests.count(), 3);
    EXPECT_EQ(dests.traceIdx(), 0);
    EXPECT_EQ(str(file(0)->spec()), dir.file("trace.htm"));
    EXPECT_EQ(file(0)->mode(), StreamDest::createMode);
    EXPECT_EQ(str(file(1)->spec()), dir.file("report.txt"));
    EXPECT_EQ(file(1)->mode(), StreamDest::createMode);
    EXPECT_EQ(file(2)->mode(), StreamDest::appendMode);
    EXPECT_EQ(dests.defaultIdx(), -1);
    // Row i names destination i, which is what output actions store.
    EXPECT_EQ(names(destinationGrid), (std::vector<std::string>{"", "Report", ""}));
    EXPECT_EQ(tableGrid.rowCount(), 0);
    // Nothing is created before output asks for it.
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(DestinationsTest, WithoutOutputRowsTheDefaultIsOutTmp) {
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    ASSERT_EQ(dests.count(), 2);
    EXPECT_EQ(dests.defaultIdx(), 1);
    EXPECT_EQ(str(file(1)->spec()), "out.tmp");
    EXPECT_EQ(destinationGrid.rowCount(), 0);
}

TEST_F(DestinationsTest, AnOutputGridWithoutTagColumnNamesItsRowsWithStars) {
    PXGrid bare;
    bare.addFld(XXFLD_FNAME::gen, 1042, 260);
    bare.addFld(XXFLD_BOOL::gen, 1301, 1);
    bare.setText(0, 0, dir.file("x.txt").c_str());
    dests.synch(&bare, nullptr, &destinationGrid, &tableGrid);
    EXPECT_EQ(names(destinationGrid), (std::vector<std::string>{"", "*****"}));
}

TEST_F(DestinationsTest, NegativeIndexesReachTheTraceAndTheDefault) {
    addOutput("Report", "report.txt");
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    Destination* trace = dests.get(kTraceDestination);
    EXPECT_EQ(trace, dests.at(0));
    // The default is made on first use when the output rows left none.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    Destination* fallback = dests.get(kDefaultDestination);
    std::filesystem::current_path(previous);
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(dests.defaultIdx(), 2);
    EXPECT_EQ(dests.get(-7), fallback);
    EXPECT_EQ(dests.get(1), dests.at(1));
    EXPECT_EQ(dests.get(3), nullptr);
    dests.closeAll();
    EXPECT_TRUE(std::filesystem::exists(dir.file("trace.htm")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.tmp")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("report.txt")));
}

TEST_F(DestinationsTest, AFileThatCannotOpenIsReportedCountedAndTakesNothing) {
    std::ofstream(dir.file("plain")) << "a file where a folder would have to be";
    addOutput("Bad", "plain/out.txt");
    addOutput("New", "new/folders/out.txt");
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    dests.startRun();
    // Given all the same, so that its output does not land in the default output.
    Destination* bad = dests.get(1);
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(bad->writeText("x", 1, true), 0);
    const std::string report = "Unable to open " + dir.file("plain/out.txt") + ": Not a directory";
    EXPECT_EQ(sink.logLines, std::vector<std::string>{report});
    EXPECT_EQ(sink.errors, std::vector<std::string>{report});
    EXPECT_EQ(dests.failures(), 1);
    EXPECT_EQ(dests.defaultIdx(), -1);
    // The folders a name needs are made.
    ASSERT_NE(dests.get(2), nullptr);
    EXPECT_EQ(dests.get(2)->writeText("y", 1, true), 2);
    dests.closeAll();
    EXPECT_EQ(TempDir::read(dir.file("new/folders/out.txt")), "y");
    EXPECT_EQ(dests.failures(), 1);
}

TEST_F(DestinationsTest, CloseAllEndsTheCycleSoTheNextRunCreatesAnew) {
    addOutput("Report", "report.txt");
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    dests.get(1)->writeText("first", 5, true);
    dests.closeAll();
    dests.get(1)->writeText("second", 6, true);
    dests.closeAll();
    EXPECT_EQ(TempDir::read(dir.file("report.txt")), "second");
}

TEST_F(DestinationsTest, NotifyAllTellsEveryDestinationAndKeepsTheNames) {
    outputs.setText(0, 0, "Res");
    outputs.setText(1, 0, dir.file("*.res").c_str());
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    dests.notifyAll(2, "/in/*.txt", "/in/a.txt");
    EXPECT_EQ(str(dests.inputName().name), "*");
    EXPECT_EQ(str(dests.inputFullName()), "/in/a.txt");
    EXPECT_EQ(str(file(1)->outputName()), dir.file("a.res"));
    // Other events change no names.
    dests.notifyAll(5, "x", "/in/b.txt");
    EXPECT_EQ(str(dests.inputFullName()), "/in/a.txt");
}

TEST_F(DestinationsTest, RemembersTheFilesTheRunWrote) {
    addOutput("Res", "*.res");
    dests.synch(&outputs, nullptr, &destinationGrid, &tableGrid);
    dests.startRun();
    const std::string other = dir.write("other.txt", "");
    for (const char* input : {"/in/a.txt", "/in/b.txt"}) {
        dests.notifyAll(2, input, input);
        dests.get(1)->writeText("x", 1, true);
    }
    dests.noteWritten(other.c_str());
    dests.closeAll();
    const auto wrote = [&](const std::string& path) {
        FileId id;
        return fileIdOf(path.c_str(), id) && dests.wroteDuringRun(id);
    };
    // A file not written that exists, so that only the record can say no.
    const std::string read = dir.write("c.res", "");
    EXPECT_TRUE(wrote(dir.file("a.res")));
    EXPECT_TRUE(wrote(dir.path().string() + "/./b.res"));
    EXPECT_TRUE(wrote(other));
    EXPECT_FALSE(wrote(read));
    dests.startRun();
    EXPECT_FALSE(wrote(dir.file("a.res")));
}

// --- database columns --------------------------------------------------------------------

class DestinationsDB : public DestinationsTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded()) << library.error();
        db = library.get();
        dsn = uniqueDSN("rundest");
        ODBCSandbox::instance().addSQLiteDSN(dsn, dir.file("test.db"));
        ODBCReader setup(dsn);
        setup.exec("CREATE TABLE hits (c1 TEXT, c2 TEXT, c3 TEXT)");
        setup.exec("CREATE TABLE seen (day DATE)");
        ASSERT_EQ(db->open(dsn.c_str()), 1) << messageText(*db);
        hits = tableIndex(*db, "hits");
        seen = tableIndex(*db, "seen");
        ASSERT_GE(hits, 0);
        ASSERT_GE(seen, 0);
    }
    void TearDown() override {
        if (db) {
            db->close();
            library.release(db);
        }
    }
    // The destination of a column by its name in the destinations grid.
    Destination* column(const char* name) {
        XXROW* row = destinationGrid.findRow(name, 0, false);
        int32_t at = -1;
        destinationGrid.findRow(name, 0, false, &at);
        return row ? dests.get(at) : nullptr;
    }

    QNDBLibrary library;
    IQXDB* db = nullptr;
    std::string dsn;
    int32_t hits = -1;
    int32_t seen = -1;
};

TEST_F(DestinationsDB, OneDestinationPerColumnAfterTheFiles) {
    addOutput("Report", "report.txt");
    dests.synch(&outputs, db, &destinationGrid, &tableGrid);
    std::vector<std::string> expected{"", "Report"};
    for (int32_t t = 0; t < db->getTableCount(); ++t)
        for (int32_t c = 0; c < db->getFieldCount(t); ++c)
            expected.push_back(std::string(db->getTableName(t)) + "." + db->getFieldName(t, c));
    EXPECT_EQ(names(destinationGrid), expected);
    // In column order, right after the file destinations.
    const auto first = std::find(expected.begin(), expected.end(), "hits.c1") - expected.begin();
    EXPECT_EQ(expected[size_t(first) + 1], "hits.c2");
    EXPECT_EQ(expected[size_t(first) + 2], "hits.c3");
    ASSERT_EQ(tableGrid.rowCount(), db->getTableCount());
    EXPECT_EQ(tableGrid.getCell(0, hits)->getText(), std::string("hits"));
    auto* dest = dynamic_cast<DBDest*>(dests.at(int32_t(first)));
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(dest->table(), hits);
    EXPECT_EQ(dest->column(), 0);
}

TEST_F(DestinationsDB, SendToStartsAValueAppendToAddsAndTheRowGoesOutOnEvent4) {
    dests.synch(&outputs, db, &destinationGrid, &tableGrid);
    Destination* c1 = column("hits.c1");
    Destination* c2 = column("hits.c2");
    Destination* c3 = column("hits.c3");
    ASSERT_TRUE(c1 && c2 && c3);
    EXPECT_EQ(c1->writeText("first", 5, true), 2);
    EXPECT_EQ(c1->writeString(XXSTRING(" and more"), false), 2);
    for (char ch : std::string("node bytes")) c2->putByte((unsigned char)ch);
    EXPECT_EQ(c2->flushBytes(true), 2);
    EXPECT_EQ(c3->writeWString(XXWSTRING(u"wide"), true), 2);
    EXPECT_EQ(dests.event(4, hits), 2);
    c1->writeText("second", 6, true);
    dests.event(4, hits);
    dests.closeAll();
    ODBCReader reader(dsn);
    EXPECT_EQ(reader.query("SELECT c1, c2, c3 FROM hits ORDER BY rowid"),
              (ODBCReader::Rows{{"first and more", "node bytes", "wide"}, {"second", "", ""}}));
    EXPECT_TRUE(sink.logLines.empty());
}

TEST_F(DestinationsDB, TheDatabaseMessagesOfARowGoToTheLog) {
    dests.synch(&outputs, db, &destinationGrid, &tableGrid);
    Destination* day = column("seen.day");
    ASSERT_NE(day, nullptr);
    EXPECT_EQ(day->writeText("not a date", 10, true), 0);
    EXPECT_TRUE(sink.logLines.empty());
    dests.event(4, seen);
    ASSERT_FALSE(sink.logLines.empty());
    EXPECT_NE(sink.logLines[0].find("Invalid Date"), std::string::npos) << sink.logLines[0];
    EXPECT_EQ(sink.logLines[0].back(), '\n');
    EXPECT_EQ(db->getMsgCount(), 0);
}

TEST_F(DestinationsDB, ExeSQLNeedsADatabaseAndAStatement) {
    dests.synch(&outputs, db, &destinationGrid, &tableGrid);
    EXPECT_EQ(dests.exeSQL("INSERT INTO hits (c1) VALUES ('sql')"), 2);
    EXPECT_EQ(dests.exeSQL(""), 0);
    EXPECT_EQ(dests.exeSQL("INSERT INTO nowhere VALUES (1)"), 0);
    EXPECT_EQ(sink.logLines.size(), 1u) << "the refusal is logged";
    // Without a database every statement is a failure of the run's outputs, said once.
    Destinations none;
    const size_t errors = sink.errors.size();
    EXPECT_EQ(none.exeSQL("INSERT INTO hits (c1) VALUES ('x')"), 0);
    EXPECT_EQ(none.exeSQL("INSERT INTO hits (c1) VALUES ('y')"), 0);
    EXPECT_EQ(none.failures(), 2);
    ASSERT_EQ(sink.errors.size(), errors + 1);
    EXPECT_EQ(sink.errors.back(), "SQL statement not run, no database is connected: INSERT INTO hits (c1) VALUES ('x')");
    ODBCReader reader(dsn);
    EXPECT_EQ(reader.query("SELECT c1 FROM hits"), (ODBCReader::Rows{{"sql"}}));
}

}  // namespace
