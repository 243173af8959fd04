// A run in the builder and a run of quilrun write the same bytes for the same definition and
// input: the bundled example, with a node action added in the builder's action dialog and
// saved, run by both in folders of their own. Its database is left unreachable (an empty
// ODBC configuration), so that both write only files and both report the rows as not written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "builder/QuillonApp.h"
#include "definitions/PXNode.h"
#include "tests/builder/ScriptedView.h"
#include "tests/library/Process.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A copy of the bundled example with an empty output folder.
std::string exampleIn(const fs::path& folder) {
    const fs::path source = fs::path(QUILLON_EXAMPLES_DIR) / "servers";
    fs::create_directories(folder / "out");
    fs::copy(source / "reports", folder / "reports", fs::copy_options::recursive);
    for (const char* name : {"Servers.QXD", "Timestamp.QXG"}) fs::copy_file(source / name, folder / name);
    return (folder / "Servers.QXD").string();
}

TEST(BuilderRun, TheBundledExampleWithANewNodeActionWritesWhatQuilrunWrites) {
    TempDir dir;
    const fs::path odbc = dir.path() / "odbc";
    fs::create_directories(odbc);
    setenv("ODBCSYSINI", odbc.c_str(), 1);
    setenv("ODBCINI", (odbc / "odbc.ini").c_str(), 1);
    const fs::path cwd = fs::current_path();
    CaptureSink sink;
    ScriptedView view;
    QuillonApp app(view);
    app.start(exampleIn(dir.path() / "builder").c_str());

    // The host name node gets a second action: "Append to" the summary, its parameters in
    // the form the kind opens.
    PXNode* host = app.engine()->mainGraph().nodeAt(3);
    ASSERT_EQ(host->actions.count(), 1);
    std::vector<std::string> shown;
    view.scripts.push_back([&](XXGRIDD& m, FakeHost& h) {
        shown = {h.at(0, 0), h.at(1, 0), h.at(0, 1)};
        h.type(0, 1, "Append to");
        m.command(XXCMD::ok);
    });
    std::vector<std::string> labels;
    view.scripts.push_back([&](XXGRIDD& m, FakeHost& h) {
        for (int32_t c = 0; c < m.columns(); ++c) labels.push_back(m.grid().label(m.gridCol(c)));
        h.set(0, 0, "Summary");
        h.set(1, 0, "host seen: ");
        h.set(2, 0, "Host");
        m.command(XXCMD::ok);
    });
    ASSERT_TRUE(app.editNodeActions(*host));
    EXPECT_EQ(shown, (std::vector<std::string>{"Send to", "Host", ""}));
    EXPECT_EQ(labels, (std::vector<std::string>{"Target", "Prefix text", "Source"}));
    EXPECT_TRUE(view.scripts.empty());
    ASSERT_EQ(host->actions.count(), 2);
    EXPECT_EQ(std::u16string(host->actionsSummary().text()),
              u"Send to Host\nAppend to Summary ( \"host seen: \", Host )\n");
    EXPECT_TRUE(app.modified);
    app.notify(XXCMD::save);

    // A Cancel changes nothing.
    view.scripts.push_back([](XXGRIDD& m, FakeHost& h) {
        h.type(0, 2, "Return");
        m.command(XXCMD::cancel);
    });
    EXPECT_FALSE(app.editNodeActions(*host));
    EXPECT_EQ(host->actions.count(), 2);

    ProcessOptions options;
    options.dir = (dir.path() / "quilrun").string();
    exampleIn(options.dir);
    fs::copy_file(dir.path() / "builder" / "Servers.QXD", dir.path() / "quilrun" / "Servers.QXD",
                  fs::copy_options::overwrite_existing);
    options.env = {{"ODBCSYSINI", odbc.string()}, {"ODBCINI", (odbc / "odbc.ini").string()}, {"HOME", dir.path().string()}};
    const ProcessResult r = runProcess(binary("quilrun"), {"-q", "Servers.QXD"}, options);
    ASSERT_TRUE(fs::exists(dir.path() / "quilrun" / "summary.txt")) << r.out << r.err;
    EXPECT_EQ(r.status, 5) << r.err;

    app.notify(1065);
    EXPECT_EQ(app.runControl().state(), PXRunControl::State::idle);
    EXPECT_EQ(app.lastRun().status, "Files scanned:  3 - some output could not be written");
    EXPECT_TRUE(view.errors.empty());
    fs::current_path(cwd);

    int compared = 0;
    for (const char* name : {"summary.txt", "out/web-01.csv", "out/db-01.csv", "out/mail-01.csv"}) {
        SCOPED_TRACE(name);
        const std::string fromQuilrun = TempDir::read((dir.path() / "quilrun" / name).string());
        EXPECT_FALSE(fromQuilrun.empty());
        EXPECT_EQ(TempDir::read((dir.path() / "builder" / name).string()), fromQuilrun);
        ++compared;
    }
    EXPECT_EQ(compared, 4);
    EXPECT_NE(TempDir::read((dir.path() / "quilrun" / "summary.txt").string()).find("host seen: web-01"),
              std::string::npos);
}

}  // namespace
