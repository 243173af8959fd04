#include "definitions/PXGraphs.h"

#include "foundation/XXSTRTABLE.h"

namespace {

constexpr int32_t kNameCol = 0;
constexpr int32_t kGraphCol = 1;

using GraphField = XXFLD_DATA<PXGraph>;

}  // namespace

PXGraphs::PXGraphs() = default;

PXGraphs::~PXGraphs() {
    // Groups first: their nodes may point into the node-reference table.
    clearRows();
}

void PXGraphs::buildSchema(XXCHOOSER* definitionFileChooser, XXCHECKER* tagChecker) {
    setTitle(1276);
    setKey(1275);
    addFld(XXFLD_ID::gen, 54, 50, definitionFileChooser, tagChecker);
    addFld(GraphField::gen, "", 0);
    main.name = loadString(1401);
}

const char* PXGraphs::groupName(int32_t i) const {
    const XXFLD* f = getCell(kNameCol, i);
    return f ? f->getText() : "";
}

PXGraph* PXGraphs::groupIfAny(int32_t i) const {
    auto* f = dynamic_cast<GraphField*>(getCell(kGraphCol, i));
    return f ? f->get() : nullptr;
}

PXGraph* PXGraphs::group(int32_t i) {
    XXROW* r = row(i);
    if (!r) return nullptr;
    auto* f = dynamic_cast<GraphField*>(r->field(kGraphCol));
    if (!f) return nullptr;
    if (!f->get()) {
        f->set(std::make_unique<PXGraph>());
        f->get()->name = groupName(i);
        adoptGraph(*f->get());
    }
    return f->get();
}

PXGraph* PXGraphs::findGroup(const char* name) {
    for (int32_t i = 0; i < rowCount(); ++i)
        if (XXSTRING(groupName(i)) == name) return group(i);
    return nullptr;
}

PXGraph* PXGraphs::addGroup(const char* name) {
    appendRow();
    const int32_t i = rowCount() - 1;
    if (XXFLD* f = getCell(kNameCol, i)) f->setValue(name ? name : "");
    return group(i);
}

void PXGraphs::setSurface(IXXSURFACE* surface, IXXGRAPHOWNER* owner) {
    surface_ = surface;
    owner_ = owner;
    adoptGraph(main);
    for (int32_t i = 0; i < rowCount(); ++i)
        if (PXGraph* g = groupIfAny(i)) adoptGraph(*g);
}

void PXGraphs::adoptGraph(PXGraph& graph) {
    if (surface_ && !graph.surface()) graph.setSurface(surface_);
    if (owner_ && !graph.owner()) graph.setOwner(owner_);
}

int32_t PXGraphs::totalNodes() {
    int32_t n = 0;
    PXGraphIter it(*this);
    while (PXGraph* g = it.next()) n += g->nodeCount();
    return n;
}

void PXGraphs::clearAll() {
    clearRows();
    main.clear();
    nodeRefs.clear();
}

PXGraph* PXGraphIter::next() {
    if (pos_ < 0) {
        pos_ = 0;
        return &graphs_.main;
    }
    while (pos_ < graphs_.rowCount()) {
        PXGraph* g = graphs_.groupIfAny(pos_++);
        if (g) return g;
    }
    return nullptr;
}
