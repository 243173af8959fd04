// The start-node search by a required unit: find a rare unit every match must hold, then
// walk back to where a match holding it could start.
//
// Take a pattern whose elements are sets of one width (8-bit or 16-bit), and an element j
// (not the first) that needs at least one member of a small set R, where no set of the
// elements before j has a member in R. Those elements take at most `reach` bytes in all, and
// they take only units of U, the union of their sets. So a match starting at s holds an R
// unit at some position r, s <= r <= s + reach, with every unit of [s, r) in U. Let a be the
// first R unit at or after the search position p. A start s >= p cannot have its r before
// a (there is no R unit there), nor after it (the U units of [s, r) would include a, which is
// in R and so not in U). Hence r = a, and s lies in the run of U units that ends just before
// a, no further back than a - reach. Every start before that fails, so the search goes
// straight there (memchr finds a when R has one member); the plain matcher then confirms.
// Without an R unit in the window the starts whose reach ends inside it all fail.
//
// Only window bytes are read, and only starts whose every read byte lies in the window are
// passed over, as the search's other skips do (PXSearch.h).
#pragma once

#include <cstdint>
#include <vector>

#include "definitions/PXSet.h"

struct PXRequiredPlan {
    int32_t width = 0;                 // 1 or 2 bytes per unit; 0: no plan
    std::vector<uint64_t> required;    // R, a bit per unit value
    std::vector<uint64_t> before;      // U, a bit per unit value
    int32_t requiredUnit = -1;         // R's one member, or -1
    int32_t reach = 0;                 // bytes the elements before R's element take at most
    int32_t element = 0;               // R's element
};

// The plan for a compiled pattern (width 0 when none fits, or when R would be the first
// element or have more than a few members).
PXRequiredPlan makeRequiredPlan(const PXPatternForm& form);

// The first start q >= p (q - p a multiple of the width) that the plain search must try,
// looking only at the `count` window bytes at `data`. `quietUntil` is set to the position
// up to which a later call with a position from q on would return that position unchanged
// (the R unit found), or to q when nothing is known.
int32_t skipToRequired(const PXRequiredPlan& plan, const unsigned char* data, int32_t count, int32_t p,
                       int32_t& quietUntil);
