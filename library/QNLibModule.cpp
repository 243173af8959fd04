#include "library/QNLibModule.h"

#include <atomic>
#include <cstdio>

#include "foundation/XXERROR.h"
#include "foundation/platform.h"
#include "library/QNLib.h"

namespace {

std::atomic<QNMsgCallback> hostCallback{nullptr};

std::string& directoryStore() {
    static std::string dir;
    return dir;
}

// The error path of every client of the library.
class CallbackSink final : public IXXSINK {
public:
    void error(const char* text) override { QNLibModule::send(1, text); }
    void information(const char* text) override { QNLibModule::send(0, text); }
};

CallbackSink sink;

}  // namespace

void QNLibModule::attach() {
    directoryStore() = directoryOf(modulePath());
    setErrorSink(&sink);
}

const std::string& QNLibModule::directory() { return directoryStore(); }

void QNLibModule::setCallback(QNMsgCallback callback) { hostCallback.store(callback, std::memory_order_release); }

QNMsgCallback QNLibModule::callback() { return hostCallback.load(std::memory_order_acquire); }

void QNLibModule::send(int32_t kind, const char* text, QNMsgCallback target) {
    if (!target) target = callback();
    if (target) {
        target(kind, text ? text : "");
    } else if (kind != 0) {
        std::fprintf(stderr, "Error: %s\n", text ? text : "");
    }
}

QNLib& QNLibModule::client() {
    static QNLib builtIn;
    return builtIn;
}
