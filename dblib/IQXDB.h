// IQXDB: the interface of the database library (libqndb.so) as its hosts see it.
//
// A host loads the library by name with dlopen, takes the two C exports below, and works
// through the one IQXDB object that GetIDB hands out until it gives it back with ReleaseIDB.
// The object belongs to the library; so does every text it returns, which stays valid until
// the table list or the message list it comes from changes (copy what you keep).
//
// Table and field indexes are zero-based. A bad table index is reported as the message line
// "Invalid table index: N" and gives the operation's failure value (empty text, 0, or -1 for
// getFieldType). Every failure of the library becomes one line of the message list; nothing
// is thrown out of it.
//
// This header is self-contained and free of ODBC types, so any host can include it.
#pragma once

#include <cstdint>

class IQXDB {
public:
  // Lists the data sources, lets the host's chooser pick one (see QNDBChooserFn) and returns
  // its name; empty when no chooser is installed, the user cancelled or it cannot connect.
  // The name is remembered for rowOut's reconnection and nothing else.
  virtual const char* getDBName() noexcept = 0;
  // Connects to the named data source and reads its tables and columns; 1 on success.
  virtual uint8_t open(const char* dataSource) noexcept = 0;
  // Commits the rows written so far, closes every table and disconnects. The result has no
  // meaning; a failed commit leaves its message lines.
  virtual int32_t close() noexcept = 0;
  virtual int32_t getTableCount() noexcept = 0;
  virtual const char* getTableName(int32_t table) noexcept = 0;
  // Number of columns of the table, 0 on a bad table index.
  virtual int32_t getFieldCount(int32_t table) noexcept = 0;
  // Column name; empty text (and no message) for a bad field index.
  virtual const char* getFieldName(int32_t table, int32_t field) noexcept = 0;
  // ODBC SQL type code of the column (ODBC 2 codes: 9 date, 10 time, 11 timestamp); -1 when
  // the table or field index is bad.
  virtual int32_t getFieldType(int32_t table, int32_t field) noexcept = 0;
  // Appends `length` bytes to the staged value of the column, after emptying it when `reset`
  // is non-zero. Date, time and timestamp columns also parse the bytes as a date; a date that
  // does not parse gives an "Invalid Date" message line and 0.
  virtual uint8_t putField(int32_t table, int32_t field, const char* bytes, int32_t length,
                           uint8_t reset) noexcept = 0;
  // Same as putField.
  virtual uint8_t putFieldText(int32_t table, int32_t field, const char* bytes, int32_t length,
                               uint8_t reset) noexcept = 0;
  // As putField for `length` UTF-16 code units, converted to the narrow code page first.
  // An empty or null text returns 0 and changes nothing, not even with `reset`.
  virtual uint8_t putFieldW(int32_t table, int32_t field, const char16_t* text, int32_t length,
                            uint8_t reset) noexcept = 0;
  // Opens the table for writing; 1 when it opened.
  virtual uint8_t openTable(int32_t table) noexcept = 0;
  // Inserts the staged values as one new row and resets them; 1 when a row was added. When
  // disconnected, reconnects first to the source that getDBName chose, if any.
  // Rows are grouped in transactions of a few thousand rows: a row is durable once its
  // transaction is committed, by closeTable, exeSQL or close, or with the row that fills the
  // transaction. A commit that fails loses the transaction's rows and makes the operation
  // that committed return 0, with the reason and the rows lost as message lines.
  // With a database behind a server, rows are sent a hundred at a time: a row is then queued
  // (1), and a row the database refuses is reported by the call that sends it (a later
  // rowOut, closeTable, exeSQL or close), which returns 0 with the reason and a line
  // "Row refused: table T (column=value, ...)" naming the row; the other rows go in.
  virtual uint8_t rowOut(int32_t table) noexcept = 0;
  // Commits the rows written so far (to every table) and closes the table; 1 unless the
  // commit failed.
  virtual uint8_t closeTable(int32_t table) noexcept = 0;
  // Commits the rows written so far, then executes the statement directly; 1 unless either
  // failed (also 1 when not connected, where nothing is done).
  virtual uint8_t exeSQL(const char* statement) noexcept = 0;
  virtual int32_t getMsgCount() noexcept = 0;
  // Message line; empty text for a line index out of range.
  virtual const char* getMsg(int32_t line) noexcept = 0;
  virtual void clearMsgs() noexcept = 0;
  // The one call that may come from another thread while an operation is under way: asks the
  // driver to stop the statement it is executing (a row or a statement kept waiting by a lock,
  // say), which then fails with the driver's reason. Does nothing when none is executing.
  virtual void cancel() noexcept = 0;

protected:
  // Not deleted through the interface: ReleaseIDB destroys the object.
  ~IQXDB() = default;
};

extern "C" {
// GetIDB: creates the library's object; null when it cannot be allocated.
using QNGetIDBFn = IQXDB* (*)();
// ReleaseIDB: destroys an object from GetIDB; null is ignored. Call close first.
using QNReleaseIDBFn = void (*)(IQXDB*);
// The data-source chooser a host may install: a C function with default visibility named
// kQNDBChooserSymbol anywhere in the process (an executable exports it with -rdynamic).
// It gets the names and descriptions of `count` data sources and returns the index of the
// one the user picked, or -1 when the user cancelled.
using QNDBChooserFn = int32_t (*)(const char* const* names, const char* const* descriptions,
                                  int32_t count);
}

inline constexpr const char* kQNDBLibraryFile = "libqndb.so";
inline constexpr const char* kGetIDBSymbol = "GetIDB";
inline constexpr const char* kReleaseIDBSymbol = "ReleaseIDB";
inline constexpr const char* kQNDBChooserSymbol = "QNDBChooseDataSource";
