// The string table: every numbered label, caption and message of the system, compiled in.
#pragma once

#include <cstdint>

// The text of string `id`, at most 255 characters; the empty text for a number that is not
// in the table. The pointer stays valid for the life of the process.
const char* loadString(int32_t id);
