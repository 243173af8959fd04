// XXFieldValue and XXFieldValues: the value staged for each column of a table.
//
// A value is text for every column type except the date types, whose value is a calendar
// time parsed from the text put into it (the text is kept as well). The reset state is empty
// text and 1970-01-01 00:00:00 local time.
//
// XXFieldValues is the array of one table's values; it reports a bad index to the message
// list as "Invalid field index: N".
#pragma once

#include "dblib/XXMsgList.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// ODBC 2 type codes of the date types (and the ODBC 3 codes a driver might give instead).
bool isDateType(int32_t sqlType);
// Character types: an empty text stays an empty string there, elsewhere it is written as NULL.
bool isCharacterType(int32_t sqlType);

struct XXFieldValue {
  std::string text;
  std::time_t time = 0;
  std::string columnName;
  std::string tableName;  // for messages only
  int32_t sqlType = 0;

  // Local calendar time of the reset state.
  static std::time_t resetTime();
  void reset();

  // Appends `length` bytes to the text (after a reset when asked) and, for a date column,
  // parses the bytes given here into the time. A date that does not parse or is out of range
  // gives the "Invalid Date" line and false; the time then holds the corrected date.
  bool assign(const char* bytes, int32_t length, bool resetFirst, XXMsgList& messages);
};

// The contents (text and time) of one row's values, kept apart from their columns.
struct XXRowValues {
  std::vector<std::string> texts;
  std::vector<std::time_t> times;
};

class XXFieldValues {
public:
  explicit XXFieldValues(XXMsgList& messages) : messages_(&messages) {}

  void add(XXFieldValue value) { values_.push_back(std::move(value)); }
  int32_t count() const { return static_cast<int32_t>(values_.size()); }
  // The value at `index`, or null after reporting "Invalid field index: N".
  XXFieldValue* at(int32_t index);
  XXFieldValue& operator[](size_t index) { return values_[index]; }
  const XXFieldValue& operator[](size_t index) const { return values_[index]; }
  void resetAll();
  // Copies the contents (text and time) of `other`, which has the same columns.
  void copyValuesFrom(const XXFieldValues& other);
  // Copies the contents out to `row` and back in from it (reusing the row's storage).
  void copyValuesTo(XXRowValues& row) const;
  void copyValuesFrom(const XXRowValues& row);

private:
  XXMsgList* messages_;
  std::vector<XXFieldValue> values_;
};
