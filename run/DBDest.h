// DBDest: one column of one table of the connected database as a destination.
//
// Writes stage a value for the column through IQXDB (putField, putFieldText, putFieldW),
// passing the reset flag on, so "Send to" starts the column's value and "Append to" adds to
// it; the row itself is written by the OutputTableRow action (Destinations::event 4). Node
// output collects its bytes with putByte and stages them in one piece at flushBytes.
// Closing (and event 6) closes the table.
#pragma once

#include <cstdint>

#include "dblib/IQXDB.h"
#include "engine/Destination.h"
#include "foundation/XXFARRAY.h"

class DBDest : public Destination {
public:
    DBDest(IQXDB* db, int32_t table, int32_t column) : db_(db), table_(table), column_(column) {}

    int32_t write(const unsigned char* bytes, int32_t length, bool reset) override;
    int32_t writeText(const char* text, int32_t length, bool reset) override;
    int32_t writeWide(const XXWCHAR* text, int32_t length, bool reset) override;
    int32_t writeString(const XXSTRING& text, bool reset) override;
    int32_t writeWString(const XXWSTRING& text, bool reset) override;
    int32_t putByte(unsigned char byte) override;
    int32_t flushBytes(bool reset) override;
    int32_t open() override { return db_ ? 2 : 0; }
    int32_t reset() override { return 2; }
    int32_t notify(int32_t event, const char* inputName) override;
    int32_t ensureOpen() override { return db_ ? 2 : 0; }
    int32_t close() override;

    int32_t table() const { return table_; }
    int32_t column() const { return column_; }

private:
    static int32_t result(uint8_t ok) { return ok ? 2 : 0; }

    IQXDB* db_;
    int32_t table_;
    int32_t column_;
    XXFARRAYI<unsigned char> bytes_;
};
