// Narrow and 16-bit strings on growable arrays.
//
// Both keep their characters followed by one NUL, and `count` includes that NUL; an empty
// string has `count` 0 or 1. A narrow string can instead hold wide text in its companion
// `wide` (`isWide` set, narrow array empty). Narrow strings allocate 40 characters at
// construction and grow 40 at a time, wide strings grow 10 at a time from first use, so
// character-by-character appends do not reallocate each time. Every modifying operation
// returns the string itself so that calls chain.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/XXFARRAY.h"
#include "foundation/XXWCHAR.h"

class XXSTRING;

class XXWSTRING : public XXFARRAYI<XXWCHAR> {
public:
    XXWSTRING() = default;
    XXWSTRING(const XXWCHAR* text);
    XXWSTRING(const char* text);              // converted from the code page
    explicit XXWSTRING(int stringId);         // the string table's text, converted

    XXWSTRING& operator=(const XXWCHAR* text);
    XXWSTRING& operator=(const char* text);

    // Appends `length` units (no NUL among them).
    XXWSTRING& append(const XXWCHAR* text, int32_t length);
    XXWSTRING& operator+=(const XXWCHAR* text);
    XXWSTRING& operator+=(const char* text);
    XXWSTRING& operator+=(XXWCHAR c);
    XXWSTRING& operator<<(const XXWCHAR* text) { return *this += text; }
    XXWSTRING& operator<<(const char* text) { return *this += text; }

    int32_t length() const { return count > 0 ? count - 1 : 0; }
    // The text; never null (an unallocated string gives "").
    const XXWCHAR* text() const;
    operator const XXWCHAR*() const { return text(); }

    bool operator==(const XXWCHAR* other) const;
};

class XXSTRING : public XXFARRAYI<char> {
public:
    XXWSTRING wide;        // the text while `isWide` is set
    bool isWide = false;

    XXSTRING();
    XXSTRING(const char* text);
    XXSTRING(const char* text, int32_t length);
    XXSTRING(const XXWCHAR* text);            // held wide
    explicit XXSTRING(int stringId);          // the string table's text
    XXSTRING(const XXSTRING&) = default;
    XXSTRING(XXSTRING&&) noexcept = default;
    XXSTRING& operator=(const XXSTRING& other);
    XXSTRING& operator=(XXSTRING&&) noexcept = default;
    ~XXSTRING() override = default;

    XXSTRING& operator=(const char* text);
    XXSTRING& operator=(const XXWCHAR* text);

    // Appends `length` bytes (no NUL among them).
    XXSTRING& append(const char* text, int32_t length);
    XXSTRING& operator+=(const char* text);
    XXSTRING& operator+=(const XXSTRING& text) { return append(text.text(), text.length()); }
    XXSTRING& operator+=(char c) { return append(&c, 1); }
    XXSTRING& operator+=(int value);
    XXSTRING& operator+=(unsigned value);
    XXSTRING& operator+=(long value);
    XXSTRING& operator+=(unsigned long value);
    XXSTRING& operator+=(long long value);
    XXSTRING& operator+=(double value);       // printf "%g"
    XXSTRING& operator+=(float value) { return *this += double(value); }

    template <typename T>
    XXSTRING& operator<<(const T& value) { return *this += value; }
    XXSTRING& operator<<(const char* text) { return *this += text; }
    XXSTRING& operator<<(XXSTRING& (*manipulator)(XXSTRING&)) { return manipulator(*this); }

    // The wide length while held wide, else the narrow length.
    int32_t length() const;
    // The narrow text; never null.
    const char* text() const;
    // The wide companion's text; never null.
    const XXWCHAR* wtext() const { return wide.text(); }
    operator const char*() const { return text(); }
    std::string_view view() const { return {text(), size_t(length())}; }

    // Comparisons: true only when both texts exist and are equal; a null pointer on either
    // side compares unequal.
    bool operator==(const char* other) const { return equals(other); }
    bool operator==(const XXSTRING& other) const { return equals(other.text()); }
    bool equals(const char* other) const;
    bool iequals(const char* other) const;
    bool nequals(const char* other, size_t n) const;
    bool niequals(const char* other, size_t n) const;
    bool equals(const XXWCHAR* other) const;
    bool iequals(const XXWCHAR* other) const;
    bool nequals(const XXWCHAR* other, size_t n) const;
    bool niequals(const XXWCHAR* other, size_t n) const;

    // Removes every occurrence of `c`; true when any was removed.
    bool remove(char c = ' ');
    // Uppercases each lowercase letter that starts the text or follows a space.
    XXSTRING& capitalize();
    // A copy in which every occurrence of `search`, matched ignoring case, is replaced. An
    // empty search text gives an unchanged copy.
    XXSTRING replace(const char* search, const char* replacement) const;
};

// Appends "\n" (the line-end manipulator).
XXSTRING& newline(XXSTRING& s);

// Null or empty.
bool isBlank(const char* text);
bool isBlank(const XXWCHAR* text);

// Conversions on the code page. AToW fails when nothing could be converted; WToA fails, and
// leaves `out` untouched, when the narrow result would exceed 254 bytes.
bool AToW(const XXSTRING& in, XXWSTRING& out);
bool WToA(const XXWSTRING& in, XXSTRING& out);
