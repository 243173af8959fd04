// Linked into every test program. Allocation failures are part of what the tests check, so
// the address sanitizer's allocator returns null for an impossible request instead of
// ending the program.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
