#include "foundation/platform.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

std::string realPath(const char* path) {
    char resolved[PATH_MAX];
    return realpath(path, resolved) ? std::string(resolved) : std::string();
}

}  // namespace

std::string modulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&modulePath), &info) && info.dli_fname && *info.dli_fname) {
        // The main program's name comes back as it was started (possibly relative).
        std::string path = realPath(info.dli_fname);
        if (!path.empty() && path.find('/') != std::string::npos) return path;
    }
    return realPath("/proc/self/exe");
}

std::string systemDirectory() { return "/usr/lib/"; }

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string modulePathOf(const std::string& fileName) {
    return directoryOf(modulePath()) + nameOf(fileName);
}

int64_t tickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
