// Nodes and links. The rules that involve the whole graph (which targets exist, duplicates,
// deleting a node with every link to it) live in XXGRAPH.cpp; this file holds what a node
// and a link do on their own. Tested by tests/foundation/XXGRAPHTest.cpp.
#include "foundation/XXNODE.h"

#include <algorithm>

// --- XXNODELINK --------------------------------------------------------------------------

XXNODELINK::XXNODELINK(int32_t sourceId, int32_t targetId)
    : XXGRAPHITEM(typeLink), sourceId_(sourceId), targetId_(targetId) {
    setMenu({{XXCMD::deleteItem, 104}, {XXCMD::renumberLink, 305}, {XXCMD::linkColor, 221}});
}

void XXNODELINK::setColor(int32_t color) {
    color_ = color;
    if (surface()) surface()->redrawArea(bounds());
}

int32_t XXNODELINK::path(std::array<XXPOINT, 4>& points) const {
    switch (route_) {
    case routeRight:
    case routeLeft: {
        // Out of the side, across at the middle, into the facing side.
        const int32_t xm = x1 + (x2 - x1) / 2;
        points = {XXPOINT{x1, y1}, XXPOINT{xm, y1}, XXPOINT{xm, y2}, XXPOINT{x2, y2}};
        return 4;
    }
    case routeDown:
    case routeUp: {
        const int32_t ym = y1 + (y2 - y1) / 2;
        points = {XXPOINT{x1, y1}, XXPOINT{x1, ym}, XXPOINT{x2, ym}, XXPOINT{x2, y2}};
        return 4;
    }
    default:
        points[0] = {x1, y1};
        points[1] = {x2, y2};
        return 2;
    }
}

XXRECT XXNODELINK::bounds() const {
    // Every point of an elbow lies within the box of its two ends.
    const int32_t left = std::min(x1, x2);
    const int32_t top = std::min(y1, y2);
    return {left, top, std::max(x1, x2) - left + 1, std::max(y1, y2) - top + 1};
}

// --- XXNODE ------------------------------------------------------------------------------

XXNODE::XXNODE() : XXGRAPHITEM(typeNode) {
    setMenu({{XXCMD::linkTo, 302}, {XXCMD::deleteItem, 104}});
}

XXNODELINK* XXNODE::linkTo(int32_t targetId) const { return links_.at(linkIndex(targetId)); }

int32_t XXNODE::linkIndex(int32_t targetId) const {
    for (int32_t i = 0; i < links_.count(); ++i)
        if (links_.at(i)->targetId() == targetId) return i;
    return -1;
}

void XXNODE::renumberLinks() {
    for (int32_t i = 0; i < links_.count(); ++i) {
        XXNODELINK* link = links_.at(i);
        link->number_ = i + 1;
        if (surface()) surface()->redrawArea(link->bounds());
    }
}
