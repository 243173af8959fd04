// XXCodePage: UTF-16 is decoded here into code points; UTF-8 is written directly, any other
// code page goes through iconv one character at a time, so that one unmappable character
// costs one '?' and never the rest of the text.
#include "dblib/XXCodePage.h"

#include <iconv.h>

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isUTF8Name(const char* name) {
  return strcasecmp(name, "UTF-8") == 0 || strcasecmp(name, "UTF8") == 0;
}

// Converts code points with an open iconv descriptor from UTF-32 in host byte order.
void appendThroughIconv(std::string& out, iconv_t converter, char32_t c) {
  char32_t in[1] = {c};
  char buffer[16];
  char* inPointer = reinterpret_cast<char*>(in);
  size_t inLeft = sizeof in;
  char* outPointer = buffer;
  size_t outLeft = sizeof buffer;
  if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1)) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    out += '?';
    return;
  }
  out.append(buffer, sizeof buffer - outLeft);
}

}  // namespace

std::string XXCodePage::fromUTF16(const char16_t* text, size_t length,
                                  std::string* unknownCodePage) {
  const char* codePage = std::getenv("QUILLON_CODEPAGE");
  if (codePage == nullptr || *codePage == '\0')
    codePage = "UTF-8";
  iconv_t converter = reinterpret_cast<iconv_t>(-1);
  if (!isUTF8Name(codePage)) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    converter = iconv_open(codePage, "UTF-32LE");
#else
    converter = iconv_open(codePage, "UTF-32BE");
#endif
    if (converter == reinterpret_cast<iconv_t>(-1) && unknownCodePage != nullptr)
      *unknownCodePage = codePage;
  }
  bool useIconv = converter != reinterpret_cast<iconv_t>(-1);

  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    if (useIconv)
      appendThroughIconv(out, converter, c);
    else
      appendUTF8(out, c);
  }
  if (useIconv)
    iconv_close(converter);
  return out;
}
