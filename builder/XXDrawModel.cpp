// The drawing surface's state and the translation of user actions into graph signals.
#include "builder/XXDrawModel.h"

#include <algorithm>
#include <array>

namespace {

// A point packed as the container expects it: x in the low, y in the high 16 bits.
int32_t packPoint(XXPOINT p) {
    return int32_t((uint32_t(uint16_t(int16_t(p.y))) << 16) | uint16_t(int16_t(p.x)));
}

void widen(XXRECT& area, const XXRECT& r) {
    const int32_t right = std::max(area.right(), r.right());
    const int32_t bottom = std::max(area.bottom(), r.bottom());
    area.x = std::min(area.x, r.x);
    area.y = std::min(area.y, r.y);
    area.width = right - area.x;
    area.height = bottom - area.y;
}

}  // namespace

void XXDrawModel::setGraph(XXGRAPH* graph) {
    release();
    graph_ = graph;
    focus_ = graph ? graph->selectedId() : 0;
    graphShown();
}

bool XXDrawModel::shows(int32_t id) const {
    return graph_ && windows_.count(id) && graph_->findItem(id) != nullptr;
}

std::vector<int32_t> XXDrawModel::shownItems() const {
    std::vector<int32_t> ids;
    if (!graph_) return ids;
    for (const XXGRAPHITEM* item : graph_->items())
        if (windows_.count(item->id())) ids.push_back(item->id());
    return ids;
}

int32_t XXDrawModel::itemAt(XXPOINT p) const {
    const std::vector<int32_t> ids = shownItems();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        const XXRECT& r = windows_.at(*it);
        if (p.x >= r.x && p.x < r.right() && p.y >= r.y && p.y < r.bottom()) return *it;
    }
    return 0;
}

XXRECT XXDrawModel::contentArea() const {
    XXRECT area{0, 0, 0, 0};
    if (!graph_) return area;
    for (int32_t id : shownItems()) widen(area, windows_.at(id));
    for (const XXNODE* node : graph_->nodes())
        for (const XXNODELINK* link : node->links()) widen(area, link->bounds());
    area.width += kMargin;
    area.height += kMargin;
    return area;
}

void XXDrawModel::nudge(int32_t id, int32_t dx, int32_t dy) {
    const auto it = windows_.find(id);
    if (it == windows_.end() || !shows(id)) return;
    if (place(id, it->second.x + dx, it->second.y + dy)) signal(XXSIG::resized, id);
}

void XXDrawModel::tab(int32_t id, bool backward) {
    signal(backward ? XXSIG::previousNode : XXSIG::nextNode, id);
}

void XXDrawModel::deleteKey(int32_t id) { menuCommand(id, XXCMD::deleteItem); }

void XXDrawModel::menuCommand(int32_t id, int32_t command) {
    if (id == pressId_ || id == dragId_) release();
    signal(XXSIG::command, id, command);
}

XXNODE* XXDrawModel::doubleClick(XXPOINT point) {
    if (!graph_ || itemAt(point) != 0) return nullptr;
    XXNODE* node = graph_->addNode(std::max(point.x, 0), std::max(point.y, 0));
    if (node) graph_->reportChange();
    return node;
}

XXGRAPHITEM* XXDrawModel::addItem(bool comment) {
    if (!graph_) return nullptr;
    int32_t bottom = 0;
    for (int32_t id : shownItems()) bottom = std::max(bottom, windows_.at(id).bottom());
    const int32_t y = bottom + cell_.height;
    XXGRAPHITEM* item = comment ? static_cast<XXGRAPHITEM*>(graph_->addComment(cell_.width, y))
                                : graph_->addNode(cell_.width, y);
    if (item) graph_->reportChange();
    return item;
}

void XXDrawModel::press(int32_t id, XXPOINT pointer) {
    if (!shows(id)) return;
    if (graph_->dragLink()) {
        signal(XXSIG::linkDrop, id, packPoint(pointer));
        return;
    }
    const XXRECT& r = windows_.at(id);
    pressId_ = id;
    grab_ = {pointer.x - r.x, pointer.y - r.y};
    focus_ = id;
    signal(XXSIG::select, id);
    itemChanged(id);
}

void XXDrawModel::dragTo(XXPOINT pointer) {
    if (!pressId_ || !shows(pressId_)) return;
    if (!dragId_) {
        dragId_ = pressId_;
        signal(XXSIG::dragStart, dragId_);
    }
    if (place(dragId_, pointer.x - grab_.x, pointer.y - grab_.y)) signal(XXSIG::dragMove, dragId_);
}

void XXDrawModel::release() {
    const int32_t dragged = dragId_;
    dragId_ = 0;
    pressId_ = 0;
    if (dragged && shows(dragged)) signal(XXSIG::resized, dragged);
}

void XXDrawModel::hover(int32_t id, XXPOINT pointer) {
    if (graph_ && graph_->dragLink()) signal(XXSIG::linkDrag, shows(id) ? id : 0, packPoint(pointer));
}

void XXDrawModel::pressSurface(XXPOINT pointer) {
    if (graph_ && graph_->dragLink()) signal(XXSIG::linkDrop, 0, packPoint(pointer));
}

bool XXDrawModel::createItemWindow(const char*, int32_t id, const XXRECT& rect) {
    if (id <= 0) return false;
    windows_[id] = rect;
    itemAdded(id);
    return true;
}

void XXDrawModel::destroyItemWindow(int32_t id) {
    if (!windows_.erase(id)) return;
    if (focus_ == id) focus_ = 0;
    if (pressId_ == id || dragId_ == id) pressId_ = dragId_ = 0;
    itemRemoved(id);
}

bool XXDrawModel::itemRect(int32_t id, XXRECT& rect) const {
    const auto it = windows_.find(id);
    if (it == windows_.end()) return false;
    rect = it->second;
    return true;
}

void XXDrawModel::focusItem(int32_t id) {
    const int32_t previous = focus_;
    focus_ = id;
    if (previous && previous != id) itemChanged(previous);
    itemChanged(id);
}

bool XXDrawModel::place(int32_t id, int32_t x, int32_t y) {
    XXRECT& r = windows_.at(id);
    // An item pushed or dragged past the top or left edge stays reachable.
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (x == r.x && y == r.y) return false;
    r.x = x;
    r.y = y;
    itemChanged(id);
    return true;
}

bool XXDrawModel::signal(int32_t sig, int32_t a, int32_t b) {
    return graph_ && graph_->handle(sig, a, b, nullptr);
}
