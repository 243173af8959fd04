// The installed sink of the error path, and the standard-error fallback.
#include "foundation/XXERROR.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "foundation/XXSTRTABLE.h"

namespace {

class StderrSink final : public IXXSINK {
public:
    void error(const char* text) override { std::fprintf(stderr, "Error: %s\n", text); }
    void information(const char* text) override { std::fprintf(stderr, "%s\n", text); }
};

StderrSink stderrSink;
std::atomic<IXXSINK*> installed{nullptr};

IXXSINK& sink() {
    IXXSINK* s = installed.load(std::memory_order_acquire);
    return s ? *s : stderrSink;
}

}  // namespace

IXXSINK* setErrorSink(IXXSINK* s) { return installed.exchange(s, std::memory_order_acq_rel); }

void reportError(const char* text) { sink().error(text ? text : ""); }

void reportError(const char* text, const char* detail) {
    std::string joined = text ? text : "";
    joined += "\n";
    joined += detail ? detail : "";
    sink().error(joined.c_str());
}

void reportError(int32_t stringId) { sink().error(loadString(stringId)); }

void reportInformation(const char* text) { sink().information(text ? text : ""); }
