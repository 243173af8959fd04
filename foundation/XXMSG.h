// Message objects: XXMSG and its kinds Error and Tracer, and the run-log hook.
//
// A message collects text with << and is emitted by a manipulator (or, if text is left,
// when it is destroyed). Its mode says where it goes: 1 a message box (the installed sink's
// information or error path), 2 the run log of the current thread, 3 nowhere; 0 means the
// process default, which is 1.
//
// Error and Tracer boxes share one process-wide counter. The first 10 errors are reported,
// errors 11 to 1000 go to the run log, and the 1001st resets the counter and throws an
// XXSTRING, which ends the current run. Tracer (internal faults) throws from its 11th report.
// A message emitted by its destructor never throws; past the limit it goes to the log.
#pragma once

#include <cstdint>

#include "foundation/XXSTRING.h"

// Framework base of objects that are handled through a base pointer.
class XX {
public:
    virtual ~XX() = default;
};

// Where mode-2 messages of the current thread's run are written.
class IXXLOG {
public:
    virtual ~IXXLOG() = default;
    virtual void logWrite(const char* text, int32_t length) = 0;
};

// Sets the run log of the calling thread (nullptr: mode-2 messages are dropped); returns the
// previous one. Each run installs its own log on its own thread.
IXXLOG* setRunLog(IXXLOG* log);
IXXLOG* runLog();

// The process-wide count of run-log writes.
int32_t logWriteCount();
// The process-wide count of Error and Tracer reports.
int32_t errorCount();
void resetErrorCount();
// The mode that mode 0 resolves to (1 unless changed).
void setDefaultMsgMode(int32_t mode);
int32_t defaultMsgMode();

class XXMSG : public XX {
public:
    XXSTRING text;
    int32_t mode = 0;

    XXMSG() = default;
    explicit XXMSG(int32_t m) : mode(m) {}
    ~XXMSG() override;

    template <typename T>
    XXMSG& operator<<(const T& value) {
        text << value;
        return *this;
    }
    XXMSG& operator<<(const char* value) {
        text << value;
        return *this;
    }
    XXMSG& operator<<(XXMSG& (*manipulator)(XXMSG&)) { return manipulator(*this); }

    // Sends the text where the mode says, then clears it.
    virtual void emit();

protected:
    int32_t resolvedMode() const;
    void writeToLog();
    // False in destructors and during unwinding: an over-limit report is then logged rather
    // than thrown.
    bool mayThrow() const;
    bool destroying = false;
};

// Engine and definition errors.
class Error : public XXMSG {
public:
    using XXMSG::XXMSG;
    ~Error() override;
    void emit() override;
};

// Internal-fault reports, titled with class and method ("XXGRID::getFld").
class Tracer : public XXMSG {
public:
    XXSTRING title;
    explicit Tracer(const char* t, int32_t m = 0) : XXMSG(m), title(t) {}
    ~Tracer() override;
    void emit() override;
};

// Manipulators: emit with the object's mode; append "\n"; emit to the log; emit to the log
// without counting the write; emit in a box; discard.
XXMSG& endMsg(XXMSG& m);
XXMSG& newline(XXMSG& m);
XXMSG& toLog(XXMSG& m);
XXMSG& quietLog(XXMSG& m);
XXMSG& toBox(XXMSG& m);
XXMSG& discard(XXMSG& m);
