#include "tests/library/QuilcoreLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <mutex>

namespace {

std::mutex kept;
std::vector<Message> messages;

template <typename F>
void bind(void* handle, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(handle, name));
    if (!function) ADD_FAILURE() << "libquilcore.so does not export " << name;
}

}  // namespace

std::string QuilcoreLibrary::path() const { return std::string(QUILLON_BIN_DIR) + "/libquilcore.so"; }

QuilcoreLibrary& QuilcoreLibrary::instance() {
    static QuilcoreLibrary lib = [] {
        QuilcoreLibrary l;
        l.handle = dlopen(l.path().c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!l.handle) {
            ADD_FAILURE() << "cannot load " << l.path() << ": " << dlerror();
            return l;
        }
        bind(l.handle, "QNLib__setMsg", l.setMsg);
        bind(l.handle, "QNLib__load", l.load);
        bind(l.handle, "QNLib__loadReported", l.loadReported);
        bind(l.handle, "QNLib__unload", l.unload);
        bind(l.handle, "QNLib__run", l.run);
        bind(l.handle, "QNLib__scan", l.scan);
        bind(l.handle, "QNLib__set", l.set);
        bind(l.handle, "QNLib__get", l.get);
        bind(l.handle, "QNLib__getN", l.getN);
        bind(l.handle, "QNLib__runFiles", l.runFiles);
        bind(l.handle, "QNLib__setProgress", l.setProgress);
        bind(l.handle, "NewQN01", l.newClient);
        bind(l.handle, "ZapQN01", l.zapClient);
        return l;
    }();
    return lib;
}

void keepMessage(int32_t kind, const char* text) {
    std::lock_guard<std::mutex> lock(kept);
    messages.emplace_back(kind, text ? text : "");
}

std::vector<Message> takeMessages() {
    std::lock_guard<std::mutex> lock(kept);
    std::vector<Message> taken;
    taken.swap(messages);
    return taken;
}

std::vector<std::string> textsOf(const std::vector<Message>& all, int32_t kind) {
    std::vector<std::string> out;
    for (const auto& [k, text] : all)
        if (k == kind) out.push_back(text);
    return out;
}

std::string valueText(const char* value, int32_t length) {
    return value && length > 0 ? std::string(value, size_t(length)) : std::string();
}
