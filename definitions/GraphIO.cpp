#include "definitions/GraphIO.h"

#include <algorithm>
#include <strings.h>

#include "definitions/PXActionCatalogue.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"

namespace {

constexpr int32_t kReportsPerKind = 5;
// Distinct unknown action keywords listed in the one report.
constexpr size_t kUnknownActionsListed = 10;

enum Keyword { kNote, kNode, kNodeAttribute, kNodeAction, kIgc, kStart, kNodePattern, kNodeString, kNodeTag, kLinkColors };

int keywordOf(const std::string& text) {
    for (int i = 0; i < 10; ++i)
        if (strcasecmp(text.c_str(), GraphIO::keywords[i]) == 0) return i;
    return -1;
}

int32_t toInt32(long v) { return int32_t(std::clamp<long>(v, INT32_MIN, INT32_MAX)); }

// Positions and sizes on the drawing surface are kept within a range where adding a size to a
// position, or halving and subtracting it, cannot overflow.
constexpr long kSurfaceLimit = 1L << 24;
int32_t coordinate(long v) { return int32_t(std::clamp(v, -kSurfaceLimit, kSurfaceLimit)); }
int32_t extent(long v) { return int32_t(std::clamp(v, 0L, kSurfaceLimit)); }

// The next token as a number; a missing token is 0 (as an empty text converts), a token that
// is no integer fails.
bool numberIn(DefLine& rest, long& out) {
    out = 0;
    DefToken t;
    if (!rest.next(t)) return true;
    return !t.isWide && toLong(t.text.c_str(), out);
}

// A token's text as narrow text (wide tokens converted).
XXSTRING narrowOf(const DefToken& t) {
    if (!t.isWide) return XXSTRING(t.text.data(), int32_t(t.text.size()));
    XXSTRING narrow;
    WToA(XXWSTRING(t.wide.c_str()), narrow);
    return narrow;
}

}  // namespace

// --- writing -----------------------------------------------------------------------------

bool GraphIO::out(XXSTREAM& s, PXGraph& graph) const {
    bool ok = true;
    for (XXGRAPHITEM* item : graph.items()) {
        if (!item->isComment()) continue;
        const XXRECT r = graph.itemRect(*item);
        s.clearLine();
        s.addToken(keywords[kNote]);
        s.addInt(r.x);
        s.addInt(r.y);
        s.addInt(r.width);
        s.addInt(r.height);
        addNarrowToken(s, item->label().view());
        ok = s.endLine() && ok;
    }
    for (int32_t i = 0; i < graph.nodeCount(); ++i) {
        PXNode* node = graph.nodeAt(i);
        const XXRECT r = graph.itemRect(*node);
        s.clearLine();
        s.addToken(keywords[kNode]);
        s.addInt(i);
        s.addInt(r.x);
        s.addInt(r.y);
        s.addInt(r.width);
        s.addInt(r.height);
        std::vector<int32_t> colors;
        for (const XXNODELINK* link : node->links()) {
            const int32_t target = graph.nodeIndex(link->targetId());
            if (target < 0) continue;
            s.addInt(target);
            colors.push_back(link->color());
        }
        ok = s.endLine() && ok;

        s.addToken(keywords[kLinkColors]);
        s.addInt(i);
        for (int32_t c : colors) s.addInt(c);
        ok = s.endLine() && ok;

        s.addToken(keywords[kNodeAttribute]);
        s.addInt(i);
        if (node->ignoreCase()) s.addToken(keywords[kIgc]);
        if (graph.startNodeId() == node->id()) s.addToken(keywords[kStart]);
        ok = s.endLine() && ok;

        if (node->refName().length() > 0) {
            s.addToken(keywords[kNodePattern]);
            s.addInt(i);
            addNarrowToken(s, node->refName().view());
            ok = s.endLine() && ok;
        }
        if (node->wtext().length() > 0) {
            s.addToken(keywords[kNodeString]);
            s.addInt(i);
            s.addWide(node->wtext().text());
            ok = s.endLine() && ok;
        }
        if (node->text().length() > 0) {
            s.addToken(keywords[kNodeString]);
            s.addInt(i);
            addNarrowToken(s, node->text().view());
            ok = s.endLine() && ok;
        }
        if (node->tag().length() > 0) {
            s.addToken(keywords[kNodeTag]);
            s.addInt(i);
            addNarrowToken(s, node->tag().view());
            ok = s.endLine() && ok;
        }
        for (const CAction* a : node->actions) {
            s.addToken(keywords[kNodeAction]);
            s.addInt(i);
            s.addToken(a->key);
            for (int32_t p = 0; p < a->parmCount(); ++p) addStringToken(s, a->parm(p));
            ok = s.endLine() && ok;
        }
    }
    return ok;
}

// --- reading -----------------------------------------------------------------------------

void GraphIO::beginRead() {
    quiet = false;
    missingReports_ = noteReports_ = nodeReports_ = excessReports_ = 0;
}

void GraphIO::begin(PXGraph* graph) {
    graph_ = graph;
    firstNumber_ = graph ? graph->nodeCount() : 0;
    pending_.clear();
    actionErrors_ = "";
    actionErrorCount_ = 0;
    unknownActions_.clear();
}

bool GraphIO::isGraphLine(const DefToken& first) {
    if (first.quoted || first.isWide) return false;
    const int k = keywordOf(first.text);
    return k >= 0 && k != kIgc && k != kStart;
}

void GraphIO::lineIn(const DefToken& first, DefLine& rest, std::string_view line) {
    if (!graph_) return;
    const int k = keywordOf(first.text);
    if (k == kNote) {
        noteIn(rest);
        return;
    }
    if (k == kNode) {
        nodeIn(rest);
        return;
    }
    PXNode* node = nodeOf(rest);
    if (!node) return;
    DefToken t;
    switch (k) {
    case kNodeAttribute: attributeIn(*node, rest); break;
    case kNodeAction: actionIn(*node, rest, line); break;
    case kLinkColors: colorsIn(*node, rest); break;
    case kNodeString:
        if (!rest.next(t)) break;
        if (t.isWide)
            node->setWText(t.wide.c_str());
        else if (!t.text.empty())
            node->setText(t.text.c_str());
        break;
    case kNodeTag:
        if (rest.next(t) && narrowOf(t).length() > 0) node->setTag(narrowOf(t));
        break;
    case kNodePattern:
        if (rest.next(t) && narrowOf(t).length() > 0) node->setRefName(narrowOf(t));
        break;
    default: break;
    }
}

void GraphIO::noteIn(DefLine& rest) {
    long v[4] = {0, 0, 0, 0};
    int32_t code = 0;
    for (int i = 0; i < 4; ++i)
        if (!numberIn(rest, v[i])) code += 2 << i;
    if (code != 0) reportConversion("GraphIO::noteIn", code, noteReports_);
    DefToken text;
    const bool hasText = rest.next(text);
    XXNOTE* note = graph_->addComment(coordinate(v[0]), coordinate(v[1]), extent(v[2]), extent(v[3]));
    if (note && hasText) note->setLabel(narrowOf(text));
}

void GraphIO::nodeIn(DefLine& rest) {
    long v[5] = {0, 0, 0, 0, 0};
    int32_t code = 0;
    for (int i = 0; i < 5; ++i)
        if (!numberIn(rest, v[i])) code += 1 << i;
    if (code != 0) reportConversion("GraphIO::nodeIn", code, nodeReports_);
    PXNode* node = graph_->addPXNode(coordinate(v[1]), coordinate(v[2]), extent(v[3]), extent(v[4]));
    if (!node) return;
    node->line = lineNumber;
    Pending p;
    p.node = node;
    p.place = place;
    DefToken t;
    while (rest.next(t)) {
        long target = 0;
        if (!t.isWide && isInteger(t.text.c_str()) && toLong(t.text.c_str(), target) && target >= 0) {
            p.targets.push_back(target);
        } else {
            reportMissing(narrowOf(t), place);
            p.targets.push_back(-1);
        }
    }
    pending_.push_back(std::move(p));
}

PXNode* GraphIO::nodeOf(DefLine& rest) {
    DefToken t;
    if (!rest.next(t)) {
        reportMissing("", place);
        return nullptr;
    }
    long n = -1;
    if (!t.isWide && isInteger(t.text.c_str()) && toLong(t.text.c_str(), n) && n >= 0 &&
        n < int64_t(graph_->nodeCount()) - firstNumber_)
        return graph_->nodeAt(firstNumber_ + int32_t(n));
    reportMissing(narrowOf(t), place);
    return nullptr;
}

void GraphIO::attributeIn(PXNode& node, DefLine& rest) {
    DefToken t;
    while (rest.next(t)) {
        if (t.quoted || t.isWide) continue;
        const int k = keywordOf(t.text);
        if (k == kIgc)
            node.setIgnoreCase(true);
        else if (k == kStart)
            graph_->setNode1(&node);
    }
}

void GraphIO::actionIn(PXNode& node, DefLine& rest, std::string_view line) {
    DefToken t;
    if (!rest.next(t)) return;
    XXSTRING keyword = narrowOf(t);
    keyword.remove('"');
    std::unique_ptr<CAction> action = catalogue ? catalogue->make(keyword) : nullptr;
    if (!action) {
        ++actionErrorCount_;
        const std::string k(keyword.view());
        if (std::find(unknownActions_.begin(), unknownActions_.end(), k) == unknownActions_.end() &&
            unknownActions_.size() < kUnknownActionsListed) {
            unknownActions_.push_back(k);
            actionErrors_ << place << loadString(24) << " (" << loadString(1082) << ": " << keyword << ")" << newline;
        }
        return;
    }
    int32_t i = 0;
    while (rest.next(t)) {
        if (i >= maxActionParms) {
            if (mayReport(excessReports_)) {
                Error e;
                e << place << loadString(54) << " - " << loadString(29) << "  [" << lineForMessage(line) << "]"
                  << endMsg;
            }
            break;
        }
        if (t.isWide)
            action->setParm(i, t.wide.c_str());
        else
            action->setParm(i, t.text.c_str(), nullptr);
        ++i;
    }
    node.addAction(std::move(action));
}

void GraphIO::colorsIn(PXNode& node, DefLine& rest) {
    const int64_t index = int64_t(node.number) - firstNumber_;
    if (index < 0 || index >= int64_t(pending_.size())) return;
    Pending& p = pending_[size_t(index)];
    p.colors.clear();
    DefToken t;
    while (p.colors.size() < p.targets.size() && rest.next(t)) {
        long c = XXNODELINK::defaultColor;
        if (t.isWide || !toLong(t.text.c_str(), c)) c = XXNODELINK::defaultColor;
        p.colors.push_back(toInt32(c));
    }
}

void GraphIO::resolveLinks() {
    if (graph_) {
        const int32_t n = graph_->nodeCount();
        std::vector<char> linked;
        for (Pending& p : pending_) {
            linked.assign(size_t(n), 0);
            for (size_t k = 0; k < p.targets.size(); ++k) {
                const int64_t t = p.targets[k];
                if (t < 0) continue;   // reported when read
                if (t >= int64_t(n) - firstNumber_) {
                    reportMissing(XXSTRING() << static_cast<long long>(t), p.place);
                    continue;
                }
                const int32_t pos = firstNumber_ + int32_t(t);
                if (linked[size_t(pos)]) continue;
                linked[size_t(pos)] = 1;
                XXNODELINK* link = graph_->addLink(*p.node, graph_->nodeAt(pos)->id());
                if (link && k < p.colors.size()) link->setColor(p.colors[k]);
            }
        }
    }
    pending_.clear();
    if (actionErrorCount_ > 0 && !quiet) {
        Error e;
        e << actionErrors_ << endMsg;
    }
    actionErrors_ = "";
    actionErrorCount_ = 0;
    unknownActions_.clear();
}

bool GraphIO::mayReport(int32_t& count) {
    if (quiet) return false;
    return count++ < kReportsPerKind;
}

void GraphIO::reportMissing(const char* number, const XXSTRING& where) {
    if (!mayReport(missingReports_)) return;
    Tracer("PXGraph::seekNodeNumber") << where << loadString(54) << ":" << " " << loadString(1237) << " " << number << " "
                                      << loadString(23) << endMsg;
}

void GraphIO::reportConversion(const char* title, int32_t code, int32_t& count) {
    if (!mayReport(count)) return;
    Tracer(title) << place << "Error " << code << endMsg;
}
