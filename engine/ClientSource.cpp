#include "engine/ClientSource.h"

#include <cstring>
#include <ctime>

#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/platform.h"

namespace {

// Local time with milliseconds.
struct LocalNow {
    struct tm fields {};
    int32_t millis = 0;
};

LocalNow localNow() {
    LocalNow now;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const time_t seconds = ts.tv_sec;
    localtime_r(&seconds, &now.fields);
    now.millis = int32_t(ts.tv_nsec / 1000000);
    return now;
}

const unsigned char kNoBytes[2] = {0, 0};

}  // namespace

ClientSource::ClientSource(XXID labelId) : name(loadString(labelId)), id(labelId) {}

ClientSource::ClientSource(const char* label) : name(label ? label : "") {}

void ClientSource::update() {}

void ClientSource::set(const unsigned char* text) { setText(reinterpret_cast<const char*>(text)); }

void ClientSource::setText(const char* text) {
    clear();
    appendText(XXSTRING(text ? text : ""));
}

void StreamName::set(const unsigned char*) { Tracer("StreamName::set") << "PVF: StreamName::set ( BYTE * )" << endMsg; }

void StreamName::setFromPath(const char* path) { setText(nameOf(path ? path : "").c_str()); }

void DateYYYYMMDD::update() {
    const LocalNow now = localNow();
    char text[32];
    snprintf(text, sizeof text, "%4d-%02d-%02d", now.fields.tm_year + 1900, now.fields.tm_mon + 1, now.fields.tm_mday);
    setText(text);
}

void Time24::update() {
    const LocalNow now = localNow();
    char text[32];
    snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", now.fields.tm_hour, now.fields.tm_min, now.fields.tm_sec,
             now.millis);
    setText(text);
}

bool InputBuffer::loaded() const {
    if (buffer_ && buffer_->isLoaded()) return true;
    XXMSG log(2);
    log << loadString(1049) << endMsg;
    return false;
}

const unsigned char* InputBuffer::getBytes() const { return loaded() ? buffer_->data() : kNoBytes; }

int32_t InputBuffer::getByteCount() const {
    if (!buffer_ || !buffer_->isLoaded()) return 0;
    return buffer_->getCount();
}
