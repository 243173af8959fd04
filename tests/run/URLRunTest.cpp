// Definitions run over web pages: the URL input against a loopback HTTP server, through the
// HTTP library loaded by name.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/run/RunFixture.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TestHTTPServer.h"

namespace {

class URLRun : public testing::Test {
protected:
    void SetUp() override {
        web.server().Get("/report", [this](const auto&, auto& res) {
            ++hits;
            res.set_content("ok\r\nERROR disk full\r\nok\r\nERROR fan\r\n", "text/plain");
        });
        web.server().Get("/never", [this](const auto&, auto& res) {
            ++hits;
            res.set_content("ERROR not asked for", "text/plain");
        });
        web.server().Get("/slow", [this](const auto&, auto& res) {
            web.pause(5000);
            res.set_content("ERROR late", "text/plain");
        });
        web.start();
    }

    // Every "ERROR" and the rest of its line, after the page's URL, into errors.txt; each page
    // framed by its pre- and post-stream actions.
    std::string definition(const std::vector<std::pair<bool, std::string>>& rows) {
        d.output("Errors", "errors.txt");
        d.lineVocabulary();
        PXNode* error = d.textNode("ERROR");
        PXNode* rest = d.refNode("Rest");
        d.link(error, rest);
        d.nodeAction(rest, "Append to", {"Errors", "", "URL"});
        d.nodeAction(rest, "Append to", {"Errors", ":"});
        d.nodeAction(rest, "Append to", {"Errors"});
        d.nodeAction(rest, "Append to", {"Errors", "", "NL"});
        d.phaseAction(d.engine().preStreamActions, "Append to", {"Errors", "<"});
        d.phaseAction(d.engine().postStreamActions, "Append to", {"Errors", ">", "NL"});
        d.log("web.log");
        for (size_t i = 0; i < rows.size(); ++i) {
            d.writer.inputs.urlRows.setText(HTTPScanner::scanCol, int32_t(i), rows[i].first ? "1" : "0");
            d.writer.inputs.urlRows.setText(HTTPScanner::urlCol, int32_t(i), rows[i].second.c_str());
        }
        return d.save(ws.path("web.QXD"));
    }

    Workspace ws;
    TestHTTPServer web;
    DefinitionBuilder d;
    std::atomic<int> hits{0};
};

TEST_F(URLRun, EachMarkedPageIsOneStreamAndFailuresAreLoggedAndScannedEmpty) {
    const std::string report = web.url("/report");
    const std::string missing = web.url("/missing");
    RunResult r = runDefinition(definition({{true, report}, {false, web.url("/never")}, {true, missing}}));
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(hits, 1) << "the row with Scan off is not fetched";
    EXPECT_EQ(ws.read("errors.txt"), "<" + report + ": disk full\n" + report + ": fan\n>\n<>\n");
    EXPECT_EQ(r.client->shown(),
              (std::vector<std::string>{" Scanning " + report, " Scanning " + missing,
                                        "URLs scanned:  2"}));
    EXPECT_EQ(r.client->unreadInputs(), 1);
    const std::string log = ws.read("web.log");
    EXPECT_NE(log.find(report + ": HTTP request successful\n"), std::string::npos) << log;
    EXPECT_NE(log.find(missing + ": HTTP request code: 404\n"), std::string::npos) << log;
    EXPECT_EQ(r.client->runMessage(), "URLs scanned:  2 - view log for messages");
}

TEST_F(URLRun, AStopDuringAFetchEndsItQuicklyAndTheRunAfterThatPage) {
    const std::string slow = web.url("/slow");
    const std::string def = definition({{true, slow}, {true, web.url("/report")}});
    TestClient client;
    client.init();
    ASSERT_TRUE(client.load(def.c_str()));
    PXInst run;
    std::thread stop([&run] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        run.setHalt(2);
    });
    const auto start = std::chrono::steady_clock::now();
    client.runKind(run, MFClient::automatic);
    const auto took = std::chrono::steady_clock::now() - start;
    stop.join();
    EXPECT_LT(took, std::chrono::milliseconds(2500)) << "the page would have taken 5 s";
    EXPECT_EQ(hits, 0) << "the page after the stopped one is not fetched";
    EXPECT_EQ(ws.read("errors.txt"), "<>\n") << "the stopped page is scanned, empty";
    EXPECT_EQ(client.shown().back(), "URLs scanned:  1") << "a page stopped on request is no failure";
    EXPECT_NE(ws.read("web.log").find(slow + ": Get URL: stopped on request\n"), std::string::npos);
}

TEST_F(URLRun, WithoutRowsThePhaseActionsStillRunAndNothingIsCounted) {
    d.output("Out", "phases.txt");
    d.phaseAction(d.engine().preRunActions, "Send to", {"Out", "begin"});
    d.phaseAction(d.engine().postRunActions, "Append to", {"Out", " end"});
    const std::string def = d.save(ws.path("empty.QXD"));
    TestClient client;
    client.init();
    ASSERT_TRUE(client.load(def.c_str()));
    PXInst run;
    EXPECT_EQ(client.runKind(run, MFClient::urls), 2);
    EXPECT_EQ(ws.read("phases.txt"), "begin end");
    EXPECT_EQ(client.shown().back(), "URLs scanned:  0");
}

}  // namespace
