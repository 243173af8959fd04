// Linked into every test program. Allocation failures are part of what the tests check, so
// the address sanitizer's allocator returns null for an impossible request instead of
// ending the program.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

// VMime 0.9.2 leaks a few bytes of every IMAP response it parses for a SELECT (its own
// folder opening does it too); those are not ours to fix.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvmime.so\n";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
