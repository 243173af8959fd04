// The graph walk: which link wins, when a tail stops, when the walk goes back to the start
// node, what a node group consumes, the progress guard, terminal-node counts, wide steps,
// halts, and a file-backed buffer whose window slides in the middle of matches.
#include <random>

#include "engine/PXActions.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

class WalkTest : public EngineTest {
protected:
    // "Send to" the node's own text, then a "|" after it.
    void emitBar(PXNode* n) {
        emit(n);
        act(n, "Append to", {"", "|", ""});
    }
};

TEST_F(WalkTest, TailTakesRepetitionsOnlyUntilALinkMatches) {
    set8("A", {{'a', -1}});
    pattern("P", {{"A", 1, 5}});
    PXNode* s = refNode(main(), "P");
    PXNode* x = textNode(main(), "x");
    link(s, x);
    emitBar(s);
    emitBar(x);
    struct Row {
        const char* input;
        const char* out;
    } rows[] = {
        {"aaax", "aaa|x|"},
        // Five repetitions at most: the sixth a is no link's, so the walk starts over there.
        {"aaaaaaax", "aaaaa|aa|x|"},
        {"ax", "a|x|"},
        {"aaa", "aaa|"},
        {"x", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        dests.dests.clear();
        EXPECT_EQ(scan(row.input), row.out);
    }
}

TEST_F(WalkTest, MiddleElementStopsWhereTheNextOneStarts) {
    set8("AN", {{'a', 'z'}, {'0', '9'}});
    set8("D", {{'0', '9'}});
    pattern("P", {{"AN", 1, 10}, {"D", 1, -1}});
    emitBar(refNode(main(), "P"));
    EXPECT_EQ(scan("ab1c2 zz9"), "ab1|c2|zz9|");
}

TEST_F(WalkTest, FirstMatchingLinkWinsOverALongerLaterOne) {
    PXNode* s = textNode(main(), "a");
    PXNode* b = textNode(main(), "b");
    PXNode* bc = textNode(main(), "bc");
    link(s, b);
    link(s, bc);
    emitBar(s);
    emitBar(b);
    emitBar(bc);
    EXPECT_EQ(scan("abc abc"), "a|b|a|b|");
}

TEST_F(WalkTest, EmptyMatchingLinkIsTakenOnlyWhenTheNodeCannotExtend) {
    set8("A", {{'a', -1}});
    set8("B", {{'b', -1}});
    pattern("P", {{"A", 1, 5}});
    pattern("E", {{"B", 0, 3}});
    PXNode* s = refNode(main(), "P");
    PXNode* e = refNode(main(), "E");
    link(s, e);
    emitBar(s);
    emitBar(e);
    struct Row {
        const char* input;
        const char* out;
    } rows[] = {
        // E matches nothing after every a, yet the node first takes all the a it can.
        {"aaac", "aaa||"},
        // E then extends over its own tail.
        {"aaabbc", "aaa|bb|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        dests.dests.clear();
        EXPECT_EQ(scan(row.input), row.out);
    }
}

TEST_F(WalkTest, ProgressGuardAdvancesPastAnEmptyStartMatch) {
    set8("B", {{'b', -1}});
    pattern("E", {{"B", 0, 3}});
    emitBar(refNode(main(), "E"));
    // An empty match at 0, one unit on; then "b", whose tail runs out of input and ends the
    // scan.
    EXPECT_EQ(scan("ab"), "|b|");
    EXPECT_EQ(run.matchCount, 2);
    dests.dests.clear();
    EXPECT_EQ(scan("abc", true), "|b|||");
    EXPECT_EQ(run.matchCount, 4);
}

TEST_F(WalkTest, TerminalNodesAreCounted) {
    PXNode* s = textNode(main(), "a");
    PXNode* b = textNode(main(), "b");
    PXNode* c = textNode(main(), "c");
    link(s, b);
    link(b, c);
    scan("abc ab abc a");
    // c ends two walks; a walk that stops at a node with links counts nothing.
    EXPECT_EQ(run.matchCount, 2);
}

TEST_F(WalkTest, StartNodeThatNeverMatchesRunsNoNodeActions) {
    PXNode* s = textNode(main(), "zz");
    emitBar(s);
    act(s, "IncCounter", {"hits"});
    counter("hits", 0);
    EXPECT_EQ(scan("abcdefz"), "");
    EXPECT_EQ(counterValue("hits"), 0);
}

TEST_F(WalkTest, NodeGroupWithoutReturnConsumesTheRestOfTheStream) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    emitBar(textNode(*g, "a"));
    PXNode* s = textNode(main(), "<");
    PXNode* call = refNode(main(), "grp");
    link(s, call);
    PXNode* again = textNode(main(), "a");
    link(call, again);
    emitBar(again);
    // The group's walk runs to the end of the input; the main graph then finds nothing more.
    EXPECT_EQ(scan("<a a <a"), "a|a|a|");
}

TEST_F(WalkTest, ReturnHandsTheGroupsLengthToTheCallingNode) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    PXNode* ga = textNode(*g, "a");
    PXNode* gb = textNode(*g, "b");
    link(ga, gb);
    act(gb, "Return");
    PXNode* s = textNode(main(), "<");
    PXNode* call = refNode(main(), "grp", "G");
    PXNode* close = textNode(main(), ">");
    link(s, call);
    link(call, close);
    emitBar(call);
    emitBar(close);
    // The link to the group is tried with the group's start node: "<xab>" is no call. At
    // "<ab>" the group's walk reaches Return and the node holds what it consumed. At "<a>"
    // it does not, so the group's own search goes on through the input until its walk
    // reaches Return, at the last "ab": all of that is the node's match.
    EXPECT_EQ(scan("<xab> <ab> <a> <ab>"), "ab|>|a> <ab|>|");
    dests.dests.clear();
    EXPECT_EQ(scan("<ab> <a>", true), "ab|>|a|>|");
}

TEST_F(WalkTest, NullPatternMatchesAtTheStartAndAtTheEnd) {
    set8("A", {{'a', -1}});
    pattern("N", {{"A", 0, 0}});
    PXNode* n = refNode(main(), "N");
    ASSERT_NE(n, nullptr);
    counter("hits", 0);
    act(n, "IncCounter", {"hits"});
    scan("xyz");
    EXPECT_EQ(&n->patternNull(), dynamic_cast<PatternNull*>(n->matcher()));
    // Once at offset 0 and once at the end.
    EXPECT_EQ(counterValue("hits"), 2);
    EXPECT_EQ(n->matchStart, 3);
}

TEST_F(WalkTest, LinkThatCanOnlyMatchNothingRunsWhenTaken) {
    set8("A", {{'a', -1}});
    pattern("N", {{"A", 0, 0}});
    stringSet("Empty", {{""}});
    PXNode* s = textNode(main(), "end");
    PXNode* n = refNode(main(), "N");
    link(s, n);
    PXNode* a = textNode(main(), "a");
    PXNode* e = refNode(main(), "Empty");
    link(a, e);
    counter("null", 0);
    counter("empty", 0);
    act(n, "IncCounter", {"null"});
    act(e, "IncCounter", {"empty"});
    main().setNode1(s);
    scan("the end");
    // At the end of the input the scan ends after the link's actions.
    EXPECT_EQ(counterValue("null"), 1);
    main().setNode1(a);
    scan("ab");
    // In the middle the taken link runs its actions, then again as the walk's current node.
    EXPECT_EQ(counterValue("empty"), 2);
}

TEST_F(WalkTest, WideStartNodeStepsTwoBytes) {
    emitBar(wideNode(main(), u"ab"));
    const std::string wideAb("a\0b\0", 4);
    struct Row {
        std::string input;
        std::string out;
    } rows[] = {
        {"XX" + wideAb, wideAb + "|"},
        // At an odd offset the text is never tried.
        {"X" + wideAb + "X", ""},
        {wideAb + wideAb, wideAb + "|" + wideAb + "|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.input));
        dests.dests.clear();
        EXPECT_EQ(scan(row.input), row.out);
    }
}

TEST_F(WalkTest, HaltStopsTheStreamAfterTheNode) {
    PXNode* s = textNode(main(), "a");
    emitBar(s);
    act(s, "Halt", {"0"});
    EXPECT_EQ(scan("a a a"), "a|");
    EXPECT_EQ(run.getHalt(), 1);
    // The next stream starts again.
    dests.dests.clear();
    EXPECT_EQ(scan("a a", true), "a|");
}

TEST_F(WalkTest, WalkRoundNodesThatMatchNothingEnds) {
    set8("B", {{'b', -1}});
    pattern("E", {{"B", 0, 0}, {"B", 0, 2}});
    PXNode* s = textNode(main(), "a");
    PXNode* e1 = refNode(main(), "E");
    PXNode* e2 = refNode(main(), "E");
    link(s, e1);
    link(e1, e2);
    link(e2, e1);
    counter("steps", 0);
    act(e1, "IncCounter", {"steps"});
    scan("ac ac");
    // Each walk goes round the two empty nodes a bounded number of times.
    EXPECT_GT(counterValue("steps"), 0);
    EXPECT_LT(counterValue("steps"), 20);
}

TEST_F(WalkTest, ALookAtAWideNextElementNearTheEndDoesNotEndTheSearch) {
    // After "aa" the pattern looks whether its next element (six bytes) starts there: only
    // three bytes are left, which is no reason to stop looking for later matches.
    set8("A", {{'a', -1}});
    variable("V", "123456");
    pattern("P", {{"A", 1, 3}, {"V", 0, 0}});
    PXNode* c = textNode(main(), "c");
    PXNode* p = refNode(main(), "P");
    link(c, p);
    emitBar(c);
    emitBar(p);
    EXPECT_EQ(scan("caabc"), "c|aa|c|");
}

TEST_F(WalkTest, AnEmptyStartMatchThatLinksRoundToItselfStillMovesOn) {
    // The start node matches nothing at every position and its link takes it round again.
    set8("SP", {{' ', -1}});
    pattern("E", {{"SP", 0, 3}});
    PXNode* e = refNode(main(), "E");
    link(e, e);
    emit(e);
    counter("steps", 0);
    act(e, "IncCounter", {"steps"});
    EXPECT_EQ(scan("a b"), " ");
    EXPECT_GT(counterValue("steps"), 0);
    EXPECT_LT(counterValue("steps"), 40);

    // A start node that can only match nothing, linked to itself.
    main().clear();
    pattern("Z", {{"SP", 0, 0}});
    PXNode* n = refNode(main(), "Z");
    link(n, n);
    act(n, "IncCounter", {"steps"});
    scan("xyz");
    EXPECT_LT(counterValue("steps"), 80);
}

// --- a file-backed buffer against the same bytes in memory --------------------------------

class WindowTest : public WalkTest {
protected:
    struct Seen {
        std::vector<std::string> texts;
        std::vector<int64_t> starts;
    };
    static void record(int32_t, const char*, const char*, int32_t, const char*, int64_t start, int32_t,
                       IXXINBUF*, void* user) {
        static_cast<Seen*>(user)->starts.push_back(start);
    }

    void buildGraph() {
        set8("L", {{'a', 'z'}});
        pattern("W", {{"L", 1, 40}});
        PXNode* s = textNode(main(), "ERROR");
        PXNode* w = refNode(main(), "W", "word");
        PXNode* dot = textNode(main(), ".");
        link(s, w);
        link(w, dot);
        emitBar(s);
        emitBar(w);
        act(w, "ExeUDF", {"1"});
        act(dot, "Send to", {"", "", "word"});
        act(dot, "Append to", {"", "#", ""});
        engine.setCallback(record);
    }

    std::string scanFile(const std::string& path, Seen& seen) {
        engine.setUp(&seen, &sources, &dests);
        EXPECT_EQ(prepare(), 2);
        XXSTREAM stream;
        EXPECT_TRUE(stream.open(path.c_str(), XXSTREAM::readRaw));
        XXINBUF buffer;
        buffer.setStream(&stream);
        run.buffer = &buffer;
        engine.phase(1, run);
        engine.scanStream(run);
        engine.phase(6, run);
        run.buffer = nullptr;
        return dests.out();
    }
};

TEST_F(WindowTest, MatchesAcrossWindowSlidesEqualThoseInMemory) {
    buildGraph();
    std::mt19937 rng(7);
    std::string input;
    const char* pieces[] = {"ERRORabc.", "ERRORxyzzy", " lorem ", "ERROR", ".", "ERRORq.", "zz"};
    while (input.size() < 300000) input += pieces[rng() % 7];
    // Matches that straddle the first window boundaries exactly.
    for (int64_t at : {65536 - 3, 2 * 65536 - 2048 - 7, 3 * 65536 - 4096 - 1}) input.replace(size_t(at), 12, "ERRORabcdef.");
    TempDir dir;
    const std::string path = dir.write("in.txt", input);

    Seen fromFile;
    const std::string fileOut = scanFile(path, fromFile);
    dests.dests.clear();
    Seen fromMemory;
    engine.setUp(&fromMemory, &sources, &dests);
    const std::string memoryOut = scan(input);
    EXPECT_GT(fromMemory.starts.size(), 1000u);
    EXPECT_EQ(fileOut, memoryOut);
    EXPECT_EQ(fromFile.starts, fromMemory.starts);
}

}  // namespace
