// Conversion between the narrow code page and UTF-16, over iconv.
//
// The code page is UTF-8 unless the environment variable QUILLON_CODEPAGE names another
// iconv encoding (for example CP1252); it is read once per process. Invalid input never
// aborts a conversion: an invalid narrow sequence becomes U+FFFD, and a wide character the
// code page cannot represent becomes U+FFFD where the code page has it, else '?'.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/XXWCHAR.h"

// The iconv name of the code page in use.
const std::string& codePageName();

std::u16string narrowToWide(const char* text, size_t length);
std::string wideToNarrow(const XXWCHAR* text, size_t length);
// The same to the code page named `codePage` (an iconv name); false, with `out` empty, when
// iconv does not know it. The database library compiles this file in as well, so that it
// converts by the same rules while standing alone.
bool wideToCodePage(const char* codePage, const XXWCHAR* text, size_t length, std::string& out);
