// Definition and node-group files as quilrun and the library read them: every group's graph
// file is read, however the group was first named; mistakes in the files are reported with
// the file and line where they stand, and quilrun runs such a definition only when asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/library/Process.h"
#include "tests/library/QuilcoreLibrary.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kHeader = "Quillon Version 2.82\r\n";

class DefinitionFiles : public testing::Test {
protected:
    ProcessResult quilrun(const std::vector<std::string>& arguments) {
        ProcessOptions options;
        options.dir = dir.path().string();
        return runProcess(binary("quilrun"), arguments, options);
    }
    // A node group whose start node matches `text` and appends `mark` to the output O.
    void writeGroup(const std::string& name, const std::string& text, const std::string& mark) {
        dir.write(name + ".QXG", kHeader + "Node 0 1 1 0 0\r\nNodeAttribute 0 Start\r\nNodeString 0 \"" + text +
                                     "\"\r\nNodeAction 0 Appendto \"O\" \"" + mark + "\" \"\"\r\n");
    }

    // A definition with a mistake of each kind on a line of its own, and a group file with
    // one. What can be read writes "a;" for every "a" and "g;" for a "g" right after it.
    void writeMistakes() {
        dir.write("G.QXG", kHeader +
                               "Node 0 1 1 0 0\r\nNodeAttribute 0 Start\r\nNodeString 0 \"g\"\r\n"
                               "NodeAction 0 Appendto \"O\" \"g;\" \"\"\r\n"
                               "NodeAction 0 Retrun\r\n"
                               "NodeAction 0 Return\r\n");
        dir.write("Servers.QXD", kHeader +
                                     "!\"Outputstreams\" \"O\" \"out.txt\" 0\r\n"
                                     "!\"Outputstream\" \"Typo\" \"typo.txt\" 0\r\n"
                                     "!\"NodeGroup\" \"G\" \"\"\r\n"
                                     "!\"Variables\" \"V\" \"String\" \"abc 0\r\n"
                                     "Node 0 1 1 0 0 1 9\r\n"
                                     "NodeAttribute 0 Start\r\n"
                                     "NodeString 0 \"a\"\r\n"
                                     "NodeAction 0 Apendto \"O\" \"\" \"\"\r\n"
                                     "NodeAction 0 Appendto \"O\" \"a;\" \"\"\r\n"
                                     "NodeAction 0 Appendto \"Nowhere\" \"\" \"\"\r\n"
                                     "Node 1 1 1 0 0\r\n"
                                     "NodePattern 1 \"G\"\r\n"
                                     "!\"NodeGroup\" \"Gone\" \"\"\r\n");
        dir.write("in.txt", "agxa");
    }

    TempDir dir;
};

TEST_F(DefinitionFiles, EveryNamedGroupHasItsGraphFileRead) {
    // Each group is named in another way before the files of the groups are read: by a node
    // action Run, by the older Scan, by a phase action, and as a node's pattern.
    writeGroup("ByRun", "r", "run;");
    writeGroup("ByScan", "s", "scan;");
    writeGroup("ByPhase", "p", "phase;");
    writeGroup("ByNode", "n", "node;");
    dir.write("D.QXD", kHeader +
                           "!\"Outputstreams\" \"O\" \"out.txt\" 0\r\n"
                           "!\"NodeGroup\" \"ByRun\" \"\"\r\n"
                           "!\"NodeGroup\" \"ByScan\" \"\"\r\n"
                           "!\"NodeGroup\" \"ByPhase\" \"\"\r\n"
                           "!\"NodeGroup\" \"ByNode\" \"\"\r\n"
                           "!\"Variables\" \"R\" \"String\" \"r\" 0\r\n"
                           "!\"Variables\" \"S\" \"String\" \"s\" 0\r\n"
                           "!\"Variables\" \"P\" \"String\" \"p\" 0\r\n"
                           "!\"Pre-streamActions\" \"Run\" \"ByPhase\" \"P\" \"\"\r\n"
                           "Node 0 1 1 0 0 1\r\n"
                           "NodeAttribute 0 Start\r\n"
                           "NodeString 0 \"<\"\r\n"
                           "NodeAction 0 Run \"ByRun\" \"R\"\r\n"
                           "NodeAction 0 Scan \"S\" \"ByScan\"\r\n"
                           "Node 1 1 1 0 0\r\n"
                           "NodePattern 1 \"ByNode\"\r\n");
    dir.write("in.txt", "<n");
    const ProcessResult r = quilrun({"-q", "D.QXD", "in.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(TempDir::read(dir.file("out.txt")), "phase;run;scan;node;");
}

TEST_F(DefinitionFiles, MistakesNameTheirFileAndLineAndStopTheRunUnlessForced) {
    writeMistakes();
    const std::vector<std::string> reported = {
        "quilrun: Servers.QXD:3: Definition file - Invalid input  [!\"Outputstream\" \"Typo\" \"typo.txt\" 0]\n",
        "quilrun: Servers.QXD:5: Definition file - Invalid input (missing closing quote)  "
        "[!\"Variables\" \"V\" \"String\" \"abc 0]\n",
        "quilrun: Servers.QXD:6: Definition file: Node 9 not found\n",
        "quilrun: Servers.QXD:9: Invalid input (Action: Apendto)\n",
        "quilrun: G.QXG:6: Invalid input (Action: Retrun)\n",
        "quilrun: Unable to open:\nquilrun: Servers.QXD:14: Gone.QXG\n",
    };
    ProcessResult r = quilrun({"-q", "Servers", "in.txt"});
    EXPECT_EQ(r.status, 1);
    for (const std::string& line : reported) EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
    EXPECT_NE(r.err.find("quilrun: Servers has errors (above); nothing was run (--force runs what could be read)\n"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Log.tmp")));

    // Forced, it runs what could be read, and the node's action that names nothing is
    // reported at its node's line.
    r = quilrun({"-q", "--force", "Servers", "in.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("quilrun: Servers.QXD:6: Append to:  target Nowhere not found\n"), std::string::npos) << r.err;
    EXPECT_EQ(TempDir::read(dir.file("out.txt")), "a;g;a;");
}

TEST_F(DefinitionFiles, PreparationFaultsOfARowOrNodeNameTheirLine) {
    dir.write("P.QXD", kHeader +
                           "!\"Set\" \"Digit\"\r\n48 57\r\n"
                           "!\"Pattern\" \"Number\"\r\n"
                           "\"Digit\" 1 5\r\n"
                           "\"Digt\" 1 1\r\n"
                           "Node 0 1 1 0 0\r\nNodeAttribute 0 Start\r\nNodePattern 0 \"Numbr\"\r\nNodeTag 0 \"N\"\r\n");
    dir.write("in.txt", "12");
    const ProcessResult r = quilrun({"-q", "--force", "P", "in.txt"});
    EXPECT_EQ(r.status, 1);
    for (const std::string line : {"quilrun: P.QXD:6: Pattern Number: Digt not found\n",
                                   "quilrun: P.QXD:7: Pattern Numbr not found\n",
                                   "quilrun: P.QXD:7: No pattern / string defined\n", "quilrun: P.QXD:7: Node: N\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
}

TEST_F(DefinitionFiles, TheLibraryTellsItsHostWhetherReadingReportedMistakes) {
    QuilcoreLibrary& lib = QuilcoreLibrary::instance();
    lib.setMsg(keepMessage);
    writeMistakes();
    ASSERT_EQ(lib.load(dir.file("Servers.QXD").c_str()), 2);
    EXPECT_EQ(lib.loadReported(), 1);
    const std::vector<std::string> errors = textsOf(takeMessages(), 1);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), dir.file("Servers.QXD") + ":3: Definition file - Invalid input  "
                              "[!\"Outputstream\" \"Typo\" \"typo.txt\" 0]");

    dir.write("G.QXG", kHeader + "Node 0 1 1 0 0\r\nNodeString 0 \"g\"\r\n");
    dir.write("Clean.QXD", kHeader + "!\"NodeGroup\" \"G\" \"\"\r\nNode 0 1 1 0 0\r\nNodePattern 0 \"G\"\r\n");
    ASSERT_EQ(lib.load(dir.file("Clean.QXD").c_str()), 2);
    EXPECT_EQ(lib.loadReported(), 0);
    EXPECT_TRUE(takeMessages().empty());
}

}  // namespace
