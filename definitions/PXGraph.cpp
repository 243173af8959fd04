#include "definitions/PXGraph.h"

#include <algorithm>

#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"

PXGraph::PXGraph(IXXSURFACE* surface, IXXGRAPHOWNER* owner) : XXGRAPH(surface, owner) {}

PXGraph::~PXGraph() = default;

XXNODE* PXGraph::addNode(int32_t x, int32_t y, int32_t width, int32_t height, std::unique_ptr<XXNODE> node) {
    if (!node) node = std::make_unique<PXNode>();
    auto* px = dynamic_cast<PXNode*>(node.get());
    if (!px) {
        Tracer("PXGraph::addNode") << "not a PXNode" << endMsg;
        return nullptr;
    }
    px->number = nodeCount();
    px->owner = this;
    px->actions.setGraph(this);
    if (!XXGRAPH::addNode(x, y, width, height, std::move(node))) return nullptr;
    if (startId_ == 0 || !startNode()) setNode1(nodeAt(0));
    return px;
}

PXNode* PXGraph::addPXNode(int32_t x, int32_t y, int32_t width, int32_t height, std::unique_ptr<PXNode> node) {
    return static_cast<PXNode*>(addNode(x, y, width, height, std::move(node)));
}

bool PXGraph::delNode(int32_t id) {
    if (id != 0 && id == startId_) setNode1(nullptr);
    const bool deleted = XXGRAPH::delNode(id);
    renumber();
    if (startId_ == 0 && nodeCount() > 0) setNode1(nodeAt(0));
    if (startId_ != 0) select(startId_, false);
    return deleted;
}

void PXGraph::clear() {
    XXGRAPH::clear();
    startId_ = 0;
}

PXNode* PXGraph::seekNodeNumber(const char* text) const {
    long n = 0;
    if (!isInteger(text) || !toLong(text, n)) return nullptr;
    PXNode* node = nodeNumbered(n);
    if (!node)
        Tracer("PXGraph::seekNodeNumber") << loadString(54) << ":" << " " << loadString(1237) << " " << text << " "
                                          << loadString(23) << endMsg;
    return node;
}

PXNode* PXGraph::nodeNumbered(int64_t number) const {
    for (XXNODE* n : nodes()) {
        auto* node = static_cast<PXNode*>(n);
        if (node->number == number) return node;
    }
    return nullptr;
}

bool PXGraph::chgNodeNumber(int32_t from, int32_t to) {
    if (!nodeAt(from)) {
        Tracer("PXGraph::chgNodeNumber") << "Null node pointer" << endMsg;
        return false;
    }
    to = std::clamp(to, 0, nodeCount() - 1);
    moveNode(from, to);
    renumber();
    return true;
}

void PXGraph::setNode1(PXNode* node) {
    if (PXNode* previous = startNode()) previous->setStartFlag(false);
    if (!node) {
        startId_ = 0;
        return;
    }
    node->setStartFlag(true);
    startId_ = node->id();
    select(startId_, false);
}

PXNode* PXGraph::startNode() const {
    return startId_ != 0 ? static_cast<PXNode*>(findNode(startId_)) : nullptr;
}

PXNode* PXGraph::findByTag(const char* tag) const {
    for (XXNODE* n : nodes()) {
        auto* node = static_cast<PXNode*>(n);
        if (node->tag() == tag) return node;
    }
    return nullptr;
}

void PXGraph::renumber() {
    int32_t i = 0;
    for (XXNODE* n : nodes()) static_cast<PXNode*>(n)->number = i++;
}

void PXGraph::attach() {
    PXNode* flagged = nullptr;
    for (XXNODE* n : nodes()) {
        auto* node = static_cast<PXNode*>(n);
        node->owner = this;
        node->actions.setGraph(this);
        if (node->isStart()) flagged = node;
    }
    if (!flagged) return;
    // One start flag: the last flagged node wins, as it would have been set last.
    for (XXNODE* n : nodes())
        if (n != flagged) static_cast<PXNode*>(n)->setStartFlag(false);
    startId_ = flagged->id();
}

bool PXGraph::prepare() {
    for (XXNODE* n : nodes()) {
        auto* node = static_cast<PXNode*>(n);
        node->setIgnoreCase(node->ignoreCase());
        PXPattern* m = node->matcher();
        if (!m) {
            Error() << loadString(1047) << endMsg;
            select(node->id(), true);
            return false;
        }
        m->clearRunTime();
        node->buildFastLinks();
        node->reset(1);
    }
    return true;
}

void PXGraph::resetStream() {
    for (XXNODE* n : nodes()) static_cast<PXNode*>(n)->reset(2);
}
