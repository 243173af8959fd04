// PXNode: texts and targets, matcher selection, fast links, phases, label and clone.
#include "definitions/PXNode.h"

#include "foundation/XXGRAPH.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"

PXNode::PXNode() {
    setMenu({{PXCMD::properties, 1035},
             {PXCMD::string, 1025},
             {PXCMD::wideString, 1026},
             {PXCMD::actions, 1033},
             {XXCMD::linkTo, 302},
             {PXCMD::startNode, 1030},
             {XXCMD::deleteItem, 104}});
}

PXNode::~PXNode() = default;

std::unique_ptr<PXNode> PXNode::clone() const {
    auto copy = std::make_unique<PXNode>();
    copy->owner = owner;
    copy->number = number;
    copy->actions = actions;
    copy->matchStart = matchStart;
    copy->matchLength = matchLength;
    copy->tag_ = tag_;
    copy->refName_ = refName_;
    copy->patSet_ = patSet_;
    copy->patStr_ = patStr_;
    copy->patSSet_ = patSSet_;
    copy->patGraph_ = patGraph_;
    copy->patGraph_.setTarget(patGraph_.target(), copy.get());
    copy->patNull_ = patNull_;
    copy->start_ = start_;
    copy->selectMatcher();
    copy->rebuildSummary();
    copy->updateLabel();
    return copy;
}

void PXNode::setTag(const char* text) {
    tag_ = text ? text : "";
    changed();
}

void PXNode::setRefName(const char* text) {
    refName_ = text ? text : "";
    changed();
}

void PXNode::setText(const char* text) {
    patStr_.setText(text);
    changed();
}

void PXNode::setWText(const XXWCHAR* text) {
    patStr_.setWText(text);
    changed();
}

void PXNode::setIgnoreCase(bool flag) { patStr_.setIgnoreCase(flag); }

void PXNode::setStartFlag(bool flag) {
    if ((start_ != 0) == flag) return;
    start_ = flag ? 1 : 0;
    updateLabel();
}

void PXNode::setPattern(const PXPatternForm* pattern) {
    patSet_.setTarget(pattern);
    patGraph_.setTarget(nullptr, nullptr);
    patSSet_.setTarget(nullptr);
    selectMatcher();
}

void PXNode::setNodeGroup(PXGraph* graph) {
    patGraph_.setTarget(graph, this);
    patSet_.setTarget(nullptr);
    patSSet_.setTarget(nullptr);
    selectMatcher();
}

void PXNode::setStringSet(StringSet* set) {
    patSSet_.setTarget(set);
    patSet_.setTarget(nullptr);
    patGraph_.setTarget(nullptr, nullptr);
    selectMatcher();
}

void PXNode::clearTargets() {
    patSet_.setTarget(nullptr);
    patSSet_.setTarget(nullptr);
    patGraph_.setTarget(nullptr, nullptr);
    selectMatcher();
}

void PXNode::selectMatcher() {
    if (refName_.length() == 0)
        active_ = patStr_.hasText() ? &patStr_ : nullptr;
    else if (patGraph_.target())
        active_ = &patGraph_;
    else if (patSet_.target())
        active_ = patSet_.maxSize == 0 ? static_cast<PXPattern*>(&patNull_) : &patSet_;
    else if (patSSet_.target())
        active_ = &patSSet_;
    else
        active_ = nullptr;
}

void PXNode::changed() {
    selectMatcher();
    updateLabel();
}

void PXNode::buildFastLinks() {
    const int32_t n = linkCount();
    fastLinks.clear();
    if (!fastLinks.chk(n + 1)) return;
    int32_t i = 0;
    for (const XXNODELINK* link : links()) {
        if (i >= n) {
            Tracer("PXNode::buildFastLinks") << "i = " << i << ", NLinks = " << n << endMsg;
            break;
        }
        XXNODE* target = graph() ? graph()->findNode(link->targetId()) : nullptr;
        fastLinks.at(i) = dynamic_cast<PXNode*>(target);
        ++i;
    }
    fastLinks.at(n) = nullptr;
}

void PXNode::reset(int32_t phase) {
    if (phase == 2) {
        matchStart = 0;
        matchLength = 0;
        patSet_.clearRunTime();
        patStr_.clearRunTime();
        patSSet_.clearRunTime();
        patGraph_.clearRunTime();
        patNull_.clearRunTime();
    } else if (phase == 3) {
        if (PXNodeRef* ref = nodeRef()) ref->node = this;
    }
    actions.reset(phase);
}

PXNodeRef* PXNode::nodeRef() const {
    if (!refTable_ || refIndex_ < 0 || refIndex_ >= refTable_->count) return nullptr;
    return &(*refTable_)[refIndex_];
}

void PXNode::setNodeRef(PXNodeRefTable* table, int32_t index) {
    refTable_ = index >= 0 ? table : nullptr;
    refIndex_ = refTable_ ? index : -1;
}

CAction* PXNode::addAction(std::unique_ptr<CAction> action) {
    if (!action) return nullptr;
    action->graph = owner;
    CAction* added = actions.add(std::move(action));
    rebuildSummary();
    return added;
}

void PXNode::rebuildSummary() {
    actionsSummary_.clear();
    for (const CAction* a : actions) {
        actionsSummary_ += a->summaryText().text();
        actionsSummary_ += u"\n";
    }
}

void PXNode::updateLabel() {
    XXSTRING label;
    if (start_) label << "(" << loadString(1053) << ")  ";
    label << tag_;
    if (label.length() > 0) label << ":  ";
    if (refName_.length() == 0 && text().length() > 0)
        label << "\"" << text() << "\"";
    else
        label << refName_;
    setLabel(label.text());
}

XXWSTRING PXNode::makeDisplayText() const {
    XXWSTRING display(label_.text());
    if (refName_.length() == 0 && wtext().length() > 0) {
        display += u"W\"";
        display += wtext().text();
        display += u"\"";
    }
    return display;
}

// --- node references ---------------------------------------------------------------------

int32_t registerNodeRef(PXNodeRefTable& table, PXNode& node) {
    if (node.tag().length() == 0) {
        node.setNodeRef(nullptr, -1);
        return -1;
    }
    for (int32_t i = 0; i < table.count; ++i) {
        PXNodeRef& entry = table[i];
        if (entry.tag == node.tag()) {
            entry.shared = 1;
            entry.node = nullptr;
            node.setNodeRef(&table, i);
            return i;
        }
    }
    PXNodeRef entry;
    entry.tag = node.tag();
    entry.node = &node;
    if (!table.add(entry)) return -1;
    node.setNodeRef(&table, table.count - 1);
    return table.count - 1;
}

void clearSharedNodeRefs(PXNodeRefTable& table) {
    for (int32_t i = 0; i < table.count; ++i)
        if (table[i].shared) table[i].node = nullptr;
}
