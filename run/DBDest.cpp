#include "run/DBDest.h"

#include "foundation/XXSTRING.h"

int32_t DBDest::write(const unsigned char* bytes, int32_t length, bool reset) {
    if (!db_) return 0;
    return result(db_->putField(table_, column_, reinterpret_cast<const char*>(bytes), length, reset));
}

int32_t DBDest::writeText(const char* text, int32_t length, bool reset) {
    if (!db_) return 0;
    return result(db_->putFieldText(table_, column_, text, length, reset));
}

int32_t DBDest::writeWide(const XXWCHAR* text, int32_t length, bool reset) {
    if (!db_) return 0;
    return result(db_->putFieldW(table_, column_, text, length, reset));
}

int32_t DBDest::writeString(const XXSTRING& text, bool reset) {
    if (text.isWide) return writeWide(text.wtext(), text.wide.length(), reset);
    return writeText(text.text(), text.length(), reset);
}

int32_t DBDest::writeWString(const XXWSTRING& text, bool reset) {
    return writeWide(text.text(), text.length(), reset);
}

int32_t DBDest::putByte(unsigned char byte) { return bytes_.add(byte) ? 2 : 0; }

int32_t DBDest::flushBytes(bool reset) {
    const int32_t n = bytes_.count;
    const int32_t r = write(bytes_.data() ? bytes_.data() : reinterpret_cast<const unsigned char*>(""), n, reset);
    bytes_.count = 0;
    return r;
}

int32_t DBDest::notify(int32_t event, const char*) {
    if (event == 6) return close();
    return 2;
}

int32_t DBDest::close() {
    if (!db_) return 0;
    return result(db_->closeTable(table_));
}
