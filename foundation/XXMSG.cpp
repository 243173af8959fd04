#include "foundation/XXMSG.h"

#include <atomic>
#include <exception>

#include "foundation/XXERROR.h"
#include "foundation/XXSTRTABLE.h"

namespace {

constexpr int32_t kErrorsReported = 10;
constexpr int32_t kErrorsLogged = 1000;
constexpr int32_t kTracerReports = 10;

std::atomic<int32_t> errors{0};
std::atomic<int32_t> logWrites{0};
std::atomic<int32_t> defaultMode{1};
thread_local IXXLOG* currentLog = nullptr;

// Counts one error report. Past `limit` the count starts again and the message's text is
// thrown, which ends the current run; the message is emptied first so that it is not
// reported a second time by its destructor.
int32_t countError(XXSTRING& text, int32_t limit, bool mayThrow) {
    const int32_t n = errors.fetch_add(1) + 1;
    if (n > limit && mayThrow) {
        errors.store(0);
        XXSTRING abort(text);
        text = "";
        throw abort;
    }
    return n;
}

}  // namespace

IXXLOG* setRunLog(IXXLOG* log) {
    IXXLOG* previous = currentLog;
    currentLog = log;
    return previous;
}
IXXLOG* runLog() { return currentLog; }

int32_t logWriteCount() { return logWrites.load(); }
int32_t errorCount() { return errors.load(); }
void resetErrorCount() { errors.store(0); }
void setDefaultMsgMode(int32_t mode) { defaultMode.store(mode); }
int32_t defaultMsgMode() { return defaultMode.load(); }

// --- XXMSG -------------------------------------------------------------------------------

XXMSG::~XXMSG() {
    if (text.length() > 0) XXMSG::emit();
}

int32_t XXMSG::resolvedMode() const { return mode == 0 ? defaultMode.load() : mode; }

void XXMSG::writeToLog() {
    if (currentLog) currentLog->logWrite(text.text(), text.length());
    logWrites.fetch_add(1);
}

bool XXMSG::mayThrow() const { return !destroying && std::uncaught_exceptions() == 0; }

void XXMSG::emit() {
    switch (resolvedMode()) {
    case 1: reportInformation(text); break;
    case 2: writeToLog(); break;
    default: break;
    }
    text = "";
}

// --- Error -------------------------------------------------------------------------------

Error::~Error() {
    destroying = true;
    if (text.length() > 0) emit();
    text = "";
}

void Error::emit() {
    const int32_t m = resolvedMode();
    if (m == 1) {
        const int32_t n = countError(text, kErrorsLogged, mayThrow());
        if (n <= kErrorsReported)
            reportError(text);
        else
            writeToLog();
    } else if (m == 2) {
        writeToLog();
    }
    text = "";
}

// --- Tracer ------------------------------------------------------------------------------

Tracer::~Tracer() {
    destroying = true;
    if (text.length() > 0) emit();
    text = "";
}

void Tracer::emit() {
    const int32_t m = resolvedMode();
    if (m == 1) {
        const int32_t n = countError(text, kTracerReports, mayThrow());
        if (n <= kTracerReports) {
            XXSTRING report(loadString(15));
            report << ":\n" << title << " :\n" << text << "\n";
            reportError(report);
        } else {
            writeToLog();
        }
    } else if (m == 2) {
        writeToLog();
    }
    text = "";
}

// --- manipulators ------------------------------------------------------------------------

XXMSG& endMsg(XXMSG& m) {
    m.emit();
    return m;
}

XXMSG& newline(XXMSG& m) {
    m.text << "\n";
    return m;
}

XXMSG& toLog(XXMSG& m) {
    m.mode = 2;
    m.emit();
    return m;
}

XXMSG& quietLog(XXMSG& m) {
    const int32_t before = logWrites.load();
    toLog(m);
    logWrites.exchange(before);
    return m;
}

XXMSG& toBox(XXMSG& m) {
    m.mode = 1;
    m.emit();
    return m;
}

XXMSG& discard(XXMSG& m) {
    m.mode = 3;
    m.emit();
    return m;
}
