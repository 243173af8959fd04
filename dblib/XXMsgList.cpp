// XXMsgList: composing and bounding the message lines.
#include "dblib/XXMsgList.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Length of `text` cut to at most `limit` bytes, moved back to the start of a UTF-8 sequence
// that the cut would split. Bytes that do not form UTF-8 are cut where the limit falls.
size_t cutLength(std::string_view text, size_t limit) {
  if (text.size() <= limit)
    return text.size();
  size_t lead = limit;
  int continuation = 0;
  while (lead > 0 && continuation < 3 &&
         (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
    --lead;
    ++continuation;
  }
  if (lead == 0)
    return limit;
  unsigned char first = static_cast<unsigned char>(text[lead - 1]);
  int needed = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC0 ? 1 : -1;
  if (needed > continuation)
    return lead - 1;  // the sequence starting there does not fit whole
  return limit;
}

}  // namespace

void XXMsgList::add(std::string_view line) {
  lines_.emplace_back(line.substr(0, cutLength(line, kMaxLine)));
}

void XXMsgList::addf(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string line(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0)
    std::vsnprintf(line.data(), line.size() + 1, format, again);
  va_end(again);
  add(line);
}

void XXMsgList::addDatabaseError(std::string_view context, std::string_view errorText,
                                 int32_t code, std::string_view message) {
  std::string line = "Database error: ";
  if (!context.empty()) {
    line += context;
    line += ", ";
  }
  line += errorText;
  line += "code=" + std::to_string(code);
  line += " - ";
  line += message.empty() ? std::string_view("(no message available)") : message;
  add(line);
}

void XXMsgList::addMemoryError(std::string_view context, std::string_view message) {
  std::string line(context);
  line += " - ";
  line += message.empty() ? std::string_view("(no message available)") : message;
  add(line);
}

const char* XXMsgList::get(int32_t line) const {
  if (line < 0 || line >= count())
    return "";
  return lines_[static_cast<size_t>(line)].c_str();
}
