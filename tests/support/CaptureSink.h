// Test support: captures what the error path reports and what the run log receives, so
// tests can assert the exact texts. Installed for the life of the object.
#pragma once

#include <string>
#include <vector>

#include "foundation/XXERROR.h"
#include "foundation/XXMSG.h"

class CaptureSink final : public IXXSINK, public IXXLOG {
public:
    std::vector<std::string> errors;
    std::vector<std::string> infos;
    std::vector<std::string> logLines;

    CaptureSink() : previousSink_(setErrorSink(this)), previousLog_(setRunLog(this)) {
        resetErrorCount();
    }
    ~CaptureSink() override {
        setErrorSink(previousSink_);
        setRunLog(previousLog_);
        resetErrorCount();
    }
    CaptureSink(const CaptureSink&) = delete;
    CaptureSink& operator=(const CaptureSink&) = delete;

    void error(const char* text) override { errors.emplace_back(text); }
    void information(const char* text) override { infos.emplace_back(text); }
    void logWrite(const char* text, int32_t length) override { logLines.emplace_back(text, size_t(length)); }

    // Whether any reported error contains `part`.
    bool sawError(const std::string& part) const {
        for (const auto& e : errors)
            if (e.find(part) != std::string::npos) return true;
        return false;
    }
    void clear() {
        errors.clear();
        infos.clear();
        logLines.clear();
    }

private:
    IXXSINK* previousSink_;
    IXXLOG* previousLog_;
};
