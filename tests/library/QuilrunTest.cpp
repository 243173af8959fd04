// quilrun as a user runs it: exit statuses, what goes to standard output and what to
// standard error, standard input as a block, inputs named on the command line, the log and
// trace switches, and the progress line that only a terminal sees.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/library/Process.h"
#include "tests/library/TestDefinitions.h"
#include "tests/support/TempDir.h"
#include "tools/quilrun/QuilRunOptions.h"

namespace {

namespace fs = std::filesystem;

class Quilrun : public testing::Test {
protected:
    Quilrun() {
        search.log = dir.file("words.log");
        search.ownInput = dir.file("own*.txt");
        dir.write("own1.txt", "from the definition's own input: ALERT own\n");
        dir.write("given.txt", "x ALERT given\nnothing\nalert again\n");
        writeWordSearch(dir.path().string(), "Words", search);
    }
    ProcessResult quilrun(const std::vector<std::string>& arguments, const std::string& input = "") {
        ProcessOptions options;
        options.dir = dir.path().string();
        options.input = input;
        return runProcess(binary("quilrun"), arguments, options);
    }

    TempDir dir;
    WordSearch search;
};

TEST_F(Quilrun, UsageErrorsExitWithTwoAndOneLineOnStandardError) {
    const struct {
        std::vector<std::string> arguments;
        std::string what;
    } cases[] = {
        {{}, "no definition given"},
        {{"--bogus", "Words"}, "unknown option --bogus"},
        {{"--bogus=1", "Words"}, "unknown option --bogus"},
        {{"Words", "--stdout=yes"}, "--stdout takes no value"},
        {{"-qx", "Words"}, "unknown option -x"},
        {{"--log"}, "--log needs a file name"},
        {{"Words", "--log="}, "--log needs a file name"},
        {{"-"}, "the definition cannot be standard input"},
        {{"Words", "-", "given.txt"}, "- (standard input) cannot be combined with other inputs"},
        {{"Words", "-", "-"}, "- (standard input) cannot be combined with other inputs"},
        {{"Words", ""}, "an empty INPUT names no file"},
        {{"Words", "given.txt", "http://127.0.0.1/"}, "files and URLs cannot be mixed in one run"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const ProcessResult r = quilrun(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "quilrun: " + c.what + " (quilrun --help lists the options)\n");
    }
}

TEST_F(Quilrun, HelpAndVersionGoToStandardOutput) {
    ProcessResult r = quilrun({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QuilRunOptions::usage());
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("5 the run completed, but some output could not be written"), std::string::npos);
    // Short options bundle.
    EXPECT_EQ(quilrun({"-qh"}).out, QuilRunOptions::usage());
    r = quilrun({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "quilrun (Quillon engine 2.8x, definition format 2.82)\n");
}

TEST_F(Quilrun, ADefinitionThatCannotBeUsedExitsWithOne) {
    writeBrokenDefinition(dir.path().string(), "Broken", dir.file("broken.log"));
    ProcessResult r = quilrun({"Missing"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quilrun: Unable to open Missing\n");

    r = quilrun({"Broken", "given.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quilrun: Error(s) in definition:\n"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("broken.log"))) << "nothing may run";
    // A directory is not a definition.
    fs::create_directory(dir.file("Folder.QXD"));
    r = quilrun({"Folder"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quilrun: Unable to open Folder\n");
}

TEST_F(Quilrun, DataGoesToStandardOutputAndMessagesToStandardError) {
    ProcessResult r = quilrun({"--stdout", "Words"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT own\n");
    EXPECT_EQ(r.err, "Scanning " + dir.file("own1.txt") + "\nFiles scanned:  1\n");
    EXPECT_FALSE(fs::exists(dir.file("out.tmp")));

    // Without --stdout the same data goes to the default output file.
    r = quilrun({"Words.QXD"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(TempDir::read(dir.file("out.tmp")), "ALERT own\n");

    r = quilrun({"-q", "--stdout", "Words"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ALERT own\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Quilrun, ARunWithoutADatabaseNeedsNoDatabaseLibrary) {
    // quilrun and the engine library alone, without the database library beside them.
    const fs::path bin = dir.path() / "bin";
    fs::create_directory(bin);
    for (const char* file : {"quilrun", "libquilcore.so"}) fs::copy_file(binary(file), bin / file);
    ProcessOptions options;
    options.dir = dir.path().string();
    const ProcessResult r = runProcess((bin / "quilrun").string(), {"-q", "--stdout", "Words"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT own\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Quilrun, StandardOutputRedirectedToAFileKeepsItsOrder) {
    // The shell's ">>", and a file shared with commands before and after the run.
    const std::string kept = dir.write("kept.txt", "earlier line\n");
    const std::string shared = dir.file("shared.txt");
    const std::string quilrun = "'" + binary("quilrun") + "' -q --stdout Words";
    const std::string command = quilrun + " >> '" + kept + "' && { echo before; " + quilrun +
                                "; echo 'a longer line after it'; } > '" + shared + "'";
    ProcessOptions options;
    options.dir = dir.path().string();
    const ProcessResult r = runProcess("/bin/sh", {"-c", command}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read(kept), "earlier line\nALERT own\n");
    EXPECT_EQ(TempDir::read(shared), "before\nALERT own\na longer line after it\n");
}

TEST_F(Quilrun, StandardOutputThatCannotBeWrittenFailsTheRun) {
    ProcessOptions options;
    options.dir = dir.path().string();
    for (const std::string& args : {"-q --stdout Words", "--help", "--version"}) {
        SCOPED_TRACE(args);
        const ProcessResult r =
            runProcess("/bin/sh", {"-c", "'" + binary("quilrun") + "' " + args + " > /dev/full"}, options);
        EXPECT_EQ(r.status, 4);
        EXPECT_NE(r.err.find("quilrun: output could not be written to standard output\n"), std::string::npos) << r.err;
    }
}

TEST_F(Quilrun, StandardOutputThatIsASocketStillGetsTheData) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(pair[1], STDOUT_FILENO);
        close(pair[0]);
        close(pair[1]);
        if (chdir(dir.path().c_str()) != 0) _exit(99);
        const std::string program = binary("quilrun");
        execl(program.c_str(), program.c_str(), "-q", "--stdout", "Words", static_cast<char*>(nullptr));
        _exit(98);
    }
    close(pair[1]);
    std::string received;
    char chunk[256];
    for (ssize_t n; (n = read(pair[0], chunk, sizeof chunk)) > 0;) received.append(chunk, size_t(n));
    close(pair[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(received, "ALERT own\n");
}

TEST_F(Quilrun, StandardInputIsScannedAsOneBlock) {
    ProcessResult r = quilrun({"--stdout", "Words", "-"}, "ALERT one\nno\nALERT two\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT one\nALERT two\n");
    EXPECT_EQ(r.err, "1 buffer scanned, 2 terminal node matches.\n");

    r = quilrun({"--stdout", "Words", "-"}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "1 buffer scanned, 0 terminal node matches.\n");
}

TEST_F(Quilrun, InputsOnTheCommandLineReplaceTheDefinitionsOwn) {
    ProcessResult r = quilrun({"-q", "--stdout", "Words", "given.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT given\nalert again\n");

    // A definition without input rows of its own takes them just the same.
    search.ownInput.clear();
    writeWordSearch(dir.path().string(), "Bare", search);
    r = quilrun({"-q", "--stdout", "Bare", dir.file("giv?n.*")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT given\nalert again\n");

    // Hidden files only for a name that begins with a dot.
    dir.write(".hidden.txt", "ALERT hidden\n");
    r = quilrun({"-q", "--stdout", "Bare", "giv*.txt", ".hidden.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT given\nalert again\nALERT hidden\n");
    r = quilrun({"-q", "--stdout", "Bare", dir.file(".h*")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ALERT hidden\n");
}

TEST_F(Quilrun, AnInputThatMatchesNoFileIsNamedAndExitsWithThree) {
    const ProcessResult r = quilrun({"-q", "--stdout", "Words", "nothing*.txt", "given.txt", "absent.log"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "ALERT given\nalert again\n") << "the inputs that match are still scanned";
    EXPECT_EQ(r.err, "quilrun: no file matches nothing*.txt\nquilrun: no file matches absent.log\n");
}

TEST_F(Quilrun, LogAndTraceSwitches) {
    ProcessResult r = quilrun({"-q", "--log", "other.log", "Words"});
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(fs::exists(dir.file("words.log")));
    const std::string log = TempDir::read(dir.file("other.log"));
    EXPECT_NE(log.find("Files scanned:  1"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(dir.file("QNTrace.htm")));

    r = quilrun({"-q", "--trace", "Words"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(fs::exists(dir.file("words.log"))) << "--log holds for its own run only";
    const std::string trace = TempDir::read(dir.file("QNTrace.htm"));
    EXPECT_NE(trace.find("<title>Trace</title>"), std::string::npos) << trace;
    EXPECT_NE(trace.find("<pre>\nALERT\n</pre>"), std::string::npos) << trace;
}

TEST_F(Quilrun, ProgressShowsOnATerminalOnly) {
    for (int i = 0; i < 5; ++i) dir.write("own" + std::to_string(i + 2) + ".txt", "ALERT\n");
    ProcessOptions options;
    options.dir = dir.path().string();
    options.env["QUILRUN_PROGRESS_DELAY"] = "0";
    ProcessResult r = runOnTerminal(binary("quilrun"), {"Words"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("\r\033[Kquilrun: 1 file, "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Files scanned:  6"), std::string::npos) << r.err;

    r = runOnTerminal(binary("quilrun"), {"-q", "Words"}, options);
    EXPECT_EQ(r.err, "") << "quiet means no progress either";

    r = runProcess(binary("quilrun"), {"Words"}, options);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find("quilrun: "), std::string::npos) << r.err;
}

}  // namespace
