// quilrun when things around the run go wrong: outputs that cannot be opened or written,
// rows the database refuses, interrupts, two runs on one output, a named pipe as input, and
// post-processors that read what the run wrote. Every case runs the real program over real
// files (and a real SQLite database where rows matter) and sends it real signals.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/library/Process.h"
#include "tests/odbc/ODBCReader.h"
#include "tests/odbc/ODBCSandbox.h"
#include "tests/odbc/PGServer.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// A definition that finds every `word` and the rest of its line and appends that rest, one
// line per hit, to the output "Hits" (to the default output when `output` is empty); after
// the run it appends "END" to "Hits". With a database, each hit is also a row of the table
// Rows (column Line), and `sql`, when given, is executed after the run.
struct Extract {
    std::string word = "ALERT";
    std::string log = "run.log";
    std::string output = "out/hits.txt";
    bool append = false;
    std::string database;
    std::string sql;
    std::string input;
    std::string postProcessor;
};

// An Extract with the changes `change` makes.
template <typename Change>
Extract extract(Change change) {
    Extract e;
    change(e);
    return e;
}

std::string writeExtract(const TempDir& dir, const std::string& name, const Extract& e) {
    std::string text = "Quillon Version 2.82\n!\"Logname\" " + quoted(e.log) + " 0\n";
    if (!e.database.empty()) text += "!\"Database\" " + quoted(e.database) + " \"\" \"\"\n";
    if (!e.output.empty())
        text += "!\"Outputstreams\" \"Hits\" " + quoted(e.output) + (e.append ? " 1\n" : " 0\n");
    if (!e.input.empty()) text += "!\"Inputstreams\" 1 " + quoted(e.input) + " 0 0\n";
    if (!e.postProcessor.empty()) text += "!\"Post-processor\" " + quoted(e.postProcessor) + "\n";
    text +=
        "!\"Set\" \"LineChar\"\n9 \"\"\n32 255\n"
        "!\"Pattern\" \"Rest\"\n\"LineChar\" 0 4000\n"
        "!\"Variables\" \"NewLine\" \"Byte\" [10] 0\n";
    const std::string target = e.output.empty() ? "\"\"" : "\"Hits\"";
    if (!e.output.empty()) text += "!\"Post-runActions\" \"Append to\" \"Hits\" \"END\" \"NewLine\"\n";
    if (!e.sql.empty())
        text += "!\"Variables\" \"Statement\" \"String\" " + quoted(e.sql) +
                " 0\n!\"Post-runActions\" \"Execute SQL\" \"Statement\" \"\" \"\"\n";
    text += "Node 0 40 60 96 24 1\nLinkColors 0 2\nNodeAttribute 0 igc Start\nNodeString 0 " + quoted(e.word) +
            "\nNode 1 180 60 96 24\nLinkColors 1\nNodeAttribute 1\nNodePattern 1 \"Rest\"\n"
            "NodeAction 1 Appendto " + target + "\nNodeAction 1 Appendto " + target + " \"\" \"NewLine\"\n";
    if (!e.database.empty()) text += "NodeAction 1 Sendto \"Rows.Line\"\nNodeAction 1 Outputtablerow \"Rows\"\n";
    const std::string path = dir.file(name + ".QXD");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// `count` lines "ALERT <tag> <n>" (n from 0).
std::string alerts(const std::string& tag, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "ALERT " + tag + " " + std::to_string(i) + "\n";
    return text;
}

// The hits the Extract definition writes for `alerts(tag, count)`.
std::string hits(const std::string& tag, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += " " + tag + " " + std::to_string(i) + "\n";
    return text;
}

int lineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

class QuilrunFailures : public testing::Test {
protected:
    ProcessOptions here() const {
        ProcessOptions options;
        options.dir = dir.path().string();
        return options;
    }
    ProcessResult quilrun(const std::vector<std::string>& arguments) {
        return runProcess(binary("quilrun"), arguments, here());
    }

    TempDir dir;
};

// A real SQLite database behind a data source of the test's own ODBC set-up, with the table
// Rows (Line TEXT) that refuses lines holding "refused".
class QuilrunRows : public QuilrunFailures {
protected:
    QuilrunRows() {
        ODBCSandbox& odbc = ODBCSandbox::instance();
        dsn = "Quillon-Failures-" + std::to_string(serial++);
        odbc.addSQLiteDSN(dsn, dir.file("rows.db"));
        ODBCReader(dsn).exec("CREATE TABLE Rows (Line TEXT CHECK (Line NOT LIKE '%refused%'))");
    }
    ProcessOptions here() const {
        ProcessOptions options = QuilrunFailures::here();
        // The SQLite and PostgreSQL drivers leak a little at every connection; their own
        // libraries have no frame pointers.
        const std::string suppressions = dir.file("lsan.supp");
        std::ofstream(suppressions) << "leak:libsqlite3odbc.so\nleak:libsqlite3.so\nleak:psqlodbc\nleak:libpq.so\n";
        options.env["LSAN_OPTIONS"] = "print_suppressions=0:suppressions=" + suppressions;
        options.env["ASAN_OPTIONS"] = "fast_unwind_on_malloc=0";
        return options;
    }
    int rowCount() { return std::stoi(ODBCReader(dsn).query("SELECT COUNT(*) FROM Rows").at(0).at(0)); }

    static inline int serial = 0;
    std::string dsn;
};

TEST_F(QuilrunFailures, OutputFoldersAreMadeAndOutputsThatCannotBeWrittenEndWithFive) {
    dir.write("in.txt", alerts("a", 3));
    dir.write("plain", "a regular file, not a folder\n");
    struct Case {
        std::string output;
        std::vector<std::string> options;
        int status;
        std::string error;   // on standard error, "" for none
    } cases[] = {
        {"out/deep/hits.txt", {}, 0, ""},
        {"plain/hits.txt", {}, 5, "quilrun: Unable to open plain/hits.txt: Not a directory\n"},
        {"/dev/full", {}, 5, "quilrun: Unable to write /dev/full: No space left on device\n"},
        {"logged.txt", {"--log", "plain/run.log"}, 5, "quilrun: Unable to open plain/run.log: Not a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        fs::remove_all(dir.file("out"));
        writeExtract(dir, "Extract", extract([&](Extract& e) { e.output = c.output; }));
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {"-q", "Extract", "in.txt"});
        const ProcessResult r = quilrun(arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.error);
        EXPECT_FALSE(fs::exists(dir.file("out.tmp"))) << "output of a named file never lands elsewhere";
        if (c.status == 0) {
            EXPECT_EQ(TempDir::read(dir.file(c.output)), hits("a", 3) + "END\n");
        } else if (c.options.empty()) {
            const std::string log = TempDir::read(dir.file("run.log"));
            EXPECT_NE(log.find(c.error.substr(9)), std::string::npos) << log;
            EXPECT_NE(log.find("Files scanned:  1 - some output could not be written"), std::string::npos) << log;
        }
    }
}

TEST_F(QuilrunFailures, BackslashesOfADefinitionMadeOnWindowsSeparateFolders) {
    dir.write("in.txt", alerts("a", 2));
    fs::create_directories(dir.file("sub"));
    writeExtract(dir, "sub/Post", extract([](Extract& e) { e.output = "out\\post.txt"; e.input = "in.txt"; }));
    writeExtract(dir, "Extract", extract([](Extract& e) {
        e.log = "logs\\run.log";
        e.output = "out\\hits.txt";
        e.postProcessor = "sub\\Post";
    }));
    const ProcessResult r = quilrun({"-q", "Extract", "in.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read(dir.file("out/hits.txt")), hits("a", 2) + "END\n");
    EXPECT_EQ(TempDir::read(dir.file("out/post.txt")), hits("a", 2) + "END\n");
    EXPECT_NE(TempDir::read(dir.file("logs/run.log")).find("run complete"), std::string::npos);
}

TEST_F(QuilrunFailures, AVariableSentOrAppendedToItselfKeepsItsValue) {
    // At each of two matches: Keep is sent to itself, Tag to itself after a prefix, and Seen
    // appended to itself after a prefix. The source is read before the target changes.
    dir.write("Self.QXD",
              "Quillon Version 2.82\n!\"Logname\" \"run.log\" 0\n"
              "!\"Outputstreams\" \"Hits\" \"hits.txt\" 0\n"
              "!\"Variables\" \"Keep\" \"String\" \"k\" 0\n!\"Variables\" \"Tag\" \"String\" \"t\" 0\n"
              "!\"Variables\" \"Seen\" \"String\" \"s\" 0\n"
              "!\"Post-runActions\" \"Append to\" \"Hits\" \"\" \"Keep\"\n"
              "!\"Post-runActions\" \"Append to\" \"Hits\" \"|\" \"Tag\"\n"
              "!\"Post-runActions\" \"Append to\" \"Hits\" \"|\" \"Seen\"\n"
              "Node 0 40 60 96 24\nNodeAttribute 0 Start\nNodeString 0 \"ALERT\"\n"
              "NodeAction 0 Sendto \"Keep\" \"\" \"Keep\"\nNodeAction 0 Sendto \"Tag\" \"<\" \"Tag\"\n"
              "NodeAction 0 Appendto \"Seen\" \"+\" \"Seen\"\n");
    dir.write("in.txt", alerts("a", 2));
    const ProcessResult r = quilrun({"-q", "Self", "in.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read(dir.file("hits.txt")), "k|<<t|s+s+s+s");
}

TEST_F(QuilrunFailures, OutputsNamingOneFileWriteInTurnAndTheLogIsNoOutput) {
    // Both and Again name one file (Again by another path), Log names the run's log, Blank
    // names no file.
    dir.write("Same.QXD",
              "Quillon Version 2.82\n!\"Logname\" \"run.log\" 0\n"
              "!\"Outputstreams\" \"Both\" \"both.txt\" 0\n!\"Outputstreams\" \"Again\" \"./both.txt\" 0\n"
              "!\"Outputstreams\" \"Log\" \"run.log\" 0\n!\"Outputstreams\" \"Blank\" \"\" 0\n"
              "!\"Pre-runActions\" \"Append to\" \"Blank\" \"lost\" \"\"\n"
              "!\"Pre-runActions\" \"Append to\" \"Both\" \"first run output;\" \"\"\n"
              "!\"Pre-runActions\" \"Append to\" \"Again\" \"second;\" \"\"\n"
              "!\"Pre-runActions\" \"Append to\" \"Log\" \"not in the log\" \"\"\n"
              "!\"Post-runActions\" \"Append to\" \"Both\" \"third;\" \"\"\n");
    dir.write("in.txt", "");
    const ProcessResult r = quilrun({"-q", "Same", "in.txt"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.err, "quilrun: Unable to open an output: it has no file name\n"
                     "quilrun: Unable to open run.log: it is the run's log\n");
    EXPECT_EQ(TempDir::read(dir.file("both.txt")), "first run output;second;third;");
    const std::string log = TempDir::read(dir.file("run.log"));
    EXPECT_NE(log.find("Quillon run start [Same.QXD]"), std::string::npos) << log;
    EXPECT_EQ(log.find("not in the log"), std::string::npos) << log;
}

TEST_F(QuilrunFailures, AListedInputThatCannotBeReadIsNamedAndEndsWithThree) {
    dir.write("in1.txt", alerts("a", 2));
    dir.write("in2.txt", alerts("b", 1));
    fs::permissions(dir.file("in2.txt"), fs::perms::none);
    const std::string definition = writeExtract(dir, "D", Extract{});
    // Root reads any file, so the run is made as a user without that right.
    std::vector<std::string> arguments{definition, dir.file("in*.txt")};
    std::string program = binary("quilrun");
    if (geteuid() == 0) {
        fs::permissions(dir.path(), fs::perms::all);
        arguments.insert(arguments.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", program});
        program = "/usr/bin/setpriv";
    }
    const ProcessResult r = runProcess(program, arguments, here());
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("Unable to open " + dir.file("in2.txt") + ": Permission denied"), std::string::npos) << r.err;
    EXPECT_EQ(dir.read(dir.file("out/hits.txt")), hits("a", 2) + "END\n");
}

TEST_F(QuilrunRows, RowsTheDatabaseRefusesEndWithFiveAndTheOthersAreWritten) {
    dir.write("in.txt", "ALERT one\nALERT refused two\nALERT three\nALERT refused four\n");
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.database = dsn; }));
    const ProcessResult r = runProcess(binary("quilrun"), {"-q", "Extract", "in.txt"}, here());
    EXPECT_EQ(r.status, 5);
    // The first refusal is reported with the database's reason, the second only counted.
    EXPECT_EQ(r.err.find("quilrun: Row refused by the database (table Rows)\n"), 0u) << r.err;
    EXPECT_NE(r.err.find("CHECK constraint failed"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("quilrun: Row refused", 1), std::string::npos) << r.err;
    const ODBCReader::Rows rows = ODBCReader(dsn).query("SELECT Line FROM Rows ORDER BY Line");
    EXPECT_EQ(rows, (ODBCReader::Rows{{" one"}, {" three"}}));
    EXPECT_NE(TempDir::read(dir.file("run.log")).find("some output could not be written"), std::string::npos);

    // A statement the database refuses counts as much, with the data source and the statement
    // named; the rows before it stay written.
    dir.write("in.txt", "ALERT five\n");
    const std::string refused = "INSERT INTO Rows VALUES ('refused by a statement')";
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.database = dsn; e.sql = refused; }));
    const ProcessResult s = runProcess(binary("quilrun"), {"-q", "Extract", "in.txt"}, here());
    EXPECT_EQ(s.status, 5);
    EXPECT_EQ(s.err.find("quilrun: SQL statement refused by the database " + dsn + ": " + refused + "\n"), 0u) << s.err;
    EXPECT_NE(s.err.find("CHECK constraint failed"), std::string::npos) << s.err;
    EXPECT_EQ(rowCount(), 3);
}

TEST_F(QuilrunRows, AnInterruptStopsTheRunWithEverythingWrittenAndClosed) {
    // Long enough that the run is still going when the signal comes.
    std::string input;
    std::string expected;
    for (int i = 0; i < 400; ++i) {
        input += alerts("block" + std::to_string(i), 500);
        expected += hits("block" + std::to_string(i), 500);
    }
    dir.write("in.txt", input);
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.database = dsn; }));
    const struct {
        int signal;
        int status;
        const char* name;
    } cases[] = {{SIGINT, 130, "SIGINT"}, {SIGTERM, 143, "SIGTERM"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ODBCReader(dsn).exec("DELETE FROM Rows");
        RunningProcess run(binary("quilrun"), {"-q", "Extract", "in.txt"}, here());
        ASSERT_TRUE(waitUntil([&] { return rowCount() > 0; })) << run.errSoFar();
        run.sendSignal(c.signal);
        const ProcessResult r = run.finish();
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.err, std::string("quilrun: the run was stopped by ") + c.name + "\n");

        // The file holds whole lines from the start of the input, as many as the database
        // got rows, and the post-run action still ran.
        std::string out = TempDir::read(dir.file("out/hits.txt"));
        ASSERT_GE(out.size(), 4u);
        EXPECT_EQ(out.substr(out.size() - 4), "END\n");
        out.resize(out.size() - 4);
        EXPECT_EQ(out, expected.substr(0, out.size()));
        EXPECT_EQ(lineCount(out), rowCount());
        EXPECT_LT(out.size(), expected.size()) << "the run stopped early";
        const std::string log = TempDir::read(dir.file("run.log"));
        EXPECT_NE(log.find("Files scanned:  1 - scan halted\n"), std::string::npos) << log;
        EXPECT_NE(log.find("Quillon run complete"), std::string::npos) << log;
    }
}

TEST_F(QuilrunFailures, ASecondInterruptEndsTheProcessAtOnce) {
    // Standard output is a pipe nobody reads: once it is full the run cannot go on, so the
    // orderly stop the first signal asks for cannot come, and the second one ends quilrun.
    dir.write("in.txt", alerts("x", 40000));
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.output = ""; }));
    RunningProcess run(binary("quilrun"), {"-q", "--stdout", "Extract", "in.txt"}, here(), true);
    ASSERT_TRUE(waitUntil([&] { return run.pendingOutput() >= 65536; })) << run.errSoFar();
    run.sendSignal(SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(run.running()) << "the first signal asks for a stop, it does not end the process";
    run.sendSignal(SIGTERM);
    const ProcessResult r = run.finish(10);
    EXPECT_EQ(r.signal, SIGTERM);
}

TEST_F(QuilrunFailures, AnInterruptEndsTheWaitForAPipeNobodyWritesTo) {
    ASSERT_EQ(mkfifo(dir.file("in.fifo").c_str(), 0600), 0);
    writeExtract(dir, "Extract", Extract());
    RunningProcess run(binary("quilrun"), {"Extract", "in.fifo"}, here());
    ASSERT_TRUE(waitUntil([&] { return run.errSoFar().find("in.fifo") != std::string::npos; })) << run.errSoFar();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));   // into the open of the pipe
    run.sendSignal(SIGTERM);
    const ProcessResult r = run.finish(10);
    EXPECT_EQ(r.status, 143) << r.err;
    const std::string log = TempDir::read(dir.file("run.log"));
    EXPECT_NE(log.find("Files scanned:  1 - scan halted\n"), std::string::npos) << log;
}

TEST_F(QuilrunFailures, TwoRunsOnOneOutputFollowEachOther) {
    // The first run reads a named pipe that the test feeds, so it holds its log and its
    // output for as long as the test keeps the pipe open.
    ASSERT_EQ(mkfifo(dir.file("in.fifo").c_str(), 0600), 0);
    dir.write("second.txt", alerts("second", 2));
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.append = true; }));
    RunningProcess first(binary("quilrun"), {"-q", "Extract", "in.fifo"}, here());
    int feed = -1;
    ASSERT_TRUE(waitUntil([&] { return (feed = open(dir.file("in.fifo").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0; }))
        << first.errSoFar();
    fcntl(feed, F_SETFL, 0);   // blocking writes from here on
    const std::string firstInput = alerts("first", 5000);   // more than one input window
    ASSERT_EQ(write(feed, firstInput.data(), firstInput.size()), ssize_t(firstInput.size()));
    ASSERT_TRUE(waitUntil([&] { return fs::exists(dir.file("out/hits.txt")); })) << first.errSoFar();

    // Told not to wait, a second run fails at once on both.
    ProcessResult r = quilrun({"--no-wait", "-q", "Extract", "second.txt"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.err,
              "quilrun: Unable to open run.log: another run is writing it\n"
              "quilrun: Unable to open out/hits.txt: another run is writing it\n");

    // Otherwise it says once what it waits for, and waits.
    RunningProcess second(binary("quilrun"), {"-q", "Extract", "second.txt"}, here());
    const std::string waiting = "quilrun: Waiting for run.log: another run is writing it\n";
    ASSERT_TRUE(waitUntil([&] { return second.errSoFar() == waiting; })) << second.errSoFar();
    EXPECT_TRUE(second.running());
    close(feed);

    r = first.finish();
    EXPECT_EQ(r.status, 0) << r.err;
    r = second.finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, waiting);
    EXPECT_EQ(TempDir::read(dir.file("out/hits.txt")), hits("first", 5000) + "END\n" + hits("second", 2) + "END\n");
}

TEST_F(QuilrunFailures, APostProcessorReadsWhatTheRunWroteButNotItsLog) {
    dir.write("in.txt", "ALERT a NOTE one\nALERT b NOTE two\n");
    writeExtract(dir, "Summary", extract([&](Extract& e) { e.word = "NOTE"; e.output = "summary.out"; e.input = dir.file("*.txt"); }));
    writeExtract(dir, "Main", extract([&](Extract& e) { e.log = "run.txt"; e.output = "mid.txt"; e.postProcessor = dir.file("Summary.QXD"); }));
    const ProcessResult r = quilrun({"-q", "Main", "in.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read(dir.file("mid.txt")), " a NOTE one\n b NOTE two\nEND\n");
    // From in.txt, then from the main run's output; the main run's log is still being written.
    EXPECT_EQ(TempDir::read(dir.file("summary.out")), " one\n two\n one\n two\nEND\n");
    const std::string log = TempDir::read(dir.file("run.txt"));
    EXPECT_NE(log.find("Bypassing: " + dir.file("run.txt") + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Bypassing: " + dir.file("mid.txt")), std::string::npos) << log;
}


TEST_F(QuilrunRows, ADatabaseLockedByAnotherProgramIsWaitedForAndSaidSo) {
    // This data source lets a row wait a minute for a lock, long enough to be noticed.
    const std::string patient = dsn + "-patient";
    ODBCSandbox::instance().addDSN(patient, ODBCSandbox::kSQLiteDriver,
                                   {{"Database", dir.file("rows.db")}, {"Timeout", "60000"}});
    dir.write("in.txt", "ALERT one\nALERT two\n");
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.database = patient; }));
    ODBCReader holder(patient);
    holder.exec("BEGIN IMMEDIATE");   // other programs may read, but not write
    RunningProcess run(binary("quilrun"), {"-q", "Extract", "in.txt"}, here());
    const std::string waiting = "quilrun: Waiting for the database " + patient + ": another program may hold it locked\n";
    ASSERT_TRUE(waitUntil([&] { return run.errSoFar() == waiting; })) << run.errSoFar();
    holder.exec("COMMIT");
    const ProcessResult r = run.finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, waiting) << "said once";
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(QuilrunRows, RowsIntoAServerGoInArraysAndAnInterruptEndsAWaitForALock) {
    PGServer server;
    const std::string pg = dsn + "-server";
    ODBCSandbox::instance().addPostgresDSN(pg, server.port(), "postgres");
    ODBCReader setup(pg);
    setup.exec("CREATE TABLE \"Rows\" (\"Line\" TEXT CHECK (\"Line\" NOT LIKE '%refused%'))");
    const auto serverRows = [&] { return setup.query("SELECT count(*) FROM \"Rows\"").at(0).at(0); };
    // A refused row in the middle of an array is named; every other row goes in.
    dir.write("in.txt", alerts("a", 120) + "ALERT refused here\n" + alerts("b", 130));
    writeExtract(dir, "Extract", extract([&](Extract& e) { e.database = pg; }));
    const ProcessResult r = runProcess(binary("quilrun"), {"-q", "Extract", "in.txt"}, here());
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_NE(r.err.find("quilrun: Row refused: table Rows (Line= refused here)\n"), std::string::npos) << r.err;
    EXPECT_EQ(serverRows(), "250");

    // Another session holds the table locked: the run says what it waits for, and the first
    // interrupt ends the wait instead of leaving the run hanging on the lock.
    ODBCReader holder(pg);
    holder.exec("BEGIN");
    holder.exec("LOCK TABLE \"Rows\" IN ACCESS EXCLUSIVE MODE");
    RunningProcess run(binary("quilrun"), {"-q", "Extract", "in.txt"}, here());
    const std::string waiting = "quilrun: Waiting for the database " + pg + ": another program may hold it locked\n";
    ASSERT_TRUE(waitUntil([&] { return run.errSoFar().starts_with(waiting); })) << run.errSoFar();
    run.sendSignal(SIGINT);
    const ProcessResult stopped = run.finish();
    EXPECT_EQ(stopped.status, 130) << stopped.err;
    EXPECT_NE(stopped.err.find("canceling statement due to user request"), std::string::npos) << stopped.err;
    holder.exec("ROLLBACK");
    EXPECT_EQ(serverRows(), "250");
}

}  // namespace
