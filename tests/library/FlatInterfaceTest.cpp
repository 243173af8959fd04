// The flat QNLib__ functions of libquilcore.so, loaded as a host loads it: the run summary
// of a memory scan, counts and values by name, loading (missing, broken, default and
// library-directory definitions), and the library's exported names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "tests/library/QuilcoreLibrary.h"
#include "tests/library/TestDefinitions.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// The current directory is `dir` while the object lives.
class InDirectory {
public:
    explicit InDirectory(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
    ~InDirectory() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

class FlatInterface : public testing::Test {
protected:
    FlatInterface() : lib(QuilcoreLibrary::instance()) {
        lib.setMsg(keepMessage);
        takeMessages();
        WordSearch search;
        search.log = dir.file("words.log");
        search.outputSpec = dir.file("hits.txt");
        definition = writeWordSearch(dir.path().string(), "Words", search);
    }
    ~FlatInterface() override { lib.setMsg(nullptr); }

    std::string total() {
        const char* value = nullptr;
        int32_t length = 0;
        EXPECT_EQ(lib.get("Variables", "Total", 2, &value, &length), 2);
        return valueText(value, length);
    }

    QuilcoreLibrary& lib;
    TempDir dir;
    std::string definition;
};

TEST_F(FlatInterface, ScanSummaryNamesTheTerminalNodeMatches) {
    struct Case {
        const char* input;
        const char* summary;
        const char* total;
    };
    const Case cases[] = {
        {"nothing to see\n", " 1 buffer scanned, 0 terminal node matches.", "0"},
        {"one ALERT here\n", " 1 buffer scanned, 1 terminal node match.", "1"},
        {"ALERT one\nquiet\nalert two\n", " 1 buffer scanned, 2 terminal node matches.", "2"},
        {"", " 1 buffer scanned, 0 terminal node matches.", "0"},
    };
    ASSERT_EQ(lib.load(definition.c_str()), 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        takeMessages();
        ASSERT_EQ(lib.scan(c.input, int32_t(std::string(c.input).size())), 2);
        EXPECT_EQ(textsOf(takeMessages(), 0), std::vector<std::string>{c.summary});
        EXPECT_EQ(total(), c.total);
    }
    // The block is the run's only input: what the nodes matched is the output.
    takeMessages();
    const std::string block = "x ALERT a\n";
    ASSERT_EQ(lib.scan(block.data(), int32_t(block.size())), 2);
    EXPECT_EQ(TempDir::read(dir.file("hits.txt")), "ALERT a\n");
}

TEST_F(FlatInterface, ScanRefusesABlockItCannotRead) {
    ASSERT_EQ(lib.load(definition.c_str()), 2);
    EXPECT_EQ(lib.scan("ALERT", -1), 0);
    EXPECT_EQ(lib.scan(nullptr, 5), 0);
    EXPECT_EQ(lib.scan(nullptr, 0), 2);
}

TEST_F(FlatInterface, GetNCountsNodesAndGridRows) {
    ASSERT_EQ(lib.load(definition.c_str()), 2);
    struct Case {
        const char* name;
        int32_t result;
        int32_t value;
    };
    const Case cases[] = {
        {"Node", 2, 2},     {"node", 2, 2},     {"Counters", 2, 1},  {"  variables ", 2, 2},
        {"Output files", 2, 1}, {"Outputstreams", 2, 1}, {"No such grid", 0, 0}, {"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t value = -7;
        EXPECT_EQ(lib.getN(c.name, &value), c.result);
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(FlatInterface, GetFillsWhatItIsGiven) {
    ASSERT_EQ(lib.load(definition.c_str()), 2);
    const char* value = "stale";
    int32_t length = -1;
    EXPECT_EQ(lib.get("Variables", "NewLine", 2, &value, &length), 2);
    EXPECT_EQ(valueText(value, length), "\n");

    value = "stale";
    EXPECT_EQ(lib.get("Variables", "NewLine", 2, &value, nullptr), 1);
    EXPECT_NE(value, nullptr);

    length = -1;
    EXPECT_EQ(lib.get("Variables", "NewLine", 2, nullptr, &length), 1);
    EXPECT_EQ(length, 0);

    value = "stale";
    length = -1;
    EXPECT_EQ(lib.get("Variables", "NoSuchVariable", 2, &value, &length), 0);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(lib.get("Node", "NoSuchNode", 0, &value, &length), 0);
}

TEST_F(FlatInterface, AMissingDefinitionIsReportedAndLeavesNothingToScan) {
    ASSERT_EQ(lib.load(definition.c_str()), 2);
    const std::string missing = dir.file("NotThere");
    takeMessages();
    EXPECT_EQ(lib.load(missing.c_str()), 0);
    EXPECT_EQ(textsOf(takeMessages(), 1), std::vector<std::string>{"Unable to open " + missing});
    int32_t nodes = -1;
    EXPECT_EQ(lib.getN("Node", &nodes), 2);
    EXPECT_EQ(nodes, 0) << "the earlier definition must be gone";

    // A scan still runs: its log gets its lines (the default log, in the current
    // directory), and nothing is scanned.
    TempDir here;
    InDirectory cd(here.path());
    EXPECT_EQ(lib.scan("ALERT\n", 6), 2);
    const std::string log = TempDir::read(here.file("Log.tmp"));
    EXPECT_NE(log.find("run start"), std::string::npos) << log;
    EXPECT_NE(log.find("run complete"), std::string::npos) << log;
    EXPECT_EQ(log.find("buffer scanned"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(dir.file("hits.txt")));
}

TEST_F(FlatInterface, ADefinitionThatDoesNotPrepareIsRefusedWithItsErrors) {
    const std::string broken = writeBrokenDefinition(dir.path().string(), "Broken", dir.file("broken.log"));
    EXPECT_EQ(lib.load(broken.c_str()), 0);
    const std::vector<std::string> errors = textsOf(takeMessages(), 1);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().rfind("Error(s) in definition:", 0), 0u) << errors.back();
    EXPECT_NE(errors.back().find("Nowhere"), std::string::npos) << errors.back();
}

TEST_F(FlatInterface, LoadFindsDefinitionsByDefaultNameExtensionAndLibraryDirectory) {
    // The extension may be left out.
    EXPECT_EQ(lib.load(dir.file("Words").c_str()), 2);

    // No name: "QN" in the current directory.
    {
        InDirectory cd(dir.path());
        takeMessages();
        EXPECT_EQ(lib.load(nullptr), 0);
        EXPECT_EQ(textsOf(takeMessages(), 1), std::vector<std::string>{"Unable to open QN"});
        WordSearch search;
        search.log = dir.file("qn.log");
        writeWordSearch(dir.path().string(), "QN", search);
        EXPECT_EQ(lib.load(nullptr), 2);
    }

    // A name found nowhere else is looked for beside the library.
    const std::string name = "quilcore-fallback-" + std::to_string(getpid());
    WordSearch search;
    search.log = dir.file("fallback.log");
    const std::string beside = writeWordSearch(QUILLON_BIN_DIR, name, search);
    TempDir elsewhere;
    InDirectory cd(elsewhere.path());
    EXPECT_EQ(lib.load(name.c_str()), 2);
    // A relative path keeps its folders there; an absolute one names its file and no other.
    const fs::path folder = fs::path(QUILLON_BIN_DIR) / (name + "-dir");
    fs::create_directory(folder);
    writeWordSearch(folder.string(), name, search);
    EXPECT_EQ(lib.load((name + "-dir/" + name).c_str()), 2);
    fs::remove_all(folder);
    takeMessages();
    EXPECT_EQ(lib.load(elsewhere.file(name).c_str()), 0);
    EXPECT_EQ(textsOf(takeMessages(), 1), std::vector<std::string>{"Unable to open " + elsewhere.file(name)});
    fs::remove(beside);
}

std::vector<std::pair<int32_t, int64_t>> progressSeen;

TEST_F(FlatInterface, RunFilesCountsTheFilesOfEachPatternAndReportsTheirBytes) {
    dir.write("a.txt", "ALERT one\n");
    dir.write("b.txt", "nothing here, but longer\n");
    ASSERT_EQ(lib.load(definition.c_str()), 2);
    progressSeen.clear();
    lib.setProgress([](int32_t files, int64_t bytes) { progressSeen.emplace_back(files, bytes); });
    const std::string some = dir.file("*.txt"), none = dir.file("*.none");
    const char* patterns[] = {some.c_str(), none.c_str()};
    int32_t found[2] = {-1, -1};
    EXPECT_EQ(lib.runFiles(patterns, 2, found), 2);
    lib.setProgress(nullptr);
    EXPECT_EQ(found[0], 2);
    EXPECT_EQ(found[1], 0);
    const std::vector<std::pair<int32_t, int64_t>> expected = {{1, 10}, {2, 35}};
    EXPECT_EQ(progressSeen, expected);
}

TEST_F(FlatInterface, ZapIgnoresNull) { lib.zapClient(nullptr); }

// Only the C interface is visible: every other symbol of the subsystems inside is hidden.
TEST(QuilcoreLibraryFile, ExportsExactlyTheCInterface) {
    const std::string command = "nm -D --defined-only " + QuilcoreLibrary::instance().path();
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const size_t space = text.rfind(' ');
        names.insert(space == std::string::npos ? text : text.substr(space + 1));
    }
    ASSERT_EQ(pclose(pipe), 0);
    const std::set<std::string> expected = {
        "NewQN01",        "ZapQN01",         "QNLib__get",      "QNLib__getN",
        "QNLib__load",    "QNLib__loadReported", "QNLib__run", "QNLib__runFiles", "QNLib__runURLs", "QNLib__scan",
        "QNLib__set",     "QNLib__setDefaultOutput", "QNLib__setLogName", "QNLib__setMsg",
        "QNLib__setProgress", "QNLib__setTrace", "QNLib__unload", "QNLib__version",
        "QNLib__formatVersion", "QNLib__stop", "QNLib__setLockWait", "QNLib__outputErrors",
        "QNLib__inputErrors",  "QNLib__runTerminated",
    };
    EXPECT_EQ(names, expected);
}

}  // namespace
