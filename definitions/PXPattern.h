// The five node matchers: PatternSet, PatternStr, PatternSSet, PatternGraph, PatternNull.
//
// Every node embeds one of each and points at the one that fits what it matches (PXNode
// selects it). match() tries the matcher at a buffer position and returns the number of bytes
// it matched (0 or more) or a negative value for no match. It reads the input only through
// IXXINBUF's availability check, so a window slide in the middle of a match shifts the
// caller's registered position and the matcher's own running position together; it never
// moves the caller's position otherwise.
//
//   PatternSet   a compiled pattern: each sub-pattern takes its minimum, then repeats while
//                the next sub-pattern's set does not claim the unit; the last sub-pattern's
//                further repetitions are left to the graph walk (tail set and tail count).
//   PatternStr   the node's own narrow or wide text, exactly or ignoring case.
//   PatternSSet  a compiled string set: the first enabled item that matches, not the longest.
//   PatternGraph a node group: its start node's matcher.
//   PatternNull  a pattern that can only match nothing: at the very start of the stream and
//                at its end.
//
// The engine's graph walk (and its tests) exercise these in depth; tests/definitions holds the
// checks of the text and target rules that decide which matcher a node uses.
#pragma once

#include <cstddef>
#include <cstdint>

#include "definitions/PXSet.h"
#include "foundation/IXXINBUF.h"
#include "foundation/XXSTRING.h"

class PXGraph;
class PXNode;

class PXPattern {
public:
    int32_t minSize = 0;                  // bytes (texts) or summed repetitions (patterns)
    int32_t maxSize = 0;
    int32_t scratch = 0;                  // run-time word
    const PXChecker* tailSet = nullptr;   // the last sub-pattern's set after a PatternSet match
    uint8_t wide = 0;                     // steps in 16-bit units
    int32_t tailCount = 0;                // repetitions the walk may still add with tailSet
    // After a failed match at p: how many search steps from p on certainly fail the same
    // way (1 when nothing is known). PatternSet sets it when its first element's run ended
    // on a unit of the input rather than on its bound.
    int32_t failSkip = 1;

    PXPattern() = default;
    PXPattern(const PXPattern&) = default;
    PXPattern& operator=(const PXPattern&) = default;
    virtual ~PXPattern() = default;

    // The bytes matched at `position` (0 or more), or a negative value for no match.
    virtual int32_t match(IXXINBUF& buffer, int32_t& position) = 0;
    virtual bool isWide() const { return wide != 0; }

    // Clears the fields a match leaves behind (tail set, tail count, scratch word).
    void clearRunTime() {
        tailSet = nullptr;
        tailCount = 0;
        scratch = 0;
        failSkip = 1;
    }
};

class PatternSet : public PXPattern {
public:
    // Points at a compiled pattern (or none) and sums its repetition bounds.
    void setTarget(const PXPatternForm* pattern);
    const PXPatternForm* target() const { return target_; }
    int32_t match(IXXINBUF& buffer, int32_t& position) override;
    // The first sub-pattern's set steps in 16-bit units.
    bool isWide() const override;

private:
    const PXPatternForm* target_ = nullptr;
};

// Compares a node's text with input bytes: 0 when equal over the whole length.
using NarrowCompare = int (*)(const char* text, const unsigned char* input, size_t bytes);
using WideCompare = int (*)(const XXWCHAR* text, const unsigned char* input, size_t units);

class PatternStr : public PXPattern {
public:
    PatternStr();

    // A non-empty narrow text becomes the text matched (the wide text stays, unused). An
    // empty one removes the narrow text.
    void setText(const char* text);
    // A non-empty wide text becomes the text matched and removes the narrow text. An empty
    // one removes the wide text.
    void setWText(const XXWCHAR* text);
    // Also selects the comparison pair.
    void setIgnoreCase(bool flag);
    bool ignoreCase() const { return ignoreCase_ != 0; }
    const XXSTRING& text() const { return text_; }
    const XXWSTRING& wtext() const { return wtext_; }
    // Whether either text is set.
    bool hasText() const { return text_.length() > 0 || wtext_.length() > 0; }

    int32_t match(IXXINBUF& buffer, int32_t& position) override;

private:
    // Wide flag and sizes follow the text in use: the narrow one when there is one.
    void refresh();

    XXSTRING text_;
    XXWSTRING wtext_;
    uint8_t ignoreCase_ = 0;
    NarrowCompare narrowCompare_;
    WideCompare wideCompare_;
};

class PatternSSet : public PXPattern {
public:
    void setTarget(StringSet* set);
    StringSet* target() const { return target_; }
    int32_t match(IXXINBUF& buffer, int32_t& position) override;
    bool isWide() const override { return false; }

private:
    StringSet* target_ = nullptr;
};

class PatternGraph : public PXPattern {
public:
    // The node group's graph, and the node that calls it.
    void setTarget(PXGraph* graph, PXNode* node);
    PXGraph* target() const { return target_; }
    PXNode* node() const { return node_; }
    // The group's start node's match; -2 without a start node or when the group's start
    // leads back into this same matcher (a group that starts with itself matches nothing
    // instead of recursing without end).
    int32_t match(IXXINBUF& buffer, int32_t& position) override;
    bool isWide() const override { return false; }

private:
    PXGraph* target_ = nullptr;
    PXNode* node_ = nullptr;
};

class PatternNull : public PXPattern {
public:
    int32_t match(IXXINBUF& buffer, int32_t& position) override;
    bool isWide() const override { return false; }
};

// The comparison functions PatternStr chooses from (exposed for the engine's variable
// checker, which compares the same way).
int compareBytes(const char* text, const unsigned char* input, size_t bytes);
int compareBytesNoCase(const char* text, const unsigned char* input, size_t bytes);
int compareUnits(const XXWCHAR* text, const unsigned char* input, size_t units);
int compareUnitsNoCase(const XXWCHAR* text, const unsigned char* input, size_t units);
