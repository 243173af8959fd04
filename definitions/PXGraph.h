// PXGraph: a pattern graph, the main graph of a definition or one node group.
//
// It is the graph container (XXGRAPH) holding PXNodes, plus the start node where every walk
// of the graph begins. The graph keeps three things in line on every change: each node's
// number is its position in the node list; exactly the start node carries the start flag;
// and a graph that has nodes always has a start node (adding to a graph without one, or
// deleting the start node, makes the first node the start node).
//
// Run preparation (phase 1) gives every node its fast links and checks that it has
// something to match; the stream reset (phase 2) clears the nodes' last matches.
#pragma once

#include <cstdint>
#include <memory>

#include "definitions/PXNode.h"
#include "foundation/XXGRAPH.h"

class PXGraph : public XXGRAPH {
public:
    // The file the graph was read from, "" when none. The main graph's file is the definition
    // file, which also holds the definition's grid rows.
    XXSTRING file;

    explicit PXGraph(IXXSURFACE* surface = nullptr, IXXGRAPHOWNER* owner = nullptr);
    ~PXGraph() override;

    // Adds a PXNode (a new one when `node` is null) numbered after the last; the first node
    // of a graph without a start node becomes its start node. Null when `node` is not a
    // PXNode or cannot be added.
    XXNODE* addNode(int32_t x, int32_t y, int32_t width = 0, int32_t height = 0,
                    std::unique_ptr<XXNODE> node = nullptr) override;
    // Deletes the node and every link to it, renumbers, and makes the first remaining node
    // the start node when the start node went.
    bool delNode(int32_t id) override;
    // Deletes every item; no start node remains.
    void clear() override;

    // addNode for callers that hold a PXNode.
    PXNode* addPXNode(int32_t x, int32_t y, int32_t width = 0, int32_t height = 0,
                      std::unique_ptr<PXNode> node = nullptr);
    PXNode* nodeAt(int32_t i) const { return static_cast<PXNode*>(XXGRAPH::nodeAt(i)); }

    // The node numbered by the decimal text; null when the text is no integer, and null after
    // a report ("Definition file: Node 7 not found") when no node has that number.
    PXNode* seekNodeNumber(const char* text) const;
    // The node with that number, or null (no report).
    PXNode* nodeNumbered(int64_t number) const;
    // Moves the node at position `from` to position `to` (clamped to the node list) and
    // renumbers. False, after a report, when there is no node at `from`.
    bool chgNodeNumber(int32_t from, int32_t to);
    // Makes `node` the start node (null: none), moving the start flag and selecting it.
    void setNode1(PXNode* node);
    // The start node, or null.
    PXNode* startNode() const;
    int32_t startNodeId() const { return startId_; }
    // The first node in list order with this tag (exact comparison), or null.
    PXNode* findByTag(const char* tag) const;

    // Node number = list position, for every node.
    void renumber();
    // Makes every node (and its actions) belong to this graph and takes the flagged node as
    // the start node.
    void attach();
    // Run preparation: ignore case re-applied, fast links built, nodes and their actions reset
    // with phase 1. False, after reporting "No pattern / string defined" and selecting the
    // node, when a node has nothing to match.
    bool prepare();
    // Stream reset: every node reset with phase 2.
    void resetStream();

private:
    int32_t startId_ = 0;
};
