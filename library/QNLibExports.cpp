// The C exports of libquilcore.so (include/quilcore.h). This file is the library's whole
// external interface: every other symbol is hidden (see quilcore.map).
//
// The flat QNLib__ functions work on the library's own client; NewQN01 and ZapQN01 make
// and destroy independent ones. Nothing is thrown across the boundary (QNLibGuard.h).
#include <new>
#include <string>
#include <vector>

#include "definitions/PXDefIO.h"
#include "foundation/XXINST.h"
#include "foundation/XXSTREAM.h"
#include "include/quilcore.h"
#include "library/QNLib.h"
#include "library/QNLibGuard.h"
#include "library/QNLibModule.h"

namespace {

// Notes the library's directory and installs its error sink when the library is attached.
struct Attach {
    Attach() { QNLibModule::attach(); }
} attach;

// The `count` texts at `texts` as a list; false when count is negative or a text is null.
bool textList(const char* const* texts, int32_t count, std::vector<std::string>& list) {
    if (count < 0 || (count > 0 && !texts)) return false;
    for (int32_t i = 0; i < count; ++i) {
        if (!texts[i]) return false;
        list.emplace_back(texts[i]);
    }
    return true;
}

}  // namespace

// The C face of IQN01 is a pointer to a table of thirteen functions: the C++ object must
// be exactly that pointer.
static_assert(sizeof(IQN01) == sizeof(void*), "IQN01 holds nothing but its table pointer");

extern "C" {

const char* QNLib__version(void) { return "2.8x"; }

const char* QNLib__formatVersion(void) { return PXDefIO::writtenVersion; }

// No guard: it runs in signal handlers, and setting an atomic flag cannot throw.
int32_t QNLib__stop(void) {
    requestStop();
    return 2;
}

int32_t QNLib__setLockWait(int32_t wait) {
    XXSTREAM::setLockWait(wait != 0);
    return 2;
}

int32_t QNLib__outputErrors(void) {
    return guarded("QNLib__outputErrors", 0, [] { return QNLibModule::client().lastRunFailures(); });
}

int32_t QNLib__inputErrors(void) {
    return guarded("QNLib__inputErrors", 0, [] { return QNLibModule::client().unreadInputs(); });
}

int32_t QNLib__runTerminated(void) {
    return guarded("QNLib__runTerminated", 0, [] { return QNLibModule::client().runTerminated() ? 1 : 0; });
}

int32_t QNLib__setMsg(QNMsgCallback callback) {
    return guarded("QNLib__setMsg", 0, [&] { return QNLibModule::client().setMsg(callback); });
}

int32_t QNLib__load(const char* path) {
    return guarded("QNLib__load", 0, [&] { return QNLibModule::client().loadDefinition(path); });
}

int32_t QNLib__loadReported(void) {
    return guarded("QNLib__loadReported", 0,
                   [&] { return QNLibModule::client().definitionStream().readReported ? 1 : 0; });
}

int32_t QNLib__unload(void) {
    return guarded("QNLib__unload", 0, [&] { return QNLibModule::client().unload(); });
}

int32_t QNLib__run(void) {
    return guarded("QNLib__run", 0, [&] { return QNLibModule::client().run(); });
}

int32_t QNLib__scan(const void* bytes, int32_t length) {
    return guarded("QNLib__scan", 0, [&] { return QNLibModule::client().scan(bytes, length); });
}

int32_t QNLib__set(const char* grid, const char* key, int32_t field, const char* text) {
    return guarded("QNLib__set", 0, [&] { return QNLibModule::client().set(grid, key, field, text); });
}

int32_t QNLib__get(const char* grid, const char* key, int32_t field, const char** value, int32_t* length) {
    return guarded("QNLib__get", 0, [&] { return QNLibModule::client().get(grid, key, field, value, length); });
}

int32_t QNLib__getN(const char* name, int32_t* value) {
    return guarded("QNLib__getN", 0, [&] {
        int32_t n = 0;
        const int32_t result = QNLibModule::client().getInt(name, &n);
        if (value) *value = n;
        return result;
    });
}

int32_t QNLib__setTrace(int32_t on) {
    return guarded("QNLib__setTrace", 0, [&] {
        QNLibModule::client().setTrace(on != 0);
        return 2;
    });
}

int32_t QNLib__setLogName(const char* fileName) {
    return guarded("QNLib__setLogName", 0, [&] {
        QNLibModule::client().setLogName(fileName);
        return 2;
    });
}

int32_t QNLib__setDefaultOutput(const char* fileName, int32_t append) {
    return guarded("QNLib__setDefaultOutput", 0, [&] {
        QNLibModule::client().setDefaultOutput(fileName, append != 0);
        return 2;
    });
}

int32_t QNLib__runFiles(const char* const* patterns, int32_t count, int32_t* filesPerPattern) {
    return guarded("QNLib__runFiles", 0, [&] {
        std::vector<std::string> list;
        if (!textList(patterns, count, list)) return 0;
        std::vector<int32_t> found;
        const int32_t result = QNLibModule::client().runFiles(list, filesPerPattern ? &found : nullptr);
        for (size_t i = 0; filesPerPattern && i < found.size(); ++i) filesPerPattern[i] = found[i];
        return result;
    });
}

int32_t QNLib__runURLs(const char* const* urls, int32_t count) {
    return guarded("QNLib__runURLs", 0, [&] {
        std::vector<std::string> list;
        return textList(urls, count, list) ? QNLibModule::client().runURLs(list) : 0;
    });
}

int32_t QNLib__setProgress(QNProgressCallback callback) {
    return guarded("QNLib__setProgress", 0, [&] {
        if (callback)
            QNLibModule::client().setProgress([callback](int32_t files, int64_t bytes) { callback(files, bytes); });
        else
            QNLibModule::client().setProgress(nullptr);
        return 2;
    });
}

IQN01* NewQN01(void) {
    return guarded<IQN01*>("NewQN01", nullptr, [] {
        QNLib* client = new (std::nothrow) QNLib();
        return client ? static_cast<IQN01*>(client) : nullptr;
    });
}

void ZapQN01(IQN01* client) {
    guarded("ZapQN01", 0, [&] {
        // Every IQN01 handed out is the face of a QNLib made by NewQN01.
        delete static_cast<QNLib*>(client);
        return 0;
    });
}

}  // extern "C"
