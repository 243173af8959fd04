// Tests of the graph container: item ids across graphs and threads, insertion and node
// order, link numbering through adds, removals, renumbering and node deletion, duplicate
// and dangling links, extents, link routing, and the surface signals against a recording
// fake surface and owner.
#include "foundation/XXGRAPH.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/CaptureSink.h"

namespace {

// A surface that keeps window rectangles and records what the graph asked of it.
class FakeSurface final : public IXXSURFACE {
public:
    std::map<int32_t, XXRECT> windows;
    std::vector<std::string> classes;
    std::vector<int32_t> destroyed, focused, redrawnItems;
    bool refuseWindows = false;
    // Answers to the user's questions (-1 / false: cancelled).
    bool confirm = true;
    int32_t chosen = -1, number = -1;
    const char* text = nullptr;
    std::string lastCaption;

    bool createItemWindow(const char* windowClass, int32_t id, const XXRECT& rect) override {
        if (refuseWindows) return false;
        classes.emplace_back(windowClass);
        windows[id] = rect;
        return true;
    }
    void destroyItemWindow(int32_t id) override {
        destroyed.push_back(id);
        windows.erase(id);
    }
    bool itemRect(int32_t id, XXRECT& rect) const override {
        const auto it = windows.find(id);
        if (it != windows.end()) rect = it->second;
        return it != windows.end();
    }
    XXSIZE charSize() const override { return {10, 20}; }
    int32_t lineSpacing() const override { return 2; }
    void redrawItem(int32_t id) override { redrawnItems.push_back(id); }
    void redrawArea(const XXRECT&) override {}
    void focusItem(int32_t id) override { focused.push_back(id); }
    bool confirmDelete(int32_t) override { return confirm; }
    int32_t chooseName(const char* caption, const char* const*, int32_t, int32_t) override {
        lastCaption = caption;
        return chosen;
    }
    bool askNumber(const char* caption, int32_t& value) override {
        lastCaption = caption;
        if (number >= 0) value = number;
        return number >= 0;
    }
    bool askText(const char* caption, XXSTRING& value, int32_t) override {
        lastCaption = caption;
        if (text) value = text;
        return text != nullptr;
    }
};

class FakeOwner final : public IXXGRAPHOWNER {
public:
    int32_t changes = 0;
    std::vector<int32_t> selected;
    std::vector<std::pair<int32_t, int32_t>> properties, commands;
    bool handles = true;

    void graphChanged(XXGRAPH&) override { ++changes; }
    void itemSelected(XXGRAPH&, int32_t id) override { selected.push_back(id); }
    void itemProperties(XXGRAPH&, int32_t id, int32_t type) override { properties.emplace_back(id, type); }
    bool itemCommand(XXGRAPH&, int32_t id, int32_t command) override {
        commands.emplace_back(id, command);
        return handles;
    }
};

int32_t pack(int32_t x, int32_t y) { return int32_t((uint32_t(y) << 16) | (uint32_t(x) & 0xffffu)); }

// The targets of a node's links in link order, checking that every number is its position.
std::vector<int32_t> targetsOf(const XXNODE& node) {
    std::vector<int32_t> targets;
    for (int32_t i = 0; i < node.linkCount(); ++i) {
        EXPECT_EQ(node.linkAt(i)->number(), i + 1) << "link to " << node.linkAt(i)->targetId();
        targets.push_back(node.linkAt(i)->targetId());
    }
    return targets;
}

// A graph of `n` nodes placed in a row.
std::vector<XXNODE*> addRow(XXGRAPH& g, int32_t n) {
    std::vector<XXNODE*> nodes;
    for (int32_t i = 0; i < n; ++i) nodes.push_back(g.addNode(100 * i, 0));
    return nodes;
}

// --- ids ---------------------------------------------------------------------------------

TEST(XXGRAPHIds, UniqueAndIncreasingOverEveryKindOfItemAndGraph) {
    XXGRAPH a, b;
    XXNODE* n1 = a.addNode(0, 0);
    XXNODE* n3 = nullptr;
    const int32_t ids[] = {n1->id(), a.addComment(0, 0)->id(), b.addNode(0, 0)->id(),
                           (n3 = a.addNode(0, 0))->id(), a.addLink(*n1, n3->id())->id(),
                           b.addComment(0, 0)->id()};
    EXPECT_GT(ids[0], 0);
    for (size_t i = 1; i < std::size(ids); ++i) EXPECT_GT(ids[i], ids[i - 1]) << "item " << i;
    // A deleted item's id is not handed out again.
    a.delNode(n3->id());
    EXPECT_GT(a.addNode(0, 0)->id(), ids[5]);
}

TEST(XXGRAPHIds, ClearingTheOnlyGraphStartsAgainAtOne) {
    XXGRAPH g;
    XXNODE* a = g.addNode(0, 0);
    g.addLink(*a, g.addNode(0, 0)->id());
    g.addComment(0, 0);
    g.clear();
    EXPECT_EQ(g.itemCount(), 0);
    EXPECT_EQ(g.nodeCount(), 0);
    EXPECT_EQ(XXGRAPHITEM::liveIds(), 0) << "links and comments must be destroyed too";
    EXPECT_EQ(g.addNode(0, 0)->id(), 1);
}

TEST(XXGRAPHIds, ClearingOneGraphNeverReusesAnIdThatAnotherGraphHolds) {
    XXGRAPH kept, cleared;
    std::set<int32_t> keptIds;
    for (int32_t i = 0; i < 3; ++i) keptIds.insert(kept.addNode(0, 0)->id());
    cleared.addNode(0, 0);
    cleared.clear();
    for (int32_t i = 0; i < 5; ++i) {
        const int32_t id = cleared.addNode(0, 0)->id();
        EXPECT_EQ(keptIds.count(id), 0u) << "id " << id << " given twice";
    }
}

TEST(XXGRAPHIds, ThreadsCreatingAndClearingGraphsNeverShareALiveId) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    std::vector<std::vector<int32_t>> held(kThreads);
    std::vector<std::thread> threads;
    std::vector<std::unique_ptr<XXGRAPH>> keep(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            XXGRAPH scratch;
            for (int r = 0; r < kRounds; ++r) {
                for (int i = 0; i < 20; ++i) scratch.addNode(i, i);
                scratch.clear();
            }
            // Each thread ends holding a graph of its own, created after others cleared.
            keep[t] = std::make_unique<XXGRAPH>();
            for (int i = 0; i < 10; ++i) held[t].push_back(keep[t]->addNode(0, 0)->id());
        });
    }
    for (auto& th : threads) th.join();
    std::set<int32_t> all;
    for (int t = 0; t < kThreads; ++t)
        for (int32_t id : held[t]) EXPECT_TRUE(all.insert(id).second) << "id " << id << " held twice";
}

// --- order -------------------------------------------------------------------------------

std::vector<const XXGRAPHITEM*> itemsOf(const XXGRAPH& g) {
    std::vector<const XXGRAPHITEM*> items;
    for (const XXGRAPHITEM* item : g.items()) items.push_back(item);
    return items;
}

TEST(XXGRAPHOrder, ItemsKeepInsertionOrderAndNodesTheirOwn) {
    XXGRAPH g;
    XXNODE* n1 = g.addNode(0, 0);
    XXNOTE* c1 = g.addComment(0, 0);
    XXNODE* n2 = g.addNode(0, 0);
    XXNODE* n3 = g.addNode(0, 0);
    XXNOTE* c2 = g.addComment(0, 0);
    EXPECT_EQ(itemsOf(g), (std::vector<const XXGRAPHITEM*>{n1, c1, n2, n3, c2}));
    EXPECT_EQ(g.nodeIndex(n3->id()), 2);
    EXPECT_EQ(g.nodeIndex(c1->id()), -1) << "comments are not nodes";

    ASSERT_TRUE(g.moveNode(2, 0));
    EXPECT_EQ(g.nodeAt(0), n3);
    EXPECT_EQ(g.itemIndex(n3->id()), 3) << "moving a node leaves the item order alone";
    EXPECT_FALSE(g.moveNode(0, 3));

    ASSERT_TRUE(g.deleteItem(c1->id()));
    ASSERT_TRUE(g.deleteItem(n2->id()));
    EXPECT_EQ(itemsOf(g), (std::vector<const XXGRAPHITEM*>{n1, n3, c2}));
    EXPECT_EQ(g.nodeCount(), 2);
}

// --- links -------------------------------------------------------------------------------

TEST(XXGRAPHLinks, NumbersFollowEveryEdit) {
    enum Op { Add, Remove, Renumber, DeleteTarget };
    struct Step {
        Op op;
        int32_t target;   // index of the target node (1..5)
        int32_t number;   // for Renumber
        std::vector<int32_t> expected;  // target indexes in link order
    };
    const Step steps[] = {
        {Add, 1, 0, {1}},
        {Add, 2, 0, {1, 2}},
        {Add, 3, 0, {1, 2, 3}},
        {Add, 4, 0, {1, 2, 3, 4}},
        {Remove, 2, 0, {1, 3, 4}},
        {Renumber, 4, 1, {4, 1, 3}},
        {Renumber, 4, 3, {1, 3, 4}},
        {Renumber, 1, 0, {1, 3, 4}},
        {Renumber, 3, -5, {3, 1, 4}},
        {Renumber, 4, INT32_MIN, {4, 3, 1}},
        {Renumber, 4, 99, {3, 1, 4}},
        {Renumber, 3, INT32_MAX, {1, 4, 3}},
        {Renumber, 1, 2, {4, 1, 3}},
        {Add, 5, 0, {4, 1, 3, 5}},
        {DeleteTarget, 1, 0, {4, 3, 5}},
        {DeleteTarget, 5, 0, {4, 3}},
        {Add, 2, 0, {4, 3, 2}},
    };
    XXGRAPH g;
    const std::vector<XXNODE*> n = addRow(g, 6);
    XXNODE& source = *n[0];
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        const int32_t target = n[size_t(s.target)]->id();
        switch (s.op) {
        case Add: ASSERT_NE(g.addLink(source, target), nullptr); break;
        case Remove: ASSERT_TRUE(g.removeLinkTo(source, target)); break;
        case Renumber: ASSERT_TRUE(g.renumberLink(source, target, s.number)); break;
        case DeleteTarget: ASSERT_TRUE(g.delNode(target)); break;
        }
        std::vector<int32_t> expected;
        for (int32_t t : s.expected) expected.push_back(n[size_t(t)]->id());
        EXPECT_EQ(targetsOf(source), expected);
    }
}

TEST(XXGRAPHLinks, DeletingANodeRemovesEveryLinkFromAndToIt) {
    XXGRAPH g;
    const std::vector<XXNODE*> n = addRow(g, 4);
    // Every node links to every node, itself included.
    for (XXNODE* from : n)
        for (XXNODE* to : n) ASSERT_NE(g.addLink(*from, to->id()), nullptr);
    const int32_t gone = n[1]->id();
    const int32_t outgoing = n[1]->linkAt(0)->id();
    const int32_t liveBefore = XXGRAPHITEM::liveIds();

    ASSERT_TRUE(g.delNode(gone));
    EXPECT_EQ(g.findNode(gone), nullptr);
    EXPECT_EQ(g.findItem(gone), nullptr);
    EXPECT_EQ(g.findLink(outgoing), nullptr);
    for (XXNODE* node : g.nodes()) {
        SCOPED_TRACE("node " + std::to_string(node->id()));
        EXPECT_EQ(node->linkTo(gone), nullptr);
        EXPECT_EQ(targetsOf(*node), (std::vector<int32_t>{n[0]->id(), n[2]->id(), n[3]->id()}));
    }
    // The node, its 4 outgoing links and the 3 links to it from the others are all destroyed.
    EXPECT_EQ(XXGRAPHITEM::liveIds(), liveBefore - 8);
}

TEST(XXGRAPHLinks, RefusedLinksChangeNothing) {
    CaptureSink sink;
    XXGRAPH g, other;
    const std::vector<XXNODE*> n = addRow(g, 2);
    XXNODE* stranger = other.addNode(0, 0);
    ASSERT_NE(g.addLink(*n[0], n[1]->id()), nullptr);
    const int32_t last = XXGRAPHITEM::lastId();

    EXPECT_EQ(g.addLink(*n[0], n[1]->id()), nullptr) << "duplicate";
    EXPECT_EQ(g.addLink(*n[0], 0), nullptr) << "no id";
    EXPECT_EQ(g.addLink(*n[0], stranger->id()), nullptr) << "node of another graph";
    EXPECT_EQ(g.addLink(*stranger, n[0]->id()), nullptr) << "source of another graph";
    EXPECT_TRUE(sink.sawError("XXGRAPH::addLink"));
    const int32_t deleted = g.addNode(0, 0)->id();
    g.delNode(deleted);
    EXPECT_EQ(g.addLink(*n[0], deleted), nullptr) << "deleted node";
    EXPECT_EQ(targetsOf(*n[0]), std::vector<int32_t>{n[1]->id()});
    EXPECT_FALSE(g.removeLinkTo(*n[1], n[0]->id()));
    EXPECT_FALSE(g.renumberLink(*n[1], n[0]->id(), 1));
    EXPECT_EQ(XXGRAPHITEM::lastId(), last + 1) << "only the deleted node took an id";
}

// --- failures ----------------------------------------------------------------------------

TEST(XXGRAPHFailures, UnknownIdsAreReportedAndChangeNothing) {
    struct Row {
        const char* name;
        bool (*call)(XXGRAPH&, int32_t);
        const char* report;
    };
    const Row rows[] = {
        {"delNode", [](XXGRAPH& g, int32_t id) { return g.delNode(id); }, "XXGRAPH::delNode :\ni < 0\n"},
        {"deleteItem", [](XXGRAPH& g, int32_t id) { return g.deleteItem(id); }, "XXGRAPH::deleteItem :\ni < 0\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureSink sink;
        XXGRAPH g;
        XXNODE* a = g.addNode(0, 0);
        XXNOTE* c = g.addComment(0, 0);
        for (int32_t id : {0, -1, 999999}) {
            sink.clear();
            EXPECT_FALSE(row.call(g, id)) << id;
            ASSERT_EQ(sink.errors.size(), 1u) << id;
            EXPECT_EQ(sink.errors[0], std::string("Please contact programming support:\n") + row.report);
        }
        EXPECT_EQ(g.itemCount(), 2);
        EXPECT_EQ(g.nodeCount(), 1);
        EXPECT_EQ(g.findItem(a->id()), a);
        EXPECT_EQ(g.findItem(c->id()), c);
    }
    // A comment is an item but not a node.
    CaptureSink sink;
    XXGRAPH g;
    XXNOTE* c = g.addComment(0, 0);
    EXPECT_FALSE(g.delNode(c->id()));
    EXPECT_EQ(g.findComment(c->id()), c);
}

// --- extents and sizes -------------------------------------------------------------------

TEST(XXGRAPHExtents, BoundTheNodeRectangles) {
    struct Row {
        const char* name;
        std::vector<XXRECT> nodes;
        XXEXTENTS expected;
    };
    const Row rows[] = {
        {"none", {}, {0, 0, 0, 0}},
        {"one", {{10, 20, 30, 40}}, {10, 40, 20, 60}},
        {"first is not the extreme", {{50, 50, 10, 10}, {0, 100, 20, 5}, {-30, -40, 5, 5}},
         {-30, 60, -40, 105}},
        {"nested", {{0, 0, 100, 100}, {10, 10, 5, 5}}, {0, 100, 0, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        XXGRAPH g;
        g.addComment(-1000, -1000, 5, 5);  // comments do not count
        for (const XXRECT& r : row.nodes) g.addNode(r.x, r.y, r.width, r.height);
        EXPECT_EQ(g.extents(), row.expected);
    }
}

TEST(XXGRAPHExtents, FollowDeletionAndTheSurface) {
    FakeSurface surface;
    XXGRAPH g(&surface);
    XXNODE* a = g.addNode(0, 0, 10, 10);
    XXNODE* b = g.addNode(200, 300, 10, 10);
    EXPECT_EQ(g.extents(), (XXEXTENTS{0, 210, 0, 310}));
    // The user moves b; the rectangle is taken from its window.
    surface.windows[b->id()] = {-50, 40, 20, 20};
    ASSERT_TRUE(g.handle(XXSIG::placed, b->id(), 0, nullptr));
    EXPECT_EQ(g.extents(), (XXEXTENTS{-50, 10, 0, 60}));
    EXPECT_EQ(b->rect(), (XXRECT{-50, 40, 20, 20}));
    g.delNode(b->id());
    EXPECT_EQ(g.extents(), (XXEXTENTS{0, 10, 0, 10}));
    g.delNode(a->id());
    EXPECT_EQ(g.extents(), XXEXTENTS{});
}

TEST(XXGRAPHExtents, DefaultSizesComeFromTheCharacterCell) {
    XXGRAPH headless;
    EXPECT_EQ(headless.addNode(1, 2)->rect(), (XXRECT{1, 2, 40, 21}));  // 5 x 1.3 cells of 8 x 16
    EXPECT_EQ(headless.addNode(1, 2, 7, -3)->rect(), (XXRECT{1, 2, 7, 21}));
    FakeSurface surface;
    XXGRAPH shown(&surface);
    XXNODE* n = shown.addNode(5, 6);
    EXPECT_EQ(n->rect(), (XXRECT{5, 6, 50, 26}));
    EXPECT_EQ(surface.windows[n->id()], n->rect());
    EXPECT_EQ(surface.classes, std::vector<std::string>{"XXWIN"});
}

// --- routing -----------------------------------------------------------------------------

TEST(XXGRAPHRouting, KindAndEndsFollowTheRectangles) {
    struct Row {
        const char* name;
        XXRECT source, target;
        int32_t route;
        XXPOINT start, end;
    };
    // Line spacing 2: ends sit 3 pixels off the facing sides.
    const Row rows[] = {
        {"diagonal", {0, 0, 20, 10}, {100, 100, 20, 10}, XXNODELINK::routeStraight, {10, 5}, {110, 105}},
        {"right", {0, 0, 20, 10}, {100, 5, 20, 10}, XXNODELINK::routeRight, {23, 5}, {97, 10}},
        {"left", {100, 5, 20, 10}, {0, 0, 20, 10}, XXNODELINK::routeLeft, {97, 10}, {23, 5}},
        {"below", {0, 0, 20, 10}, {10, 100, 20, 10}, XXNODELINK::routeDown, {10, 13}, {20, 97}},
        {"above", {10, 100, 20, 10}, {0, 0, 20, 10}, XXNODELINK::routeUp, {20, 97}, {10, 13}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSurface surface;
        XXGRAPH g(&surface);
        XXNODE* s = g.addNode(row.source.x, row.source.y, row.source.width, row.source.height);
        XXNODE* t = g.addNode(row.target.x, row.target.y, row.target.width, row.target.height);
        XXNODELINK* link = g.addLink(*s, t->id());
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->route(), row.route);
        EXPECT_EQ(link->start(), row.start);
        EXPECT_EQ(link->end(), row.end);
        std::array<XXPOINT, 4> path;
        const int32_t n = link->path(path);
        EXPECT_EQ(n, row.route == XXNODELINK::routeStraight ? 2 : 4);
        EXPECT_EQ(path[0], row.start);
        EXPECT_EQ(path[size_t(n - 1)], row.end);
    }
}

TEST(XXGRAPHRouting, MovingANodeReroutesItsLinksBothWays) {
    struct Row {
        int32_t signal;
        XXRECT moveTo;
        int32_t outRoute, inRoute;
    };
    const Row rows[] = {
        {XXSIG::moved, {0, 200, 20, 10}, XXNODELINK::routeDown, XXNODELINK::routeUp},
        {XXSIG::dragMove, {-200, 0, 20, 10}, XXNODELINK::routeLeft, XXNODELINK::routeRight},
        {XXSIG::resized, {300, 300, 20, 10}, XXNODELINK::routeStraight, XXNODELINK::routeStraight},
    };
    FakeSurface surface;
    XXGRAPH g(&surface);
    XXNODE* a = g.addNode(0, 0, 20, 10);
    XXNODE* b = g.addNode(100, 0, 20, 10);
    XXNODELINK* out = g.addLink(*a, b->id());
    XXNODELINK* in = g.addLink(*b, a->id());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.signal);
        surface.windows[b->id()] = row.moveTo;
        ASSERT_TRUE(g.handle(row.signal, b->id(), 0, nullptr));
        EXPECT_EQ(out->route(), row.outRoute);
        EXPECT_EQ(in->route(), row.inRoute);
        EXPECT_EQ(b->rect(), row.moveTo);
    }
    EXPECT_EQ(g.extents(), (XXEXTENTS{0, 320, 0, 310})) << "the end of a resize updates the extents";
}

// --- surface signals ---------------------------------------------------------------------

struct Shown {
    FakeSurface surface;
    FakeOwner owner;
    XXGRAPH g{&surface, &owner};
};

TEST(XXGRAPHSignals, DroppingADraggedLinkAddsItOnce) {
    CaptureSink sink;
    Shown s;
    const std::vector<XXNODE*> n = addRow(s.g, 3);
    const int32_t from = n[0]->id(), to = n[2]->id();

    ASSERT_TRUE(s.g.handle(XXSIG::command, from, XXCMD::linkTo, nullptr));
    ASSERT_NE(s.g.dragLink(), nullptr);
    ASSERT_TRUE(s.g.handle(XXSIG::linkDrag, 0, pack(-7, 300), nullptr));
    EXPECT_EQ(s.g.dragLink()->end(), (XXPOINT{-7, 300})) << "packed x and y are signed";
    ASSERT_TRUE(s.g.handle(XXSIG::linkDrag, to, pack(1, 1), nullptr));
    EXPECT_EQ(s.g.dragLink()->end(), s.g.itemRect(*n[2]).centre());
    ASSERT_TRUE(s.g.handle(XXSIG::linkDrop, to, 0, nullptr));
    EXPECT_EQ(s.g.dragLink(), nullptr);
    EXPECT_EQ(targetsOf(*n[0]), std::vector<int32_t>{to});
    EXPECT_EQ(s.owner.changes, 1);
    EXPECT_TRUE(sink.infos.empty());

    // The same link again is refused and says so; nothing changes.
    s.g.handle(XXSIG::command, from, XXCMD::linkTo, nullptr);
    s.g.handle(XXSIG::linkDrop, to, 0, nullptr);
    EXPECT_EQ(sink.infos, std::vector<std::string>{"Duplicate link ignored"});
    EXPECT_EQ(n[0]->linkCount(), 1);
    EXPECT_EQ(s.owner.changes, 1);

    // Dropped on the source itself or on the bare surface: the drag just ends.
    for (int32_t target : {from, 0}) {
        s.g.handle(XXSIG::command, from, XXCMD::linkTo, nullptr);
        EXPECT_TRUE(s.g.handle(XXSIG::linkDrop, target, 0, nullptr));
        EXPECT_EQ(s.g.dragLink(), nullptr);
    }
    EXPECT_EQ(n[0]->linkCount(), 1);
    // Without a drag the signals are not the graph's.
    EXPECT_FALSE(s.g.handle(XXSIG::linkDrag, to, 0, nullptr));
    EXPECT_FALSE(s.g.handle(XXSIG::linkDrop, to, 0, nullptr));

    // Deleting the node a drag starts from ends the drag.
    s.g.handle(XXSIG::command, n[1]->id(), XXCMD::linkTo, nullptr);
    s.g.delNode(n[1]->id());
    EXPECT_EQ(s.g.dragLink(), nullptr);
}

TEST(XXGRAPHSignals, DeleteAsksTheSurfaceFirst) {
    Shown s;
    const std::vector<XXNODE*> n = addRow(s.g, 2);
    XXNOTE* note = s.g.addComment(0, 0);
    XXNODELINK* link = s.g.addLink(*n[0], n[1]->id());
    const int32_t linkId = link->id(), noteId = note->id(), nodeId = n[1]->id();

    s.surface.confirm = false;
    ASSERT_TRUE(s.g.handle(XXSIG::command, nodeId, XXCMD::deleteItem, nullptr));
    EXPECT_EQ(s.g.nodeCount(), 2);
    EXPECT_EQ(s.owner.changes, 0);

    s.surface.confirm = true;
    ASSERT_TRUE(s.g.handle(XXSIG::command, linkId, XXCMD::deleteItem, nullptr));
    EXPECT_EQ(n[0]->linkCount(), 0);
    ASSERT_TRUE(s.g.handle(XXSIG::command, noteId, XXCMD::deleteItem, nullptr));
    ASSERT_TRUE(s.g.handle(XXSIG::command, nodeId, XXCMD::deleteItem, nullptr));
    EXPECT_EQ(s.g.itemCount(), 1);
    EXPECT_EQ(s.surface.destroyed, (std::vector<int32_t>{noteId, nodeId}));
    EXPECT_EQ(s.surface.windows.size(), 1u);
    EXPECT_EQ(s.owner.changes, 3);
    EXPECT_FALSE(s.g.handle(XXSIG::command, nodeId, XXCMD::deleteItem, nullptr)) << "gone";
}

TEST(XXGRAPHSignals, LinkAndCommentCommandsAskTheSurface) {
    Shown s;
    const std::vector<XXNODE*> n = addRow(s.g, 4);
    for (int32_t i = 1; i < 4; ++i) s.g.addLink(*n[0], n[size_t(i)]->id());
    XXNODELINK* third = n[0]->linkAt(2);
    const int32_t thirdId = third->id();

    s.surface.number = 1;
    ASSERT_TRUE(s.g.handle(XXSIG::command, thirdId, XXCMD::renumberLink, nullptr));
    EXPECT_EQ(s.surface.lastCaption, "Link number");
    EXPECT_EQ(targetsOf(*n[0]), (std::vector<int32_t>{n[3]->id(), n[1]->id(), n[2]->id()}));

    s.surface.chosen = 6;  // "Red", key 7
    ASSERT_TRUE(s.g.handle(XXSIG::command, thirdId, XXCMD::linkColor, nullptr));
    EXPECT_EQ(s.surface.lastCaption, "Link color");
    EXPECT_EQ(third->color(), 7);
    s.surface.chosen = -1;
    s.g.handle(XXSIG::command, thirdId, XXCMD::linkColor, nullptr);
    EXPECT_EQ(third->color(), 7) << "cancelled";
    EXPECT_EQ(n[0]->linkAt(1)->color(), XXNODELINK::defaultColor);

    XXNOTE* note = s.g.addComment(0, 0);
    const std::string longText(300, 'x');
    s.surface.text = longText.c_str();
    ASSERT_TRUE(s.g.handle(XXSIG::command, note->id(), XXCMD::commentText, nullptr));
    EXPECT_EQ(note->label().length(), 255);
    EXPECT_EQ(note->displayText().length(), 255);
    EXPECT_EQ(s.surface.redrawnItems.back(), note->id());
    EXPECT_EQ(s.owner.changes, 3);
}

TEST(XXGRAPHSignals, SelectionPropertiesAndForwarding) {
    Shown s;
    const std::vector<XXNODE*> n = addRow(s.g, 3);
    XXNOTE* note = s.g.addComment(0, 0);
    EXPECT_EQ(s.g.selectedId(), note->id()) << "a new item is selected";
    EXPECT_TRUE(s.owner.selected.empty()) << "without telling the owner";

    // Next and previous node wrap around the node order.
    struct Step {
        int32_t signal, from, expected;
    };
    const Step steps[] = {
        {XXSIG::nextNode, n[2]->id(), n[0]->id()},
        {XXSIG::previousNode, n[0]->id(), n[2]->id()},
        {XXSIG::nextNode, n[0]->id(), n[1]->id()},
        {XXSIG::previousNode, note->id(), n[0]->id()},  // from a comment: from the selection
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.from);
        ASSERT_TRUE(s.g.handle(step.signal, step.from, 0, nullptr));
        EXPECT_EQ(s.g.selectedId(), step.expected);
        EXPECT_EQ(s.surface.focused.back(), step.expected);
        EXPECT_EQ(s.owner.selected.back(), step.expected);
    }
    EXPECT_FALSE(s.g.handle(XXSIG::select, 424242, 0, nullptr));

    ASSERT_TRUE(s.g.handle(XXSIG::properties, note->id(), 0, nullptr));
    EXPECT_EQ(s.owner.properties, (std::vector<std::pair<int32_t, int32_t>>{{note->id(), XXGRAPHITEM::typeComment}}));
    ASSERT_TRUE(s.g.handle(XXSIG::setText, n[1]->id(), 0, nullptr));
    EXPECT_EQ(n[1]->label().length(), 0) << "a null text clears the label";

    // Commands the graph does not carry out go to the owner with their item, also its own
    // commands sent to an item of the wrong kind.
    EXPECT_TRUE(s.g.handle(XXSIG::command, n[1]->id(), 1060, nullptr));
    s.owner.handles = false;
    EXPECT_FALSE(s.g.handle(XXSIG::command, note->id(), XXCMD::renumberLink, nullptr));
    EXPECT_FALSE(s.g.handle(XXSIG::command, 424242, 1060, nullptr));
    EXPECT_EQ(s.owner.commands, (std::vector<std::pair<int32_t, int32_t>>{
                                    {n[1]->id(), 1060}, {note->id(), XXCMD::renumberLink}}));
}

TEST(XXGRAPHSignals, WindowsFollowTheSurfaceAndTheItems) {
    CaptureSink sink;
    XXGRAPH g;
    const std::vector<XXNODE*> n = addRow(g, 2);
    XXNOTE* note = g.addComment(7, 8, 30, 30);
    XXNODELINK* link = g.addLink(*n[0], n[1]->id());
    EXPECT_FALSE(n[0]->hasWindow());

    // A surface attached later gets a window for every node and comment.
    FakeSurface surface;
    g.setSurface(&surface);
    EXPECT_EQ(surface.windows.size(), 3u);
    EXPECT_EQ(surface.windows[note->id()], (XXRECT{7, 8, 30, 30}));
    EXPECT_EQ(link->surface(), &surface);
    g.clear();
    EXPECT_TRUE(surface.windows.empty());
    EXPECT_EQ(surface.destroyed.size(), 3u);

    // A node whose window cannot be made is reported and still kept.
    surface.refuseWindows = true;
    XXNODE* a = g.addNode(3, 4, 10, 10);
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->hasWindow());
    EXPECT_TRUE(sink.sawError("Unable to create item window"));
    EXPECT_EQ(g.itemRect(*a), (XXRECT{3, 4, 10, 10}));
}

}  // namespace
