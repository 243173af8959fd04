// The graph container: adding and deleting items, links and their numbers, extents, link
// routing, and the surface signals.
//
// Lookups by id walk the lists; graphs are edited by hand and hold tens to hundreds of
// nodes, and the matcher never searches by id (it works on fast links built before a run).
//
// Deleting a node: its window goes, it leaves the item list (which only borrows it) and the
// node list (which deletes it, and with it its own links), and then every remaining node
// drops its link to it and renumbers the rest, so that no link is left pointing at an id
// that no longer exists.
//
// Link routing: both ends start at the centres of the two node rectangles. When the
// rectangles share no column and no row the link is a straight line. Otherwise the link is
// an elbow between the sides that face each other (left and right when the rectangles share
// rows, top and bottom when they share columns; when they overlap, the axis along which the
// centres lie further apart), and its ends move out to those sides, kept off the windows by
// the surface's line spacing plus 1.
//
// Tested by tests/foundation/XXGRAPHTest.cpp.
#include "foundation/XXGRAPH.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/XXSTRTABLE.h"

namespace {

// The link colours by key (index + 1), as the surface's colour table names them.
constexpr const char* kColorNames[] = {"Black", "Blue", "Cyan", "Gray", "Green",
                                       "Magenta", "Red", "White", "Yellow"};
constexpr int32_t kColorCount = int32_t(std::size(kColorNames));

constexpr int32_t kCommentMaxLength = 255;

XXPOINT unpackPoint(int32_t packed) {
    const auto bits = uint32_t(packed);
    return {int32_t(int16_t(bits & 0xffffu)), int32_t(int16_t(bits >> 16))};
}

int32_t clampToInt32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// A caption from the string table without its menu mnemonic.
XXSTRING caption(int32_t stringId) {
    XXSTRING text(loadString(stringId));
    text.remove('&');
    return text;
}

}  // namespace

XXGRAPH::XXGRAPH(IXXSURFACE* surface, IXXGRAPHOWNER* owner) : surface_(surface), owner_(owner) {}

XXGRAPH::~XXGRAPH() { deleteAll(); }

// --- virtual operations ------------------------------------------------------------------

bool XXGRAPH::handle(int32_t signal, int32_t a, int32_t b, const void* pointer) {
    switch (signal) {
    case XXSIG::select:
        if (!findItem(a) && !findLink(a)) return false;
        selectedId_ = a;
        if (owner_) owner_->itemSelected(*this, a);
        return true;
    case XXSIG::placed: {
        XXGRAPHITEM* item = findItem(a);
        if (!item) return false;
        takeRect(*item);
        recomputeExtents();
        if (item->isNode()) routeLinksOf(a);
        reportChange();
        return true;
    }
    case XXSIG::changed:
        reportChange();
        return true;
    case XXSIG::properties: {
        XXGRAPHITEM* item = findItem(a);
        if (!item) item = findLink(a);
        if (!item) return false;
        if (owner_) owner_->itemProperties(*this, a, item->itemType());
        return true;
    }
    case XXSIG::linkDrag:
        return dragTo(a, b);
    case XXSIG::linkDrop:
        return dropLink(a);
    case XXSIG::previousNode:
    case XXSIG::nextNode:
        if (nodes_.empty()) return false;
        selectNeighbour(a, signal == XXSIG::nextNode ? 1 : -1);
        return true;
    case XXSIG::setText: {
        XXGRAPHITEM* item = findItem(a);
        if (!item) return false;
        item->setLabel(static_cast<const char*>(pointer));
        reportChange();
        return true;
    }
    case XXSIG::command:
        return runCommand(a, b);
    case XXSIG::moved:
    case XXSIG::dragMove:
    case XXSIG::resized: {
        XXNODE* node = findNode(a);
        if (!node) return false;
        takeRect(*node);
        if (signal == XXSIG::resized) recomputeExtents();
        routeLinksOf(a);
        reportChange();
        return true;
    }
    default:
        return false;
    }
}

const XXMENU& XXGRAPH::contextMenu(int32_t id) const {
    static const XXMENU none;
    if (const XXGRAPHITEM* item = findItem(id)) return item->contextMenu();
    if (const XXNODELINK* link = findLink(id)) return link->contextMenu();
    return none;
}

bool XXGRAPH::forwardToItem(int32_t id, int32_t command) {
    return owner_ && owner_->itemCommand(*this, id, command);
}

void XXGRAPH::redrawLinks() {
    for (XXNODE* node : nodes_)
        for (XXNODELINK* link : node->links_) routeLink(*link);
}

void XXGRAPH::reset() {
    endDrag();
    XXGRAPHITEM::rewindIds();
}

void XXGRAPH::clear() {
    // Items go first: the counter can only go back once no item holds an id.
    deleteAll();
    reset();
}

void XXGRAPH::clearSelection() { selectedId_ = 0; }

XXNODE* XXGRAPH::addNode(int32_t x, int32_t y, int32_t width, int32_t height,
                         std::unique_ptr<XXNODE> node) {
    if (!node) node = std::make_unique<XXNODE>();
    if (!adopt(*node, placeRect(x, y, width, height))) return nullptr;
    XXNODE* added = nodes_.add(std::move(node));
    items_.borrow(added);
    // A node handed in may already carry links; they now start from its new id.
    for (XXNODELINK* link : added->links_) adoptLink(*added, *link);
    recomputeExtents();
    select(added->id(), false);
    return added;
}

bool XXGRAPH::delNode(int32_t id) {
    const int32_t pos = nodeIndex(id);
    if (pos < 0) {
        Tracer("XXGRAPH::delNode") << "i < 0" << endMsg;
        return false;
    }
    XXNODE* node = nodes_.at(pos);
    if (dragLink_ && dragLink_->sourceId() == id) endDrag();
    dropWindow(*node);
    if (surface_)
        for (XXNODELINK* link : node->links_) surface_->redrawArea(link->bounds());
    items_.detach(node);
    nodes_.remove(pos);
    for (XXNODE* other : nodes_)
        while (removeLinkTo(*other, id)) {
        }
    if (selectedId_ == id) selectedId_ = 0;
    recomputeExtents();
    return true;
}

XXNOTE* XXGRAPH::addComment(int32_t x, int32_t y, int32_t width, int32_t height,
                            std::unique_ptr<XXNOTE> note) {
    if (!note) note = std::make_unique<XXNOTE>();
    if (!adopt(*note, placeRect(x, y, width, height))) return nullptr;
    XXNOTE* added = note.get();
    items_.add(std::move(note));
    select(added->id(), false);
    return added;
}

bool XXGRAPH::deleteItem(int32_t id) {
    if (findNode(id)) return delNode(id);
    const int32_t pos = itemIndex(id);
    if (pos >= 0) return removeComment(pos);
    if (XXNODELINK* link = findLink(id)) {
        XXNODE* source = findNode(link->sourceId());
        return source && removeLinkTo(*source, link->targetId());
    }
    Tracer("XXGRAPH::deleteItem") << "i < 0" << endMsg;
    return false;
}

// --- attachments -------------------------------------------------------------------------

void XXGRAPH::setSurface(IXXSURFACE* surface) {
    if (surface == surface_) return;
    surface_ = surface;
    for (XXGRAPHITEM* item : items_) {
        item->surface_ = surface;
        makeWindow(*item);
    }
    for (XXNODE* node : nodes_)
        for (XXNODELINK* link : node->links_) link->surface_ = surface;
    if (dragLink_) dragLink_->surface_ = surface;
    if (surface) redrawLinks();
}

// --- items -------------------------------------------------------------------------------

XXGRAPHITEM* XXGRAPH::findItem(int32_t id) const { return items_.at(itemIndex(id)); }

XXNODE* XXGRAPH::findNode(int32_t id) const { return nodes_.at(nodeIndex(id)); }

XXNODELINK* XXGRAPH::findLink(int32_t id) const {
    if (id == 0) return nullptr;
    for (XXNODE* node : nodes_)
        for (XXNODELINK* link : node->links_)
            if (link->id() == id) return link;
    return nullptr;
}

XXNOTE* XXGRAPH::findComment(int32_t id) const {
    XXGRAPHITEM* item = findItem(id);
    return item && item->isComment() ? static_cast<XXNOTE*>(item) : nullptr;
}

int32_t XXGRAPH::itemIndex(int32_t id) const {
    if (id == 0) return -1;
    for (int32_t i = 0; i < items_.count(); ++i)
        if (items_.at(i)->id() == id) return i;
    return -1;
}

int32_t XXGRAPH::nodeIndex(int32_t id) const {
    if (id == 0) return -1;
    for (int32_t i = 0; i < nodes_.count(); ++i)
        if (nodes_.at(i)->id() == id) return i;
    return -1;
}

bool XXGRAPH::moveNode(int32_t from, int32_t to) { return nodes_.move(from, to); }

// --- links -------------------------------------------------------------------------------

XXNODELINK* XXGRAPH::addLink(XXNODE& source, int32_t targetId) {
    if (source.graph() != this) {
        Tracer("XXGRAPH::addLink") << "Source node not in graph" << endMsg;
        return nullptr;
    }
    if (!findNode(targetId) || source.linkIndex(targetId) >= 0) return nullptr;
    auto link = std::make_unique<XXNODELINK>(source.id(), targetId);
    adoptLink(source, *link);
    if (link->id() == 0) return nullptr;
    XXNODELINK* added = source.links_.add(std::move(link));
    routeLink(*added);
    source.renumberLinks();
    return added;
}

bool XXGRAPH::removeLinkTo(XXNODE& source, int32_t targetId) {
    const int32_t pos = source.linkIndex(targetId);
    if (pos < 0) return false;
    if (surface_) surface_->redrawArea(source.links_.at(pos)->bounds());
    source.links_.remove(pos);
    source.renumberLinks();
    return true;
}

bool XXGRAPH::renumberLink(XXNODE& source, int32_t targetId, int32_t number) {
    const int32_t from = source.linkIndex(targetId);
    if (from < 0) return false;
    const int32_t last = source.linkCount() - 1;
    const int32_t to = number <= 0 ? 0 : std::min(number - 1, last);
    source.links_.move(from, to);
    source.renumberLinks();
    return true;
}

void XXGRAPH::routeLink(XXNODELINK& link) {
    const XXNODE* source = findNode(link.sourceId());
    const XXNODE* target = findNode(link.targetId());
    if (!source || !target) return;
    const XXRECT before = link.bounds();
    const XXRECT a = itemRect(*source);
    const XXRECT b = itemRect(*target);
    const XXPOINT ca = a.centre();
    const XXPOINT cb = b.centre();
    link.x1 = ca.x;
    link.y1 = ca.y;
    link.x2 = cb.x;
    link.y2 = cb.y;

    const bool shareColumns = a.x < b.right() && b.x < a.right();
    const bool shareRows = a.y < b.bottom() && b.y < a.bottom();
    if (!shareColumns && !shareRows) {
        link.route_ = XXNODELINK::routeStraight;
    } else {
        const int32_t gap = (surface_ ? surface_->lineSpacing() : 0) + 1;
        bool sideBySide = shareRows && !shareColumns;
        if (shareRows && shareColumns) sideBySide = std::abs(cb.x - ca.x) >= std::abs(cb.y - ca.y);
        if (sideBySide && cb.x >= ca.x) {
            link.route_ = XXNODELINK::routeRight;
            link.x1 = a.right() + gap;
            link.x2 = b.x - gap;
        } else if (sideBySide) {
            link.route_ = XXNODELINK::routeLeft;
            link.x1 = a.x - gap;
            link.x2 = b.right() + gap;
        } else if (cb.y >= ca.y) {
            link.route_ = XXNODELINK::routeDown;
            link.y1 = a.bottom() + gap;
            link.y2 = b.y - gap;
        } else {
            link.route_ = XXNODELINK::routeUp;
            link.y1 = a.y - gap;
            link.y2 = b.bottom() + gap;
        }
    }
    if (surface_) {
        surface_->redrawArea(before);
        surface_->redrawArea(link.bounds());
    }
}

void XXGRAPH::routeLinksOf(int32_t id) {
    for (XXNODE* node : nodes_)
        for (XXNODELINK* link : node->links_)
            if (link->sourceId() == id || link->targetId() == id) routeLink(*link);
}

// --- selection, extents ------------------------------------------------------------------

void XXGRAPH::select(int32_t id, bool tellOwner) {
    selectedId_ = id;
    const XXGRAPHITEM* item = findItem(id);
    if (surface_ && item && item->hasWindow()) surface_->focusItem(id);
    if (tellOwner && owner_) owner_->itemSelected(*this, id);
}

void XXGRAPH::recomputeExtents() {
    if (nodes_.empty()) {
        extents_ = {};
        return;
    }
    const XXRECT first = itemRect(*nodes_.first());
    int64_t minX = first.x, maxX = first.x, minY = first.y, maxY = first.y;
    for (const XXNODE* node : nodes_) {
        const XXRECT r = itemRect(*node);
        minX = std::min<int64_t>(minX, r.x);
        minY = std::min<int64_t>(minY, r.y);
        maxX = std::max<int64_t>(maxX, int64_t(r.x) + std::max(r.width, 0));
        maxY = std::max<int64_t>(maxY, int64_t(r.y) + std::max(r.height, 0));
    }
    extents_ = {clampToInt32(minX), clampToInt32(maxX), clampToInt32(minY), clampToInt32(maxY)};
}

XXRECT XXGRAPH::itemRect(const XXGRAPHITEM& item) const {
    XXRECT r;
    if (surface_ && item.hasWindow() && surface_->itemRect(item.id(), r)) return r;
    return item.rect();
}

void XXGRAPH::reportChange() {
    if (owner_) owner_->graphChanged(*this);
}

// --- private -----------------------------------------------------------------------------

bool XXGRAPH::adopt(XXGRAPHITEM& item, const XXRECT& rect) {
    if (!item.takeId()) return false;
    item.graph_ = this;
    item.surface_ = surface_;
    item.rect_ = rect;
    makeWindow(item);
    item.updateDisplay();
    return true;
}

void XXGRAPH::makeWindow(XXGRAPHITEM& item) {
    item.hasWindow_ = false;
    if (!surface_) return;
    item.hasWindow_ = surface_->createItemWindow(itemWindowClass, item.id_, item.rect_);
    if (!item.hasWindow_)
        Tracer("XXGRAPH::makeWindow") << "Unable to create item window " << item.id_ << endMsg;
}

void XXGRAPH::adoptLink(XXNODE& source, XXNODELINK& link) {
    link.takeId();
    link.graph_ = this;
    link.surface_ = surface_;
    link.sourceId_ = source.id();
}

void XXGRAPH::dropWindow(XXGRAPHITEM& item) {
    if (surface_ && item.hasWindow_) surface_->destroyItemWindow(item.id_);
    item.hasWindow_ = false;
}

void XXGRAPH::takeRect(XXGRAPHITEM& item) {
    XXRECT r;
    if (surface_ && item.hasWindow_ && surface_->itemRect(item.id_, r)) item.rect_ = r;
}

XXSIZE XXGRAPH::cellSize() const {
    const XXSIZE cell = surface_ ? surface_->charSize() : nominalCell;
    return cell.width > 0 && cell.height > 0 ? cell : nominalCell;
}

XXRECT XXGRAPH::placeRect(int32_t x, int32_t y, int32_t width, int32_t height) const {
    const XXSIZE cell = cellSize();
    if (width <= 0) width = int32_t(std::lround(layout.nodeWidth * float(cell.width)));
    if (height <= 0) height = int32_t(std::lround(layout.nodeHeight * float(cell.height)));
    return {x, y, width, height};
}

void XXGRAPH::deleteAll() {
    endDrag();
    for (XXGRAPHITEM* item : items_) dropWindow(*item);
    items_.clear();
    nodes_.clear();
    selectedId_ = 0;
    extents_ = {};
}

bool XXGRAPH::removeComment(int32_t itemPos) {
    XXGRAPHITEM* item = items_.at(itemPos);
    const int32_t id = item->id();
    dropWindow(*item);
    items_.remove(itemPos);
    if (selectedId_ == id) selectedId_ = 0;
    recomputeExtents();
    return true;
}

void XXGRAPH::selectNeighbour(int32_t id, int32_t step) {
    const int32_t n = nodes_.count();
    int32_t pos = nodeIndex(id);
    if (pos < 0) pos = nodeIndex(selectedId_);
    const int32_t next = pos < 0 ? (step > 0 ? 0 : n - 1) : (pos + step + n) % n;
    select(nodes_.at(next)->id(), true);
}

bool XXGRAPH::runCommand(int32_t id, int32_t command) {
    XXGRAPHITEM* item = findItem(id);
    XXNODELINK* link = item ? nullptr : findLink(id);
    if (command == XXCMD::deleteItem && (item || link)) {
        if (surface_ && !surface_->confirmDelete(id)) return true;
        if (deleteItem(id)) reportChange();
        return true;
    }
    if (command == XXCMD::linkColor && link) {
        const int32_t chosen = surface_ ? surface_->chooseName(caption(307), kColorNames, kColorCount,
                                                               link->color() - 1)
                                        : -1;
        if (chosen >= 0 && chosen < kColorCount && chosen + 1 != link->color()) {
            link->setColor(chosen + 1);
            reportChange();
        }
        return true;
    }
    if (command == XXCMD::renumberLink && link) {
        int32_t number = link->number();
        XXNODE* source = findNode(link->sourceId());
        if (source && surface_ && surface_->askNumber(caption(306), number) && number != link->number()) {
            renumberLink(*source, link->targetId(), number);
            reportChange();
        }
        return true;
    }
    if (command == XXCMD::linkTo && item && item->isNode()) {
        endDrag();
        dragLink_ = std::make_unique<XXNODELINK>(id, 0);
        dragLink_->graph_ = this;
        dragLink_->surface_ = surface_;
        const XXPOINT c = itemRect(*item).centre();
        dragLink_->x1 = dragLink_->x2 = c.x;
        dragLink_->y1 = dragLink_->y2 = c.y;
        return true;
    }
    if (command == XXCMD::commentText && item && item->isComment()) {
        XXSTRING text = item->label();
        if (surface_ && surface_->askText(caption(1031), text, kCommentMaxLength)) {
            if (text.length() > kCommentMaxLength) text = XXSTRING(text.text(), kCommentMaxLength);
            if (!(text == item->label())) {
                item->setLabel(text);
                reportChange();
            }
        }
        return true;
    }
    if (!item && !link) return false;
    return forwardToItem(id, command);
}

bool XXGRAPH::dragTo(int32_t nodeId, int32_t packedPoint) {
    if (!dragLink_) return false;
    const XXNODE* node = findNode(nodeId);
    const XXPOINT p = node && nodeId != dragLink_->sourceId() ? itemRect(*node).centre()
                                                               : unpackPoint(packedPoint);
    if (surface_) surface_->redrawArea(dragLink_->bounds());
    dragLink_->x2 = p.x;
    dragLink_->y2 = p.y;
    if (surface_) surface_->redrawArea(dragLink_->bounds());
    return true;
}

bool XXGRAPH::dropLink(int32_t nodeId) {
    if (!dragLink_) return false;
    const int32_t sourceId = dragLink_->sourceId();
    endDrag();
    XXNODE* source = findNode(sourceId);
    if (!source || nodeId == sourceId || !findNode(nodeId)) return true;
    if (!addLink(*source, nodeId)) {
        XXMSG(1) << loadString(304) << endMsg;
        return true;
    }
    reportChange();
    return true;
}

void XXGRAPH::endDrag() {
    if (!dragLink_) return;
    if (surface_) surface_->redrawArea(dragLink_->bounds());
    dragLink_.reset();
}
