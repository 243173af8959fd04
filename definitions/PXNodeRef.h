// PXNodeRef: the entry of the node-reference table, one per distinct node tag.
//
// Actions name nodes by tag ("Send to" a node's text, "Run" over a node's match). The table
// answers "which node with this tag matched last": an entry that one node registered points
// at that node; when a second node registers the same tag the entry becomes shared, and its
// node pointer is then cleared and set by every match of a node with that tag (PXNode::reset
// with phase 3). Nodes hold their entry by table and index rather than by address, so growing
// the table never leaves a node pointing at freed memory.
#pragma once

#include <cstdint>

#include "foundation/XXFARRAY.h"
#include "foundation/XXSTRING.h"

class PXNode;

struct PXNodeRef {
    XXSTRING tag;
    PXNode* node = nullptr;   // the node that last matched (or the one node of the tag)
    uint8_t shared = 0;       // a second node registered the same tag
};

using PXNodeRefTable = XXFARRAY<PXNodeRef>;

// Registers `node` under its tag (exact comparison): a new entry, or the existing entry made
// shared. The node keeps its entry. A node without a tag registers nothing and keeps none.
// Returns the entry's index, or -1.
int32_t registerNodeRef(PXNodeRefTable& table, PXNode& node);
// Clears the node pointer of every shared entry (done before each run).
void clearSharedNodeRefs(PXNodeRefTable& table);
