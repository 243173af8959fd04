#include "foundation/XXLIB.h"

#include <dlfcn.h>

#include "foundation/XXMSG.h"

void XXLIB::setFileName(const char* fileName) {
    unload();
    fileName_ = fileName;
    failed_ = false;
}

bool XXLIB::load() {
    if (handle_) return true;
    if (failed_ || fileName_.length() == 0) return false;
    // RTLD_LOCAL keeps each library's symbols to itself, as separate modules are.
    handle_ = dlopen(fileName_.text(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_ && !fallback_.empty()) handle_ = dlopen(fallback_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        failed_ = true;
        Error e;
        e << "Unable to load " << fileName_.text() << endMsg;
    }
    return handle_ != nullptr;
}

void XXLIB::unload() {
    if (!handle_) return;
    dlclose(handle_);
    handle_ = nullptr;
}

void* XXLIB::symbol(const char* name) const {
    if (!handle_ || isBlank(name)) return nullptr;
    return dlsym(handle_, name);
}
