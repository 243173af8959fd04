// A run in the builder and a run of quilrun write the same bytes for the same definition and
// input: the bundled example, run by both in folders of their own. Its database is left
// unreachable (an empty ODBC configuration), so that both write only files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "builder/QuillonApp.h"
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

TEST(BuilderRun, TheBundledExampleWritesWhatQuilrunWrites) {
    TempDir dir;
    const fs::path odbc = dir.path() / "odbc";
    fs::create_directories(odbc);
    setenv("ODBCSYSINI", odbc.c_str(), 1);
    setenv("ODBCINI", (odbc / "odbc.ini").c_str(), 1);

    ProcessOptions options;
    options.dir = (dir.path() / "quilrun").string();
    exampleIn(options.dir);
    options.env = {{"ODBCSYSINI", odbc.string()}, {"ODBCINI", (odbc / "odbc.ini").string()}, {"HOME", dir.path().string()}};
    const ProcessResult r = runProcess(binary("quilrun"), {"-q", "Servers.QXD"}, options);
    ASSERT_TRUE(fs::exists(dir.path() / "quilrun" / "summary.txt")) << r.out << r.err;

    const fs::path cwd = fs::current_path();
    {
        CaptureSink sink;
        ScriptedView view;
        QuillonApp app(view);
        app.start(exampleIn(dir.path() / "builder").c_str());
        app.notify(1065);
        EXPECT_EQ(app.runControl().state(), PXRunControl::State::idle);
        EXPECT_EQ(app.lastRun().status, "Files scanned:  3");
        EXPECT_TRUE(view.errors.empty());
    }
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
}

}  // namespace
