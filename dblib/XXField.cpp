// XXField: assigning text to a staged value, with the checks of date columns.
//
// A date column checks the parsed fields in a fixed order and keeps the code of the first
// failure: 1 the text did not parse, 2 day below 1, 3 day past 31 (or past the month's last
// day), 4 month below 1, 5 month past 12, 6 year before 1970, 7 year after 2037. A bad date
// becomes 1970-01-01. Then hour, minute and second: an unknown (-1) one is 0 silently, one
// past its range is 0 with code 8, 9 or 10, replacing an earlier code. 99 means that the
// calendar time could not be built.
#include "dblib/XXField.h"

#include "dblib/XXDateText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

// The local calendar time of the fields. The time library reads the time-zone file again at
// every call (a file-system lookup each time), so the last answer is kept: a column of
// dates often holds the same date row after row, and every reset asks for 1970-01-01.
std::time_t localTime(int year, int month, int day, int hour, int minute, int second,
                      bool& failed) {
  struct Asked {
    int fields[6] = {-1, -1, -1, -1, -1, -1};
    std::time_t result = 0;
    bool failed = false;
  };
  thread_local Asked last[2];  // the reset date and the last other one
  const int asked[6] = {year, month, day, hour, minute, second};
  for (const Asked& each : last)
    if (std::equal(asked, asked + 6, each.fields)) {
      failed = each.failed;
      return each.result;
    }
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;  // let the time library decide daylight saving
  errno = 0;
  std::time_t result = std::mktime(&fields);
  failed = result == static_cast<std::time_t>(-1) && errno != 0;
  Asked& slot = last[year == 1970 && month == 1 && day == 1 ? 0 : 1];
  std::copy(asked, asked + 6, slot.fields);
  slot.result = result;
  slot.failed = failed;
  return result;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// The error code of the date part of `f`, 0 when the date is sound.
int dateError(bool parsed, const XXDateFields& f) {
  if (!parsed)
    return 1;
  if (f.day < 1)
    return 2;
  if (f.day > 31)
    return 3;
  if (f.month < 1)
    return 4;
  if (f.month > 12)
    return 5;
  if (f.year < 1970)
    return 6;
  if (f.year > 2037)
    return 7;
  // 31 February would otherwise roll over into March unnoticed.
  if (f.day > daysInMonth(f.year, f.month))
    return 3;
  return 0;
}

// Clamps one time-of-day field: unknown becomes 0 silently, out of range 0 with `code`.
void clampTimeField(int32_t& value, int32_t maximum, int code, int& error) {
  if (value < 0) {
    value = 0;
  } else if (value > maximum) {
    value = 0;
    error = code;
  }
}

}  // namespace

bool isDateType(int32_t sqlType) {
  return (sqlType >= 9 && sqlType <= 11) || (sqlType >= 91 && sqlType <= 93);
}

bool isCharacterType(int32_t sqlType) {
  switch (sqlType) {
  case 1:    // CHAR
  case 12:   // VARCHAR
  case -1:   // LONGVARCHAR
  case -8:   // WCHAR
  case -9:   // WVARCHAR
  case -10:  // WLONGVARCHAR
    return true;
  default:
    return false;
  }
}

std::time_t XXFieldValue::resetTime() {
  bool failed = false;
  return localTime(1970, 1, 1, 0, 0, 0, failed);
}

void XXFieldValue::reset() {
  text.clear();
  time = resetTime();
}

bool XXFieldValue::assign(const char* bytes, int32_t length, bool resetFirst,
                          XXMsgList& messages) {
  if (resetFirst)
    reset();
  if (length <= 0)
    return true;
  text.append(bytes, static_cast<size_t>(length));
  if (!isDateType(sqlType))
    return true;

  XXDateFields f;
  bool parsed = parseDateText(bytes, length, f);
  int error = dateError(parsed, f);
  if (error != 0) {
    f.year = 1970;
    f.month = 1;
    f.day = 1;
  }
  clampTimeField(f.hour, 23, 8, error);
  clampTimeField(f.minute, 59, 9, error);
  clampTimeField(f.second, 59, 10, error);
  bool failed = false;
  time = localTime(f.year, f.month, f.day, f.hour, f.minute, f.second, failed);
  if (failed)
    error = 99;
  if (error == 0)
    return true;

  std::string given(bytes, static_cast<size_t>(length));
  char head[96];
  std::snprintf(head, sizeof head, "%d- '", error);
  char tail[96];
  std::snprintf(tail, sizeof tail, "' %d-%d-%d %d:%d:%d}(", f.year, f.month, f.day, f.hour,
                f.minute, f.second);
  messages.add("Invalid Date {" + std::string(head) + given + tail + tableName + "/" +
               columnName + "): [" + given + "]");
  return false;
}

XXFieldValue* XXFieldValues::at(int32_t index) {
  if (index < 0 || index >= count()) {
    messages_->addf("Invalid field index: %d", index);
    return nullptr;
  }
  return &values_[static_cast<size_t>(index)];
}

void XXFieldValues::resetAll() {
  for (XXFieldValue& value : values_)
    value.reset();
}

void XXFieldValues::copyValuesFrom(const XXFieldValues& other) {
  for (size_t i = 0; i < values_.size() && i < other.values_.size(); ++i) {
    values_[i].text = other.values_[i].text;
    values_[i].time = other.values_[i].time;
  }
}

void XXFieldValues::copyValuesTo(XXRowValues& row) const {
  row.texts.resize(values_.size());
  row.times.resize(values_.size());
  for (size_t i = 0; i < values_.size(); ++i) {
    row.texts[i] = values_[i].text;
    row.times[i] = values_[i].time;
  }
}

void XXFieldValues::copyValuesFrom(const XXRowValues& row) {
  for (size_t i = 0; i < values_.size() && i < row.texts.size(); ++i) {
    values_[i].text = row.texts[i];
    values_[i].time = row.times[i];
  }
}
