// Definition and node-group files as quilrun reads them: every group's graph file is read,
// however the group was first named, and mistakes in the files are reported with the file
// and line where they stand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/library/Process.h"
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

}  // namespace
