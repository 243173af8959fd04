// XXMsgList: the database library's message list, in the order the messages arose.
//
// Every failure inside the library appends one line here; the host reads the lines back
// through IQXDB. A line is at most kMaxLine characters: longer lines are cut, and a cut never
// splits a UTF-8 sequence.
//
// Three forms of line, after the three kinds of failure:
//   database error:  "Database error: <context>, <error text>code=<n> - <message>"
//                    (", " only with a context; "(no message available)" without a message)
//   memory shortage: "<context> - <message>" ("(no message available)" without one)
//   anything else:   "<context>"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class XXMsgList {
public:
  // Longest line kept: one 1024-character buffer with its terminating zero.
  static constexpr size_t kMaxLine = 1023;

  void add(std::string_view line);
  // printf-style line, cut like any other.
  void addf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void addDatabaseError(std::string_view context, std::string_view errorText, int32_t code,
                        std::string_view message);
  void addMemoryError(std::string_view context, std::string_view message);

  int32_t count() const { return static_cast<int32_t>(lines_.size()); }
  // The line, or empty text for an index out of range.
  const char* get(int32_t line) const;
  void clear() { lines_.clear(); }
  // Drops the lines after the first `count`.
  void truncate(int32_t count) {
    if (count >= 0 && static_cast<size_t>(count) < lines_.size())
      lines_.resize(static_cast<size_t>(count));
  }

private:
  std::vector<std::string> lines_;
};
