// The public header compiles on its own (this file is built with -pedantic -Werror) and
// keeps the shape hosts rely on: an abstract class of virtual operations and nothing else.
#include "dblib/IQXDB.h"

#include <type_traits>

static_assert(std::is_abstract_v<IQXDB>);
static_assert(!std::has_virtual_destructor_v<IQXDB>, "hosts release through ReleaseIDB");
static_assert(!std::is_destructible_v<IQXDB>, "not deleted through the interface");
static_assert(sizeof(IQXDB) == sizeof(void*), "one table of operations, no data");
static_assert(std::is_same_v<decltype(&IQXDB::getMsg), const char* (IQXDB::*)(int32_t) noexcept>);
