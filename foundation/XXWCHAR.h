// 16-bit text helpers. Wide text in this system is UTF-16 code units (`char16_t`); the C
// library's wchar_t functions are 32-bit here and must not be used on it.
#pragma once

#include <cstddef>
#include <cstdint>

using XXWCHAR = char16_t;

size_t wlen(const XXWCHAR* s);
int wcmp(const XXWCHAR* a, const XXWCHAR* b);
int wncmp(const XXWCHAR* a, const XXWCHAR* b, size_t n);
// Case-insensitive forms fold ASCII and Latin-1 letters, as the narrow forms fold ASCII.
int wicmp(const XXWCHAR* a, const XXWCHAR* b);
int wnicmp(const XXWCHAR* a, const XXWCHAR* b, size_t n);
XXWCHAR wlower(XXWCHAR c);
XXWCHAR wupper(XXWCHAR c);
