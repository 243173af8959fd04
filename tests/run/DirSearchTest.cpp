// The wildcard rule of file specs, and what a directory search hands out.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/DirSearch.h"
#include "tests/support/TempDir.h"

namespace {

struct SpecCase {
    const char* name;
    const char* pattern;
    bool matches;
};

const SpecCase kSpecCases[] = {
    {"report.txt", "*.txt", true},
    {"report.txt", "*.TXT", false},          // case counts, as in Linux names
    {"report", "*.*", true},                 // *.* takes names without a dot
    {".profile", "*.*", true},
    {"report", "report.*", true},            // x.* takes x itself
    {"report.txt", "report.*", true},
    {"a.b.c", "a.*", true},                  // * runs over dots
    {"a.b.c", "*.c", true},
    {"a.b.c", "*.b", false},
    {"readme", "*.", true},                  // x. takes only names without a dot
    {"read.me", "*.", false},
    {"readme.txt", "read*", true},
    {"data1.csv", "data?.csv", true},
    {"data10.csv", "data?.csv", false},
    {"data.csv", "data?.csv", false},
    {"exact.log", "exact.log", true},
    {"exact.log2", "exact.log", false},
    {"", "*", true},
    {"x", "", false},
    {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*c", false},   // no blow-up
};

TEST(FileSpec, MatchesTheWindowsMeaningCaseSensitively) {
    for (const SpecCase& c : kSpecCases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.pattern);
        EXPECT_EQ(matchesFileSpec(c.name, c.pattern), c.matches);
    }
}

std::vector<std::string> listing(const std::string& dir, const char* pattern) {
    DirSearch search;
    std::vector<std::string> names;
    if (!search.first(dir, pattern)) return {"<unreadable>"};
    DirSearch::Entry e;
    while (search.next(e)) names.push_back(e.name + (e.directory ? "/" : "") + (e.hidden ? " (hidden)" : ""));
    return names;
}

TEST(DirSearch, ListsInNameOrderWithKindsAndLeavesOutWhatCannotBeRead) {
    TempDir dir;
    dir.write("b.txt", "");
    dir.write("a.txt", "");
    dir.write(".h.txt", "");
    std::filesystem::create_directory(dir.file("sub"));
    ASSERT_EQ(mkfifo(dir.file("pipe.txt").c_str(), 0600), 0);
    ASSERT_EQ(symlink("a.txt", dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(symlink("sub", dir.file("linkdir").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", dir.file("dangling.txt").c_str()), 0);

    // A pipe could block a read and a dangling link names nothing: neither is listed. A link
    // to a directory is not a directory of the walk (it could lead it in circles).
    EXPECT_EQ(listing(dir.path().string(), "*.*"),
              (std::vector<std::string>{"./ (hidden)", "../ (hidden)", ".h.txt (hidden)", "a.txt", "b.txt",
                                        "link.txt", "sub/"}));
    EXPECT_EQ(listing(dir.path().string(), "*.txt"),
              (std::vector<std::string>{".h.txt (hidden)", "a.txt", "b.txt", "link.txt"}));
    EXPECT_EQ(listing(dir.file("missing"), "*.*"), std::vector<std::string>{"<unreadable>"});
}

TEST(DirSearch, AbsolutePathAndSameFile) {
    TempDir dir;
    const std::string a = dir.write("a.txt", "x");
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(absolutePath("x/y.txt"), cwd + "/x/y.txt");
    EXPECT_EQ(absolutePath("/abs/y.txt"), "/abs/y.txt");
    EXPECT_TRUE(sameFile(a.c_str(), (dir.path().string() + "/./a.txt").c_str()));
    EXPECT_FALSE(sameFile(a.c_str(), dir.write("b.txt", "x").c_str()));
    EXPECT_FALSE(sameFile(a.c_str(), dir.file("none").c_str()));
}

}  // namespace
