// Graph editing on the drawing surface without widgets: the user's keys, drags, clicks and
// menu commands go through the graph container, and the graph, its links and the surface
// agree afterwards. Also the link colour table and the node commands of the builder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/PXGraphEditor.h"
#include "builder/XXColors.h"
#include "builder/XXDrawModel.h"
#include "definitions/PXGraph.h"
#include "definitions/PXNode.h"
#include "tests/support/CaptureSink.h"

namespace {

// A surface that counts its repaints and answers the container's questions from a script.
class CountingSurface : public XXDrawModel {
public:
    int32_t areaRepaints = 0;
    bool confirm = true;
    int32_t number = 0;
    bool confirmDelete(int32_t) override { return confirm; }
    bool askNumber(const char*, int32_t& value) override {
        value = number;
        return true;
    }

protected:
    void areaChanged(const XXRECT&) override { ++areaRepaints; }
};

class ScriptedDialogs : public IPXNodeDialogs {
public:
    PXNodeProps props;
    PXNodeString string;
    bool accept = true;
    std::vector<std::string> namesOffered;
    bool editNodeProperties(PXNodeProps& p, const std::vector<std::string>& names) override {
        namesOffered = names;
        if (accept) p = props;
        return accept;
    }
    bool editNodeString(const std::string&, PXNodeString& value) override {
        if (accept) value = string;
        return accept;
    }
    bool editNodeActions(PXNode&) override { return false; }
};

// Three nodes A, B, C in a row on a surface, with the builder as the graph's owner.
class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        graph.setSurface(&surface);
        graph.setOwner(&editor);
        surface.setGraph(&graph);
        a = graph.addPXNode(10, 10);
        b = graph.addPXNode(200, 10);
        c = graph.addPXNode(400, 10);
        changes = 0;
    }
    XXRECT rectOf(const XXNODE* node) const {
        XXRECT r;
        surface.itemRect(node->id(), r);
        return r;
    }
    // Links a node to another the way the user does: "Link to ...", then a click on the target.
    void linkByMouse(XXNODE* from, XXNODE* to) {
        surface.menuCommand(from->id(), XXCMD::linkTo);
        const XXPOINT target = rectOf(to).centre();
        surface.hover(to->id(), target);
        surface.press(to->id(), target);
    }

    CaptureSink sink;
    CountingSurface surface;
    ScriptedDialogs dialogs;
    int32_t changes = 0;
    PXGraphEditor editor{dialogs, [] { return std::vector<std::string>{"Date", "Host"}; }, [this] { ++changes; }};
    PXGraph graph;
    PXNode* a = nullptr;
    PXNode* b = nullptr;
    PXNode* c = nullptr;
};

TEST_F(SurfaceTest, ArrowKeysMoveOnePixelAndRerouteTheLinksOncePerPress) {
    graph.addLink(*a, b->id());
    const XXRECT before = rectOf(a);
    const XXPOINT linkStart = a->linkAt(0)->start();
    surface.areaRepaints = 0;
    for (int i = 0; i < 3; ++i) surface.nudge(a->id(), 1, 0);
    EXPECT_EQ(rectOf(a).x, before.x + 3);
    EXPECT_EQ(a->rect().x, before.x + 3);             // the container took the new rectangle
    EXPECT_EQ(a->linkAt(0)->start().x, linkStart.x + 3);
    EXPECT_EQ(surface.areaRepaints, 3 * 2);          // one re-route (old and new place) per press
    EXPECT_EQ(changes, 3);
    // At the edge the node stays on the surface and nothing is re-routed.
    surface.nudge(a->id(), 0, -100);
    surface.nudge(a->id(), 0, -1);
    EXPECT_EQ(rectOf(a).y, 0);
    EXPECT_EQ(changes, 4);
}

TEST_F(SurfaceTest, DragEndingOutsideTheSurfaceEndsAndReroutes) {
    graph.addLink(*b, c->id());
    const XXRECT r = rectOf(b);
    surface.press(b->id(), {r.x + 5, r.y + 5});
    EXPECT_EQ(graph.selectedId(), b->id());
    surface.dragTo({r.x + 55, r.y + 305});
    EXPECT_TRUE(surface.dragging());
    EXPECT_EQ(rectOf(b).y, r.y + 300);
    surface.dragTo({-500, -500});                     // out of the surface, up and left
    surface.release();
    EXPECT_FALSE(surface.dragging());
    EXPECT_EQ(rectOf(b).x, 0);
    EXPECT_EQ(rectOf(b).y, 0);
    EXPECT_EQ(b->rect(), rectOf(b));
    const XXPOINT centre = rectOf(b).centre();
    const XXPOINT start = b->linkAt(0)->start();
    EXPECT_LE(std::abs(start.x - centre.x) + std::abs(start.y - centre.y), rectOf(b).width + rectOf(b).height);
    // A later move of the pointer without a press moves nothing.
    surface.dragTo({300, 300});
    EXPECT_EQ(rectOf(b).x, 0);
}

TEST_F(SurfaceTest, TabAndShiftTabWalkTheNodesAndWrap) {
    surface.tab(a->id(), true);
    EXPECT_EQ(graph.selectedId(), c->id());
    EXPECT_EQ(surface.focusedItem(), c->id());
    surface.tab(c->id(), false);
    EXPECT_EQ(graph.selectedId(), a->id());
    surface.tab(a->id(), false);
    EXPECT_EQ(graph.selectedId(), b->id());
}

TEST_F(SurfaceTest, DeleteTakesTheNodeWithItsLinksAndNumbersCloseUp) {
    linkByMouse(a, b);
    linkByMouse(a, c);
    linkByMouse(c, b);
    ASSERT_EQ(a->linkCount(), 2);
    surface.confirm = false;
    surface.deleteKey(b->id());
    EXPECT_EQ(graph.nodeCount(), 3);                  // declined: nothing changes
    surface.confirm = true;
    const int32_t bId = b->id();
    surface.deleteKey(bId);
    EXPECT_EQ(graph.nodeCount(), 2);
    EXPECT_FALSE(surface.shows(bId));
    ASSERT_EQ(a->linkCount(), 1);
    EXPECT_EQ(a->linkAt(0)->targetId(), c->id());
    EXPECT_EQ(a->linkAt(0)->number(), 1);
    EXPECT_EQ(c->linkCount(), 0);
    EXPECT_EQ(c->number, 1);
}

TEST_F(SurfaceTest, RubberBandLinksRefuseDuplicatesAndRenumber) {
    linkByMouse(a, b);
    linkByMouse(a, c);
    ASSERT_EQ(a->linkCount(), 2);
    EXPECT_EQ(a->linkAt(1)->targetId(), c->id());
    linkByMouse(a, b);
    EXPECT_EQ(a->linkCount(), 2);
    const bool told = !sink.infos.empty() ? sink.infos.back() == "Duplicate link ignored"
                                          : sink.sawError("Duplicate link ignored");
    EXPECT_TRUE(told);
    // A link dropped on the bare surface or on its own source makes nothing.
    surface.menuCommand(b->id(), XXCMD::linkTo);
    surface.pressSurface({600, 600});
    surface.menuCommand(b->id(), XXCMD::linkTo);
    surface.press(b->id(), rectOf(b).centre());
    EXPECT_EQ(b->linkCount(), 0);
    EXPECT_EQ(graph.dragLink(), nullptr);
    // Renumbering the link to C to 0 puts it first.
    surface.number = 0;
    surface.menuCommand(a->linkAt(1)->id(), XXCMD::renumberLink);
    EXPECT_EQ(a->linkAt(0)->targetId(), c->id());
    EXPECT_EQ(a->linkAt(0)->number(), 1);
    EXPECT_EQ(a->linkAt(1)->number(), 2);
}

TEST_F(SurfaceTest, DoubleClickOnEmptySurfaceAddsANodeThere) {
    XXNODE* added = surface.doubleClick({100, 300});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(graph.nodeCount(), 4);
    EXPECT_EQ(rectOf(added).x, 100);
    EXPECT_EQ(rectOf(added).y, 300);
    EXPECT_EQ(surface.itemAt({101, 301}), added->id());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(surface.doubleClick(rectOf(a).centre()), nullptr);   // on a node: no new node
    EXPECT_EQ(graph.nodeCount(), 4);
    const XXRECT area = surface.contentArea();
    EXPECT_GE(area.bottom(), rectOf(added).bottom() + XXDrawModel::kMargin);
    EXPECT_GE(area.right(), rectOf(c).right() + XXDrawModel::kMargin);
}

TEST_F(SurfaceTest, OnlyTheGraphBeingEditedIsShownAndHit) {
    PXGraph group;
    group.setSurface(&surface);
    PXNode* other = group.addPXNode(10, 10);
    EXPECT_FALSE(surface.shows(other->id()));
    EXPECT_EQ(surface.itemAt({12, 12}), a->id());
    surface.setGraph(&group);
    EXPECT_EQ(surface.itemAt({12, 12}), other->id());
    EXPECT_EQ(surface.shownItems(), std::vector<int32_t>{other->id()});
    surface.nudge(a->id(), 5, 0);                     // not on show: not moved
    EXPECT_EQ(rectOf(a).x, 10);
    surface.setGraph(&graph);
}

TEST_F(SurfaceTest, NodeCommandsEditPropertiesStringsAndTheStartNode) {
    dialogs.props = {std::string(60, 't'), "Date", 99};
    surface.menuCommand(a->id(), PXCMD::properties);
    EXPECT_EQ(dialogs.namesOffered, (std::vector<std::string>{"Date", "Host"}));
    EXPECT_EQ(std::string(a->tag().text()), std::string(50, 't'));
    EXPECT_EQ(std::string(a->refName().text()), "Date");
    EXPECT_EQ(a->number, 2);                          // clamped to the last position
    EXPECT_EQ(graph.nodeAt(2), a);
    EXPECT_EQ(changes, 1);

    dialogs.string = {"error", true};
    surface.menuCommand(b->id(), PXCMD::string);
    EXPECT_EQ(std::string(b->text().text()), "error");
    EXPECT_TRUE(b->ignoreCase());
    EXPECT_NE(std::string(b->label().text()).find("\"error\""), std::string::npos);

    dialogs.accept = false;                           // a cancelled dialog changes nothing
    surface.menuCommand(b->id(), PXCMD::string);
    EXPECT_EQ(changes, 2);

    surface.menuCommand(c->id(), PXCMD::startNode);
    EXPECT_EQ(graph.startNode(), c);
    EXPECT_FALSE(a->isStart());
    EXPECT_EQ(changes, 3);
}

TEST(LinkColors, TableNamesAndFallbackToBlack) {
    EXPECT_EQ(XXColors::rgb(2), (XXRGB{0, 0, 255}));
    EXPECT_EQ(XXColors::rgb(4), (XXRGB{200, 200, 200}));
    EXPECT_EQ(XXColors::rgb(9), (XXRGB{255, 255, 0}));
    EXPECT_EQ(XXColors::keyOf("mAgEnTa"), 6);
    EXPECT_EQ(std::string(XXColors::name(7)), "Red");
    for (int32_t key : {0, 10, -3}) EXPECT_EQ(XXColors::rgb(key), (XXRGB{0, 0, 0})) << key;
    EXPECT_EQ(XXColors::keyOf("Purple"), XXColors::black);
    EXPECT_EQ(XXColors::keyOf(nullptr), XXColors::black);
}

}  // namespace
