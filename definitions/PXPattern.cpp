// The node matchers' text and target rules and their match() bodies.
//
// Availability is always asked before bytes are read: the caller's position with the
// registered form of iChk, a matcher's running position with the pointer form, so that a
// window slide shifts both. bytes() is re-read after every check, because a check may move
// the window.
#include "definitions/PXPattern.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "definitions/PXGraph.h"
#include "definitions/PXNode.h"
#include "foundation/XXINBUF.h"

namespace {

int32_t clampSize(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

XXWCHAR unitAt(const unsigned char* at) { return XXWCHAR(at[0] | at[1] << 8); }

// Whether the window is the stream's last: nothing lies past its end.
bool lastWindow(XXINBUF& b) { return !b.getStream() || b.atEnd() || b.getCount() < b.getCapacity(); }

// n bytes at p, as the buffer's check gives them; except that a request past the end of the
// stream's last window fails without marking the buffer failed while a byte remains at p.
// Otherwise one text too long for the last few bytes would end the search there, and a
// shorter item or a later start there would never be found.
bool pastTheLastWindow(IXXINBUF& buffer, int32_t p, int32_t n) {
    if (n > 1 && p >= 0 && int64_t(p) + n > buffer.getCount())
        if (auto* plain = dynamic_cast<XXINBUF*>(&buffer); plain && lastWindow(*plain) && p < plain->getCount())
            return true;
    return false;
}

bool available(IXXINBUF& buffer, int32_t p, int32_t n) { return !pastTheLastWindow(buffer, p, n) && buffer.iChk(p, n); }

// The same for a position the window's slides move (*p is not registered).
bool available(IXXINBUF& buffer, int32_t* p, int32_t n) {
    return !pastTheLastWindow(buffer, *p, n) && buffer.iChk(p, n);
}

}  // namespace

int compareBytes(const char* text, const unsigned char* input, size_t bytes) {
    return std::memcmp(text, input, bytes);
}

int compareBytesNoCase(const char* text, const unsigned char* input, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        const int a = std::tolower(static_cast<unsigned char>(text[i]));
        const int b = std::tolower(input[i]);
        if (a != b) return a - b;
    }
    return 0;
}

int compareUnits(const XXWCHAR* text, const unsigned char* input, size_t units) {
    for (size_t i = 0; i < units; ++i) {
        const XXWCHAR u = unitAt(input + 2 * i);
        if (text[i] != u) return int(text[i]) - int(u);
    }
    return 0;
}

int compareUnitsNoCase(const XXWCHAR* text, const unsigned char* input, size_t units) {
    for (size_t i = 0; i < units; ++i) {
        const XXWCHAR a = wlower(text[i]);
        const XXWCHAR b = wlower(unitAt(input + 2 * i));
        if (a != b) return int(a) - int(b);
    }
    return 0;
}

// --- PatternSet --------------------------------------------------------------------------

void PatternSet::setTarget(const PXPatternForm* pattern) {
    target_ = pattern;
    int64_t lo = 0;
    int64_t hi = 0;
    if (pattern)
        for (int32_t i = 0; i < pattern->count; ++i) {
            lo += (*pattern)[i].min;
            hi += (*pattern)[i].max;
        }
    minSize = clampSize(lo);
    maxSize = clampSize(hi);
}

bool PatternSet::isWide() const {
    if (!target_ || target_->count == 0) return false;
    const PXChecker* first = (*target_)[0].checker;
    return first && first->isWide();
}

namespace {

// Takes the minimum repetitions of a sub-pattern at q: false when one is missing.
template <typename Member>
bool takeMinimum(IXXINBUF& buffer, int32_t& q, Member member, int32_t min) {
    const int32_t w = member.width();
    if (w <= 0) return true;   // an empty variable matches the empty text; repeating it makes no progress
    for (int32_t r = 0; r < min; ++r) {
        if (!buffer.iChk(&q, w) || !member(buffer.bytes() + q)) return false;
        q += w;
    }
    return true;
}

// Repeats a middle sub-pattern from `taken` up to its maximum while the next one could not
// start: true when it stopped on what the input holds at q (a non-member, or a unit the next
// sub-pattern claims), false when the maximum or the end of the input stopped it.
// `taken` counts the repetitions (positions cannot: a window slide shifts q).
template <typename Member, typename Next>
bool takeWhileFree(IXXINBUF& buffer, int32_t& q, Member member, Next next, int32_t& taken, int32_t max) {
    const int32_t w = member.width();
    const int32_t nw = next.width();
    for (; taken < max; ++taken) {
        if (!buffer.iChk(&q, w)) return false;
        if (!member(buffer.bytes() + q)) return true;
        if (nw <= 0) return false;
        // Whether the next element could start here: a look, which must not end the search
        // when that element is wider than what is left.
        if (available(buffer, &q, nw) && next(buffer.bytes() + q)) return true;
        q += w;
    }
    return false;
}

// The same for a sub-pattern followed by one whose set did not resolve.
template <typename Member>
void takeUpTo(IXXINBUF& buffer, int32_t& q, Member member, int32_t taken, int32_t max) {
    const int32_t w = member.width();
    for (; taken < max; ++taken) {
        if (!buffer.iChk(&q, w) || !member(buffer.bytes() + q)) return;
        q += w;
    }
}

}  // namespace

int32_t PatternSet::match(IXXINBUF& buffer, int32_t& position) {
    tailSet = nullptr;
    tailCount = 0;
    failSkip = 1;
    if (!target_) return -1;
    int32_t q = position;
    const int32_t k = target_->count;
    for (int32_t j = 0; j < k; ++j) {
        const SubPattern& sp = (*target_)[j];
        const PXChecker* c = sp.checker;
        if (!c) return -1;
        if (!withMemberTest(*c, [&](auto member) { return takeMinimum(buffer, q, member, sp.min); })) return -1;
        if (j == k - 1) {
            tailSet = c;
            tailCount = std::max(0, sp.max - std::max(sp.min, 0));
            break;
        }
        if (c->width() <= 0) continue;
        const int32_t minimum = std::max(sp.min, 0);
        int32_t taken = minimum;
        const PXChecker* next = (*target_)[j + 1].checker;
        if (!next) {
            withMemberTest(*c, [&](auto member) { takeUpTo(buffer, q, member, minimum, sp.max); });
            continue;
        }
        const bool free = withMemberTest(*c, [&](auto member) {
            return withMemberTest(*next, [&](auto nextMember) {
                return takeWhileFree(buffer, q, member, nextMember, taken, sp.max);
            });
        });
        // The first element of a set stopped by the unit at q: every start up to q less its
        // minimum reaches the same q and fails or matches the same way from there.
        if (j == 0 && free && c->kind() != PXChecker::Kind::other)
            failSkip = taken - minimum + 1;
    }
    return q - position;
}

// --- PatternStr --------------------------------------------------------------------------

PatternStr::PatternStr() : narrowCompare_(compareBytes), wideCompare_(compareUnits) {}

void PatternStr::setText(const char* text) {
    text_ = isBlank(text) ? "" : text;
    refresh();
}

void PatternStr::setWText(const XXWCHAR* text) {
    if (isBlank(text)) {
        wtext_.clear();
    } else {
        wtext_ = text;
        text_ = "";
    }
    refresh();
}

void PatternStr::setIgnoreCase(bool flag) {
    ignoreCase_ = flag ? 1 : 0;
    narrowCompare_ = flag ? compareBytesNoCase : compareBytes;
    wideCompare_ = flag ? compareUnitsNoCase : compareUnits;
}

void PatternStr::refresh() {
    if (text_.length() > 0) {
        wide = 0;
        minSize = maxSize = text_.length();
    } else if (wtext_.length() > 0) {
        wide = 1;
        minSize = maxSize = clampSize(int64_t(wtext_.length()) * 2);
    } else {
        wide = 0;
        minSize = maxSize = 0;
    }
}

int32_t PatternStr::match(IXXINBUF& buffer, int32_t& position) {
    const int32_t n = minSize;
    if (!available(buffer, position, n)) return -1;
    const unsigned char* at = buffer.bytes() + position;
    const bool equal = wide ? wideCompare_(wtext_.text(), at, size_t(n / 2)) == 0
                            : narrowCompare_(text_.text(), at, size_t(n)) == 0;
    return equal ? n : -1;
}

// --- PatternSSet -------------------------------------------------------------------------

void PatternSSet::setTarget(StringSet* set) {
    target_ = set;
    minSize = 0;
    maxSize = set ? set->longest : 0;
}

int32_t PatternSSet::match(IXXINBUF& buffer, int32_t& position) {
    if (!target_) return -1;
    for (int32_t i = 0; i < target_->items.count; ++i) {
        const StringSetItem& item = target_->items[i];
        if (!item.enabled) continue;
        const int32_t n = item.text.length();
        if (!available(buffer, position, n)) continue;
        const unsigned char* at = buffer.bytes() + position;
        const int differ = item.ignoreCase ? compareBytesNoCase(item.text.text(), at, size_t(n))
                                           : compareBytes(item.text.text(), at, size_t(n));
        if (differ == 0) {
            target_->lastMatched = i;
            return n;
        }
    }
    // With nothing to compare, or nothing that fitted, the end of the input must still be
    // noticed.
    buffer.iChk(position, 1);
    return -1;
}

// --- PatternGraph ------------------------------------------------------------------------

void PatternGraph::setTarget(PXGraph* graph, PXNode* node) {
    target_ = graph;
    node_ = graph ? node : nullptr;
}

int32_t PatternGraph::match(IXXINBUF& buffer, int32_t& position) {
    PXNode* start = target_ ? target_->startNode() : nullptr;
    PXPattern* m = start ? start->matcher() : nullptr;
    if (!m || scratch != 0) return -2;
    scratch = 1;
    const int32_t result = m->match(buffer, position);
    scratch = 0;
    return result;
}

// --- PatternNull -------------------------------------------------------------------------

int32_t PatternNull::match(IXXINBUF& buffer, int32_t& position) {
    if (buffer.getBaseOffset() == 0 && position == 0) return 0;
    return buffer.iChk(position, 1) ? -1 : 0;
}
