// The match rule of each node matcher, called directly at a position of a buffer, and the
// former faults of the matchers.
#include "tests/engine/EngineFixture.h"

namespace {

class MatcherTest : public EngineTest {
protected:
    // The length the node's matcher gives at `at`, and the buffer's failed flag after it.
    std::pair<int32_t, bool> matchAt(PXNode* node, const std::string& input, int32_t at) {
        XXMEMBUF memory;
        memory.setData(input.data(), int64_t(input.size()));
        memory.open(20);
        int32_t p = at;
        const int32_t length = node->matcher()->match(memory, p);
        EXPECT_EQ(p, at);   // the caller's position never moves
        return {length, memory.failed()};
    }
};

TEST_F(MatcherTest, PatternSet) {
    set8("A", {{'a', -1}});
    set8("AB", {{'a', 'b'}});
    set8("B", {{'b', -1}});
    pattern("Tail", {{"A", 1, 5}});
    pattern("Mid", {{"AB", 1, 4}, {"B", 1, 2}});
    pattern("Exact", {{"A", 2, -1}, {"B", 1, -1}});
    PXNode* tail = refNode(main(), "Tail");
    PXNode* mid = refNode(main(), "Mid");
    PXNode* exact = refNode(main(), "Exact");
    ASSERT_EQ(prepare(), 2);
    struct Row {
        PXNode* node;
        const char* input;
        int32_t at;
        int32_t length;
        int32_t tailCount;
    } rows[] = {
        {tail, "aaaa", 0, 1, 4},        // the minimum; the rest is left to the walk
        {tail, "baaa", 0, -1, 0},
        {mid, "aabbb", 0, 3, 1},         // "aa" stops where b, the next element's, begins
        {mid, "abab", 0, 2, 1},
        {mid, "aaaaab", 0, -1, 0},       // at most four: the fifth a is no b
        {exact, "aab", 0, 3, 0},
        {exact, "ab", 0, -1, 0},
        {exact, "xaab", 1, 3, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.node->refName().text()) + " " + row.input);
        EXPECT_EQ(matchAt(row.node, row.input, row.at).first, row.length);
        EXPECT_EQ(row.node->matcher()->tailCount, row.tailCount);
    }
}

TEST_F(MatcherTest, PatternStr) {
    PXNode* exact = textNode(main(), "Ab");
    PXNode* noCase = textNode(main(), "Ab");
    noCase->setIgnoreCase(true);
    PXNode* wide = wideNode(main(), u"Ab");
    PXNode* wideNoCase = wideNode(main(), u"\u00e9b");
    wideNoCase->setIgnoreCase(true);
    struct Row {
        PXNode* node;
        std::string input;
        int32_t length;
    } rows[] = {
        {exact, "Ab", 2}, {exact, "ab", -1}, {noCase, "aB", 2}, {noCase, "a", -1},
        {wide, std::string("A\0b\0", 4), 4}, {wide, std::string("a\0b\0", 4), -1},
        {wideNoCase, std::string("\xc9\0B\0", 4), 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.input));
        EXPECT_EQ(matchAt(row.node, row.input, 0).first, row.length);
    }
}

TEST_F(MatcherTest, StringSetFirstItemInSetOrderWins) {
    stringSet("S", {{"ab"}, {"abc"}, {"x", "", "", false, false}, {"CD", "", "", true}});
    stringSet("None", {{"q", "", "", false, false}});
    PXNode* s = refNode(main(), "S");
    PXNode* none = refNode(main(), "None");
    ASSERT_EQ(prepare(), 2);
    EXPECT_EQ(matchAt(s, "abc", 0).first, 2);
    EXPECT_EQ(engine.stringSetTable()[0].lastMatched, 0);
    EXPECT_EQ(matchAt(s, "x", 0).first, -1);   // disabled
    EXPECT_EQ(matchAt(s, "cd", 0).first, 2);
    EXPECT_EQ(engine.stringSetTable()[0].lastMatched, 3);
    // A set with nothing enabled still notices the end of the input.
    EXPECT_EQ(matchAt(none, "q", 1), std::make_pair(-1, true));
    EXPECT_EQ(matchAt(none, "q", 0), std::make_pair(-1, false));
}

TEST_F(MatcherTest, NullPattern) {
    set8("A", {{'a', -1}});
    pattern("N", {{"A", 0, 0}});
    PXNode* n = refNode(main(), "N");
    ASSERT_EQ(prepare(), 2);
    EXPECT_EQ(matchAt(n, "abc", 0).first, 0);
    EXPECT_EQ(matchAt(n, "abc", 1).first, -1);
    EXPECT_EQ(matchAt(n, "abc", 3).first, 0);
}

TEST_F(MatcherTest, NodeGroupMatchesWithItsStartNode) {
    PXGraph* g = engine.nodeGroups.addGroup("G");
    textNode(*g, "ab");
    PXNode* n = refNode(main(), "G");
    ASSERT_EQ(prepare(), 2);
    EXPECT_EQ(matchAt(n, "abx", 0).first, 2);
    EXPECT_EQ(matchAt(n, "xab", 0).first, -1);
}

// Former bugs: one row per fault fixed.
TEST_F(MatcherTest, FormerBugs) {
    // A string-set item too long for the last bytes marked the input failed, so the search
    // ended before a shorter item there: the last word of a stream was lost.
    stringSet("Words", {{"longerword"}, {"end"}});
    emit(refNode(main(), "Words"));
    EXPECT_EQ(scan("the end"), "end");
    dests.dests.clear();
    // The same for a link too long for the last bytes: a later start was not found.
    main().clear();
    PXNode* s = textNode(main(), "a");
    link(s, textNode(main(), "bcdef"));
    emit(s);
    EXPECT_EQ(scan("a a"), "aa");
}

}  // namespace
