// XXColors: the fixed table of link colours.
//
// Links carry a colour index, a key of this table (1 to 9, blue by default). A colour chosen
// by name is looked up ignoring case. A key or a name the table does not hold draws black, so
// a link with a colour written by a newer or damaged file is still drawn.
// Tests: tests/builder/SurfaceModelTest.cpp.
#pragma once

#include <cstdint>

struct XXRGB {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const XXRGB&) const = default;
};

namespace XXColors {
constexpr int32_t count = 9;
constexpr int32_t black = 1;
// The colour of key `key`; black for a key outside 1 .. count.
XXRGB rgb(int32_t key);
// The name of key `key` ("Black" for a key outside the table).
const char* name(int32_t key);
// The key of the colour named `name` (case ignored); black when there is none.
int32_t keyOf(const char* name);
}  // namespace XXColors
