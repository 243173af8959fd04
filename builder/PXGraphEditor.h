// PXGraphEditor: the builder as the owner of the graph being edited.
//
// The graph container carries out what it can itself (moving, linking, deleting, link
// colours and numbers, comment texts) and passes the rest here: a node's properties (tag,
// pattern, node number), its string and wide string with "Ignore case", its actions, and
// making it the start node. The questions go to the widget layer through IPXNodeDialogs; a declined
// dialog changes nothing. Every change marks the definition modified (the `changed`
// notice) and rebuilds the node's label.
// Tests: tests/builder/SurfaceModelTest.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/XXGRAPH.h"

class PXNode;

// What the "Node Properties" dialog edits.
struct PXNodeProps {
    static constexpr int32_t kTagLength = 50;
    static constexpr int32_t kPatternLength = 50;
    std::string tag;
    std::string pattern;       // the pattern, string set or node group matched; "" for a string
    int32_t number = 1;        // 1-based, as the user sees it
};

// A node's string as its dialog edits it.
struct PXNodeString {
    static constexpr int32_t kValueLength = 255;
    std::string value;
    bool ignoreCase = false;
};

class IPXNodeDialogs {
public:
    virtual ~IPXNodeDialogs() = default;
    // "Node Properties", with the names a node may match; false when cancelled.
    virtual bool editNodeProperties(PXNodeProps& props, const std::vector<std::string>& names) = 0;
    // The string dialog ("String" or "Wide string" in `caption`); false when cancelled.
    virtual bool editNodeString(const std::string& caption, PXNodeString& value) = 0;
    // The node's actions in their grid dialog; true when they changed.
    virtual bool editNodeActions(PXNode& node) = 0;
};

class PXGraphEditor : public IXXGRAPHOWNER {
public:
    using Names = std::function<std::vector<std::string>()>;

    // `names` lists what a node may match; `changed` hears of every change.
    PXGraphEditor(IPXNodeDialogs& dialogs, Names names, std::function<void()> changed);

    void graphChanged(XXGRAPH& graph) override;
    void itemSelected(XXGRAPH& graph, int32_t id) override;
    void itemProperties(XXGRAPH& graph, int32_t id, int32_t itemType) override;
    bool itemCommand(XXGRAPH& graph, int32_t id, int32_t command) override;

    // Applies edited properties to a node: tag and pattern cut to their lengths, the node
    // moved to its new number (clamped to the graph). True when something changed.
    static bool applyProps(XXGRAPH& graph, PXNode& node, const PXNodeProps& props);
    // Applies an edited string (wide when `wide`); true when something changed.
    static bool applyString(PXNode& node, const PXNodeString& value, bool wide);

private:
    bool editProperties(XXGRAPH& graph, PXNode& node);
    bool editString(PXNode& node, bool wide);

    IPXNodeDialogs& dialogs_;
    Names names_;
    std::function<void()> changed_;
};
