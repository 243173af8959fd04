// QNDB: the object behind IQXDB, the database library's one object.
//
// It holds the connection, the tables of the open data source in catalogue order and the
// message list. Every operation catches whatever goes wrong below it and turns it into one
// message line and its failure value, so nothing crosses the library boundary.
//
// getDBName lists the data sources and asks the chooser the host installed (a C function
// named kQNDBChooserSymbol, found at call time); with none the choice is empty. The chooser
// is looked up through a function that tests may replace.
//
// Rows go in grouped in transactions (XXRowBatch), and in arrays of rows where the database
// is behind a server. The open transaction is committed when
// it is full, when a table is closed, before a free SQL statement (so that the statement
// sees every row written before it) and when the connection is closed; a commit that fails
// makes that operation fail, with the database's reason and the rows lost as message lines.
#pragma once

#include "dblib/IQXDB.h"
#include "dblib/ODBCConnection.h"
#include "dblib/XXMsgList.h"
#include "dblib/XXRowBatch.h"
#include "dblib/XXTable.h"

#include <memory>
#include <string>
#include <vector>

class QNDB final : public IQXDB {
public:
  using ChooserLookup = QNDBChooserFn (*)();

  explicit QNDB(ChooserLookup chooserLookup = &QNDB::installedChooser);
  // Not copyable: it owns a connection.
  QNDB(const QNDB&) = delete;
  QNDB& operator=(const QNDB&) = delete;
  // Disconnects a connection the host left open.
  ~QNDB();

  // The chooser installed in the process, or null.
  static QNDBChooserFn installedChooser();

  const char* getDBName() noexcept override;
  uint8_t open(const char* dataSource) noexcept override;
  int32_t close() noexcept override;
  int32_t getTableCount() noexcept override;
  const char* getTableName(int32_t table) noexcept override;
  int32_t getFieldCount(int32_t table) noexcept override;
  const char* getFieldName(int32_t table, int32_t field) noexcept override;
  int32_t getFieldType(int32_t table, int32_t field) noexcept override;
  uint8_t putField(int32_t table, int32_t field, const char* bytes, int32_t length,
                   uint8_t reset) noexcept override;
  uint8_t putFieldText(int32_t table, int32_t field, const char* bytes, int32_t length,
                       uint8_t reset) noexcept override;
  uint8_t putFieldW(int32_t table, int32_t field, const char16_t* text, int32_t length,
                    uint8_t reset) noexcept override;
  uint8_t openTable(int32_t table) noexcept override;
  uint8_t rowOut(int32_t table) noexcept override;
  uint8_t closeTable(int32_t table) noexcept override;
  uint8_t exeSQL(const char* statement) noexcept override;
  int32_t getMsgCount() noexcept override;
  const char* getMsg(int32_t line) noexcept override;
  void clearMsgs() noexcept override;
  void cancel() noexcept override;

private:
  // The table at `index`, or null after reporting "Invalid table index: N".
  XXTable* table(int32_t index);
  bool connectAndReadCatalogue(const char* dataSource);
  void closeAll() noexcept;

  XXMsgList messages_;
  ODBCConnection connection_;
  std::vector<std::unique_ptr<XXTable>> tables_;
  XXRowBatch batch_{connection_, tables_, messages_};
  std::string chosenName_;
  bool open_ = false;
  bool arrays_ = false;  // rows go in arrays (see XXRowBatch)
  ChooserLookup chooserLookup_;
  bool codePageReported_ = false;
};
