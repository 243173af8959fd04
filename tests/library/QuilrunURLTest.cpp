// quilrun over web pages: a definition's own "URLs" rows and URLs given on the command line,
// fetched from a loopback HTTP server through the HTTP library.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "tests/library/Process.h"
#include "tests/library/TestDefinitions.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHTTPServer.h"

namespace {

class QuilrunURL : public testing::Test {
protected:
    void SetUp() override {
        web.server().Get("/a", [this](const auto&, auto& res) {
            ++hitsA;
            res.set_content("x ALERT one\r\nnothing\r\nalert again\r\n", "text/plain");
        });
        web.server().Get("/b", [this](const auto&, auto& res) {
            ++hitsB;
            res.set_content("ALERT from b", "text/plain");
        });
        web.server().Get("/nul", [](const auto&, auto& res) {
            res.set_content(std::string("ALERT a\0b\nALERT c", 17), "text/plain");
        });
        web.server().Get("/gone", [](const auto&, auto& res) { res.status = 404; });
        web.start();
        search.log = dir.file("web.log");
        search.label = "URL";
        search.urls = {{true, web.url("/a")}, {false, web.url("/b")}};
        writeWordSearch(dir.path().string(), "Web", search);
    }
    ProcessResult quilrun(const std::vector<std::string>& arguments) {
        ProcessOptions options;
        options.dir = dir.path().string();
        return runProcess(binary("quilrun"), arguments, options);
    }

    TempDir dir;
    TestHTTPServer web;
    WordSearch search;
    std::atomic<int> hitsA{0};
    std::atomic<int> hitsB{0};
};

TEST_F(QuilrunURL, TheDefinitionsOwnRowsAreFetchedWhenTheirScanSwitchIsOn) {
    const ProcessResult r = quilrun({"Web"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string a = web.url("/a");
    EXPECT_EQ(dir.read(dir.file("out.tmp")), a + " ALERT one\n" + a + " alert again\n");
    EXPECT_EQ(hitsB, 0);
    EXPECT_NE(r.err.find("Scanning " + a + "\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("URLs scanned:  1"), std::string::npos) << r.err;
    EXPECT_NE(dir.read(search.log).find(a + ": HTTP request successful\n"), std::string::npos) << dir.read(search.log);
}

TEST_F(QuilrunURL, URLsOnTheCommandLineReplaceTheRowsInTheirOrder) {
    const std::string a = web.url("/a");
    const std::string b = web.url("/b");
    const ProcessResult r = quilrun({"-q", "Web", b, a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read(dir.file("out.tmp")), b + " ALERT from b\n" + a + " ALERT one\n" + a + " alert again\n");
    EXPECT_EQ(hitsA, 1);
    EXPECT_EQ(hitsB, 1);
}

TEST_F(QuilrunURL, PagesThatCannotBeFetchedAreNamedAndEndWithThreeWhileTheOthersAreScannedWhole) {
    const std::string page = web.url("/nul");   // a NUL byte within: the page goes on after it
    const std::string gone = web.url("/gone");
    const std::string closed = "http://127.0.0.1:1/x";   // nothing listens on port 1
    ProcessResult r = quilrun({"-q", "Web", gone, page, closed});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.err.find("quilrun: Unable to fetch " + gone + ": HTTP request code: 404\n"), 0u) << r.err;
    EXPECT_NE(r.err.find("quilrun: Unable to fetch " + closed + ": Get URL: "), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    EXPECT_EQ(dir.read(dir.file("out.tmp")), page + " ALERT a\n" + page + " ALERT c\n");
    EXPECT_NE(dir.read(search.log).find("URLs scanned:  3\n"), std::string::npos)
        << dir.read(search.log);

    // The definition's own rows are told of in the same way.
    search.urls = {{true, gone}};
    writeWordSearch(dir.path().string(), "Web", search);
    r = quilrun({"-q", "Web"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "quilrun: Unable to fetch " + gone + ": HTTP request code: 404\n");
}

}  // namespace
