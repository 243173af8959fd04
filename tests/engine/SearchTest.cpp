// The start-node search's fast skips against the plain byte-by-byte search: for each kind of
// plan, random inputs scanned both ways, in memory and through small file windows that
// slide in the middle of candidates, must give the same matches at the same offsets.
#include <functional>
#include <random>

#include "engine/PXSearch.h"
#include "tests/engine/DifferentialFixture.h"
#include "tests/support/TempDir.h"

namespace {

class SearchTest : public DifferentialTest {
protected:
    // Random inputs over `alphabet` compared fast against plain, in memory and in windows.
    void compare(const std::string& alphabet, int32_t rounds = 150) {
        ASSERT_EQ(prepare(), 2) << joined(errors());
        std::mt19937 rng(1234);
        TempDir dir;
        for (int32_t round = 0; round < rounds; ++round) {
            std::string input;
            const size_t n = rng() % 400;
            for (size_t i = 0; i < n; ++i) input += alphabet[rng() % alphabet.size()];
            for (int32_t window : {0, 37, 64}) {
                SCOPED_TRACE("round " + std::to_string(round) + " window " + std::to_string(window) + " input " +
                             testing::PrintToString(input));
                const std::string plain = scanWith(input, false, window, dir);
                const std::string fast = scanWith(input, true, window, dir);
                ASSERT_EQ(fast, plain);
            }
        }
    }
};

TEST_F(SearchTest, LiteralStartNode) {
    PXNode* s = textNode(main(), "abca");
    observe(s);
    link(s, textNode(main(), "b"));
    compare("abc ");
}

TEST_F(SearchTest, LiteralWhoseRarestByteIsNotTheFirst) {
    observe(textNode(main(), "eeqe"));
    compare("eqx");
}

TEST_F(SearchTest, WideLiteralKeepsTheSearchParity) {
    observe(wideNode(main(), u"ab"));
    compare(std::string("ab\0x", 4));
}

TEST_F(SearchTest, LiteralIgnoringCase) {
    PXNode* s = textNode(main(), "aB");
    s->setIgnoreCase(true);
    observe(s);
    compare("abAB ");
}

TEST_F(SearchTest, StringSetWithItemsOfManyLengths) {
    stringSet("S", {{"ab"}, {"b"}, {"cab", "", "", true}, {"abcabcab"}, {"q", "", "", false, false}});
    observe(refNode(main(), "S"));
    compare("abcqC");
}

TEST_F(SearchTest, StringSetOfItemsOfTwoBytesOrMoreFilteredByTheirFirstTwo) {
    stringSet("S", {{"ab"}, {"aca"}, {"Bc", "", "", true}, {"cabcabcabc"}, {"cb", "", "", false, false}});
    observe(refNode(main(), "S"));
    compare("abcCB");
}

TEST_F(SearchTest, StringSetOfItemsOfFourBytesOrMoreFilteredByAHashOfTheirFirstFour) {
    stringSet("S", {{"abca"}, {"acab", "", "", true}, {"bBcAb"}, {"cabcabcabc"}, {"ccab", "", "", false, false}});
    observe(refNode(main(), "S"));
    compare("abcCAB", 300);
}

TEST_F(SearchTest, PatternStartingWithARunOfAnEightBitSet) {
    set8("AB", {{'a', 'b'}});
    set8("C", {{'c', -1}});
    pattern("P", {{"AB", 3, 5}, {"C", 1, 2}});
    observe(refNode(main(), "P"));
    compare("aabc");
}

TEST_F(SearchTest, PatternStartingWithASixteenBitSet) {
    set16("W", {{'a', 'b'}, {0x100, 0x101}});
    pattern("P", {{"W", 2, 4}});
    observe(refNode(main(), "P"));
    compare(std::string("ab\0\1x", 5));
}

// A later element needs a unit no earlier element can take: found forward, the start found
// backward. Bounded first elements also stop the skip over starts inside a failed run.
TEST_F(SearchTest, PatternWithARequiredLaterUnit) {
    set8("L", {{'a', 'c'}});
    set8("@", {{'@', -1}});
    set8(".", {{'.', -1}});
    pattern("E", {{"L", 1, 1000}, {"@", 1, -1}, {"L", 1, 1000}, {".", 1, -1}, {"L", 1, 3}});
    pattern("F", {{"L", 2, 4}, {"@", 1, 2}, {"L", 0, 2}});
    PXNode* e = refNode(main(), "E");
    PXNode* f = refNode(main(), "F");
    observe(e);
    observe(f);
    link(e, f);
    compare("abc@. ", 300);
    EXPECT_EQ(makeSearchPlan(*e).kind, PXSearchPlan::required);
    main().setNode1(f);
    compare("aaaaab@.", 300);
}

TEST_F(SearchTest, WidePatternWithARequiredLaterUnit) {
    set16("L", {{'a', 'b'}, {0x140, 0x141}});
    set16("@", {{'@', -1}});
    pattern("E", {{"L", 1, 1000}, {"@", 1, -1}, {"L", 1, 2}});
    PXNode* e = refNode(main(), "E");
    observe(e);
    compare(std::string("ab\0\0\1@@", 7), 300);
    EXPECT_EQ(makeSearchPlan(*e).kind, PXSearchPlan::required);
}

TEST_F(SearchTest, NodeGroupStartNode) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    textNode(*g, "ba");
    PXNode* s = refNode(main(), "grp");
    observe(s);
    compare("abc");
}

TEST_F(SearchTest, NodeGroupWhoseStartNodeMovesDuringTheScan) {
    PXGraph* g = engine.nodeGroups.addGroup("grp");
    PXNode* ga = textNode(*g, "a", "GA");
    PXNode* gb = textNode(*g, "b", "GB");
    act(ga, "Start node =", {"GB"});
    act(ga, "Return", {});
    act(gb, "Return", {});
    PXNode* n = refNode(main(), "grp");
    PXNode* m = textNode(main(), "m");
    link(n, m);
    link(m, refNode(main(), "grp"));
    observe(n);
    observe(m);
    ASSERT_EQ(prepare(), 2) << joined(errors());
    // Each scan begins with the group's first start node.
    TempDir dir;
    for (int32_t window : {0, 37}) {
        SCOPED_TRACE(window);
        std::string seen[2];
        for (bool fast : {false, true}) {
            g->setNode1(ga);
            seen[fast] = scanWith("xamaxxbmbxxamb", fast, window, dir);
        }
        EXPECT_EQ(seen[1], seen[0]);
        EXPECT_EQ(seen[0].substr(0, seen[0].find('@')), "a|m|b|m|b|");
    }
}

TEST_F(SearchTest, SetSequenceSkipsNeverPassAMatch) {
    // The plan alone: every position the skip passes over fails the plain rule.
    set8("D", {{'0', '9'}});
    pattern("P", {{"D", 4, 6}});
    PXNode* s = refNode(main(), "P");
    ASSERT_EQ(prepare(), 2);
    const PXSearchPlan plan = makeSearchPlan(*s);
    ASSERT_EQ(plan.kind, PXSearchPlan::setSequence);
    std::mt19937 rng(5);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int i = 0; i < 60; ++i) text += "0123x"[rng() % 5];
        const auto* data = reinterpret_cast<const unsigned char*>(text.data());
        const int32_t count = int32_t(text.size());
        int32_t p = 0;
        while (p < count) {
            const int32_t q = skipPositions(plan, data, count, p);
            SCOPED_TRACE(text + " from " + std::to_string(p));
            ASSERT_GE(q, p);
            for (int32_t k = p; k < q; ++k) ASSERT_NE(text.find_first_not_of("0123456789", size_t(k)) - size_t(k) >= 4, true);
            p = q + 1;
        }
    }
}

}  // namespace

namespace {

// Whole walks with the fast forms of the matchers (text, string set, set patterns, tails
// that run past links decided by their first byte) against the plain matchers.
TEST_F(SearchTest, WalksWithFastMatchersEqualPlainWalks) {
    set8("L", {{'a', 'c'}});
    pattern("W", {{"L", 1, 6}});
    pattern("W2", {{"L", 2, 3}, {"L", 0, 4}});
    stringSet("S", {{"@."}, {"@b"}, {"#", "", "", true}});
    PXNode* user = refNode(main(), "W", "user");
    PXNode* at = textNode(main(), "@.");
    PXNode* set = refNode(main(), "S");
    PXNode* host = refNode(main(), "W2");
    PXNode* dot = textNode(main(), ".");
    link(user, at);
    link(user, set);
    link(at, host);
    link(set, host);
    link(host, dot);
    link(dot, user);
    for (PXNode* n : {user, at, set, host, dot}) observe(n);
    compare("abc@.#", 200);
}

}  // namespace

namespace {

TEST_F(SearchTest, PatternOfFixedCountElements) {
    set8("D", {{'0', '1'}});
    set8("-", {{'-', -1}});
    set8("DX", {{'0', '1'}, {'x', -1}});
    pattern("P", {{"D", 2, 2}, {"-", 1, 1}, {"DX", 1, 3}});
    pattern("Q", {{"DX", 3, 3}});
    PXNode* p = refNode(main(), "P");
    observe(p);
    link(p, refNode(main(), "Q"));
    compare("01-x");
}

}  // namespace

namespace {

// A start node with no actions whose runs go on only through links: the search passes over
// runs that no link byte follows, and the start node's last record must still be the one
// the plain walk leaves (a post-stream action writes it).
class UnlinkedRunsTest : public SearchTest {
protected:
    PXNode* user = nullptr;

    // Narrow: a run of "a" to "c", then "@." or "#". Wide: the same over 16-bit units, the run
    // also of U+0140 to U+0141, whose low byte is that of "@".
    void build(bool twoLinks, bool wide = false, int32_t min = 1, int32_t max = 4) {
        if (wide)
            set16("L", {{'a', 'c'}, {0x140, 0x141}});
        else
            set8("L", {{'a', 'c'}});
        pattern("W", {{"L", min, max}});
        user = refNode(main(), "W", "user");
        // Its first unit alone does not decide it.
        PXNode* at = wide ? wideNode(main(), u"@.") : textNode(main(), "@.");
        PXNode* host = refNode(main(), "W", "host");
        link(user, at);
        link(at, host);
        observe(at);
        observe(host);
        if (twoLinks) {
            PXNode* hash = wide ? wideNode(main(), u"#") : textNode(main(), "#");
            link(user, hash);
            observe(hash);
        }
        actionRow(engine.postStreamActions, "Append to", {"", "", "user"});
    }

    bool skipsRuns() {
        PXFastTables tables;
        PXSearchPlans plans;
        return tables.graph(main(), plans, engine.variableTable(), engine.patternTable())
            .nodes[size_t(user->number)]
            .runsNeedALink;
    }
};

TEST_F(UnlinkedRunsTest, OneLinkByte) {
    build(false);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare("abcc @.x", 200);
}

TEST_F(UnlinkedRunsTest, SeveralLinkBytes) {
    build(true);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare("abc@.# ", 200);
}

// Runs are matched in pieces: only a last piece that holds the minimum can reach a link.
TEST_F(UnlinkedRunsTest, PiecesOfAFixedCount) {
    build(true, false, 3, 3);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare("abc@.# ", 300);
}

TEST_F(UnlinkedRunsTest, PiecesBetweenAMinimumAndAMaximum) {
    build(false, true, 2, 3);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare(std::string("ab\0\0\1@.", 7), 300);
}

TEST_F(UnlinkedRunsTest, WideWithOneLinkUnit) {
    build(false, true);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare(std::string("ab\0\0\1@@.", 8), 300);
}

TEST_F(UnlinkedRunsTest, WideWithSeveralLinkUnits) {
    build(true, true);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare(std::string("ab\0\0\1@.#", 8), 300);
}

TEST_F(UnlinkedRunsTest, NotWhenAWideLinkCanStartWithAMemberOfTheRun) {
    set16("L", {{'a', 'c'}, {0x140, 0x141}});
    pattern("W", {{"L", 1, 4}});
    user = refNode(main(), "W");
    link(user, wideNode(main(), u"\u0141@"));
    ASSERT_EQ(prepare(), 2);
    EXPECT_FALSE(skipsRuns());
}

TEST_F(UnlinkedRunsTest, NotWhenTheStartNodeHasActions) {
    build(false);
    act(user, "Send to", {"", "", ""});
    ASSERT_EQ(prepare(), 2);
    EXPECT_FALSE(skipsRuns());
}

// Sends of the run's text to variables: only the last one before a link is ever seen (the
// link's node writes the variable), unless a pattern compares the input with the variable.
class RunsSentToVariablesTest : public UnlinkedRunsTest {
protected:
    void build(bool wide, bool hash = true) {
        UnlinkedRunsTest::build(hash, wide);
        // Values run on across scans: each scan starts from the same one.
        variable("Local", "");
        variable("Other", "");
        actionRow(engine.preStreamActions, "Send to", {"Local", "a", ""});
        act(user, "Send to", {"Local", "", ""});
        act(user, "Send to", {"Other", "", ""});
        act(main().nodeAt(1), "Append to", {"", "<", "Local"});
    }
};

TEST_F(RunsSentToVariablesTest, Narrow) {
    build(false);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare("abc@.# ", 200);
}

TEST_F(RunsSentToVariablesTest, Wide) {
    build(true);
    ASSERT_EQ(prepare(), 2);
    EXPECT_TRUE(skipsRuns());
    compare(std::string("ab\0\0\1@.#", 8), 300);
}

TEST_F(RunsSentToVariablesTest, NotWhenALinkComparesTheInputWithTheVariable) {
    build(false, false);
    set8("Hash", {{'#', -1}});
    pattern("Again", {{"Hash", 1, 1}, {"Local", 1, 1}});
    PXNode* again = refNode(main(), "Again");
    link(user, again);
    observe(again);
    ASSERT_EQ(prepare(), 2);
    EXPECT_FALSE(skipsRuns());
    compare("ab #", 200);
}

TEST_F(UnlinkedRunsTest, NotWhenALinkCanStartWithAMemberOfTheRun) {
    set8("L", {{'a', 'c'}});
    pattern("W", {{"L", 1, 4}});
    user = refNode(main(), "W");
    link(user, textNode(main(), "b@"));
    ASSERT_EQ(prepare(), 2);
    EXPECT_FALSE(skipsRuns());
}

}  // namespace
