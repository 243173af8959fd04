// The link colour table and its lookups.
#include "builder/XXColors.h"

#include <strings.h>

namespace {

struct ColorEntry {
    const char* name;
    XXRGB rgb;
};

constexpr ColorEntry kTable[XXColors::count] = {
    {"Black", {0, 0, 0}},       {"Blue", {0, 0, 255}},     {"Cyan", {0, 255, 255}},
    {"Gray", {200, 200, 200}},  {"Green", {0, 255, 0}},    {"Magenta", {255, 0, 255}},
    {"Red", {255, 0, 0}},       {"White", {255, 255, 255}}, {"Yellow", {255, 255, 0}},
};

const ColorEntry& entry(int32_t key) {
    return key >= 1 && key <= XXColors::count ? kTable[key - 1] : kTable[XXColors::black - 1];
}

}  // namespace

namespace XXColors {

XXRGB rgb(int32_t key) { return entry(key).rgb; }

const char* name(int32_t key) { return entry(key).name; }

int32_t keyOf(const char* name) {
    if (!name) return black;
    for (int32_t i = 0; i < count; ++i)
        if (strcasecmp(kTable[i].name, name) == 0) return i + 1;
    return black;
}

}  // namespace XXColors
