// Search plans and the skip loop. See PXSearch.h for why a skip never changes a result.
#include "engine/PXSearch.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <functional>

#include "definitions/PXGraph.h"
#include "definitions/PXNode.h"
#include "definitions/PXPattern.h"

namespace {

// How common a byte is in text, roughly (higher: more common). Letters follow English
// frequencies, lower case above upper case; digits, space and punctuation are common.
int32_t commonness(unsigned char b) {
    // Half of the bytes of wide text are zero.
    if (b == 0) return 1000;
    static const char kOrder[] = " etaoinsrhldcumfpgwybvkxjqz\n.,ETAOINSRHLDCUMFPGWYBVKXJQZ0123456789-_'\"";
    const char* at = std::strchr(kOrder, b);
    if (!at) return 0;
    return int32_t(sizeof kOrder) - int32_t(at - kOrder);
}

int32_t rarestOffset(const unsigned char* text, int32_t n) {
    int32_t best = 0;
    for (int32_t i = 1; i < n; ++i)
        if (commonness(text[i]) < commonness(text[best])) best = i;
    return best;
}

void addBothCases(bool* first, unsigned char b, bool ignoreCase) {
    first[b] = true;
    if (ignoreCase) {
        first[std::tolower(b)] = true;
        first[std::toupper(b)] = true;
    }
}

PXSearchPlan planForMatcher(PXPattern* m, int32_t depth);

const unsigned char* bytesOf(const PXSearchPlan& plan) {
    return reinterpret_cast<const unsigned char*>(plan.text.data());
}

PXSearchPlan planForText(PatternStr& s) {
    PXSearchPlan plan;
    if (s.wide) {
        plan.step = 2;
        if (s.ignoreCase() || s.wtext().length() == 0) return plan;
        plan.kind = PXSearchPlan::wideLiteral;
        // Wide input holds its units little-endian.
        for (int32_t i = 0; i < s.wtext().length(); ++i) {
            const XXWCHAR u = s.wtext().text()[i];
            plan.text += char(u & 0xFF);
            plan.text += char(u >> 8);
        }
        plan.length = int32_t(plan.text.size());
        plan.rareAt = rarestOffset(bytesOf(plan), plan.length);
        return plan;
    }
    const int32_t n = s.text().length();
    if (n == 0) return plan;
    const auto* text = reinterpret_cast<const unsigned char*>(s.text().text());
    if (s.ignoreCase()) {
        plan.kind = PXSearchPlan::firstBytes;
        addBothCases(plan.first, text[0], true);
        plan.need = n;
        return plan;
    }
    plan.kind = PXSearchPlan::literal;
    plan.text.assign(s.text().text(), size_t(n));
    plan.length = n;
    plan.rareAt = rarestOffset(text, n);
    return plan;
}

PXSearchPlan planForPattern(PatternSet& p) {
    PXSearchPlan plan;
    plan.step = p.isWide() ? 2 : 1;
    const PXPatternForm* form = p.target();
    if (!form || form->count == 0) return plan;
    const SubPattern& first = (*form)[0];
    if (first.min < 1 || !first.checker) return plan;
    // Leading elements with a fixed count place their sets at known offsets.
    if (!p.isWide()) {
        std::vector<const PXSet8*> sequence;
        for (int32_t j = 0; j < form->count && sequence.size() < 64; ++j) {
            const SubPattern& sp = (*form)[j];
            const auto* s8 = dynamic_cast<const PXSet8*>(sp.checker);
            if (!s8 || sp.min < 0) break;
            for (int32_t k = 0; k < sp.min && sequence.size() < 64; ++k) sequence.push_back(s8);
            if (sp.max != sp.min || j == form->count - 1) break;
        }
        if (sequence.size() >= 2) {
            plan.kind = PXSearchPlan::setSequence;
            plan.sequence = sequence;
            plan.length = int32_t(sequence.size());
            int32_t best = 257;
            for (int32_t i = 0; i < plan.length; ++i) {
                int32_t members = 0, last = -1;
                for (int32_t b = 0; b < 256; ++b)
                    if (sequence[size_t(i)]->has(uint32_t(b))) {
                        ++members;
                        last = b;
                    }
                if (members < best) {
                    best = members;
                    plan.pivot = i;
                    plan.pivotByte = members == 1 ? last : -1;
                }
            }
            return plan;
        }
    }
    if (PXRequiredPlan required = makeRequiredPlan(*form); required.width > 0) {
        plan.kind = PXSearchPlan::required;
        plan.requiredUnit = std::move(required);
        return plan;
    }
    if (const auto* s8 = dynamic_cast<const PXSet8*>(first.checker)) {
        plan.kind = PXSearchPlan::setRun;
        plan.set8 = s8;
        plan.run = first.min;
    } else if (const auto* s16 = dynamic_cast<const PXSet16*>(first.checker)) {
        plan.kind = PXSearchPlan::setRun;
        plan.set16 = s16;
        plan.run = first.min;
    }
    return plan;
}

void setBit(std::vector<uint64_t>& bits, uint32_t bit) { bits[bit / 64] |= uint64_t(1) << (bit % 64); }

bool hasBit(const uint64_t* bits, uint32_t bit) { return bits[bit / 64] >> (bit % 64) & 1; }

// Calls `add` with every choice of one byte from each of the `n` (2 or 4) byte lists, as
// the bytes of a word in memory order.
void eachCombination(const std::vector<unsigned char>* choices, int32_t n, const std::function<void(uint32_t)>& add,
                     unsigned char* bytes, int32_t at = 0) {
    if (at == n) {
        uint16_t pair;
        uint32_t quad;
        std::memcpy(&pair, bytes, 2);
        std::memcpy(&quad, bytes, 4);
        add(n == 2 ? pair : quad);
        return;
    }
    for (unsigned char b : choices[at]) {
        bytes[at] = b;
        eachCombination(choices, n, add, bytes, at + 1);
    }
}

PXSearchPlan planForStringSet(PatternSSet& s) {
    PXSearchPlan plan;
    const StringSet* set = s.target();
    if (!set) return plan;
    plan.kind = PXSearchPlan::firstBytes;
    plan.need = 1;
    int32_t shortest = INT32_MAX;
    std::vector<uint64_t> pairs(65536 / 64, 0), quads(65536 / 64, 0);
    for (int32_t i = 0; i < set->items.count; ++i) {
        const StringSetItem& item = set->items[i];
        if (!item.enabled) continue;
        const int32_t n = item.text.length();
        // An empty item matches everywhere: nothing can be skipped.
        if (n == 0) return PXSearchPlan{};
        const auto* text = reinterpret_cast<const unsigned char*>(item.text.text());
        const bool ignoreCase = item.ignoreCase != 0;
        addBothCases(plan.first, text[0], ignoreCase);
        plan.need = std::max(plan.need, n);
        shortest = std::min(shortest, n);
        // The bytes each of the item's first four positions may hold.
        std::vector<unsigned char> choices[4];
        for (int32_t k = 0; k < std::min(n, 4); ++k) {
            choices[k].push_back(text[k]);
            const auto lower = static_cast<unsigned char>(std::tolower(text[k]));
            const auto upper = static_cast<unsigned char>(std::toupper(text[k]));
            if (ignoreCase && lower != text[k]) choices[k].push_back(lower);
            if (ignoreCase && upper != text[k]) choices[k].push_back(upper);
        }
        unsigned char bytes[4] = {};
        if (n >= 2) eachCombination(choices, 2, [&](uint32_t word) { setBit(pairs, word); }, bytes);
        if (n >= 4) eachCombination(choices, 4, [&](uint32_t word) { setBit(quads, quadHash(word)); }, bytes);
    }
    // Without an enabled item nothing starts anywhere: the first-byte table alone says so.
    if (shortest == INT32_MAX) return plan;
    if (shortest >= 4)
        plan.quads = std::move(quads);
    else if (shortest >= 2)
        plan.pairs = std::move(pairs);
    return plan;
}

PXSearchPlan planForMatcher(PXPattern* m, int32_t depth) {
    if (auto* s = dynamic_cast<PatternStr*>(m)) return planForText(*s);
    if (auto* p = dynamic_cast<PatternSet*>(m)) return planForPattern(*p);
    if (auto* ss = dynamic_cast<PatternSSet*>(m)) return planForStringSet(*ss);
    // A node group matches where its start node does (one level: a group that starts with
    // a group is searched plainly).
    if (auto* g = dynamic_cast<PatternGraph*>(m); g && depth == 0 && g->target())
        if (PXNode* start = g->target()->startNode()) {
            PXSearchPlan plan = planForMatcher(start->matcher(), 1);
            plan.step = 1;   // the group node itself steps one byte
            const bool byteSteps = plan.kind != PXSearchPlan::wideLiteral && !plan.set16;
            return byteSteps ? plan : PXSearchPlan{};
        }
    return PXSearchPlan{};
}

// literal: memchr for the rarest byte, then the whole text.
int32_t skipLiteral(const PXSearchPlan& plan, const unsigned char* data, int32_t count, int32_t p) {
    const int32_t n = plan.length;
    const int32_t last = count - n;   // the last start whose bytes are all in the window
    const unsigned char* text = bytesOf(plan);
    const unsigned char rare = text[plan.rareAt];
    while (p <= last) {
        const void* hit = std::memchr(data + p + plan.rareAt, rare, size_t(last - p) + 1);
        if (!hit) return last + 1;
        const int32_t c = int32_t(static_cast<const unsigned char*>(hit) - data) - plan.rareAt;
        if (std::memcmp(data + c, text, size_t(n)) == 0) return c;
        p = c + 1;
    }
    return p;
}

int32_t skipWideLiteral(const PXSearchPlan& plan, const unsigned char* data, int32_t count, int32_t p) {
    const int32_t n = plan.length;
    const int32_t last = count - n;
    const unsigned char* text = bytesOf(plan);
    const unsigned char rare = text[plan.rareAt];
    const int32_t origin = p;
    while (p <= last) {
        const void* hit = std::memchr(data + p + plan.rareAt, rare, size_t(last - p) + 1);
        if (!hit) break;
        const int32_t c = int32_t(static_cast<const unsigned char*>(hit) - data) - plan.rareAt;
        if ((c - origin) % 2 != 0) {
            p = c + 1;
            continue;
        }
        if (std::memcmp(data + c, text, size_t(n)) == 0) return c;
        p = c + 2;
    }
    // The first position of the search's parity past the last complete start.
    int32_t q = last + 1 > p ? last + 1 : p;
    if ((q - origin) % 2 != 0) ++q;
    return q;
}

int32_t skipFirstBytes(const PXSearchPlan& plan, const unsigned char* data, int32_t count, int32_t p) {
    const int32_t last = count - plan.need;
    if (!plan.quads.empty()) {
        // need >= 4: the three bytes after p are in the window.
        const uint64_t* quads = plan.quads.data();
        for (; p <= last; ++p) {
            uint32_t word;
            std::memcpy(&word, data + p, 4);
            if (hasBit(quads, quadHash(word))) break;
        }
        return p;
    }
    if (!plan.pairs.empty()) {
        // need >= 2: the byte after p is in the window.
        const uint64_t* pairs = plan.pairs.data();
        for (; p <= last; ++p) {
            uint16_t pair;
            std::memcpy(&pair, data + p, 2);
            if (hasBit(pairs, pair)) break;
        }
        return p;
    }
    while (p <= last && !plan.first[data[p]]) ++p;
    return p;
}

template <typename Member>
int32_t skipSetRun(Member member, int32_t width, int32_t run, const unsigned char* data, int32_t count, int32_t p) {
    // A start at p reads the units at p, p + w, ... p + (run - 1) w.
    const int32_t span = run * width;
    while (p + span <= count) {
        int32_t j = run - 1;
        while (j >= 0 && member(data + p + j * width)) --j;
        if (j < 0) return p;
        // No start from p up to the failing unit can hold it among its first `run` units.
        p += (j + 1) * width;
    }
    return p;
}

// set sequence: every position of the sequence holds a member of its set.
int32_t skipSetSequence(const PXSearchPlan& plan, const unsigned char* data, int32_t count, int32_t p) {
    const int32_t n = plan.length;
    const int32_t last = count - n;
    const PXSet8& pivotSet = *plan.sequence[size_t(plan.pivot)];
    while (p <= last) {
        if (plan.pivotByte >= 0) {
            const void* hit = std::memchr(data + p + plan.pivot, plan.pivotByte, size_t(last - p) + 1);
            if (!hit) return last + 1;
            p = int32_t(static_cast<const unsigned char*>(hit) - data) - plan.pivot;
        } else {
            while (p <= last && !pivotSet.has(data[p + plan.pivot])) ++p;
            if (p > last) return p;
        }
        int32_t i = 0;
        while (i < n && plan.sequence[size_t(i)]->has(data[p + i])) ++i;
        if (i == n) return p;
        ++p;
    }
    return p;
}

}  // namespace

PXSearchPlan makeSearchPlan(PXNode& node) { return planForMatcher(node.matcher(), 0); }

int32_t skipPositions(const PXSearchPlan& plan, const unsigned char* data, int32_t count, int32_t p,
                      int32_t* quietUntil) {
    if (quietUntil) *quietUntil = p;
    if (!data || p < 0) return p;
    switch (plan.kind) {
    case PXSearchPlan::required: {
        int32_t quiet = p;
        const int32_t q = skipToRequired(plan.requiredUnit, data, count, p, quiet);
        if (quietUntil) *quietUntil = quiet;
        return q;
    }
    case PXSearchPlan::literal: return skipLiteral(plan, data, count, p);
    case PXSearchPlan::wideLiteral: return skipWideLiteral(plan, data, count, p);
    case PXSearchPlan::firstBytes: return skipFirstBytes(plan, data, count, p);
    case PXSearchPlan::setSequence: return skipSetSequence(plan, data, count, p);
    case PXSearchPlan::setRun:
        if (plan.set8)
            return skipSetRun([s = plan.set8](const unsigned char* at) { return s->has(at[0]); }, 1, plan.run, data,
                              count, p);
        if (plan.set16)
            return skipSetRun(
                [s = plan.set16](const unsigned char* at) { return s->has(uint32_t(at[0]) | uint32_t(at[1]) << 8); },
                2, plan.run, data, count, p);
        return p;
    case PXSearchPlan::none: break;
    }
    return p;
}

const PXSearchPlan& PXSearchPlans::planFor(PXNode& node) {
    auto it = plans_.find(&node);
    if (it == plans_.end()) it = plans_.emplace(&node, makeSearchPlan(node)).first;
    return it->second;
}
