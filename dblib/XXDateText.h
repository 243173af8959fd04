// XXDateText: reads a calendar date and time out of free text such as "12/25/98 3:04:05 pm"
// or "Dec 25, 2001".
//
// The text is scanned once, left to right, in tokens: runs of one or two digits fill up to
// six numeric slots in order; a four-digit run is the year; a three-letter month or weekday
// abbreviation is recognised by its first three letters (the weekday is then ignored); a
// trailing "pm" or "p.m." moves the hour into the afternoon; every other character is a
// token of its own and is passed over. The slots are then read as month (unless a month name
// was seen), day, year (unless four digits gave it), hour, minute, second. A two-digit year
// below 70 is in the 2000s, any other in the 1900s.
//
// Fields that the text does not give stay -1; the caller decides what that means. The scan
// stops after 30 tokens: a longer text, a seventh one- or two-digit number or an empty text
// make the parse fail, but whatever was found is delivered all the same.
// Tests: tests/dblib/XXDateTextTest.cpp.
#pragma once

#include <cstdint>

struct XXDateFields {
  int32_t year = -1;
  int32_t month = -1;
  int32_t day = -1;
  int32_t hour = -1;
  int32_t minute = -1;
  int32_t second = -1;
};

// Parses `length` bytes of `text` (null fails). Returns whether the text parsed; `fields`
// is filled either way.
bool parseDateText(const char* text, int32_t length, XXDateFields& fields);
