// Test support: libquilcore.so as a host sees it. The library of the build is loaded once
// with dlopen and its exports are looked up by name; the messages it sends to the
// installed callback are kept (from any thread) until taken.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "include/quilcore.h"

struct QuilcoreLibrary {
    void* handle = nullptr;
    decltype(&QNLib__setMsg) setMsg = nullptr;
    decltype(&QNLib__load) load = nullptr;
    decltype(&QNLib__loadReported) loadReported = nullptr;
    decltype(&QNLib__unload) unload = nullptr;
    decltype(&QNLib__run) run = nullptr;
    decltype(&QNLib__scan) scan = nullptr;
    decltype(&QNLib__set) set = nullptr;
    decltype(&QNLib__get) get = nullptr;
    decltype(&QNLib__getN) getN = nullptr;
    decltype(&QNLib__runFiles) runFiles = nullptr;
    decltype(&QNLib__setProgress) setProgress = nullptr;
    decltype(&NewQN01) newClient = nullptr;
    decltype(&ZapQN01) zapClient = nullptr;

    // The library, loaded at the first call (a failure to load fails the test).
    static QuilcoreLibrary& instance();
    std::string path() const;
};

// A message the library sent: kind and text.
using Message = std::pair<int32_t, std::string>;

// The callback the tests install; it keeps every message.
void keepMessage(int32_t kind, const char* text);
// The messages kept since the last call, in order.
std::vector<Message> takeMessages();
// The texts of one kind among them.
std::vector<std::string> textsOf(const std::vector<Message>& messages, int32_t kind);

// The value a get call handed out, as a string ("" for none).
std::string valueText(const char* value, int32_t length);
