// The start-node search's fast skips.
//
// Searching for the start node tries its matcher at every position (every second one for a
// wide node) until it matches. Most positions fail on their first bytes, so a plan made
// from the node's matcher lets the search jump over positions that certainly fail:
//   literal      a narrow text compared exactly: memchr for the text's rarest byte, then a
//                comparison of the whole text;
//   wide literal the same on the text's bytes, keeping to positions of the search's parity;
//   first bytes  a string set, or a text ignoring case: positions whose byte cannot start
//                any item are passed over (for a string set whose items all have two
//                bytes or more, positions whose first two bytes cannot start one; when
//                they all have four or more, positions whose first four bytes hash to no
//                item's first four);
//   set sequence a pattern whose leading elements repeat a fixed number of times: every
//                match has known sets at its first bytes; the most selective one is looked
//                for first (memchr when it is a single byte), then the others checked;
//   required     a pattern with a later element that needs a rare unit no element before it
//                can take: found forward, then the start found backward (PXSearchRequired.h);
//   set run      a pattern whose first element needs m >= 1 members of an 8-bit or 16-bit
//                set: when the unit m - 1 units ahead is no member, none of the m positions
//                up to it can match (the classic skip), otherwise the run is checked back.
// (A start node whose runs can only go on through a link has one more skip, which needs the
// node's link tables: skipUnlinkedRuns in PXFastMatch.h.)
// A skip only passes over positions whose every byte the plain matcher would read lies in
// the buffer's current window, where the plain matcher's availability checks succeed
// without moving the window or setting the failed flag, and its failure leaves nothing
// behind that the walk reads. At the window's end it hands back to the plain search, which
// slides the window. So the first match position, every registered position and everything
// the actions see are those of the plain byte-by-byte search; tests/engine/SearchTest.cpp
// compares the two on random inputs.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "definitions/PXSet.h"
#include "engine/PXSearchRequired.h"

class PXNode;

struct PXSearchPlan {
    enum Kind : uint8_t { none, literal, wideLiteral, firstBytes, setRun, setSequence, required };
    Kind kind = none;
    int32_t step = 1;                        // 2 for a wide start node
    // literal, wide literal
    std::string text;                        // the bytes to find
    int32_t length = 0;
    int32_t rareAt = 0;                      // offset of the rarest byte in the text
    // first bytes: the bytes that may start a match; `need` bytes must be in the window
    bool first[256] = {};
    int32_t need = 1;
    // bit b0 b1 (the two bytes as a word in memory order): some item may start with them
    // (empty: not used)
    std::vector<uint64_t> pairs;
    // bit quadHash(b0 b1 b2 b3, a word in memory order): some item may start with four bytes
    // of that hash (empty: not used)
    std::vector<uint64_t> quads;
    // More than the first byte decides where a match may start.
    bool filtersPastFirstByte() const { return !pairs.empty() || !quads.empty() || kind == required; }
    // set run
    const PXSet8* set8 = nullptr;
    const PXSet16* set16 = nullptr;
    int32_t run = 0;                         // the first element's minimum
    // set sequence: the 8-bit sets every match has at its first `length` bytes (leading
    // elements with a fixed count, then the minimum of the next), and the most selective
    // of them, found with memchr when it has one member.
    std::vector<const PXSet8*> sequence;
    int32_t pivot = 0;
    int32_t pivotByte = -1;
    // required
    PXRequiredPlan requiredUnit;
};

// 16 bits of a hash of four bytes read as one word.
inline uint32_t quadHash(uint32_t word) { return (word * 0x9E3779B1u) >> 16; }

// Makes the plan for a start node (kind none when no skip is safe).
PXSearchPlan makeSearchPlan(PXNode& node);

// The first position q >= p (q - p a multiple of the plan's step) that the plain search
// must try: a position that may match, or one whose bytes reach past `count`, the bytes of
// the window at `data`. When `quietUntil` is given it is set to the position up to which a
// later call from a position at or after the result would return that position unchanged.
int32_t skipPositions(const PXSearchPlan& plan, const unsigned char* data, int32_t count, int32_t p,
                      int32_t* quietUntil = nullptr);

// Plans by node, made on first use and dropped whenever the definition is prepared again.
class PXSearchPlans {
public:
    const PXSearchPlan& planFor(PXNode& node);
    void clear() { plans_.clear(); }

private:
    std::unordered_map<const PXNode*, PXSearchPlan> plans_;
};
