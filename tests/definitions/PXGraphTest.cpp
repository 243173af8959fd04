// The pattern graph: matcher selection, text rules, start-node rules, node numbers, node
// references, fast links, labels, clones and run preparation; and the matchers' basic rules
// over a memory buffer.
#include <gtest/gtest.h>

#include <string>

#include "definitions/PXGraphs.h"
#include "foundation/XXMEMBUF.h"
#include "../support/CaptureSink.h"

namespace {

enum class Target { none, pattern, emptyPattern, zeroMax, group, stringSet };

const char* matcherName(const PXNode& n) {
    PXNode& node = const_cast<PXNode&>(n);
    const PXPattern* m = n.matcher();
    if (!m) return "none";
    if (m == &node.patternStr()) return "Str";
    if (m == &node.patternSet()) return "Set";
    if (m == &node.patternNull()) return "Null";
    if (m == &node.patternGraph()) return "Graph";
    if (m == &node.patternSSet()) return "SSet";
    return "?";
}

TEST(PXNode, MatcherSelection) {
    PXSet8 digits;
    PXPatternForm pattern;
    pattern.add({&digits, 1, 3});
    PXPatternForm empty;
    PXPatternForm zeroMax;
    zeroMax.add({&digits, 0, 0});
    PXGraph group;
    StringSet set;

    struct Row {
        const char* ref;
        const char* text;
        const char16_t* wide;
        Target target;
        const char* matcher;
    };
    const Row rows[] = {
        {"", "", u"", Target::none, "none"},
        {"", "abc", u"", Target::none, "Str"},
        {"", "", u"xy", Target::none, "Str"},
        {"", "abc", u"xy", Target::none, "Str"},
        {"P", "abc", u"xy", Target::none, "none"},   // a reference name makes the texts unused
        {"P", "", u"", Target::pattern, "Set"},
        {"P", "", u"", Target::emptyPattern, "Null"},
        {"P", "", u"", Target::zeroMax, "Null"},
        {"G", "", u"", Target::group, "Graph"},
        {"S", "", u"", Target::stringSet, "SSet"},
        {"", "abc", u"", Target::pattern, "Str"},    // targets count only with a reference name
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.ref) + "/" + r.text + "/" + std::to_string(int(r.target)));
        PXNode n;
        n.setWText(r.wide);
        n.setText(r.text);
        n.setRefName(r.ref);
        switch (r.target) {
        case Target::none: break;
        case Target::pattern: n.setPattern(&pattern); break;
        case Target::emptyPattern: n.setPattern(&empty); break;
        case Target::zeroMax: n.setPattern(&zeroMax); break;
        case Target::group: n.setNodeGroup(&group); break;
        case Target::stringSet: n.setStringSet(&set); break;
        }
        EXPECT_STREQ(matcherName(n), r.matcher);
    }
}

TEST(PXNode, EachTargetClearsTheOthers) {
    PXSet8 digits;
    PXPatternForm pattern;
    pattern.add({&digits, 1, 3});
    PXGraph group;
    StringSet set;
    PXNode n;
    n.setRefName("X");
    n.setNodeGroup(&group);
    n.setPattern(&pattern);
    EXPECT_STREQ(matcherName(n), "Set");
    EXPECT_EQ(n.patternGraph().target(), nullptr);
    n.setStringSet(&set);
    EXPECT_STREQ(matcherName(n), "SSet");
    EXPECT_EQ(n.patternSet().target(), nullptr);
    n.setNodeGroup(&group);
    EXPECT_EQ(n.patternGraph().node(), &n);
    EXPECT_EQ(n.patternSSet().target(), nullptr);
    n.clearTargets();
    EXPECT_STREQ(matcherName(n), "none");
}

TEST(PXNode, TextRulesAndSizes) {
    PXNode n;
    PatternStr& s = n.patternStr();
    n.setText("abc");
    EXPECT_EQ(s.wide, 0);
    EXPECT_EQ(s.minSize, 3);
    EXPECT_EQ(s.maxSize, 3);
    n.setWText(u"xy");   // a wide text replaces the narrow one
    EXPECT_EQ(s.wide, 1);
    EXPECT_EQ(s.minSize, 4);
    EXPECT_EQ(n.text().length(), 0);
    n.setText("q");      // a narrow text leaves the wide one, unused
    EXPECT_EQ(s.wide, 0);
    EXPECT_EQ(s.maxSize, 1);
    EXPECT_EQ(n.wtext().length(), 2);
    n.setText("");       // an empty text counts as none: the wide text is used again
    EXPECT_EQ(s.wide, 1);
    EXPECT_EQ(s.maxSize, 4);
    n.setWText(u"");
    EXPECT_STREQ(matcherName(n), "none");
}

TEST(PXNode, PatternSizesAndWidth) {
    PXSet8 a;
    PXSet16 w;
    PXPatternForm p;
    p.add({&w, 1, 2});
    p.add({&a, 3, 7});
    PXNode n;
    n.setRefName("P");
    n.setPattern(&p);
    EXPECT_EQ(n.patternSet().minSize, 4);
    EXPECT_EQ(n.patternSet().maxSize, 9);
    EXPECT_TRUE(n.patternSet().isWide());
    PXPatternForm none;
    n.setPattern(&none);
    EXPECT_FALSE(n.patternSet().isWide());
}

TEST(PXNode, Labels) {
    struct Row {
        bool start;
        const char* tag;
        const char* ref;
        const char* text;
        const char16_t* wide;
        const char* label;
        std::u16string display;
    };
    const Row rows[] = {
        {false, "", "", "abc", u"", "\"abc\"", u"\"abc\""},
        {false, "T", "", "abc", u"", "T:  \"abc\"", u"T:  \"abc\""},
        {true, "T", "Digits", "", u"", "(Start)  T:  Digits", u"(Start)  T:  Digits"},
        {false, "", "", "", u"\u03a9", "", u"W\"\u03a9\""},
        {false, "T", "Ref", "", u"\u03a9", "T:  Ref", u"T:  Ref"},
        {false, "", "", "", u"", "", u""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        PXNode n;
        n.setWText(r.wide);
        n.setText(r.text);
        n.setTag(r.tag);
        n.setRefName(r.ref);
        n.setStartFlag(r.start);
        EXPECT_EQ(std::string(n.label().text()), r.label);
        EXPECT_EQ(std::u16string(n.displayText().text()), r.display);
    }
}

TEST(PXNode, ActionsSummary) {
    PXNode n;
    n.addAction(std::make_unique<CAction>(15, "Return", "Return", false));
    auto send = std::make_unique<CAction>(3, "Send to", "Sendto", false);
    send->setParm(0, "Out", nullptr);
    n.addAction(std::move(send));
    EXPECT_EQ(std::u16string(n.actionsSummary().text()), u"Return\nSend to Out\n");
}

TEST(PXNode, CloneCopiesFieldsButNotLinksOrReference) {
    PXGraph g;
    PXGraph group;
    PXNode* a = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(2, 2);
    g.addLink(*a, b->id());
    a->setTag("A");
    a->setRefName("G");
    a->setNodeGroup(&group);
    a->setIgnoreCase(true);
    a->matchStart = 40;
    a->matchLength = 3;
    a->addAction(std::make_unique<CAction>(15, "Return", "Return", false));
    PXNodeRefTable refs;
    registerNodeRef(refs, *a);
    a->buildFastLinks();

    std::unique_ptr<PXNode> c = a->clone();
    EXPECT_EQ(std::string(c->tag().text()), "A");
    EXPECT_EQ(std::string(c->refName().text()), "G");
    EXPECT_TRUE(c->ignoreCase());
    EXPECT_TRUE(c->isStart());
    EXPECT_EQ(c->matchStart, 40);
    EXPECT_EQ(c->matchLength, 3);
    EXPECT_EQ(c->number, a->number);
    EXPECT_EQ(c->matcher(), &c->patternGraph());
    EXPECT_EQ(c->patternGraph().node(), c.get());
    EXPECT_EQ(c->patternGraph().target(), &group);
    ASSERT_EQ(c->actions.count(), 1);
    EXPECT_NE(c->actions.first(), a->actions.first());
    EXPECT_EQ(c->nodeRef(), nullptr);
    EXPECT_EQ(c->linkCount(), 0);
    EXPECT_EQ(c->fastLinks.count, 0);
    EXPECT_EQ(std::u16string(c->actionsSummary().text()), u"Return\n");
}

TEST(PXGraph, StartNodeRules) {
    PXGraph g;
    PXNode* a = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(2, 2);
    PXNode* c = g.addPXNode(3, 3);
    EXPECT_EQ(g.startNode(), a);   // the first node added
    EXPECT_TRUE(a->isStart());
    g.setNode1(c);
    EXPECT_EQ(g.startNode(), c);
    EXPECT_FALSE(a->isStart());
    EXPECT_TRUE(c->isStart());
    EXPECT_EQ(g.selectedId(), c->id());

    g.delNode(c->id());             // the start node goes: the first remaining node starts
    EXPECT_EQ(g.startNode(), a);
    EXPECT_TRUE(a->isStart());
    g.delNode(b->id());             // another node goes: the start node stays
    EXPECT_EQ(g.startNode(), a);
    EXPECT_EQ(a->number, 0);
    g.delNode(a->id());             // the last node goes: no start node
    EXPECT_EQ(g.startNode(), nullptr);
    EXPECT_EQ(g.startNodeId(), 0);

    PXNode* d = g.addPXNode(1, 1);
    EXPECT_EQ(g.startNode(), d);
    g.setNode1(nullptr);
    EXPECT_FALSE(d->isStart());
    EXPECT_EQ(g.startNode(), nullptr);
}

TEST(PXGraph, DeletingRenumbersAndDropsLinks) {
    PXGraph g;
    PXNode* n[4];
    for (auto& p : n) p = g.addPXNode(1, 1);
    g.addLink(*n[0], n[2]->id());
    g.addLink(*n[0], n[3]->id());
    g.delNode(n[2]->id());
    ASSERT_EQ(g.nodeCount(), 3);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(g.nodeAt(i)->number, i);
    ASSERT_EQ(n[0]->linkCount(), 1);
    EXPECT_EQ(n[0]->linkAt(0)->targetId(), n[3]->id());
    EXPECT_EQ(n[0]->linkAt(0)->number(), 1);
}

TEST(PXGraph, ChgNodeNumberClamps) {
    struct Row {
        int32_t from;
        int32_t to;
        const char* order;   // tags in node order afterwards
    };
    const Row rows[] = {
        {0, 2, "BCAD"}, {3, 0, "DABC"}, {1, 99, "ACDB"}, {2, -5, "CABD"}, {1, 1, "ABCD"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.order);
        PXGraph g;
        for (const char* t : {"A", "B", "C", "D"}) g.addPXNode(1, 1)->setTag(t);
        EXPECT_TRUE(g.chgNodeNumber(r.from, r.to));
        std::string order;
        for (int32_t i = 0; i < g.nodeCount(); ++i) {
            order += g.nodeAt(i)->tag().text();
            EXPECT_EQ(g.nodeAt(i)->number, i);
        }
        EXPECT_EQ(order, r.order);
    }
    CaptureSink sink;
    PXGraph g;
    g.addPXNode(1, 1);
    EXPECT_FALSE(g.chgNodeNumber(5, 0));
    EXPECT_TRUE(sink.sawError("PXGraph::chgNodeNumber"));
    EXPECT_TRUE(sink.sawError("Null node pointer"));
}

TEST(PXGraph, SeekNodeNumber) {
    CaptureSink sink;
    PXGraph g;
    PXNode* a = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(1, 1);
    EXPECT_EQ(g.seekNodeNumber("0"), a);
    EXPECT_EQ(g.seekNodeNumber("1"), b);
    EXPECT_TRUE(sink.errors.empty());
    EXPECT_EQ(g.seekNodeNumber("x"), nullptr);
    EXPECT_TRUE(sink.errors.empty());
    EXPECT_EQ(g.seekNodeNumber("7"), nullptr);
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_NE(sink.errors[0].find("PXGraph::seekNodeNumber :\nDefinition file: Node 7 not found"), std::string::npos);
    EXPECT_EQ(g.findByTag(""), a);
    b->setTag("B");
    EXPECT_EQ(g.findByTag("B"), b);
    EXPECT_EQ(g.findByTag("b"), nullptr);
}

TEST(PXGraphs, SharedNodeReferences) {
    PXGraphs graphs;
    graphs.buildSchema(nullptr, nullptr);
    PXGraph& g = graphs.main;
    PXNode* a1 = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(1, 1);
    PXNode* a2 = graphs.addGroup("G")->addPXNode(1, 1);
    PXNode* untagged = g.addPXNode(1, 1);
    a1->setTag("A");
    a2->setTag("A");
    b->setTag("B");
    PXGraphIter it(graphs);
    while (PXGraph* each = it.next())
        for (int32_t i = 0; i < each->nodeCount(); ++i) registerNodeRef(graphs.nodeRefs, *each->nodeAt(i));
    ASSERT_EQ(graphs.nodeRefs.count, 2);
    EXPECT_EQ(a1->nodeRef(), a2->nodeRef());
    EXPECT_EQ(a1->nodeRef()->shared, 1);
    EXPECT_EQ(a1->nodeRef()->node, nullptr);
    EXPECT_EQ(b->nodeRef()->node, b);
    EXPECT_EQ(b->nodeRef()->shared, 0);
    EXPECT_EQ(untagged->nodeRef(), nullptr);

    a2->reset(3);   // a match records the node in the shared entry
    EXPECT_EQ(a1->nodeRef()->node, a2);
    b->reset(3);
    clearSharedNodeRefs(graphs.nodeRefs);
    EXPECT_EQ(a1->nodeRef()->node, nullptr);
    EXPECT_EQ(b->nodeRef()->node, b);
    // Emptying the table leaves no node pointing into it.
    graphs.nodeRefs.clear();
    EXPECT_EQ(a1->nodeRef(), nullptr);
}

TEST(PXGraph, FastLinks) {
    PXGraph g;
    PXNode* a = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(1, 1);
    PXNode* c = g.addPXNode(1, 1);
    g.addLink(*a, c->id());
    g.addLink(*a, b->id());
    a->buildFastLinks();
    ASSERT_EQ(a->fastLinks.count, 3);
    EXPECT_EQ(a->fastLinks[0], c);
    EXPECT_EQ(a->fastLinks[1], b);
    EXPECT_EQ(a->fastLinks[2], nullptr);
    b->buildFastLinks();
    ASSERT_EQ(b->fastLinks.count, 1);
    EXPECT_EQ(b->fastLinks[0], nullptr);
    g.renumberLink(*a, b->id(), 1);
    a->buildFastLinks();
    EXPECT_EQ(a->fastLinks[0], b);
    EXPECT_EQ(a->fastLinks[1], c);
}

TEST(PXGraph, PrepareAndStreamReset) {
    CaptureSink sink;
    PXGraph g;
    PXNode* a = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(1, 1);
    a->setText("x");
    g.addLink(*a, b->id());
    EXPECT_FALSE(g.prepare());   // b has nothing to match
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0], "No pattern / string defined");
    EXPECT_EQ(g.selectedId(), b->id());

    b->setWText(u"y");
    a->patternStr().tailCount = 9;
    EXPECT_TRUE(g.prepare());
    EXPECT_EQ(a->patternStr().tailCount, 0);
    EXPECT_EQ(a->fastLinks[0], b);
    a->matchStart = 5;
    a->matchLength = 2;
    g.resetStream();
    EXPECT_EQ(a->matchStart, 0);
    EXPECT_EQ(a->matchLength, 0);
}

TEST(PXGraph, AttachTakesTheFlaggedStartNode) {
    PXGraph g;
    PXNode* a = g.addPXNode(1, 1);
    PXNode* b = g.addPXNode(1, 1);
    b->addAction(std::make_unique<CAction>(15, "Return", "Return", false));
    b->actions.first()->graph = nullptr;
    b->setStartFlag(true);
    g.attach();
    EXPECT_EQ(g.startNode(), b);
    EXPECT_FALSE(a->isStart());
    EXPECT_EQ(b->owner, &g);
    EXPECT_EQ(b->actions.first()->graph, &g);
}

// --- matchers over memory ------------------------------------------------------------------

int32_t runMatch(PXPattern& m, const std::string& input, int32_t at = 0) {
    XXMEMBUF buffer;
    buffer.setData(input.data(), int64_t(input.size()));
    buffer.open(4);
    buffer.load();
    int32_t p = at;
    buffer.pushIdx(&p);
    const int32_t r = m.match(buffer, p);
    buffer.popIdx(1);
    return r;
}

TEST(PXPattern, BasicMatches) {
    PXSet8 a;
    a.add('a');
    PXSet8 x;
    x.add('x');
    PXPatternForm p;
    p.add({&a, 1, 5});
    PXPatternForm two;
    two.add({&a, 1, 9});
    two.add({&x, 1, 1});
    PatternSet set;
    set.setTarget(&p);
    PatternSet pair;
    pair.setTarget(&two);
    PatternStr str;
    str.setText("Ab");
    PatternStr noCase;
    noCase.setText("Ab");
    noCase.setIgnoreCase(true);
    PatternStr wide;
    wide.setWText(u"A\u00e9");
    PatternNull null;

    struct Row {
        const char* name;
        PXPattern* m;
        std::string input;
        int32_t at;
        int32_t result;
    };
    const Row rows[] = {
        {"set takes its minimum", &set, "aaax", 0, 1},
        {"set fails", &set, "xa", 0, -1},
        {"middle element stops at the next", &pair, "aaax", 0, 4},
        {"string", &str, "Ab!", 0, 2},
        {"string case", &str, "ab", 0, -1},
        {"string ignoring case", &noCase, "aB", 0, 2},
        {"string past the end", &str, "A", 0, -1},
        {"wide", &wide, std::string("A\0\xe9\0", 4), 0, 4},
        {"null at the start", &null, "abc", 0, 0},
        {"null inside", &null, "abc", 1, -1},
        {"null at the end", &null, "abc", 3, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(runMatch(*r.m, r.input, r.at), r.result);
    }
    runMatch(set, "aaa");
    EXPECT_EQ(set.tailSet, &a);
    EXPECT_EQ(set.tailCount, 4);
}

TEST(PXPattern, StringSetFirstEnabledItemWins) {
    StringSet s;
    auto item = [](const char* text, bool enabled, bool noCase) {
        StringSetItem i;
        i.text = text;
        i.enabled = enabled;
        i.ignoreCase = noCase;
        return i;
    };
    s.items.add(item("EU", false, false));
    s.items.add(item("E", true, false));
    s.items.add(item("EUR", true, false));
    s.items.add(item("usd", true, true));
    PatternSSet m;
    m.setTarget(&s);
    EXPECT_EQ(runMatch(m, "EUR"), 1);
    EXPECT_EQ(s.lastMatched, 1);
    EXPECT_EQ(runMatch(m, "USD"), 3);
    EXPECT_EQ(s.lastMatched, 3);
    EXPECT_EQ(runMatch(m, "GBP"), -1);
}

TEST(PXPattern, GroupThatStartsWithItselfMatchesNothing) {
    PXGraph group;
    PXNode* start = group.addPXNode(1, 1);
    start->setRefName("Self");
    start->setNodeGroup(&group);
    EXPECT_EQ(runMatch(*start->matcher(), "abc"), -2);
    PXGraph other;
    PXNode* caller = other.addPXNode(1, 1);
    caller->setRefName("G");
    PXGraph g2;
    g2.addPXNode(1, 1)->setText("ab");
    caller->setNodeGroup(&g2);
    EXPECT_EQ(runMatch(*caller->matcher(), "abc"), 2);
}

}  // namespace
