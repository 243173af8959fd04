// The required-unit plan and its skip. See PXSearchRequired.h for why a skip never changes a
// result.
#include "engine/PXSearchRequired.h"

#include <algorithm>
#include <cstring>

namespace {

// R with more members than this is found no faster than by the plain search.
constexpr int32_t kMostRequiredMembers = 4;

bool hasBit(const std::vector<uint64_t>& bits, uint32_t bit) { return bits[bit / 64] >> (bit % 64) & 1; }

// The set's members as bits, and their number.
int32_t addMembers(const PXChecker& c, std::vector<uint64_t>& bits) {
    int32_t members = 0;
    const uint32_t values = uint32_t(bits.size()) * 64;
    for (uint32_t v = 0; v < values; ++v) {
        const bool member = c.kind() == PXChecker::Kind::set8 ? static_cast<const PXSet8&>(c).has(v)
                                                              : static_cast<const PXSet16&>(c).has(v);
        if (member) {
            bits[v / 64] |= uint64_t(1) << (v % 64);
            ++members;
        }
    }
    return members;
}

// The first R unit at or after p (same parity), or -1 when none is in the window.
template <int W>
int32_t findRequired(const PXRequiredPlan& plan, const unsigned char* data, int32_t count, int32_t p) {
    const int32_t last = count - W;
    if (plan.requiredUnit >= 0) {
        const auto low = static_cast<unsigned char>(plan.requiredUnit & 0xFF);
        for (int32_t from = p; from <= last;) {
            const void* hit = std::memchr(data + from, low, size_t(last - from) + 1);
            if (!hit) return -1;
            const auto k = int32_t(static_cast<const unsigned char*>(hit) - data);
            if ((k - p) % W == 0 && inputUnit<W>(data, k) == uint32_t(plan.requiredUnit)) return k;
            from = k + 1;
        }
        return -1;
    }
    for (int32_t k = p; k <= last; k += W)
        if (hasBit(plan.required, inputUnit<W>(data, k))) return k;
    return -1;
}

template <int W>
int32_t skip(const PXRequiredPlan& plan, const unsigned char* data, int32_t count, int32_t p, int32_t& quietUntil) {
    quietUntil = p;
    const int32_t a = findRequired<W>(plan, data, count, p);
    if (a < 0) {
        // A start s whose reach ends in the window (s + reach + W <= count) would have met
        // an R unit: the first start that may not is the earliest the plain search needs.
        const int64_t first = int64_t(count) - W - plan.reach + 1;
        if (first <= p) return p;
        const int64_t steps = (first - p + W - 1) / W;
        return int32_t(p + steps * W);
    }
    int32_t s = a;
    while (s - W >= p && a - s < plan.reach && hasBit(plan.before, inputUnit<W>(data, s - W))) s -= W;
    quietUntil = a;
    return s;
}

}  // namespace

PXRequiredPlan makeRequiredPlan(const PXPatternForm& form) {
    PXRequiredPlan best;
    if (form.count < 2 || !form[0].checker) return best;
    const PXChecker::Kind kind = form[0].checker->kind();
    if (kind == PXChecker::Kind::other) return best;
    const int32_t width = kind == PXChecker::Kind::set8 ? 1 : 2;
    const size_t words = (size_t(1) << (8 * width)) / 64;
    std::vector<uint64_t> before(words, 0);
    int64_t reach = 0;
    int32_t fewest = kMostRequiredMembers + 1;
    for (int32_t j = 0; j < form.count; ++j) {
        const SubPattern& sp = form[j];
        if (!sp.checker || sp.checker->kind() != kind) break;
        if (j > 0 && sp.min >= 1) {
            std::vector<uint64_t> required(words, 0);
            const int32_t members = addMembers(*sp.checker, required);
            bool disjoint = true;
            for (size_t w = 0; w < words && disjoint; ++w) disjoint = (required[w] & before[w]) == 0;
            if (disjoint && members > 0 && members < fewest) {
                fewest = members;
                best.width = width;
                best.required = std::move(required);
                best.before = before;
                best.reach = int32_t(std::min<int64_t>(reach, INT32_MAX / 2));
                best.element = j;
                best.requiredUnit = -1;
                if (members == 1)
                    for (uint32_t v = 0; v < words * 64; ++v)
                        if (hasBit(best.required, v)) best.requiredUnit = int32_t(v);
            }
        }
        addMembers(*sp.checker, before);
        reach += int64_t(std::max({sp.min, sp.max, 0})) * width;
    }
    return best;
}

int32_t skipToRequired(const PXRequiredPlan& plan, const unsigned char* data, int32_t count, int32_t p,
                       int32_t& quietUntil) {
    if (plan.width == 2) return skip<2>(plan, data, count, p, quietUntil);
    return skip<1>(plan, data, count, p, quietUntil);
}
