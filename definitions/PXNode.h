// PXNode: one node of a pattern graph.
//
// A node matches either its own text (narrow or wide, optionally ignoring case) or the thing
// its reference name names: a compiled pattern, a string set or a node group. It embeds one
// matcher of each kind and points at the one that fits (matcher(), null when the node has
// nothing to match); every setter that changes what the node matches selects again:
//   - no reference name: the text matcher when there is a narrow or else a wide text;
//   - a reference name: the node group when one is set, else the pattern (the null matcher
//     when the pattern can match nothing but the empty text), else the string set.
// A node with both texts matches the narrow one; a reference name makes both texts unused.
//
// Before a run the node compiles its outgoing links (XXNODE's link list, in the order they
// are tried) into fastLinks: direct pointers to the target nodes, terminated by null, so the
// matcher never looks a node up by id. During a run the node records its last match.
//
// The label (what the surface shows) is rebuilt after every change: "(Start)  " for the start
// node, the tag and ":  ", then the quoted text or the reference name; the display text adds
// W"wide text" for a node that matches a wide text.
#pragma once

#include <cstdint>
#include <memory>

#include "definitions/CAction.h"
#include "definitions/PXNodeRef.h"
#include "definitions/PXPattern.h"
#include "foundation/XXFARRAY.h"
#include "foundation/XXNODE.h"
#include "foundation/XXSTRING.h"

class PXGraph;

// Context-menu commands of a node that the pattern graph's owner carries out.
namespace PXCMD {
constexpr int32_t properties = 1060;
constexpr int32_t string = 1056;
constexpr int32_t wideString = 1057;
constexpr int32_t actions = 1059;
constexpr int32_t startNode = 1062;
}  // namespace PXCMD

class PXNode : public XXNODE {
public:
    PXGraph* owner = nullptr;         // the graph the node was attached to
    int32_t number = 0;               // 0-based position in the graph's node list
    XXPTRARRAY<PXNode> fastLinks;     // targets of the links in order, then null
    CActions actions;                 // run in order when the node matches
    int64_t matchStart = 0;           // stream offset of the last match
    int32_t matchLength = 0;          // bytes of the last match
    int32_t line = 0;                 // its "Node" line in the graph's file, 0 when not read

    PXNode();
    ~PXNode() override;

    // A new node with the same fields (texts, reference, matchers and their targets, start
    // flag, number, match, actions); not its links, fast links or node-reference entry.
    std::unique_ptr<PXNode> clone() const;

    const XXSTRING& tag() const { return tag_; }
    const XXSTRING& refName() const { return refName_; }
    const XXSTRING& text() const { return patStr_.text(); }
    const XXWSTRING& wtext() const { return patStr_.wtext(); }
    bool ignoreCase() const { return patStr_.ignoreCase(); }
    bool isStart() const { return start_ != 0; }
    const XXWSTRING& actionsSummary() const { return actionsSummary_; }

    void setTag(const char* text);
    void setRefName(const char* text);
    // An empty text counts as none.
    void setText(const char* text);
    void setWText(const XXWCHAR* text);
    void setIgnoreCase(bool flag);
    // Only the flag: PXGraph::setNode1 keeps the graph's start node in line with it.
    void setStartFlag(bool flag);

    // Targets. Each points its matcher at the target, clears the other two targets and
    // selects the matcher again.
    void setPattern(const PXPatternForm* pattern);
    void setNodeGroup(PXGraph* graph);
    void setStringSet(StringSet* set);
    // Clears all three targets.
    void clearTargets();

    // The matcher in use, or null.
    PXPattern* matcher() const { return active_; }
    PatternSet& patternSet() { return patSet_; }
    PatternStr& patternStr() { return patStr_; }
    PatternSSet& patternSSet() { return patSSet_; }
    PatternGraph& patternGraph() { return patGraph_; }
    PatternNull& patternNull() { return patNull_; }

    // Compiles the links into fastLinks.
    void buildFastLinks();

    // Phase 2 (stream begin) clears the last match and the matchers' run-time fields;
    // phase 3 (matched) records the node in its node-reference entry. Every phase is then
    // passed to the node's actions.
    void reset(int32_t phase);

    // The node-reference entry, or null.
    PXNodeRef* nodeRef() const;
    void setNodeRef(PXNodeRefTable* table, int32_t index);

    // Appends an action (it belongs to the node's graph) and rebuilds the summary.
    CAction* addAction(std::unique_ptr<CAction> action);
    // Rebuilds the actions summary: each action's summary followed by "\n".
    void rebuildSummary();
    // Rebuilds the label from the current fields.
    void updateLabel();

protected:
    XXWSTRING makeDisplayText() const override;

private:
    void selectMatcher();
    void changed();

    XXSTRING tag_;
    XXWSTRING actionsSummary_;
    XXSTRING refName_;
    PXPattern* active_ = nullptr;
    PatternSet patSet_;
    PatternStr patStr_;
    PatternSSet patSSet_;
    PatternGraph patGraph_;
    PatternNull patNull_;
    PXNodeRefTable* refTable_ = nullptr;
    int32_t refIndex_ = -1;
    uint8_t start_ = 0;
};
