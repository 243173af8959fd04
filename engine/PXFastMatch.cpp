#include "engine/PXFastMatch.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "definitions/PXNode.h"
#include "engine/PXActions.h"

namespace {

bool hasBit(const std::vector<uint64_t>& bits, uint32_t bit) { return bits[bit / 64] >> (bit % 64) & 1; }

// The values of the variables some pattern element compares the input with.
std::vector<const XXFLD*> variablesInPatterns(const std::vector<Variable>& variables,
                                               const std::vector<PXPatternForm>& patterns) {
    std::vector<const XXFLD*> values;
    for (const PXPatternForm& form : patterns)
        for (int32_t e = 0; e < form.count; ++e)
            for (const Variable& v : variables)
                if (form[e].checker == &v) values.push_back(v.value);
    return values;
}

// Whether what the node's actions do at a match is undone by the same actions at the next
// one, unseen: none, or sends of the node's text (no longer than a value may grow) to
// variables that no pattern reads.
bool actionsLeaveNoTrace(const PXNode& node, int32_t longest, const std::vector<const XXFLD*>& matched) {
    for (const CAction* a : node.actions) {
        const auto* x = dynamic_cast<const Xmitter*>(a);
        if (!x || !x->sendsNodeTextToVariable() || longest > Xmitter::maxValueBytes ||
            std::find(matched.begin(), matched.end(), x->targetVar) != matched.end())
            return false;
    }
    return true;
}

// A narrow start node whose links are decided by their first byte: does a run need a link?
void markNarrowRuns(const PXNode& node, PXFastNode& f, const std::vector<const XXFLD*>& matched) {
    if (f.kind != PXFastNode::setSingle || f.min < 1 || f.step != 1 || node.linkCount() == 0 ||
        !actionsLeaveNoTrace(node, std::max(f.min, f.max), matched))
        return;
    int32_t linkBytes = 0;
    bool overlap = false;
    for (int32_t b = 0; b < 256; ++b)
        if (f.linkFirst[b]) {
            ++linkBytes;
            f.linkByte = b;
            overlap = overlap || f.lastTable[b];
        }
    f.runsNeedALink = linkBytes > 0 && !overlap;
    if (linkBytes != 1) f.linkByte = -1;
}

// The 16-bit set a wide pattern's first element needs at least one member of.
const PXSet16* firstWideSet(PXPattern* m, int32_t& min, int32_t& elements) {
    auto* ps = dynamic_cast<PatternSet*>(m);
    const PXPatternForm* form = ps ? ps->target() : nullptr;
    if (!form || form->count == 0 || (*form)[0].min < 1) return nullptr;
    min = (*form)[0].min;
    elements = form->count;
    return dynamic_cast<const PXSet16*>((*form)[0].checker);
}

// A wide start node of one 16-bit set element: do its runs need a link? Every link must be a
// wide text compared exactly or a wide pattern of a 16-bit set, none starting with a member.
void markWideRuns(const PXNode& node, PXFastNode& f, const std::vector<const XXFLD*>& matched) {
    int32_t min = 0, elements = 0;
    const PXSet16* run = firstWideSet(f.matcher, min, elements);
    if (!run || min < 1 || elements != 1 || node.linkCount() == 0) return;
    const auto* ps = static_cast<PatternSet*>(f.matcher);
    const SubPattern& only = (*ps->target())[0];
    if (!actionsLeaveNoTrace(node, 2 * std::max(only.min, only.max), matched)) return;
    std::vector<uint64_t> units(65536 / 64, 0);
    auto add = [&units](uint32_t u) { units[u / 64] |= uint64_t(1) << (u % 64); };
    int32_t need = 2;
    for (int32_t k = 0; k < node.linkCount(); ++k) {
        const PXNode* target = node.fastLinks[k];
        if (!target || !target->matcher()) continue;   // never tried
        PXPattern* tm = target->matcher();
        int32_t tMin = 0, tElements = 0;
        if (auto* s = dynamic_cast<PatternStr*>(tm); s && s->wide && !s->ignoreCase() && s->wtext().length() > 0) {
            add(s->wtext().text()[0]);
            need = std::max(need, 2 * s->wtext().length());
        } else if (const PXSet16* set = firstWideSet(tm, tMin, tElements)) {
            for (uint32_t u = 0; u < 65536; ++u)
                if (set->has(u)) add(u);
            need = std::max(need, 2 * (tElements == 1 ? tMin : 1));
        } else {
            return;
        }
    }
    int32_t linkUnits = 0;
    for (uint32_t u = 0; u < 65536; ++u) {
        if (!hasBit(units, u)) continue;
        if (run->has(u)) return;
        ++linkUnits;
        f.linkByte = int32_t(u & 0xFF);
    }
    if (linkUnits == 0) return;
    if (linkUnits != 1) f.linkByte = -1;
    f.runsNeedALink = true;
    f.runSet16 = run;
    f.linkUnits = std::move(units);
    f.linkNeed = need;
}

template <int W, typename Member, typename IsLink>
int32_t skipRuns(const PXFastNode& f, Member member, IsLink isLink, const unsigned char* data, int32_t count,
                 int32_t p) {
    // Link units are looked at only where the bytes a link reads are in the window.
    const int32_t last = count - f.linkNeed;
    if (!data || p < 0 || p > last) return p;
    // A run is matched in pieces of `longest` members, from its first member (or p); a last
    // piece shorter than the minimum does not match, and no start after it in the run can.
    const int32_t longest = std::max(f.max, f.min);
    auto runStart = [&](int32_t end) {
        int32_t s = end;
        while (s > p && member(inputUnit<W>(data, s - W))) s -= W;
        return s;
    };
    for (int32_t from = p; from <= last;) {
        int32_t k = from;
        if (f.linkByte >= 0) {
            const void* hit = std::memchr(data + from, f.linkByte, size_t(last - from) + 1);
            if (!hit) break;
            k = int32_t(static_cast<const unsigned char*>(hit) - data);
            // A wide unit's low byte found at the other parity, or in another unit.
            if ((k - p) % W != 0 || !isLink(inputUnit<W>(data, k))) {
                from = k + 1;
                continue;
            }
        } else {
            while (k <= last && !isLink(inputUnit<W>(data, k))) k += W;
            if (k > last) break;
        }
        if (k > p && member(inputUnit<W>(data, k - W))) {
            const int32_t s = runStart(k);
            const int32_t units = (k - s) / W;
            const int32_t lastPiece = units % longest == 0 ? longest : units % longest;
            if (lastPiece >= f.min) return s + (units - lastPiece) * W;
        }
        from = k + W;
    }
    // No piece up to `last` ends at a link unit. The last run holding a position up to there
    // that has a match leaves the record the skipped runs would have left: the plain search
    // takes it from its start. A run that the window's end cuts may have one too; it is
    // taken when no run before it is sure to.
    int32_t cut = -1;
    for (int32_t j = last - (last - p) % W; j >= p; j -= W) {
        if (!member(inputUnit<W>(data, j))) continue;
        int32_t end = j + W;
        while (end + W <= count && member(inputUnit<W>(data, end))) end += W;
        const int32_t s = runStart(j);
        if (end + W > count)
            cut = s;
        else if ((end - s) / W >= f.min)
            return s;
        j = s;
    }
    return cut >= 0 ? cut : p + ((last - p) / W + 1) * W;
}

}  // namespace

PXSSetIndex::PXSSetIndex(const StringSet& set) : begin(258, 0) {
    std::vector<std::vector<int32_t>> buckets(256);
    for (int32_t i = 0; i < set.items.count; ++i) {
        const StringSetItem& item = set.items[i];
        if (!item.enabled) continue;
        const int32_t n = item.text.length();
        if (n > need) need = n;
        if (n == 0) {
            hasEmpty = true;
            for (auto& b : buckets) b.push_back(i);
            continue;
        }
        const auto c = static_cast<unsigned char>(item.text.text()[0]);
        if (item.ignoreCase) {
            const auto lo = static_cast<unsigned char>(std::tolower(c));
            const auto up = static_cast<unsigned char>(std::toupper(c));
            buckets[lo].push_back(i);
            if (up != lo) buckets[up].push_back(i);
        } else {
            buckets[c].push_back(i);
        }
    }
    // Every enabled item is available at a position that holds the longest one.
    if (need == 0) need = 1;
    for (size_t b = 0; b < 256; ++b) {
        begin[b] = int32_t(entries.size());
        for (int32_t i : buckets[b]) {
            const StringSetItem& item = set.items[i];
            PXSSetEntry e;
            e.item = i;
            e.length = item.text.length();
            e.text = item.text.text();
            e.ignoreCase = item.ignoreCase != 0;
            const size_t headBytes = std::min<size_t>(size_t(e.length), 8);
            std::memcpy(&e.head, e.text, headBytes);
            std::memset(&e.mask, 0xFF, headBytes);
            entries.push_back(e);
        }
    }
    begin[256] = int32_t(entries.size());
}

const PXSSetIndex& PXFastTables::indexFor(const StringSet& set) {
    auto it = sets_.find(&set);
    if (it == sets_.end()) it = sets_.emplace(&set, PXSSetIndex(set)).first;
    return it->second;
}

PXFastGraph& PXFastTables::graph(PXGraph& g, PXSearchPlans& plans, const std::vector<Variable>& variables,
                                  const std::vector<PXPatternForm>& patterns) {
    auto it = graphs_.find(&g);
    if (it != graphs_.end()) return it->second;
    const std::vector<const XXFLD*> matched = variablesInPatterns(variables, patterns);
    PXFastGraph& fg = graphs_[&g];
    fg.nodes.resize(size_t(g.nodeCount()));
    for (int32_t i = 0; i < g.nodeCount(); ++i) {
        PXNode* node = g.nodeAt(i);
        if (!node || node->number < 0 || node->number >= g.nodeCount()) continue;
        PXFastNode& f = fg.nodes[size_t(node->number)];
        f.matcher = node->matcher();
        const PXSearchPlan& plan = plans.planFor(*node);
        f.plan = plan.kind == PXSearchPlan::none ? nullptr : &plan;
        if (auto* s = dynamic_cast<PatternStr*>(f.matcher)) {
            if (!s->wide && !s->ignoreCase() && s->text().length() > 0) {
                f.kind = PXFastNode::text;
                f.bytes.assign(s->text().text(), size_t(s->text().length()));
            }
        } else if (auto* ss = dynamic_cast<PatternSSet*>(f.matcher)) {
            if (ss->target()) {
                f.kind = PXFastNode::stringSet;
                f.set = ss->target();
                f.index = &indexFor(*f.set);
            }
        } else if (auto* ps = dynamic_cast<PatternSet*>(f.matcher)) {
            const PXPatternForm* form = ps->target();
            if (form && form->count > 0) {
                const SubPattern& first = (*form)[0];
                if (first.min >= 1) {
                    if ((f.first = dynamic_cast<const PXSet8*>(first.checker)))
                        f.kind = form->count == 1 ? PXFastNode::setSingle : PXFastNode::setFirst;
                    f.min = first.min;
                    f.max = first.max;
                }
                f.lastSet8 = dynamic_cast<const PXSet8*>((*form)[form->count - 1].checker);
                if (f.lastSet8)
                    for (int32_t b = 0; b < 256; ++b) f.lastTable[b] = f.lastSet8->has(uint32_t(b));
            }
        }
        f.step = f.matcher && f.matcher->isWide() ? 2 : 1;
        if (f.step == 1) {
            if (f.kind == PXFastNode::text) {
                f.starts = true;
                f.startNeed = int32_t(f.bytes.size());
                f.startTable[static_cast<unsigned char>(f.bytes[0])] = true;
            } else if ((f.kind == PXFastNode::setFirst || f.kind == PXFastNode::setSingle) &&
                       !(f.plan && f.plan->filtersPastFirstByte())) {
                f.starts = true;
                for (int32_t b = 0; b < 256; ++b) f.startTable[b] = f.first->has(uint32_t(b));
            } else if (f.kind == PXFastNode::stringSet && !(f.plan && f.plan->filtersPastFirstByte())) {
                // (With a filter of more than first bytes the plan passes over more than this.)
                f.starts = true;
                f.startNeed = f.index->need;
                for (int32_t b = 0; b < 256; ++b) f.startTable[b] = f.index->begin[size_t(b)] != f.index->begin[size_t(b) + 1];
            }
        }
    }
    // Which links can be decided by the byte at the position.
    for (int32_t i = 0; i < g.nodeCount(); ++i) {
        PXNode* node = g.nodeAt(i);
        if (!node || node->number < 0 || node->number >= g.nodeCount()) continue;
        PXFastNode& f = fg.nodes[size_t(node->number)];
        bool decidable = true;
        for (int32_t k = 0; k < node->linkCount() && decidable; ++k) {
            const PXNode* target = node->fastLinks[k];
            if (!target || !target->matcher()) continue;   // never tried
            if (target->number < 0 || target->number >= g.nodeCount()) {
                decidable = false;
                break;
            }
            const PXFastNode& t = fg.nodes[size_t(target->number)];
            if (t.matcher != target->matcher()) {
                decidable = false;
            } else if (t.kind == PXFastNode::text) {
                f.linkFirst[static_cast<unsigned char>(t.bytes[0])] = true;
                f.linkNeed = std::max(f.linkNeed, int32_t(t.bytes.size()));
            } else if (t.kind == PXFastNode::setFirst || t.kind == PXFastNode::setSingle) {
                for (int32_t b = 0; b < 256; ++b)
                    if (t.first->has(uint32_t(b))) f.linkFirst[b] = true;
                f.linkNeed = std::max(f.linkNeed, t.kind == PXFastNode::setSingle ? t.min : 1);
            } else if (t.kind == PXFastNode::stringSet) {
                // A link with an empty item can match nothing.
                if (t.index->hasEmpty) decidable = false;
                for (int32_t b = 0; b < 256; ++b) {
                    const int32_t first = t.index->begin[size_t(b)];
                    const int32_t end = t.index->begin[size_t(b) + 1];
                    if (first == end) continue;
                    f.linkFirst[b] = true;
                }
                f.linkNeed = std::max(f.linkNeed, t.index->need);
            } else {
                decidable = false;
            }
        }
        f.linksByFirstByte = decidable;
        if (decidable) markNarrowRuns(*node, f, matched);
        markWideRuns(*node, f, matched);
    }
    return fg;
}

int32_t skipUnlinkedRuns(const PXFastNode& f, const unsigned char* data, int32_t count, int32_t p) {
    if (f.runSet16)
        return skipRuns<2>(
            f, [set = f.runSet16](uint32_t u) { return set->has(u); },
            [&units = f.linkUnits](uint32_t u) { return hasBit(units, u); }, data, count, p);
    return skipRuns<1>(
        f, [&f](uint32_t b) { return f.lastTable[b]; }, [&f](uint32_t b) { return f.linkFirst[b]; }, data, count, p);
}
