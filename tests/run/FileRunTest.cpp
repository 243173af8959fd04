// Definitions run end to end over files: loaded from their files by a fresh client, run
// over a temporary tree, and judged by the output files and the log against expected
// results written by hand (tests/run/golden).
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "tests/run/RunFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

const std::string kExtension = std::string(QUILLON_BIN_DIR) + "/librun_test_extension.so";

// Writes "<file name>:<rest of the line>" and a line end to `target` when `node` matches
// (`label` replaces the file name when given).
void writeLine(DefinitionBuilder& d, PXNode* node, const char* target, const char* label = nullptr) {
    if (label)
        d.nodeAction(node, "Append to", {target, label});
    else
        d.nodeAction(node, "Append to", {target, "", "StreamName"});
    d.nodeAction(node, "Append to", {target, ":"});
    d.nodeAction(node, "Append to", {target});
    d.nodeAction(node, "Append to", {target, "", "NL"});
}

// The "grep" definition: every "ERROR" and the rest of its line, written as lines to the
// output tagged `target` (made from `output` when given). The node of the rest.
PXNode* grep(DefinitionBuilder& d, const char* output, const char* target = "Errors", const char* label = nullptr) {
    if (output) d.output(target, output);
    d.lineVocabulary();
    PXNode* error = d.textNode("ERROR");
    PXNode* rest = d.refNode("Rest");
    d.link(error, rest);
    writeLine(d, rest, target, label);
    return rest;
}

std::vector<std::string> withDir(std::vector<std::string> lines, const std::string& dir) {
    for (std::string& line : lines)
        for (size_t at = 0; (at = line.find("<DIR>", at)) != std::string::npos;) line.replace(at, 5, dir);
    return lines;
}

TEST(FileRun, WalksTheTreeAndLogsWhatItCouldNotScan) {
    Workspace ws;
    ws.write("a.txt", "ERROR alpha\n");
    ws.write("zgone.txt", "ERROR never read\n");
    ws.write(".hidden.txt", "ERROR hidden\n");
    ws.write("b.log", "ERROR beta\n");
    ws.write("c.log", "ERROR not scanned\n");
    ws.write(".cache/e.txt", "ERROR epsilon\n");
    ws.write(".cache/.f.txt", "ERROR hidden too\n");
    ws.write("sub/c.txt", "ERROR gamma\n");
    ws.write("sub/deeper/d.txt", "ERROR delta\n");

    DefinitionBuilder d;
    d.log("run.log");
    // The output lands in a folder the walk reaches later: it was made by this run.
    grep(d, "sub/found.txt");
    d.input(ws.path("*.txt").c_str(), true, false);
    d.input(ws.path("*.log").c_str(), false, false, false);
    d.input(ws.path("b.log").c_str());
    // The first match removes zgone.txt, listed but not yet opened.
    d.extension(kExtension.c_str());
    d.nodeAction(d.engine().nodeGroups.main.nodeAt(1), "Execute UDF", {"1", ws.path("zgone.txt").c_str()});
    const std::string def = d.save(ws.path("tree.QXD"));

    RunResult r = runDefinition(def);
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(ws.read("sub/found.txt"), golden("tree.found.txt"));
    EXPECT_EQ(normalisedLog(ws.read("run.log"), ws.dir.path().string()), golden("tree.log"));
    EXPECT_EQ(r.client->shown(), withDir({" Scanning <DIR>/a.txt", " Scanning <DIR>/zgone.txt",
                                          " Scanning <DIR>/.cache/e.txt", " Scanning <DIR>/sub/c.txt",
                                          " Scanning <DIR>/sub/found.txt", " Scanning <DIR>/sub/deeper/d.txt",
                                          " Scanning <DIR>/b.log", "Files scanned:  7"},
                                         ws.dir.path().string()));
    // Progress counts each file from the moment its scan starts.
    EXPECT_EQ(r.client->filesCounted, (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 7, 7}));
    EXPECT_EQ(r.client->runMessage(), "Files scanned:  7 - view log for messages");
}

TEST(FileRun, AFileAnotherProgramCreatesDuringTheRunIsBypassed) {
    Workspace ws;
    ws.write("a.txt", "ERROR first\n");
    std::filesystem::create_directory(ws.path("sub"));
    DefinitionBuilder d;
    d.log("late.log");
    PXNode* rest = grep(d, "late.out");
    d.extension(kExtension.c_str());
    d.nodeAction(rest, "Execute UDF", {"3", ws.path("sub/late.txt").c_str(), "ERROR late"});
    d.input("*.txt", true);
    RunResult r = runDefinition(d.save(ws.path("late.QXD")));
    EXPECT_EQ(ws.read("late.out"), "a.txt: first\n");
    EXPECT_NE(ws.read("late.log").find("Bypassing: " + ws.path("sub/late.txt") + "\n"), std::string::npos)
        << ws.read("late.log");
}

TEST(FileRun, AFileRewrittenWhileTheFileBeforeItIsScannedIsReadWithItsNewBytes) {
    Workspace ws;
    ws.write("a.txt", "ERROR first\n");
    ws.write("b.txt", "ERROR stale\n");
    DefinitionBuilder d;
    PXNode* rest = grep(d, "rewritten.out");
    // The match in a.txt rewrites b.txt in place (same file, same size) after the clock ticks,
    // by which time the start of b.txt has long been read ahead.
    d.extension(kExtension.c_str());
    d.nodeAction(rest, "Execute UDF", {"3", ws.path("b.txt").c_str(), "ERROR fresh\n"});
    d.input(ws.path("*.txt").c_str());
    RunResult r = runDefinition(d.save(ws.path("rewritten.QXD")));
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(ws.read("rewritten.out"), "a.txt: first\nb.txt: fresh\n");
}

TEST(FileRun, FilesChangedOrRemovedFarAheadOfTheScanAreReadAsTheyAreWhenTheirTurnComes) {
    Workspace ws;
    auto name = [](int i) { return "f" + std::to_string(100 + i).substr(1) + ".txt"; };
    // More files than are read ahead at once, each naming its number.
    constexpr int kFiles = 20;
    for (int i = 0; i < kFiles; ++i) ws.write(name(i), "ERROR " + name(i).substr(1, 2) + "\n");
    DefinitionBuilder d;
    d.log("ahead.log");
    PXNode* rest = grep(d, "ahead.out");
    // From the first match on, another program rewrites the eighth file (same size) and
    // removes the twelfth; both have long been opened and read ahead by then.
    d.extension(kExtension.c_str());
    d.nodeAction(rest, "Execute UDF", {"3", ws.path(name(7)).c_str(), "ERROR xx\n"});
    d.nodeAction(rest, "Execute UDF", {"1", ws.path(name(11)).c_str()});
    // Each file's dates, written beside its name.
    d.output("Dates", "dates.out");
    for (const char* source : {"StreamName", "FileDate", "FileDateTime"}) {
        d.nodeAction(rest, "Append to", {"Dates", "", source});
        d.nodeAction(rest, "Append to", {"Dates", "|"});
    }
    d.nodeAction(rest, "Append to", {"Dates", "", "NL"});
    d.input(ws.path("f*.txt").c_str());
    RunResult r = runDefinition(d.save(ws.path("ahead.QXD")));
    ASSERT_TRUE(r.loaded);

    // A file left alone shows its last write in local time.
    struct stat st {};
    ASSERT_EQ(stat(ws.path(name(1)).c_str(), &st), 0);
    struct tm local {};
    ASSERT_TRUE(localtime_r(&st.st_mtim.tv_sec, &local));
    char date[32], dateTime[48];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    std::strftime(dateTime, sizeof dateTime, "%Y-%m-%d %H:%M:%S", &local);
    const std::string dates = ws.read("dates.out");
    EXPECT_NE(dates.find(name(1) + "|" + date + "|" + dateTime + "|\n"), std::string::npos) << dates;

    std::string expected;
    for (int i = 0; i < kFiles; ++i)
        if (i != 11) expected += name(i) + ": " + (i == 7 ? "xx" : name(i).substr(1, 2)) + "\n";
    EXPECT_EQ(ws.read("ahead.out"), expected);
    const std::string log = ws.read("ahead.log");
    EXPECT_NE(log.find("Unable to open " + ws.path(name(11)) + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Files scanned:  20\n"), std::string::npos) << log;
}

TEST(FileRun, TheDefaultOutputOfAnEarlierRunIsNotReadBack) {
    // The second run truncates out.tmp and writes to it; it must not scan it as well.
    Workspace ws;
    ws.write("a.txt", "ERROR first\n");
    DefinitionBuilder d;
    d.log("self.log");
    PXNode* error = d.textNode("ERROR");
    d.nodeAction(error, "Append to", {"", "ERROR again\n"});
    d.input("*.*");
    std::filesystem::create_directory(ws.path("defs"));
    const std::string def = d.save(ws.path("defs/self.QXD"));
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        RunResult r = runDefinition(def);
        EXPECT_EQ(r.result, 2);
        EXPECT_EQ(ws.read("out.tmp"), "ERROR again\n");
    }
    EXPECT_NE(ws.read("self.log").find("Bypassing: " + ws.path("out.tmp") + "\n"), std::string::npos)
        << ws.read("self.log");
}

TEST(FileRun, WildcardOutputsAreNamedAfterEachInput) {
    Workspace ws;
    ws.write("in/report.txt", "ERROR r\n");
    ws.write("in/b.log", "ERROR b\n");
    ws.write("in/abcdef.txt", "ERROR a\n");
    std::filesystem::create_directory(ws.path("out"));
    DefinitionBuilder d;
    PXNode* rest = grep(d, "out/*.res", "Res");
    d.output("All", "out/all.*");
    d.output("X", "out/?x*.*");
    writeLine(d, rest, "All");
    writeLine(d, rest, "X");
    // A relative spec: the files are found from the current directory, by absolute paths.
    d.input("in/*.*");
    RunResult r = runDefinition(d.save(ws.path("wild.QXD")));
    ASSERT_EQ(r.result, 2);
    const struct {
        const char* file;
        const char* content;
    } outputs[] = {
        {"out/report.res", "report.txt: r\n"},
        {"out/b.res", "b.log: b\n"},
        {"out/abcdef.res", "abcdef.txt: a\n"},
        // Two inputs with one output name share the file within the run.
        {"out/all.txt", "abcdef.txt: a\nreport.txt: r\n"},
        {"out/all.log", "b.log: b\n"},
        {"out/axcdef.txt", "abcdef.txt: a\n"},
        {"out/bx.log", "b.log: b\n"},
        {"out/rxport.txt", "report.txt: r\n"},
    };
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.file);
        EXPECT_EQ(ws.read(o.file), o.content);
    }
    EXPECT_EQ(r.client->shown(), withDir({" Scanning <DIR>/in/abcdef.txt", " Scanning <DIR>/in/b.log",
                                          " Scanning <DIR>/in/report.txt", "Files scanned:  3"},
                                         ws.dir.path().string()));
}

TEST(FileRun, AppendKeepsEarlierRunsAndItsAbsenceReplacesThem) {
    Workspace ws;
    ws.write("in.txt", "ERROR once\n");
    struct Case {
        const char* name;
        bool append;
        int runStarts;        // run-start lines in the log after two runs
        const char* output;   // the output after two runs
    } cases[] = {{"append on", true, 2, "in.txt: once\nin.txt: once\n"}, {"append off", false, 1, "in.txt: once\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DefinitionBuilder d;
        d.log(c.append ? "kept.log" : "fresh.log", c.append);
        d.output("Errors", c.append ? "kept.txt" : "fresh.txt", c.append);
        grep(d, nullptr);
        d.input("in.txt");
        const std::string def = d.save(ws.path(c.append ? "kept.QXD" : "fresh.QXD"));
        for (int i = 0; i < 2; ++i) EXPECT_EQ(runDefinition(def).result, 2);
        const std::string log = ws.read(c.append ? "kept.log" : "fresh.log");
        int starts = 0;
        for (size_t at = 0; (at = log.find("run start", at)) != std::string::npos; ++at) ++starts;
        EXPECT_EQ(starts, c.runStarts) << log;
        EXPECT_EQ(ws.read(c.append ? "kept.txt" : "fresh.txt"), c.output);
    }
}

TEST(FileRun, OutputWithoutANamedDestinationGoesToOutTmpAnew) {
    Workspace ws;
    ws.write("in.txt", "ERROR x\n");
    DefinitionBuilder d;
    grep(d, nullptr, "");
    d.input("in.txt");
    const std::string def = d.save(ws.path("default.QXD"));
    for (int i = 0; i < 2; ++i) runDefinition(def);
    EXPECT_EQ(ws.read("out.tmp"), "in.txt: x\n");
    EXPECT_EQ(ws.read("Log.tmp").find("run start"), ws.read("Log.tmp").rfind("run start")) << "one run in Log.tmp";
}

TEST(FileRun, ProcessorsRunBeforeAndAfterAndAChainBackToARunningDefinitionIsCut) {
    Workspace ws;
    ws.write("src/x.txt", "ERROR disk\n");
    std::filesystem::create_directory(ws.path("gen"));
    const std::string dir = ws.dir.path().string();

    DefinitionBuilder pre;
    grep(pre, "gen/made.txt", "Made", "ERROR");
    pre.input("src/*.txt");
    pre.save(ws.path("pre.QXD"));

    DefinitionBuilder post;
    post.output("Post", "post.txt");
    post.phaseAction(post.engine().postRunActions, "Send to", {"Post", "done"});
    post.preProcessor((dir + "/main.QXD").c_str());
    post.save(ws.path("post.QXD"));

    // Reads the logs there are: not the main run's, which is being written.
    DefinitionBuilder logs;
    grep(logs, "gen/logs.txt", "Logs");
    logs.input("*.log");
    logs.save(ws.path("logs.QXD"));

    DefinitionBuilder broken;
    broken.refNode("NoSuchPattern");
    grep(broken, "gen/broken.txt");
    broken.input("src/*.txt");
    broken.save(ws.path("broken.QXD"));

    DefinitionBuilder main;
    main.log("main.log");
    grep(main, "result.txt");
    main.input("gen/*.txt");
    main.preProcessor("");
    main.preProcessor((dir + "/missing.QXD").c_str());
    main.preProcessor((dir + "/broken.QXD").c_str());   // errors: not run
    main.preProcessor((dir + "/logs.QXD").c_str());
    main.preProcessor((dir + "/pre").c_str());   // the definition extension is supplied
    main.postProcessor((dir + "/post.QXD").c_str());
    RunResult r = runDefinition(main.save(ws.path("main.QXD")));

    ASSERT_EQ(r.result, 2);
    EXPECT_EQ(ws.read("gen/made.txt"), "ERROR: disk\n");
    // made.txt was written before the main run began, so it is scanned, not bypassed.
    EXPECT_EQ(ws.read("result.txt"), "made.txt:: disk\n");
    EXPECT_EQ(ws.read("post.txt"), "done");
    EXPECT_FALSE(ws.exists("gen/broken.txt"));
    EXPECT_EQ(normalisedLog(ws.read("main.log"), dir), golden("processors.log"));
    EXPECT_EQ(r.client->shown(),
              withDir({"Pre-processing (<DIR>/logs.QXD) ...", " Scanning <DIR>/main.log", "Files scanned:  1",
                       "Pre-processing (<DIR>/pre) ...", " Scanning <DIR>/src/x.txt", "Files scanned:  1",
                       " Scanning <DIR>/gen/made.txt", "Post-processing (<DIR>/post.QXD) ...", "Files scanned:  0",
                       "Processing complete - view log for information", "Files scanned:  1"},
                      dir));
}

TEST(FileRun, ADefinitionWithoutNodesStillRunsItsPhaseActions) {
    Workspace ws;
    DefinitionBuilder d;
    d.output("Out", "phases.txt");
    d.phaseAction(d.engine().preRunActions, "Send to", {"Out", "begin"});
    d.phaseAction(d.engine().postRunActions, "Append to", {"Out", " end"});
    RunResult r = runDefinition(d.save(ws.path("phases.QXD")));
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(ws.read("phases.txt"), "begin end");
    EXPECT_EQ(r.client->shown(), (std::vector<std::string>{"No nodes defined", "Files scanned:  0"}));
    EXPECT_EQ(r.client->runMessage(), "Files scanned:  0");
}

TEST(FileRun, AHaltOfTheRunEndsTheWalkBeforeTheNextFile) {
    Workspace ws;
    ws.write("a.txt", "ERROR first\nERROR second\n");
    ws.write("b.txt", "ERROR never\n");
    DefinitionBuilder d;
    PXNode* rest = grep(d, "halt.txt");
    d.nodeAction(rest, "Halt", {"1"});
    d.input("*.txt");
    RunResult r = runDefinition(d.save(ws.path("halt.QXD")));
    EXPECT_EQ(ws.read("halt.txt"), "a.txt: first\n");
    EXPECT_EQ(r.client->runMessage(), "Files scanned:  1 - scan halted");
}

TEST(FileRun, OutputThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
    Workspace ws;
    ws.write("a.txt", "ERROR one\n");
    ws.write("b.txt", "ERROR two\n");
    ws.write("plain", "a file where a folder would have to be");
    struct Case {
        const char* spec;
        const char* logLine;   // in the log, or null
        const char* error;     // reported, or null
    } cases[] = {
        {"plain/out.txt", "Unable to open plain/out.txt: Not a directory", "Unable to open plain/out.txt: Not a directory"},
        {"/dev/full", nullptr, "Unable to write /dev/full: No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        CaptureSink sink;
        DefinitionBuilder d;
        d.log("bad.log");
        grep(d, c.spec);
        d.input("*.txt");
        RunResult r = runDefinition(d.save(ws.path("bad.QXD")));
        EXPECT_EQ(r.result, 2);
        EXPECT_EQ(r.client->shown().back(), "Files scanned:  2 - some output could not be written");
        EXPECT_EQ(r.client->lastRunFailures(), 1);
        const std::string log = ws.read("bad.log");
        if (c.logLine) {
            EXPECT_EQ(log.find(c.logLine), log.rfind(c.logLine)) << "logged once: " << log;
            EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
        }
        if (c.error) {
            EXPECT_TRUE(sink.sawError(c.error));
        }
        EXPECT_FALSE(ws.exists("out.tmp"));
        EXPECT_NE(log.find("Quillon run complete"), std::string::npos);
    }
}

}  // namespace
