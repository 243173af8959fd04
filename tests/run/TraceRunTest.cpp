// The HTML trace of a run, written through destination -3, against hand-written pages.
#include <gtest/gtest.h>

#include <string>

#include "tests/run/RunFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

// "<" starts a block; the run of bytes after it that are neither "<" nor a line end is the
// second node.
std::string traceDefinition(Workspace& ws, const char* input, const char* name = "trace.QXD",
                            const char* postProcessor = nullptr, const char* preProcessor = nullptr) {
    DefinitionBuilder d;
    d.set8("NotOpen", {{32, 59}, {61, 255}});
    d.pattern("Rest", {{"NotOpen", 1, 20}});
    PXNode* open = d.textNode("<", "Open");
    PXNode* word = d.refNode("Rest", "Word");
    d.link(open, word);
    if (input) d.input(input);
    if (postProcessor) d.postProcessor(postProcessor);
    if (preProcessor) d.preProcessor(preProcessor);
    return d.save(ws.path(name));
}

void traceOn(TestClient& c) { c.traceSwitch = true; }

TEST(TraceRun, OneBlockPerMatchedNodeWithItsBytesUnescaped) {
    Workspace ws;
    ws.write("a.txt", "xx<ab>\n<b&c\n");
    ws.write("b.txt", "nothing to see\n");
    RunResult r = runDefinition(traceDefinition(ws, "*.txt"), traceOn);
    ASSERT_EQ(r.result, 2);
    const std::string expected =
        golden("trace-head.htm") + normalisedLog(golden("trace-streams.htm"), "") + golden("trace-tail.htm");
    EXPECT_EQ(normalisedLog(ws.read("QuillonTrace.htm"), ws.dir.path().string()), expected);
}

TEST(TraceRun, WithoutInputTheTraceIsHeadAndTail) {
    Workspace ws;
    RunResult r = runDefinition(traceDefinition(ws, nullptr), traceOn);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(ws.read("QuillonTrace.htm"), golden("trace-head.htm") + golden("trace-tail.htm"));
}

TEST(TraceRun, EachTracedRunReplacesTheTraceAndAnUntracedRunLeavesIt) {
    Workspace ws;
    ws.write("a.txt", "<x\n");
    const std::string def = traceDefinition(ws, "a.txt");
    ws.write("QuillonTrace.htm", "an earlier trace");
    runDefinition(def);
    EXPECT_EQ(ws.read("QuillonTrace.htm"), "an earlier trace");
    runDefinition(def, traceOn);
    const std::string first = ws.read("QuillonTrace.htm");
    runDefinition(def, traceOn);
    EXPECT_EQ(ws.read("QuillonTrace.htm"), first);
    EXPECT_EQ(first.find("<html>"), 0u);
}

TEST(TraceRun, TheProcessorsAddTheirTracesToTheRunsTraceInTurn) {
    Workspace ws;
    ws.write("a.txt", "<main\n");
    ws.write("b.txt", "<post\n");
    ws.write("p.txt", "<pre\n");
    runDefinition(traceDefinition(ws, "a.txt"), traceOn);
    const std::string alone = ws.read("QuillonTrace.htm");
    const std::string post = traceDefinition(ws, "b.txt", "post.QXD");
    runDefinition(traceDefinition(ws, "a.txt", "main.QXD", post.c_str()), traceOn);
    const std::string both = ws.read("QuillonTrace.htm");
    ASSERT_EQ(both.compare(0, alone.size(), alone), 0) << both;
    const std::string added = both.substr(alone.size());
    EXPECT_EQ(added.find(golden("trace-head.htm")), 0u) << added;
    EXPECT_NE(added.find(ws.path("b.txt")), std::string::npos) << added;
    EXPECT_NE(added.find("post"), std::string::npos) << added;

    // A pre-processor starts the trace; the run and its post-processor follow it there.
    const std::string pre = traceDefinition(ws, "p.txt", "pre.QXD");
    runDefinition(traceDefinition(ws, "a.txt", "all.QXD", post.c_str(), pre.c_str()), traceOn);
    const std::string all = ws.read("QuillonTrace.htm");
    EXPECT_EQ(all.find(golden("trace-head.htm")), 0u) << all;
    const size_t preAt = all.find(ws.path("p.txt")), mainAt = all.find(ws.path("a.txt"));
    ASSERT_NE(preAt, std::string::npos) << all;
    EXPECT_LT(preAt, mainAt) << all;
    EXPECT_LT(mainAt, all.find(ws.path("b.txt"))) << all;
    EXPECT_EQ(all.find(ws.path("a.txt")), all.rfind(ws.path("a.txt"))) << "the earlier trace is gone";
}

TEST(TraceRun, ATraceThatCannotBeOpenedIsLoggedOnceAndTheRunGoesOn) {
    Workspace ws;
    ws.write("a.txt", "<x\n<y\n");
    ws.write("plain", "a file where a folder would have to be");
    RunResult r = runDefinition(traceDefinition(ws, "a.txt"), [](TestClient& c) {
        c.traceSwitch = true;
        c.traceFileName = "plain/trace.htm";
    });
    EXPECT_EQ(r.result, 2);
    const std::string log = ws.read("Log.tmp");
    const std::string line = "Unable to open plain/trace.htm: Not a directory\n";
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;
    EXPECT_EQ(r.client->runMessage(), "Files scanned:  1 - some output could not be written - view log for messages");
}

}  // namespace
