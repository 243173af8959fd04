#include "foundation/XXWCHAR.h"

size_t wlen(const XXWCHAR* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

XXWCHAR wlower(XXWCHAR c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return XXWCHAR(c + 32);
    return c;
}

XXWCHAR wupper(XXWCHAR c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return XXWCHAR(c - 32);
    return c;
}

namespace {

template <bool Fold>
int compare(const XXWCHAR* a, const XXWCHAR* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const XXWCHAR ca = Fold ? wlower(a[i]) : a[i];
        const XXWCHAR cb = Fold ? wlower(b[i]) : b[i];
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
    return 0;
}

}  // namespace

int wcmp(const XXWCHAR* a, const XXWCHAR* b) { return compare<false>(a, b, SIZE_MAX); }
int wncmp(const XXWCHAR* a, const XXWCHAR* b, size_t n) { return compare<false>(a, b, n); }
int wicmp(const XXWCHAR* a, const XXWCHAR* b) { return compare<true>(a, b, SIZE_MAX); }
int wnicmp(const XXWCHAR* a, const XXWCHAR* b, size_t n) { return compare<true>(a, b, n); }
