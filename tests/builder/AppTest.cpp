// The builder application's logic on real definitions: every grid the menus edit survives
// an edit, a save and a reload; master-detail editing; the commands around files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "builder/QuillonApp.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"
#include "tests/builder/ScriptedView.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// The bundled example, copied into a folder of the test's own.
class ExampleCopy {
public:
    ExampleCopy() {
        const char* root = std::getenv("QUILLON_SOURCE_DIR");
        const fs::path source = fs::path(root ? root : ".") / "examples" / "servers";
        for (const char* name : {"Servers.QXD", "Timestamp.QXG"}) fs::copy_file(source / name, dir.path() / name);
    }
    std::string definition() const { return dir.file("Servers.QXD"); }
    TempDir dir;
};

std::string cell(const PXCfg& app, int32_t titleId, int32_t row, int32_t col) {
    const XXGRID* g = app.findGrid(loadString(titleId));
    const XXFLD* f = g ? g->getCell(col, row) : nullptr;
    return f ? f->getText() : "<none>";
}

// The example opened in the application, with the test's captures.
struct OpenExample {
    CaptureSink sink;
    ExampleCopy example;
    ScriptedView view;
    QuillonApp app{view};
    OpenExample() { app.start(example.definition().c_str()); }
    std::tuple<ScriptedView&, QuillonApp&, ExampleCopy&> parts() { return {view, app, example}; }
};

// Types values into the row after the last record (or row 0 of a form) and confirms.
DialogScript appendRow(std::vector<std::pair<int32_t, std::string>> values) {
    return [values](XXGRIDD& m, FakeHost& h) {
        if (!m.form()) m.scrollTo(m.grid().rowCount());
        for (const auto& [col, text] : values) h.set(m.visibleCol(col), m.rowOnPage(), text);
        m.command(XXCMD::ok);
    };
}

struct RoundTrip {
    int32_t command;
    int32_t titleId;   // the grid the command edits
    std::vector<std::pair<int32_t, std::string>> values;
    int32_t forms = 0;   // value forms the edit opens (confirmed with OK)
};

TEST(BuilderApp, EveryGridTheMenusEditSurvivesSaveAndReload) {
    const RoundTrip table[] = {
        {1040, 1093, {{0, "A new comment"}}},
        {1050, 1276, {{0, "Extra"}}},
        {1037, 1224, {{1, "more/*.log"}}},
        {1125, 2204, {{1, "Store"}, {2, "Inbox"}}},
        {1038, 1291, {{1, "http://localhost/page"}}},
        {1039, 1044, {{0, "Extra"}, {1, "extra.txt"}}},
        {1041, 1253, {{0, "before.QXD"}}},
        {1042, 1255, {{0, "after.QXD"}}},
        {1047, 1292, {{0, "Level"}, {1, "String"}}, 1},
        {1048, 1296, {{0, "Motd"}, {1, "motd.txt"}}},
        {1049, 1217, {{0, "Lines"}, {1, "7"}}},
        {1051, 1111, {{0, "Halt"}}, 1},
        {1053, 1113, {{0, "Halt"}}, 1},
        {1054, 1114, {{0, "Return"}}},
        {1052, 1112, {{0, "Halt"}}, 1},
        {1085, 1225, {{0, "less"}}},
        {1086, 1226, {{0, "other.log"}}},
        {1087, 1227, {{0, "libmine.so"}}},
        {1126, 2109, {{2, "Work"}}},
    };
    for (const RoundTrip& t : table) {
        SCOPED_TRACE("command " + std::to_string(t.command));
        CaptureSink sink;
        ExampleCopy example;
        std::ofstream(example.dir.file("motd.txt")) << "hello\n";
        ScriptedView view;
        int32_t rows = 0;
        {
            QuillonApp app(view);
            app.start(example.definition().c_str());
            ASSERT_FALSE(app.modified);
            rows = app.findGrid(loadString(t.titleId))->rowCount();
            view.scripts.push_back(appendRow(t.values));
            for (int32_t i = 0; i < t.forms; ++i) view.scripts.push_back(pressOk);
            app.notify(t.command);
            EXPECT_TRUE(view.scripts.empty());
            EXPECT_FALSE(view.outOfScripts);
            EXPECT_TRUE(app.modified);
            EXPECT_EQ(view.errors, std::vector<std::string>{});
            app.notify(XXCMD::save);
            EXPECT_FALSE(app.modified);
        }
        QuillonApp reopened(view);
        reopened.start(example.definition().c_str());
        const XXGRID* g = reopened.findGrid(loadString(t.titleId));
        ASSERT_NE(g, nullptr);
        const int32_t row = g->maxRows() == 1 ? 0 : rows;
        EXPECT_EQ(g->rowCount(), g->maxRows() == 1 ? 1 : rows + 1);
        for (const auto& [col, text] : t.values) EXPECT_EQ(cell(reopened, t.titleId, row, col), text);
        EXPECT_EQ(sink.errors, std::vector<std::string>{});
    }
}

TEST(BuilderApp, MasterDetailEditingKeepsBothLevels) {
    CaptureSink sink;
    ExampleCopy example;
    ScriptedView view;
    {
        QuillonApp app(view);
        app.start(example.definition().c_str());
        // Enter on set 2 ("Colon") opens its ranges; a range is added there and confirmed;
        // then a new set is named in the master and confirmed.
        view.scripts.push_back([](XXGRIDD& m, FakeHost& h) {
            m.scrollTo(2);
            m.key(XXKey::enter, 0, m.rowOnPage());
            (void)h;
        });
        view.scripts.push_back([](XXGRIDD& m, FakeHost& h) {
            EXPECT_EQ(m.caption().substr(0, 5), "Colon");
            h.set(0, 1, "59");
            m.command(XXCMD::ok);
        });
        view.scripts.push_back(appendRow({{0, "Semicolon"}}));
        app.notify(1043);
        EXPECT_TRUE(view.scripts.empty());
        EXPECT_EQ(view.levels, (std::vector<int32_t>{1, 2, 1}));
        EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), "Press Enter to define Sets (8-bit)"),
                  view.statuses.end());
        app.notify(XXCMD::save);
    }
    QuillonApp reopened(view);
    reopened.start(example.definition().c_str());
    const XXGRID* sets = reopened.findGrid("Sets (8-bit)");
    ASSERT_NE(sets, nullptr);
    const XXROWLIST* ranges = sets->getCell(0, 2)->subRows();
    ASSERT_NE(ranges, nullptr);
    ASSERT_EQ(ranges->count(), 2);
    EXPECT_EQ(ranges->at(1)->field(0)->getInt(), 59);
    EXPECT_EQ(cell(reopened, 1059, sets->rowCount() - 1, 0), "Semicolon");
}

TEST(BuilderApp, CancellingTheMasterAfterADetailChangeAsksAndKeepsNothing) {
    OpenExample open;
    auto [view, app, example] = open.parts();
    view.scripts.push_back(selectRecord(0));
    view.scripts.push_back([](XXGRIDD& m, FakeHost& h) {
        h.set(0, 0, "40");
        m.command(XXCMD::ok);
    });
    view.scripts.push_back([](XXGRIDD& m, FakeHost&) { m.command(XXCMD::cancel); });
    view.scripts.push_back([](XXGRIDD& m, FakeHost&) { m.command(XXCMD::cancel); });
    view.answers = {false, true};   // No: back to the master dialog; then Yes
    app.notify(1043);
    EXPECT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(view.dialogsRun, 4);
    EXPECT_FALSE(view.outOfScripts);
    EXPECT_EQ(app.findGrid("Sets (8-bit)")->getCell(0, 0)->subRows()->at(0)->field(0)->getInt(), 48);
}

TEST(BuilderApp, UnknownGridsAreReportedAndChangeNothing) {
    CaptureSink sink;
    ScriptedView view;
    QuillonApp app(view);
    app.start(nullptr);
    EXPECT_EQ(app.updateGrid("Nonesuch"), 0);
    EXPECT_TRUE(sink.sawError("grabGrid: Nonesuch"));
    EXPECT_EQ(app.updateGrids("Counters"), 0);
    EXPECT_TRUE(sink.sawError("no subgrid"));
    EXPECT_EQ(view.dialogsRun, 0);
    // Every grid a menu command names is there.
    for (const XXCommand& c : commandTable())
        if (c.gridId) EXPECT_NE(app.findGrid(loadString(c.gridId)), nullptr) << c.id;
}

TEST(BuilderApp, FilesRecentFilesAndTitle) {
    CaptureSink sink;
    ExampleCopy example;
    ScriptedView view;
    view.recentStore = {"/a/One.QXD", "/a/Two.QXD"};
    QuillonApp app(view);
    app.start(nullptr);
    EXPECT_TRUE(app.modified);   // a fresh builder holds an unsaved definition

    view.answers = {false, true};
    view.nextFile = example.definition();
    app.notify(XXCMD::open);
    EXPECT_EQ(app.path(), "");   // "OK to lose changes?" answered No
    app.notify(XXCMD::open);
    EXPECT_EQ(app.path(), example.definition());
    EXPECT_EQ(view.recentStore, (std::vector<std::string>{example.definition(), "/a/One.QXD", "/a/Two.QXD"}));
    EXPECT_EQ(view.titles.back(), "Quillon   Servers.QXD   Warnings and errors of server reports: one CSV file per "
                                  "report, one database row per event, and a summary");

    // Save as a new name; a failing recent file is reported with its path.
    view.nextFile = example.dir.file("Copy.QXD");
    app.notify(1036);
    EXPECT_TRUE(fs::exists(example.dir.file("Copy.QXD")));
    EXPECT_EQ(view.recentStore.front(), example.dir.file("Copy.QXD"));
    EXPECT_EQ(view.statuses.back().substr(0, 6), "Saved ");
    app.notify(XXCMD::recentFirst + 2);
    // Outside a run the report is an error box; the capture also stands in as a run log.
    const auto& said = sink.errors.empty() ? sink.logLines : sink.errors;
    ASSERT_FALSE(said.empty());
    EXPECT_NE(said.back().find("Unable to open /a/One.QXD"), std::string::npos);
    EXPECT_EQ(app.path(), example.dir.file("Copy.QXD"));

    app.notify(XXCMD::toggleTrace);
    EXPECT_EQ(view.statuses.back(), "Trace on");
    EXPECT_TRUE(app.menuState().traceOn);
    app.notify(XXCMD::viewFirst + 1);   // summary.txt has not been written
    EXPECT_EQ(view.infos.back(), "No data available");
}

}  // namespace

namespace {

TEST(BuilderApp, DeletingANodeGroupInTheDialogFreesItsGraph) {
    OpenExample open;
    auto [view, app, example] = open.parts();
    // Deleted, then cancelled: the group and its graph are still there.
    view.scripts.push_back([](XXGRIDD& m, FakeHost& h) {
        m.command(XXCMD::del);
        m.command(XXCMD::cancel);
        EXPECT_EQ(h.questions.size(), 1u);
    });
    app.notify(1050);
    EXPECT_FALSE(app.modified);
    ASSERT_EQ(app.findGrid("Node Groups")->rowCount(), 1);
    app.notify(XXCMD::save);
    EXPECT_TRUE(std::filesystem::exists(example.dir.file("Timestamp.QXG")));
    // Deleted and confirmed: the graph is freed with the row (the leak check sees it).
    view.scripts.push_back([](XXGRIDD& m, FakeHost&) {
        m.command(XXCMD::del);
        m.command(XXCMD::ok);
    });
    app.notify(1050);
    EXPECT_EQ(app.findGrid("Node Groups")->rowCount(), 0);
    EXPECT_TRUE(app.modified);
}

}  // namespace
