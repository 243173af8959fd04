// The compiled forms that node matchers run against: set checkers, sub-patterns and string
// sets.
//
// The engine compiles the definition's grids into these plain types before a run; the
// matchers (PXPattern.h) only read them, except StringSet::lastMatched, which records the
// item that matched last so that output actions can use its value.
//
// A set checker answers one question for the unit at a pointer into the input: is it a
// member? PXSet<unsigned char, 8> tests one byte against 256 bits, PXSet<unsigned short, 16>
// one 16-bit unit (read little-endian, as wide input is stored) against 65536 bits; the
// engine's variable checker compares a variable's current value. The test is one shift and
// one mask, because the matcher asks it for every byte it consumes; a checker's kind tells
// the matcher, before its loop, which inline test and width apply, so that the loop makes no
// virtual call per byte.
#pragma once

#include <cstdint>
#include <type_traits>

#include "foundation/XXFARRAY.h"
#include "foundation/XXSTRING.h"

class XXFLD;

// Decides whether the input at a position belongs to a set.
class PXChecker {
public:
    // What a checker is, so that loops can test set members inline.
    enum class Kind : uint8_t { set8, set16, other };

    explicit PXChecker(Kind kind = Kind::other) : kind_(kind) {}
    PXChecker(const PXChecker&) = default;
    PXChecker& operator=(const PXChecker&) = default;
    virtual ~PXChecker() = default;
    Kind kind() const { return kind_; }
    // Whether the unit(s) at `at` are a member; `at` must have width() readable bytes.
    virtual bool contains(const unsigned char* at) const = 0;
    // Bytes tested per step (1 for 8-bit sets, 2 for 16-bit sets, a value's length for a
    // variable; 0 for a variable that is empty).
    virtual int32_t width() const = 0;
    // The matcher steps in 16-bit units.
    virtual bool isWide() const = 0;

private:
    Kind kind_;
};

// A character set of 2^Bits values as a bit table: value v is a member when bit (v mod 32)
// of word (v div 32) is set.
template <typename Unit, int Bits>
class PXSet : public PXChecker {
    static_assert(Bits == 8 || Bits == 16, "sets are 8-bit or 16-bit");
    static_assert(sizeof(Unit) * 8 == Bits, "the unit type has the set's width");

public:
    static constexpr int32_t valueCount = int32_t(1) << Bits;
    static constexpr int32_t wordCount = valueCount / 32;

    XXSTRING name;
    uint32_t words[wordCount] = {};

    PXSet() : PXChecker(Bits == 8 ? Kind::set8 : Kind::set16) {}

    bool has(uint32_t v) const { return v < uint32_t(valueCount) && (words[v >> 5] >> (v & 31) & 1u) != 0; }
    void add(uint32_t v) {
        if (v < uint32_t(valueCount)) words[v >> 5] |= 1u << (v & 31);
    }
    // Adds every value from min(a, b) to max(a, b), clipped to the set's range.
    void addRange(int64_t a, int64_t b) {
        int64_t lo = a < b ? a : b;
        int64_t hi = a < b ? b : a;
        if (lo < 0) lo = 0;
        if (hi >= valueCount) hi = valueCount - 1;
        for (int64_t v = lo; v <= hi; ++v) add(uint32_t(v));
    }
    void clear() {
        for (uint32_t& w : words) w = 0;
    }

    bool contains(const unsigned char* at) const override {
        if constexpr (Bits == 8)
            return has(at[0]);
        else
            return has(uint32_t(at[0]) | uint32_t(at[1]) << 8);
    }
    int32_t width() const override { return Bits / 8; }
    bool isWide() const override { return Bits == 16; }
};

using PXSet8 = PXSet<unsigned char, 8>;
using PXSet16 = PXSet<unsigned short, 16>;

// One element of a compiled pattern: `min` to `max` repetitions of a set member.
struct SubPattern {
    const PXChecker* checker = nullptr;   // not owned; null when the set name did not resolve
    int32_t min = 0;
    int32_t max = 0;
};
static_assert(std::is_trivially_copyable_v<SubPattern>, "patterns are copied as plain values");

// A compiled pattern: its elements in order.
using PXPatternForm = XXFARRAY<SubPattern>;

// One text of a string set, with what an output action does when it matched.
struct StringSetItem {
    XXSTRING text;              // the text matched
    XXSTRING valueText;         // what is output instead of the text (empty: the text)
    int32_t destIndex = -1;     // index in "Destinations", -1 when none
    XXFLD* target = nullptr;    // a variable's or file variable's value field, or null
    uint8_t ignoreCase = 0;
    uint8_t enabled = 1;
};

// A compiled string set: the first enabled item that matches wins.
struct StringSet {
    XXFARRAY<StringSetItem> items;
    int32_t itemCount = 0;
    int32_t longest = 0;        // bytes of the longest item text
    int32_t lastMatched = -1;   // index of the item that matched last, -1 before any
};

// The input unit of W bytes (1 or 2, little-endian) at data + i.
template <int W>
uint32_t inputUnit(const unsigned char* data, int32_t i) {
    if constexpr (W == 1)
        return data[i];
    else
        return uint32_t(data[i]) | uint32_t(data[i + 1]) << 8;
}

// The member test of one checker, chosen once before a loop: the two set kinds test inline
// with a width known at compile time; any other checker goes through its virtual test.
struct PXSet8Test {
    const PXSet8* set;
    int32_t width() const { return 1; }
    bool operator()(const unsigned char* at) const { return set->has(at[0]); }
};

struct PXSet16Test {
    const PXSet16* set;
    int32_t width() const { return 2; }
    bool operator()(const unsigned char* at) const { return set->has(uint32_t(at[0]) | uint32_t(at[1]) << 8); }
};

struct PXCheckerTest {
    const PXChecker* checker;
    int32_t width() const { return checker->width(); }
    bool operator()(const unsigned char* at) const { return checker->contains(at); }
};

// Calls `f` with the test that fits `c`.
template <typename F>
decltype(auto) withMemberTest(const PXChecker& c, F&& f) {
    switch (c.kind()) {
    case PXChecker::Kind::set8: return f(PXSet8Test{static_cast<const PXSet8*>(&c)});
    case PXChecker::Kind::set16: return f(PXSet16Test{static_cast<const PXSet16*>(&c)});
    case PXChecker::Kind::other: break;
    }
    return f(PXCheckerTest{&c});
}
