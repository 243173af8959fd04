#include "foundation/XXSTRING.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "foundation/XXSTRTABLE.h"
#include "foundation/codepage.h"

namespace {

constexpr int32_t kNarrowIncrement = 40;
constexpr int32_t kNarrowLimit = 254;

// Appends `length` units plus a NUL to a NUL-counted array, as both string kinds do.
template <typename Array, typename Unit>
bool appendUnits(Array& a, const Unit* text, int32_t length) {
    if (length <= 0 || !text) return true;
    const int32_t extra = a.count == 0 ? 1 : 0;
    if (!a.chk(a.count + length + extra)) return false;
    Unit* at = a.data() + (a.count > 0 ? a.count - 1 : 0);
    std::memcpy(at, text, size_t(length) * sizeof(Unit));
    at[length] = 0;
    a.count += length + extra;
    return true;
}

}  // namespace

// --- XXWSTRING ---------------------------------------------------------------------------

XXWSTRING::XXWSTRING(const XXWCHAR* text) { *this += text; }
XXWSTRING::XXWSTRING(const char* text) { *this += text; }
XXWSTRING::XXWSTRING(int stringId) { *this += loadString(stringId); }

XXWSTRING& XXWSTRING::operator=(const XXWCHAR* text) {
    if (text && elements && text >= data() && text < data() + capacity) return *this;
    clear();
    return *this += text;
}

XXWSTRING& XXWSTRING::operator=(const char* text) {
    clear();
    return *this += text;
}

XXWSTRING& XXWSTRING::append(const XXWCHAR* text, int32_t length) {
    if (!appendUnits(*this, text, length)) reportError("XXWSTRING::operator+ ... unable to allocate");
    return *this;
}

XXWSTRING& XXWSTRING::operator+=(const XXWCHAR* text) {
    return text ? append(text, int32_t(wlen(text))) : *this;
}

XXWSTRING& XXWSTRING::operator+=(const char* text) {
    if (isBlank(text)) return *this;
    const std::u16string w = narrowToWide(text, std::strlen(text));
    return append(w.data(), int32_t(w.size()));
}

XXWSTRING& XXWSTRING::operator+=(XXWCHAR c) { return append(&c, 1); }

const XXWCHAR* XXWSTRING::text() const { return elements && count > 0 ? data() : u""; }

bool XXWSTRING::operator==(const XXWCHAR* other) const { return other && wcmp(text(), other) == 0; }

// --- XXSTRING ----------------------------------------------------------------------------

XXSTRING::XXSTRING() : XXFARRAYI<char>(kNarrowIncrement) {}
XXSTRING::XXSTRING(const char* text) : XXSTRING() { *this += text; }
XXSTRING::XXSTRING(const char* text, int32_t length) : XXSTRING() { append(text, length); }
XXSTRING::XXSTRING(const XXWCHAR* text) : XXSTRING() { *this = text; }
XXSTRING::XXSTRING(int stringId) : XXSTRING() { *this += loadString(stringId); }

XXSTRING& XXSTRING::operator=(const XXSTRING& other) {
    if (this != &other) {
        XXFARRAYI<char>::operator=(other);
        wide = other.wide;
        isWide = other.isWide;
    }
    return *this;
}

XXSTRING& XXSTRING::operator=(const char* text) {
    const bool own = text && elements && text >= data() && text < data() + capacity;
    if (!own) {
        clear();
        *this += text;
    }
    isWide = false;
    wide.clear();
    return *this;
}

XXSTRING& XXSTRING::operator=(const XXWCHAR* text) {
    clear();
    wide = text;
    isWide = true;
    return *this;
}

XXSTRING& XXSTRING::append(const char* text, int32_t length) {
    if (!appendUnits(*this, text, length)) reportError("XXSTRING::operator+ ... unable to allocate");
    return *this;
}

XXSTRING& XXSTRING::operator+=(const char* text) {
    return text ? append(text, int32_t(std::strlen(text))) : *this;
}

namespace {
template <typename... Args>
XXSTRING& appendFormatted(XXSTRING& s, const char* format, Args... args) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return s.append(buffer, n);
}
}  // namespace

XXSTRING& XXSTRING::operator+=(int value) { return appendFormatted(*this, "%d", value); }
XXSTRING& XXSTRING::operator+=(unsigned value) { return appendFormatted(*this, "%u", value); }
XXSTRING& XXSTRING::operator+=(long value) { return appendFormatted(*this, "%ld", value); }
XXSTRING& XXSTRING::operator+=(unsigned long value) { return appendFormatted(*this, "%lu", value); }
XXSTRING& XXSTRING::operator+=(long long value) { return appendFormatted(*this, "%lld", value); }
XXSTRING& XXSTRING::operator+=(double value) { return appendFormatted(*this, "%g", value); }

int32_t XXSTRING::length() const {
    if (isWide) return wide.length();
    return count > 0 ? count - 1 : 0;
}

const char* XXSTRING::text() const { return elements && count > 0 ? data() : ""; }

bool XXSTRING::equals(const char* other) const { return other && std::strcmp(text(), other) == 0; }
bool XXSTRING::iequals(const char* other) const { return other && strcasecmp(text(), other) == 0; }
bool XXSTRING::nequals(const char* other, size_t n) const {
    return other && std::strncmp(text(), other, n) == 0;
}
bool XXSTRING::niequals(const char* other, size_t n) const {
    return other && strncasecmp(text(), other, n) == 0;
}
bool XXSTRING::equals(const XXWCHAR* other) const { return other && wcmp(wtext(), other) == 0; }
bool XXSTRING::iequals(const XXWCHAR* other) const { return other && wicmp(wtext(), other) == 0; }
bool XXSTRING::nequals(const XXWCHAR* other, size_t n) const {
    return other && wncmp(wtext(), other, n) == 0;
}
bool XXSTRING::niequals(const XXWCHAR* other, size_t n) const {
    return other && wnicmp(wtext(), other, n) == 0;
}

bool XXSTRING::remove(char c) {
    if (!elements || count == 0) return false;
    char* p = data();
    int32_t kept = 0;
    const int32_t n = length();
    for (int32_t i = 0; i < n; ++i)
        if (p[i] != c) p[kept++] = p[i];
    const bool removed = kept != n;
    for (int32_t i = kept; i < n; ++i) p[i] = 0;
    count = kept + 1;
    return removed;
}

XXSTRING& XXSTRING::capitalize() {
    if (!elements) return *this;
    char* p = data();
    const int32_t n = length();
    for (int32_t i = 0; i < n; ++i)
        if ((i == 0 || p[i - 1] == ' ') && std::islower(static_cast<unsigned char>(p[i])))
            p[i] = char(std::toupper(static_cast<unsigned char>(p[i])));
    return *this;
}

XXSTRING XXSTRING::replace(const char* search, const char* replacement) const {
    XXSTRING out;
    const char* p = text();
    const size_t n = isBlank(search) ? 0 : std::strlen(search);
    if (n == 0) return *this;
    while (*p) {
        if (strncasecmp(p, search, n) == 0) {
            out += replacement;
            p += n;
        } else {
            out += *p++;
        }
    }
    return out;
}

XXSTRING& newline(XXSTRING& s) { return s += "\n"; }

bool isBlank(const char* text) { return !text || !*text; }
bool isBlank(const XXWCHAR* text) { return !text || !*text; }

bool AToW(const XXSTRING& in, XXWSTRING& out) {
    const int32_t n = in.length();
    const std::u16string w = narrowToWide(in.text(), size_t(n));
    if (n > 0 && w.empty()) return false;
    out.clear();
    if (!out.chk(int32_t(w.size()) + 1)) return false;
    std::memcpy(out.data(), w.data(), w.size() * sizeof(XXWCHAR));
    out[int32_t(w.size())] = 0;
    out.count = int32_t(w.size()) + 1;
    return true;
}

bool WToA(const XXWSTRING& in, XXSTRING& out) {
    const std::string s = wideToNarrow(in.text(), size_t(in.length()));
    if (int32_t(s.size()) > kNarrowLimit) return false;
    out = s.c_str();
    return true;
}
