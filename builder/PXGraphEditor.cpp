// The node commands of the graph being edited.
#include "builder/PXGraphEditor.h"

#include "definitions/PXGraph.h"
#include "definitions/PXNode.h"
#include "foundation/XXSTRTABLE.h"

namespace {

PXNode* pxNode(XXGRAPH& graph, int32_t id) { return dynamic_cast<PXNode*>(graph.findNode(id)); }

std::string cut(const std::string& text, int32_t length) { return text.substr(0, size_t(length)); }

}  // namespace

PXGraphEditor::PXGraphEditor(IPXNodeDialogs& dialogs, Names names, std::function<void()> changed)
    : dialogs_(dialogs), names_(std::move(names)), changed_(std::move(changed)) {}

void PXGraphEditor::graphChanged(XXGRAPH&) {
    if (changed_) changed_();
}

void PXGraphEditor::itemSelected(XXGRAPH&, int32_t) {}

void PXGraphEditor::itemProperties(XXGRAPH& graph, int32_t id, int32_t itemType) {
    if (itemType == XXGRAPHITEM::typeNode) {
        itemCommand(graph, id, PXCMD::properties);
    } else if (itemType == XXGRAPHITEM::typeComment) {
        graph.handle(XXSIG::command, id, XXCMD::commentText, nullptr);
    }
}

bool PXGraphEditor::itemCommand(XXGRAPH& graph, int32_t id, int32_t command) {
    PXNode* node = pxNode(graph, id);
    if (!node) return false;
    bool changed = false;
    switch (command) {
    case PXCMD::properties: changed = editProperties(graph, *node); break;
    case PXCMD::string: changed = editString(*node, false); break;
    case PXCMD::wideString: changed = editString(*node, true); break;
    case PXCMD::actions: changed = dialogs_.editNodeActions(*node); break;
    case PXCMD::startNode: {
        auto* pxGraph = dynamic_cast<PXGraph*>(&graph);
        if (!pxGraph) return false;
        changed = pxGraph->startNodeId() != id;
        pxGraph->setNode1(node);
        break;
    }
    default: return false;
    }
    if (changed) graph.reportChange();
    return true;
}

bool PXGraphEditor::editProperties(XXGRAPH& graph, PXNode& node) {
    PXNodeProps props{node.tag().text(), node.refName().text(), node.number + 1};
    if (!dialogs_.editNodeProperties(props, names_ ? names_() : std::vector<std::string>{})) return false;
    return applyProps(graph, node, props);
}

bool PXGraphEditor::applyProps(XXGRAPH& graph, PXNode& node, const PXNodeProps& props) {
    bool changed = false;
    const std::string tag = cut(props.tag, PXNodeProps::kTagLength);
    if (tag != node.tag().text()) {
        node.setTag(tag.c_str());
        changed = true;
    }
    const std::string pattern = cut(props.pattern, PXNodeProps::kPatternLength);
    if (pattern != node.refName().text()) {
        node.setRefName(pattern.c_str());
        changed = true;
    }
    auto* pxGraph = dynamic_cast<PXGraph*>(&graph);
    if (pxGraph && props.number - 1 != node.number) {
        pxGraph->chgNodeNumber(node.number, props.number - 1);
        changed = true;
    }
    return changed;
}

bool PXGraphEditor::editString(PXNode& node, bool wide) {
    PXNodeString value;
    if (wide) {
        XXSTRING narrow;
        WToA(node.wtext(), narrow);
        value.value = narrow.text();
    } else {
        value.value = node.text().text();
    }
    value.ignoreCase = node.ignoreCase();
    if (!dialogs_.editNodeString(loadString(wide ? 1026 : 1025), value)) return false;
    return applyString(node, value, wide);
}

bool PXGraphEditor::applyString(PXNode& node, const PXNodeString& value, bool wide) {
    const std::string text = cut(value.value, PXNodeString::kValueLength);
    bool changed = value.ignoreCase != node.ignoreCase();
    node.setIgnoreCase(value.ignoreCase);
    if (wide) {
        XXWSTRING wtext;
        if (!text.empty()) AToW(XXSTRING(text.c_str()), wtext);
        XXSTRING old;
        WToA(node.wtext(), old);
        changed = changed || text != old.text();
        node.setWText(wtext.text());
    } else {
        changed = changed || text != node.text().text();
        node.setText(text.c_str());
    }
    return changed;
}
