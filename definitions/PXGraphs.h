// PXGraphs: every pattern graph of a definition.
//
// It holds the main graph, the node groups and the node-reference table. The node groups
// are the rows of this grid itself: column 0 is the group's name (also the name of its graph
// file), column 1 a hidden data field that owns the group's PXGraph. A group row without a
// graph gets one on first use. A drawing surface and its owner, when set, are handed to every
// graph that has none yet, including groups created later.
//
// PXGraphIter visits the main graph first, then each group's graph in row order.
#pragma once

#include <cstdint>

#include "definitions/PXGraph.h"
#include "definitions/PXGrids.h"
#include "definitions/PXNodeRef.h"

class PXGraphs : public PXGrid {
public:
    // Declared before the graphs, so that it outlives the nodes that point into it.
    PXNodeRefTable nodeRefs;
    PXGraph main;

    PXGraphs();
    ~PXGraphs() override;
    PXGraphs(const PXGraphs&) = delete;
    PXGraphs& operator=(const PXGraphs&) = delete;

    // Title "Node Groups", key "NodeGroup", the name column (with the definition-file
    // chooser and the tag checker) and the hidden graph column. The main graph is named.
    void buildSchema(XXCHOOSER* definitionFileChooser, XXCHECKER* tagChecker);

    int32_t groupCount() const { return rowCount(); }
    // The name of group i ("" when there is none).
    const char* groupName(int32_t i) const;
    // The graph of group i, created when the row has none; null when there is no row i.
    PXGraph* group(int32_t i);
    // The graph of group i as it is (null when it has none).
    PXGraph* groupIfAny(int32_t i) const;
    // The graph of the first group with this name (exact comparison), or null.
    PXGraph* findGroup(const char* name);
    // Appends a group row with its graph; the graph.
    PXGraph* addGroup(const char* name);

    // Hands the surface and owner to every graph without a surface, now and later.
    void setSurface(IXXSURFACE* surface, IXXGRAPHOWNER* owner);
    // Nodes of all graphs.
    int32_t totalNodes();
    // Empties the main graph, deletes every group and empties the node-reference table.
    void clearAll();

private:
    void adoptGraph(PXGraph& graph);

    IXXSURFACE* surface_ = nullptr;
    IXXGRAPHOWNER* owner_ = nullptr;
};

class PXGraphIter {
public:
    explicit PXGraphIter(PXGraphs& graphs) : graphs_(graphs) {}
    // The next graph, or null after the last.
    PXGraph* next();

private:
    PXGraphs& graphs_;
    int32_t pos_ = -1;   // -1: the main graph is next
};
