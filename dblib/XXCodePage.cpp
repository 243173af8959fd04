// XXCodePage: the conversion itself is the system's one code-page layer (foundation/
// codepage.cpp, compiled into this library as well); only the choice of code page, read at
// every call, and the fallback for an unknown one are the library's own.
#include "dblib/XXCodePage.h"

#include <cstdlib>

#include "foundation/codepage.h"

std::string XXCodePage::fromUTF16(const char16_t* text, size_t length, std::string* unknownCodePage) {
  const char* codePage = std::getenv("QUILLON_CODEPAGE");
  if (codePage == nullptr || *codePage == '\0') codePage = "UTF-8";
  std::string out;
  if (wideToCodePage(codePage, text, length, out)) return out;
  if (unknownCodePage != nullptr) *unknownCodePage = codePage;
  wideToCodePage("UTF-8", text, length, out);
  return out;
}
