// Operating-system services used by the foundation: the module's own location and time.
#pragma once

#include <cstdint>
#include <string>

// The full path of the module (program or shared library) that contains this code.
std::string modulePath();
// The directory of system libraries, with a trailing separator.
std::string systemDirectory();
// `fileName`'s name and extension joined to the directory of this module.
std::string modulePathOf(const std::string& fileName);
// The directory part of a path, with its trailing '/', or "" when it has none.
std::string directoryOf(const std::string& path);
// The name and extension part of a path.
std::string nameOf(const std::string& path);

// Milliseconds of a monotonic clock (for elapsed times).
int64_t tickCount();
