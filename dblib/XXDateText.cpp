// XXDateText: the token scan behind parseDateText.
#include "dblib/XXDateText.h"

#include <cctype>
#include <cstring>

namespace {

constexpr int kMaxTokens = 30;
constexpr int kSlots = 6;

constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr const char* kWeekdays[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Whether the `length` bytes at `text` equal the lower-case `word`, ignoring case.
bool equalsIgnoringCase(const char* text, int32_t length, const char* word) {
  if (static_cast<size_t>(length) != std::strlen(word))
    return false;
  for (int32_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
      return false;
  return true;
}

// Index of the three-letter abbreviation at `text` in `words`, or -1.
template <size_t N>
int abbreviation(const char* text, int32_t available, const char* const (&words)[N]) {
  if (available < 3)
    return -1;
  for (size_t i = 0; i < N; ++i)
    if (equalsIgnoringCase(text, 3, words[i]))
      return static_cast<int>(i);
  return -1;
}

}  // namespace

bool parseDateText(const char* text, int32_t length, XXDateFields& fields) {
  fields = XXDateFields{};
  if (text == nullptr)
    return false;
  int32_t slots[kSlots] = {-1, -1, -1, -1, -1, -1};
  int filled = 0;
  bool failed = false;
  bool monthNamed = false;
  bool fourDigitYear = false;
  bool afternoon = false;

  int32_t at = 0;
  while (at < length && text[at] == ' ')
    ++at;
  if (at >= length)
    failed = true;

  int tokens = 0;
  for (; at < length && tokens < kMaxTokens; ++tokens) {
    if (isDigit(text[at])) {
      int32_t start = at;
      int32_t value = 0;
      while (at < length && isDigit(text[at])) {
        if (at - start < 4)
          value = value * 10 + (text[at] - '0');
        ++at;
      }
      int32_t run = at - start;
      if (run <= 2) {
        if (filled < kSlots)
          slots[filled++] = value;
        else
          failed = true;
      } else if (run == 4 && fields.year == -1) {
        fields.year = value;
        fourDigitYear = true;
      }
      continue;
    }
    int month = abbreviation(text + at, length - at, kMonths);
    if (month >= 0 || abbreviation(text + at, length - at, kWeekdays) >= 0) {
      if (month >= 0) {
        fields.month = month + 1;
        monthNamed = true;
      }
      while (at < length && isAlpha(text[at]))
        ++at;
    } else if (equalsIgnoringCase(text + at, length - at, "pm") ||
               equalsIgnoringCase(text + at, length - at, "p.m.")) {
      afternoon = true;
      at = length;
    } else {
      afternoon = false;
      ++at;
    }
  }
  if (tokens == kMaxTokens && at < length)
    failed = true;

  int next = 0;
  auto take = [&] { return next < kSlots ? slots[next++] : -1; };
  if (!monthNamed)
    fields.month = take();
  fields.day = take();
  if (!fourDigitYear)
    fields.year = take();
  fields.hour = take();
  fields.minute = take();
  fields.second = take();

  // "pm" with no hour given leaves the hour unknown rather than making it 11.
  if (afternoon && fields.hour >= 0 && fields.hour < 12)
    fields.hour += 12;
  // A text with no year at all keeps it unknown instead of inventing 1999.
  if (!fourDigitYear && fields.year >= 0)
    fields.year += fields.year < 70 ? 2000 : 1900;
  return !failed;
}
