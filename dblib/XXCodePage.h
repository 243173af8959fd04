// XXCodePage: converts 16-bit text to the narrow code page of the system.
//
// The code page is UTF-8 unless the environment variable QUILLON_CODEPAGE names another
// iconv encoding (for example CP1252). Unpaired surrogates and characters that the code page
// cannot show become U+FFFD in that code page, or '?' where it has no U+FFFD. An encoding that
// iconv does not know falls back to UTF-8 and says so through `unknownCodePage`.
#pragma once

#include <cstddef>
#include <string>

namespace XXCodePage {

// The narrow form of `length` UTF-16 code units at `text`. `unknownCodePage` (may be null)
// receives the name of an encoding that could not be used, or stays untouched.
std::string fromUTF16(const char16_t* text, size_t length, std::string* unknownCodePage);

}  // namespace XXCodePage
