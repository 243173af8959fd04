// Nodes and their outgoing links: XXNODE and XXNODELINK.
//
// A node owns an ordered list of links. A link names its source and its target by item id,
// never by pointer, so a link can outlive nothing: the graph removes every link to a node
// when it deletes the node. A link's number is its 1-based position in its source's list;
// the order of the list is the order in which the links are tried. Links are added, removed
// and moved only through the graph (XXGRAPH::addLink, removeLinkTo, renumberLink), which
// checks the target and keeps the numbers right.
//
// The end points and routing kind of a link are the view's: the graph computes them from
// the two node rectangles (XXGRAPH::routeLink) and the surface draws path().
#pragma once

#include <array>
#include <cstdint>

#include "foundation/GLIST.h"
#include "foundation/XXGRAPHITEM.h"

class XXNODELINK : public XXGRAPHITEM {
public:
    // Routing kinds: straight, or an elbow whose ends sit on the facing sides of the two
    // nodes (target to the right, left, below or above the source).
    static constexpr int32_t routeStraight = 0;
    static constexpr int32_t routeRight = 1;
    static constexpr int32_t routeLeft = 2;
    static constexpr int32_t routeDown = 3;
    static constexpr int32_t routeUp = 4;
    // Colour indexes are the keys of the surface's colour table (1 to 9); blue by default.
    static constexpr int32_t defaultColor = 2;

    XXNODELINK(int32_t sourceId, int32_t targetId);

    int32_t sourceId() const { return sourceId_; }
    int32_t targetId() const { return targetId_; }
    // The 1-based position in the source's link list (0 while the link is in no list).
    int32_t number() const { return number_; }
    int32_t route() const { return route_; }
    int32_t color() const { return color_; }
    // Sets the colour index and repaints the link.
    void setColor(int32_t color);

    XXPOINT start() const { return {x1, y1}; }
    XXPOINT end() const { return {x2, y2}; }
    // The line to draw, from the source to the target: two points when straight, four for
    // an elbow. Returns the number of points used.
    int32_t path(std::array<XXPOINT, 4>& points) const;
    // The smallest rectangle that holds the whole path.
    XXRECT bounds() const;

private:
    friend class XXGRAPH;
    friend class XXNODE;

    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t sourceId_;
    int32_t targetId_;
    int32_t number_ = 0;
    int32_t route_ = routeStraight;
    int32_t color_ = defaultColor;
};

class XXNODE : public XXGRAPHITEM {
public:
    XXNODE();

    // The outgoing links in order.
    const LIST<XXNODELINK>& links() const { return links_; }
    int32_t linkCount() const { return links_.count(); }
    // The link at 0-based position `i`, or null.
    XXNODELINK* linkAt(int32_t i) const { return links_.at(i); }
    // The link to `targetId`, or null.
    XXNODELINK* linkTo(int32_t targetId) const;
    // The 0-based position of the link to `targetId`, or -1.
    int32_t linkIndex(int32_t targetId) const;

    // Sets every link's number to its 1-based position and repaints each.
    void renumberLinks();

private:
    friend class XXGRAPH;

    LIST<XXNODELINK> links_;
};
