// Fast forms of the node matchers, used by the walk while the bytes a matcher would read lie
// in the current window of a plain input buffer (XXINBUF or XXMEMBUF).
//
// There every availability check of the plain matcher succeeds without moving the window or
// setting the failed flag, so the result can be computed from the window's bytes directly:
//   text        a narrow text compared exactly: one comparison in place;
//   string set  the items bucketed by first byte (in set order, empty items in every
//               bucket), so only items that can match are compared; the first equal item
//               wins and is recorded as the set's last match, as in the plain matcher;
//   set first   a pattern whose first element needs a member of an 8-bit set: a unit that
//               is no member fails at once, leaving the tail fields cleared as the plain
//               matcher does; anything else goes to the plain matcher.
// Any other matcher, and any position whose bytes reach past the window, goes to the plain
// matcher, which slides the window as needed. The tables are built per graph at the first
// walk after run begin; tests/engine/SearchTest.cpp and MatcherTest.cpp compare the results
// with the plain matchers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "definitions/PXGraph.h"
#include "definitions/PXSet.h"
#include "engine/PXSearch.h"
#include "engine/PXVariables.h"
#include "foundation/XXINBUF.h"

// A string set's items by first byte, each with its first bytes as one word, so that most
// comparisons are a load and a mask.
struct PXSSetEntry {
    int32_t item = 0;             // index in the set
    int32_t length = 0;
    uint64_t head = 0;            // the first min(length, 8) bytes, in memory order
    uint64_t mask = 0;            // the bytes of `head` that count
    const char* text = nullptr;   // the item's bytes
    bool ignoreCase = false;
};

struct PXSSetIndex {
    std::vector<int32_t> begin;          // 257 offsets into `entries`
    std::vector<PXSSetEntry> entries;    // bucket after bucket, each in set order
    int32_t need = 0;                    // the longest item: bytes that must be in the window
    bool hasEmpty = false;               // an empty item: it is in every bucket
    explicit PXSSetIndex(const StringSet& set);
};

struct PXFastNode {
    enum Kind : uint8_t { generic, text, stringSet, setFirst, setSingle };
    Kind kind = generic;
    PXPattern* matcher = nullptr;
    std::string bytes;                  // text
    StringSet* set = nullptr;           // string set
    const PXSSetIndex* index = nullptr;
    const PXSet8* first = nullptr;      // set first
    const PXSet8* lastSet8 = nullptr;   // the pattern's last element, when an 8-bit set
    bool lastTable[256] = {};           // its members
    int32_t min = 0, max = 0;           // set single: the one element's bounds
    const PXSearchPlan* plan = nullptr; // the start-node search's plan (null: none)
    int32_t step = 1;                   // the search's step
    // The bytes a match can start with (`starts` false: any byte may).
    // Positions up to the window's count less `startNeed` are read without a window move.
    bool starts = false;
    int32_t startNeed = 1;
    bool startTable[256] = {};
    // The node's links, when each of them can only match something that starts with a byte
    // of `linkFirst` (no link can match nothing): then no link matches at a position whose
    // byte is outside it, as long as `linkNeed` bytes are in the window.
    bool linksByFirstByte = false;
    int32_t linkNeed = 1;
    bool linkFirst[256] = {};
    // A start node of one element, a run of a set (at least one member), with links decided
    // by a first unit that is no member, and no actions but sends of its own text to
    // variables that no pattern reads. Every walk past the start node then needs a link
    // unit right after one of its matches: that unit is required, as a unit of a pattern
    // can be (PXSearchRequired.h), but the start node's matches consume their run, so
    // where they fall is decided by the run: pieces of the element's maximum from the run's
    // first member, the last piece matching only when it holds the minimum. A run whose
    // last piece does not end at a link unit is matched, recorded, sent and left again with
    // nothing else happening, and the next run's record and sends replace its own before
    // anything can see them. While the run is neither traced nor debugged, the search may
    // go straight to the last piece before a link's unit (see skipUnlinkedRuns). Narrow runs
    // use `lastTable` and `linkFirst`; wide ones these two.
    bool runsNeedALink = false;
    int32_t linkByte = -1;              // the one link byte, or the low byte of the one link unit
    const PXSet16* runSet16 = nullptr;  // a wide run's set
    std::vector<uint64_t> linkUnits;    // a wide run's link units, a bit each
};

struct PXFastGraph {
    std::vector<PXFastNode> nodes;      // by node number
};

// The fast tables of every graph and string set of a run.
class PXFastTables {
public:
    // The graph's table, built on first use (`variables` and `patterns`: the definition's).
    PXFastGraph& graph(PXGraph& g, PXSearchPlans& plans, const std::vector<Variable>& variables,
                       const std::vector<PXPatternForm>& patterns);
    void clear() {
        graphs_.clear();
        sets_.clear();
    }

private:
    const PXSSetIndex& indexFor(const StringSet& set);
    std::unordered_map<const PXGraph*, PXFastGraph> graphs_;
    std::unordered_map<const StringSet*, PXSSetIndex> sets_;
};

// For a start node whose runs need a link (`runsNeedALink`), the first position q >= p the
// search must try: the start of the last piece of the first run after p that a match ending
// at a link unit closes, or, when there is none in the window, the start of the last run
// the window's end may cut (its record is the one the skipped runs would have left).
// Window bytes at `data`.
int32_t skipUnlinkedRuns(const PXFastNode& f, const unsigned char* data, int32_t count, int32_t p);

// The matcher's result at p: computed in the window when it can be, else the plain match.
inline int32_t fastMatch(const PXFastNode& f, PXPattern& m, IXXINBUF& buffer, XXINBUF* plain, int32_t& p) {
    if (plain && f.matcher == &m && p >= 0) {
        const unsigned char* data = plain->bytes();
        const int32_t count = plain->getCount();
        switch (f.kind) {
        case PXFastNode::text: {
            const int32_t n = int32_t(f.bytes.size());
            if (int64_t(p) + n <= count) {
                if (data[p] != static_cast<unsigned char>(f.bytes[0])) return -1;
                return std::memcmp(data + p, f.bytes.data(), size_t(n)) == 0 ? n : -1;
            }
            break;
        }
        case PXFastNode::setFirst:
            if (p < count && !f.first->has(data[p])) {
                m.tailSet = nullptr;
                m.tailCount = 0;
                m.failSkip = 1;
                return -1;
            }
            break;
        case PXFastNode::setSingle:
            // One element: its minimum taken, the rest left to the walk as the tail.
            if (int64_t(p) + f.min <= count) {
                m.tailSet = nullptr;
                m.tailCount = 0;
                m.failSkip = 1;
                for (int32_t k = 0; k < f.min; ++k)
                    if (!f.first->has(data[p + k])) return -1;
                m.tailSet = f.first;
                m.tailCount = f.max > f.min ? f.max - f.min : 0;
                return f.min;
            }
            break;
        case PXFastNode::stringSet:
            if (int64_t(p) + f.index->need <= count) {
                const unsigned char* at = data + p;
                const bool wordFits = int64_t(p) + 8 <= count;
                uint64_t word = 0;
                if (wordFits) std::memcpy(&word, at, 8);
                const unsigned char b = at[0];
                for (int32_t k = f.index->begin[b]; k < f.index->begin[size_t(b) + 1]; ++k) {
                    const PXSSetEntry& e = f.index->entries[size_t(k)];
                    const auto n = size_t(e.length);
                    bool equal;
                    if (e.ignoreCase)
                        equal = compareBytesNoCase(e.text, at, n) == 0;
                    else if (wordFits)
                        equal = (word & e.mask) == e.head && (n <= 8 || std::memcmp(e.text + 8, at + 8, n - 8) == 0);
                    else
                        equal = std::memcmp(e.text, at, n) == 0;
                    if (equal) {
                        f.set->lastMatched = e.item;
                        return e.length;
                    }
                }
                return -1;
            }
            break;
        case PXFastNode::generic: break;
        }
    }
    return m.match(buffer, p);
}
