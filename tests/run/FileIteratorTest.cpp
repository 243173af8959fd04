// The files a "Files" grid names: rows in order, depth first through subdirectories, the
// hidden switch, and specs with and without wildcards.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "definitions/PXClientSchema.h"
#include "definitions/PXGrids.h"
#include "run/FileGridIterator.h"
#include "tests/support/TempDir.h"

namespace {

struct Row {
    std::string spec;   // relative to the tree, unless it starts with "/" or "="
    bool subdirectories = false;
    bool hidden = false;
    bool scan = true;
};

struct WalkCase {
    const char* name;
    std::vector<Row> rows;
    std::vector<std::string> files;   // relative to the tree
};

// The tree every case walks.
void makeTree(const TempDir& dir) {
    for (const char* f : {"a.txt", "b.txt", "c.log", ".hidden.txt", "sub/d.txt", "sub/e.log", "sub/deep/f.txt",
                          ".cache/g.txt", ".cache/.h.txt", "logs/only/x.log", "noext"}) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(f)).parent_path());
        dir.write(f, f);
    }
}

const WalkCase kWalks[] = {
    {"one spec, this directory only", {{"*.txt"}}, {"a.txt", "b.txt"}},
    {"hidden files included", {{"*.txt", false, true}}, {".hidden.txt", "a.txt", "b.txt"}},
    {"files first, then each subdirectory depth first; hidden directories are entered",
     {{"*.txt", true}},
     {"a.txt", "b.txt", ".cache/g.txt", "sub/d.txt", "sub/deep/f.txt"}},
    {"recursion with hidden files",
     {{"*.txt", true, true}},
     {".hidden.txt", "a.txt", "b.txt", ".cache/.h.txt", ".cache/g.txt", "sub/d.txt", "sub/deep/f.txt"}},
    {"no match at the top, matches below", {{"logs/*.log", true}}, {"logs/only/x.log"}},
    {"rows in order; a row with Scan off is passed over",
     {{"*.log"}, {"*.txt", false, false, false}, {"sub/*.log"}},
     {"c.log", "sub/e.log"}},
    {"a spec without wildcards names one file", {{"b.txt"}, {"sub/deep/f.txt"}}, {"b.txt", "sub/deep/f.txt"}},
    {"a missing file yields nothing and the next row goes on", {{"missing.txt"}, {"c.log"}}, {"c.log"}},
    {"a missing directory yields nothing", {{"nodir/*.txt", true}, {"noext"}}, {"noext"}},
    {"*.* takes names without an extension", {{"*.*"}}, {"a.txt", "b.txt", "c.log", "noext"}},
    {"the switches of a row apply to it alone",
     {{"*.log", true}, {"*.txt", false, true}},
     {"c.log", "logs/only/x.log", "sub/e.log", ".hidden.txt", "a.txt", "b.txt"}},
};

std::vector<std::string> walk(XXGRID& grid, const std::string& root) {
    std::vector<std::string> files;
    FileGridIterator it(&grid, 1, 0, 2, 3);
    while (it.next()) {
        std::string path = it.fullPath().text();
        EXPECT_EQ(path.rfind(root + "/", 0), 0u) << path;
        files.push_back(path.substr(root.size() + 1));
    }
    EXPECT_FALSE(it.next());
    return files;
}

TEST(FileGridIterator, WalksTheScannedRows) {
    TempDir dir;
    makeTree(dir);
    const std::string root = dir.path().string();
    for (const WalkCase& c : kWalks) {
        SCOPED_TRACE(c.name);
        PXGrid grid;
        buildFilesGrid(grid, PXClientChoosers{});
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const Row& r = c.rows[i];
            grid.setText(0, int32_t(i), r.scan ? "1" : "0");
            grid.setText(1, int32_t(i), (root + "/" + r.spec).c_str());
            grid.setText(2, int32_t(i), r.subdirectories ? "1" : "0");
            grid.setText(3, int32_t(i), r.hidden ? "1" : "0");
        }
        EXPECT_EQ(walk(grid, root), c.files);
    }
}

TEST(FileGridIterator, RelativeSpecsGiveAbsolutePaths) {
    TempDir dir;
    makeTree(dir);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    PXGrid grid;
    buildFilesGrid(grid, PXClientChoosers{});
    grid.setText(1, 0, "sub/*.txt");
    grid.setText(2, 0, "1");
    FileGridIterator it(&grid, 1, 0, 2, 3);
    std::vector<std::string> files;
    while (it.next()) files.emplace_back(it.fullPath().text());
    EXPECT_EQ(it.spec(), "sub/*.txt");
    std::filesystem::current_path(previous);
    const std::string root = std::filesystem::canonical(dir.path()).string();
    EXPECT_EQ(files, (std::vector<std::string>{root + "/sub/d.txt", root + "/sub/deep/f.txt"}));
}

TEST(FileGridIterator, EndsAtARowWithoutScanField) {
    TempDir dir;
    makeTree(dir);
    // A grid of one column: every row lacks the Scan field, so nothing is walked.
    PXGrid grid;
    grid.addFld(XXFLD_FNAME::gen, "spec", 260);
    grid.setText(0, 0, (dir.path().string() + "/*.txt").c_str());
    FileGridIterator it(&grid, 0, 1, 2, 3);
    EXPECT_FALSE(it.next());
    FileGridIterator none(nullptr, 1, 0, 2, 3);
    EXPECT_FALSE(none.next());
}

TEST(RecursiveFileIterator, ReusesItsLevelsWhenStartedAgain) {
    TempDir dir;
    makeTree(dir);
    RecursiveFileIterator it;
    it.setSpec((dir.path().string() + "/*.txt").c_str());
    it.setRecurse(true);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        it.start();
        int n = 0;
        while (it.next()) ++n;
        EXPECT_EQ(n, 5);
    }
}

}  // namespace
