// Small text functions used throughout the system.
#pragma once

// Non-empty and every character a decimal digit or '-'.
bool isInteger(const char* text);
// An integer text converts with atol (so "12-3" gives 12); an empty or null text gives 0.
// Any other text fails and leaves `out` untouched.
bool toLong(const char* text, long& out);
// Empty, "false" in any case, or the single letter f/F give false; an integer text gives
// its value != 0; any other text gives true.
bool toBool(const char* text);
// A '?' or '*' is present.
bool hasWildcard(const char* text);
