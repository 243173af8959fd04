// The client outside the file walk: access by name (what extension libraries and hosts
// use), loading, the choice of input, the extension library at each run, and the frame of a
// run when preparation fails or the error limit ends it.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "run/ConsoleInst.h"
#include "tests/run/RunFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

const std::string kExtension = std::string(QUILLON_BIN_DIR) + "/librun_test_extension.so";

std::string text(const void* value, int32_t length) {
    return value ? std::string(static_cast<const char*>(value), size_t(length)) : "<null>";
}

class ClientAccess : public testing::Test {
protected:
    ClientAccess() {
        client.init();
        client.outputFiles.setText(0, 0, "Report");
        client.outputFiles.setText(1, 0, "report.txt");
        PXEngine& e = client.pxEngine();
        e.variables.setText(0, 0, "Greeting");
        e.variables.setText(1, 0, "String");
        PXNode* node = e.nodeGroups.main.addPXNode(10, 10);
        node->setTag("First");
        node->setText("abc");
    }
    TestClient client;
    CaptureSink sink;
};

TEST_F(ClientAccess, SetsAndGetsFieldsOfClientAndEngineGridsByName) {
    const void* value = nullptr;
    int32_t length = -1;
    struct Case {
        const char* grid;
        const char* key;
        int32_t field;
        const char* value;
    } cases[] = {
        {"Output files", "Report", 1, "other.txt"},
        {"  output FILES  ", "Report", 1, "trimmed.txt"},   // names ignore case and spaces around
        {"Outputstreams", "Report", 2, "1"},               // the key names the grid too
        {"Variables", "Greeting", 2, "hello"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.grid) + "/" + c.key);
        EXPECT_EQ(client.set(c.grid, c.key, c.field, c.value), 2);
        EXPECT_EQ(client.get(c.grid, c.key, c.field, &value, &length), 2);
        EXPECT_EQ(text(value, length), c.value);
    }
    EXPECT_EQ(client.get("Output files", 0, 1, &value, &length), 2);
    EXPECT_EQ(text(value, length), "trimmed.txt");
}

TEST_F(ClientAccess, MissingNamesAndOutputsGiveTheNeutralResults) {
    const void* value = &value;
    int32_t length = 7;
    struct Case {
        const char* grid;
        const char* key;
        int32_t field;
    } misses[] = {{"", "Report", 1}, {"No grid", "Report", 1}, {"Output files", "Nobody", 1},
                  {"Output files", "Report", 9}, {"Node", "Nobody", 0}, {"Node", "First", 5}};
    for (const Case& c : misses) {
        SCOPED_TRACE(std::string(c.grid) + "/" + c.key + "/" + std::to_string(c.field));
        EXPECT_EQ(client.set(c.grid, c.key, c.field, "x"), 0);
        EXPECT_EQ(client.get(c.grid, c.key, c.field, &value, &length), 0);
        EXPECT_EQ(value, nullptr);
        EXPECT_EQ(length, 0);
    }
    EXPECT_EQ(client.get("Output files", "Report", 1, &value, nullptr), 1);
    EXPECT_STREQ(static_cast<const char*>(value), "report.txt");
    length = 5;
    EXPECT_EQ(client.get("Output files", "Report", 1, nullptr, &length), 1);
    EXPECT_EQ(length, 0);
    EXPECT_TRUE(sink.errors.empty());
}

TEST_F(ClientAccess, BytesAreStoredExactly) {
    const unsigned char bytes[] = {'a', 0, 'b', 0xff};
    ASSERT_EQ(client.set("Variables", "Greeting", 2, bytes, 4), 2);
    const void* value = nullptr;
    int32_t length = 0;
    ASSERT_EQ(client.get("Variables", "Greeting", 2, &value, &length), 2);
    EXPECT_EQ(std::string(static_cast<const char*>(value), size_t(length)), std::string("a\0b\xff", 4));
}

TEST_F(ClientAccess, NodeAttributesByName) {
    const void* value = nullptr;
    int32_t length = 0;
    struct Case {
        int32_t field;
        const char* value;
    } cases[] = {{1, "shown label"}, {2, "xyz"}, {3, "SomePattern"}, {0, "Renamed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const char* key = c.field == 0 ? "First" : "First";
        ASSERT_EQ(client.set("node", key, c.field, c.value), 2);
        ASSERT_EQ(client.get("NODE", c.field == 0 ? "Renamed" : "First", c.field, &value, &length), 2);
        EXPECT_EQ(text(value, length), c.value);
    }
    PXNode* node = client.pxEngine().nodeGroups.main.nodeAt(0);
    // A wide string comes as bytes of 16-bit units; its length is in bytes.
    const char16_t wide[] = u"wx";
    ASSERT_EQ(client.set("Node", "Renamed", 4, reinterpret_cast<const unsigned char*>(wide), 4), 2);
    ASSERT_EQ(client.get("Node", "Renamed", 4, &value, &length), 2);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::memcmp(value, wide, 4), 0);
    EXPECT_TRUE(node->wtext() == u"wx");
    // Texts are held to 253 bytes; an empty string clears it.
    ASSERT_EQ(client.set("Node", "Renamed", 2, std::string(300, 'q').c_str()), 2);
    EXPECT_EQ(node->text().length(), 253);
    ASSERT_EQ(client.set("Node", "Renamed", 2, ""), 2);
    EXPECT_EQ(node->text().length(), 0);
    EXPECT_EQ(client.get("Node", 0, 0, &value, &length), 2);
    EXPECT_EQ(text(value, length), "Renamed");
}

TEST_F(ClientAccess, CountEnumerateAndGetInt) {
    int32_t n = 0;
    ASSERT_EQ(client.count(&n), 2);
    const int32_t engineGrids = client.pxEngine().getGridCount();
    EXPECT_EQ(n, engineGrids + client.ownGrids().count() + 1);
    const char* name = nullptr;
    int32_t type = 0, value = 0;
    ASSERT_EQ(client.enumerate(engineGrids, &name, &type, &value), 2);
    EXPECT_STREQ(name, "Log name");
    // The input grids come last: files, then those of URL and mail input.
    const char* inputs[] = {"Files", "URLs", "Folders", "Message options"};
    for (int32_t i = 0; i < 4; ++i) {
        ASSERT_EQ(client.enumerate(n - 5 + i, &name, &type, &value), 2);
        EXPECT_STREQ(name, inputs[i]);
    }
    ASSERT_EQ(client.enumerate(n - 1, &name, &type, &value), 2);
    EXPECT_STREQ(name, "Node");
    EXPECT_EQ(type, 4);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(client.enumerate(n, &name, &type, &value), 0);
    EXPECT_EQ(client.enumerate(0, nullptr, nullptr, nullptr), 2);

    struct Case {
        const char* name;
        int32_t result;
        int32_t value;
    } ints[] = {{"Node", 2, 1}, {"output files", 2, 1}, {"Variables", 2, 1}, {"Files", 2, 0}, {"Nothing", 0, 0}};
    for (const Case& c : ints) {
        SCOPED_TRACE(c.name);
        value = -1;
        EXPECT_EQ(client.getInt(c.name, &value), c.result);
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(ClientAccess, GrabbingReportsWhatIsMissing) {
    XXGRID* grid = client.grabGrid(1044);
    ASSERT_EQ(grid, &client.outputFiles);
    EXPECT_TRUE(grid->isLocked());
    client.releaseGrid(grid);
    EXPECT_FALSE(grid->isLocked());
    EXPECT_EQ(client.grabGrid(1292), &client.pxEngine().variables);
    EXPECT_EQ(client.grabGrid(1066), nullptr);
    EXPECT_EQ(client.rowCount(2204), 0);
    EXPECT_EQ(client.rowCount(1040), 0);
    EXPECT_NE(client.grabENode("First"), nullptr);
    EXPECT_EQ(client.grabENode("Nobody"), nullptr);
    EXPECT_EQ(client.grabENode(5), nullptr);
    EXPECT_EQ(sink.errors, (std::vector<std::string>{"PXClient::grabGrid :\nbuffer scanned",
                                                     "PXClient::grabENode(1) :\nengine->grabNode failure (Nobody)",
                                                     "PXClient::grabENode(2) :\nengine->grabNode failure"}));
}

TEST_F(ClientAccess, SourcesBySourceNumber) {
    EXPECT_EQ(client.set(1915, "def.QXD"), 2);
    ClientSource* source = client.sources().find(1915);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(source->getBytes()), size_t(source->getByteCount())), "def.QXD");
    EXPECT_EQ(client.set(9999, "v"), 0);
    EXPECT_EQ(sink.errors, std::vector<std::string>{"PXClient::set(XXID,pCSTR) :\nInvalid source ID: 9999(v)"});
    // Every source name is a row of the Sources grid, which emptying the definition keeps.
    client.clear();
    std::vector<std::string> names;
    for (int32_t r = 0; r < client.sources().rowCount(); ++r) names.emplace_back(client.sources().getCell(0, r)->getText());
    EXPECT_EQ(names, (std::vector<std::string>{"DefinitionName", "Time (24hr)", "Date (YYYYMMDD)", "InputBuffer",
                                               "StreamName", "FullStreamName", "FileDate", "FileDateTime",
                                               "URL", "MessageStore", "Folder"}));
}

// --- loading -----------------------------------------------------------------------------

TEST(ClientLoad, TheDefinitionExtensionIsSuppliedAndAMissingFileIsReported) {
    Workspace ws;
    CaptureSink sink;
    DefinitionBuilder d;
    d.output("Out", "o.txt");
    d.save(ws.path("def.QXD"));
    TestClient client;
    ASSERT_TRUE(client.load(ws.path("def").c_str()));
    EXPECT_EQ(client.definitionName(), ws.path("def"));
    EXPECT_EQ(client.outputFiles.rowCount(), 1);
    // Outside a run there is no log to write to: the failure is reported.
    IXXLOG* const log = setRunLog(nullptr);
    EXPECT_FALSE(client.load(ws.path("none").c_str()));
    setRunLog(log);
    EXPECT_EQ(client.definitionName(), "");
    EXPECT_EQ(sink.errors, std::vector<std::string>{"Unable to open " + ws.path("none")});
    // Loading another definition replaces the rows of the first.
    DefinitionBuilder other;
    other.log("other.log");
    other.save(ws.path("other.QXD"));
    ASSERT_TRUE(client.load(ws.path("other.QXD").c_str()));
    EXPECT_EQ(client.outputFiles.rowCount(), 0);
    EXPECT_EQ(client.logName.rowCount(), 1);
}

// --- the choice of input -----------------------------------------------------------------

class CountingScanner : public PXScanner {
public:
    explicit CountingScanner(PXClient& c) : client(c) {}
    int32_t scan(PXInst& run) override {
        ++scans;
        client.runBegin(run);
        client.runEnd(run, "counted");
        return 2;
    }
    PXClient& client;
    int scans = 0;
};

TEST(MFClientChoice, RowsOfTheInputGridsDecideAndUnknownKindsAreRefused) {
    Workspace ws;
    CaptureSink sink;
    TestClient client;
    client.init();
    MFClient& inputs = client.inputs;
    PXGrid& folders = inputs.messages.folders;
    PXGrid& urls = inputs.urlRows;

    EXPECT_EQ(inputs.resolvedKind(), MFClient::fileInput) << "nothing to read";
    client.inputs.files.files.setText(1, 0, "*.txt");
    EXPECT_EQ(inputs.resolvedKind(), MFClient::fileInput);
    urls.setText(1, 0, "http://localhost/");
    EXPECT_EQ(inputs.resolvedKind(), MFClient::urls);
    folders.setText(2, 0, "Inbox");
    EXPECT_EQ(inputs.resolvedKind(), MFClient::mail);

    PXInst run;
    inputs.inputKind = 7;
    EXPECT_EQ(inputs.scan(run), 0);
    EXPECT_EQ(sink.errors, (std::vector<std::string>{"MFClient::scan :\nUnknown input kind: 7"}));
    inputs.inputKind = MFClient::automatic;

    auto mail = std::make_unique<CountingScanner>(client);
    CountingScanner& counting = *mail;
    inputs.mailScanner = std::move(mail);
    EXPECT_EQ(client.runKind(run, MFClient::automatic), 2);
    EXPECT_EQ(counting.scans, 1);
    EXPECT_EQ(client.runMessage(), "counted");
}

TEST(MFClientChoice, ADefinitionFileWithUrlRowsKeepsThemAndIsRunOverThemNotOverFiles) {
    Workspace ws;
    CaptureSink sink;
    ws.write("a.txt", "ERROR here\n");
    DefinitionBuilder d;
    d.textNode("ERROR");
    d.input("a.txt");
    const std::string def = d.save(ws.path("web.QXD"));
    // Nothing listens on port 1: the page comes back empty and is scanned all the same, and
    // the failure is reported.
    std::ofstream(def, std::ios::app) << "!\"URLs\" 1 \"http://127.0.0.1:1/\"\r\n";
    RunResult r = runDefinition(def);
    ASSERT_TRUE(r.loaded);
    EXPECT_FALSE(sink.sawError("Invalid input"));
    EXPECT_EQ(r.client->inputs.urlRows.rowCount(), 1);
    EXPECT_EQ(r.client->shown(), (std::vector<std::string>{" Scanning http://127.0.0.1:1/",
                                                            "URLs scanned:  1"}));
    EXPECT_TRUE(sink.sawError("Unable to fetch http://127.0.0.1:1/: Get URL: "));
}

// --- the frame of a run ------------------------------------------------------------------

TEST(ClientRun, ADefinitionThatDoesNotPrepareIsReportedAndNotScanned) {
    Workspace ws;
    CaptureSink sink;
    ws.write("a.txt", "text");
    DefinitionBuilder d;
    d.refNode("NoSuchPattern");
    d.input("a.txt");
    RunResult r = runDefinition(d.save(ws.path("broken.QXD")));
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(sink.sawError("Error(s) in definition:\n"));
    EXPECT_TRUE(sink.sawError("NoSuchPattern"));
    EXPECT_EQ(normalisedLog(ws.read("Log.tmp"), ws.dir.path().string()),
              "<STAMP>  Quillon run start [<DIR>/broken.QXD]\n <SECONDS> seconds\nQuillon run complete\n");
    EXPECT_TRUE(r.client->shown().empty());
}

TEST(ClientRun, TheExtensionLibraryIsBoundAtEachRun) {
    Workspace ws;
    ws.write("a.txt", "hit");
    DefinitionBuilder d;
    d.extension(kExtension.c_str());
    PXNode* hit = d.textNode("hit", "Hit");
    d.nodeAction(hit, "Execute UDF", {"2", ws.path("calls.txt").c_str(), "called"});
    // The library changes a variable by name through the client it is given, and the next
    // action writes what it made.
    d.variable("Seen", "String", "seen");
    d.output("Out", "seen.txt");
    d.nodeAction(hit, "Execute UDF", {"4", "Seen", " by "});
    d.nodeAction(hit, "Append to", {"Out", "", "Seen"});
    d.input("a.txt");
    const std::string def = d.save(ws.path("udf.QXD"));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(runDefinition(def).result, 2);
    EXPECT_EQ(ws.read("calls.txt"), "called 1 3\ncalled 1 3\n");
    EXPECT_EQ(ws.read("seen.txt"), "seen by Hit");

    CaptureSink sink;
    DefinitionBuilder missing;
    missing.extension(ws.path("libnothing.so").c_str());
    missing.phaseAction(missing.engine().preRunActions, "Execute UDF", {"2", ws.path("never.txt").c_str()});
    const std::string def2 = missing.save(ws.path("missing.QXD"));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(runDefinition(def2).result, 2);
    // Each run makes its own holder, so each run says it once.
    EXPECT_EQ(sink.errors, (std::vector<std::string>{"Unable to load " + ws.path("libnothing.so"),
                                                     "Unable to load " + ws.path("libnothing.so")}));
    EXPECT_FALSE(ws.exists("never.txt"));
}

TEST(ClientRun, ALogThatCannotBeOpenedIsReportedAndTheRunGoesOn) {
    Workspace ws;
    CaptureSink sink;
    ws.write("a.txt", "hit");
    ws.write("plain", "a file where a folder would have to be");
    DefinitionBuilder d;
    d.log("plain/run.log");
    d.output("Out", "hits.txt");
    d.nodeAction(d.textNode("hit"), "Append to", {"Out"});
    d.input("a.txt");
    RunResult r = runDefinition(d.save(ws.path("nolog.QXD")));
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(sink.errors, std::vector<std::string>{"Unable to open plain/run.log: Not a directory"});
    EXPECT_EQ(ws.read("hits.txt"), "hit");
    EXPECT_EQ(r.client->lastRunFailures(), 1);
    EXPECT_EQ(runLog(), static_cast<IXXLOG*>(&sink));
}

class FloodScanner : public PXScanner {
public:
    explicit FloodScanner(PXClient& c) : client(c) {}
    int32_t scan(PXInst& run) override {
        client.runBegin(run);
        for (int i = 0; i < 2000; ++i) Error() << "flood " << i << endMsg;
        client.runEnd(run, "never");
        return 2;
    }
    PXClient& client;
};

TEST(ClientRun, TheErrorLimitEndsTheRunAndTheLogIsStillClosed) {
    Workspace ws;
    CaptureSink sink;
    TestClient client;
    client.init();
    client.inputs.mailScanner = std::make_unique<FloodScanner>(client);
    ConsoleInst run;
    EXPECT_EQ(client.runKind(run, MFClient::mail), 0);
    EXPECT_TRUE(client.runTerminated());
    EXPECT_FALSE(run.isRunning());
    EXPECT_EQ(sink.errors.size(), 10u);
    EXPECT_EQ(runLog(), static_cast<IXXLOG*>(&sink)) << "the thread's log is given back";
    const std::string log = ws.read("Log.tmp");
    EXPECT_NE(log.find("Exception thrown (flood 1000) - run terminated.\n"), std::string::npos) << log.substr(0, 300);
    EXPECT_NE(log.find("Quillon run complete\n"), std::string::npos);
    EXPECT_EQ(client.runMessage(), "Exception thrown (flood 1000) - run terminated. - view log for messages");
}

}  // namespace
