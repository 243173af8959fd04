#include "run/RunLog.h"

#include <cstdio>
#include <ctime>

#include "foundation/XXERROR.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/platformfile.h"
#include "run/DirSearch.h"

RunLog::~RunLog() { close(); }

bool RunLog::open(const char* name, bool append) {
    close();
    writeFailed_ = false;
    reason_ = "";
    file_.setLocking(true);
    file_.setCallerReports(true);
    if (!makeFoldersFor(name)) {
        reason_ = systemErrorText(lastSystemError()).c_str();
        return false;
    }
    if (!file_.open(name, append ? XXSTREAM::appendText : XXSTREAM::writeText)) {
        reason_ = file_.lastErrorText();
        return false;
    }
    previous_ = setRunLog(this);
    installed_ = true;
    return true;
}

void RunLog::close() {
    if (installed_) {
        setRunLog(previous_);
        installed_ = false;
        previous_ = nullptr;
    }
    if (file_.isOpen()) {
        file_.flush();
        checkWrite();
        file_.close();
    }
}

bool RunLog::holds(const FileId& id) const {
    FileId own;
    return fileIdOf(file_, own) && own == id;
}

void RunLog::checkWrite() {
    if (writeFailed_ || !file_.failed()) return;
    writeFailed_ = true;
    // Straight to the error path: an Error past its limit would be written to this log.
    XXSTRING text("Unable to write ");
    text << file_.getPath() << ": " << file_.lastErrorText();
    reportError(text);
}

void RunLog::logWrite(const char* text, int32_t length) {
    if (!file_.isOpen()) return;
    if (length > 0) file_.write(text, length);
    if (length <= 0 || text[length - 1] != '\n') file_.write("\n", 1);
    // Flushed at once, so that the log can be followed while a long run goes on.
    file_.flush();
    checkWrite();
}

void RunLog::writeLine(const char* text) {
    if (!file_.isOpen()) return;
    file_.writeLine(text);
    checkWrite();
}

std::string runStartLine(const char* appTag, const char* definition) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const time_t seconds = ts.tv_sec;
    struct tm local {};
    localtime_r(&seconds, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%4d-%02d-%02d  %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, int(ts.tv_nsec / 1000000));
    std::string line = stamp;
    line.append("  ").append(appTag ? appTag : "").append(" ").append(loadString(1118));
    line.append(" [").append(definition ? definition : "").append("]");
    return line;
}

std::string elapsedLine(int32_t milliseconds) {
    char text[64];
    std::snprintf(text, sizeof text, " %.3f %s", milliseconds * 0.001, loadString(1218));
    return text;
}

std::string runCompleteLine(const char* appTag) {
    return std::string(appTag ? appTag : "") + " " + loadString(1119);
}
