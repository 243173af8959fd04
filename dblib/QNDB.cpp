// QNDB: the library's operations, each behind one guard that turns failures into lines.
#include "dblib/QNDB.h"

#include "dblib/XXCatalogRecs.h"
#include "dblib/XXCodePage.h"

#include <dlfcn.h>

#include <new>

namespace {

// Runs `record` to note a failure. When even the message line cannot be allocated, the
// failure value is all the caller gets: nothing may leave the library.
template <class Record>
void noteFailure(Record record) noexcept {
  try {
    record();
  } catch (...) {
  }
}

// Runs `body` and returns its result; any failure becomes one message line named after
// `where` and the result is `failure`.
template <class Result, class Body>
Result guarded(XXMsgList& messages, const char* where, Result failure, Body body) noexcept {
  try {
    return body();
  } catch (const ODBCError& e) {
    noteFailure([&] {
      messages.addDatabaseError(std::string(where) + " - CDBException", e.text(), e.code(),
                                e.message());
    });
  } catch (const std::bad_alloc& e) {
    noteFailure(
        [&] { messages.addMemoryError(std::string(where) + " - CMemoryException", e.what()); });
  } catch (...) {
    noteFailure([&] { messages.add(std::string(where) + " - unknown exception"); });
  }
  return failure;
}

}  // namespace

QNDB::QNDB(ChooserLookup chooserLookup) : chooserLookup_(chooserLookup) {}

QNDB::~QNDB() { closeAll(); }

QNDBChooserFn QNDB::installedChooser() {
  return reinterpret_cast<QNDBChooserFn>(dlsym(RTLD_DEFAULT, kQNDBChooserSymbol));
}

XXTable* QNDB::table(int32_t index) {
  if (index < 0 || index >= getTableCount()) {
    messages_.addf("Invalid table index: %d", index);
    return nullptr;
  }
  return tables_[static_cast<size_t>(index)].get();
}

const char* QNDB::getDBName() noexcept {
  chosenName_.clear();
  guarded(messages_, "QNDB::getDBName", false, [&] {
    QNDBChooserFn chooser = chooserLookup_ != nullptr ? chooserLookup_() : nullptr;
    if (chooser == nullptr)
      return false;
    ODBCConnection probe;
    std::vector<ODBCDataSource> sources = probe.dataSources();
    std::vector<const char*> names;
    std::vector<const char*> descriptions;
    for (const ODBCDataSource& source : sources) {
      names.push_back(source.name.c_str());
      descriptions.push_back(source.description.c_str());
    }
    int32_t count = static_cast<int32_t>(sources.size());
    int32_t pick = chooser(names.data(), descriptions.data(), count);
    if (pick < 0 || pick >= count)
      return false;
    // Only a source that can be reached is remembered; the probe connects read-only and
    // leaves this object's own connection alone.
    probe.connect(sources[static_cast<size_t>(pick)].name, true);
    probe.disconnect();
    chosenName_ = sources[static_cast<size_t>(pick)].name;
    return true;
  });
  return chosenName_.c_str();
}

bool QNDB::connectAndReadCatalogue(const char* dataSource) {
  connection_.connect(dataSource, false);
  if (!connection_.isConnected())
    return false;
  open_ = true;
  arrays_ = connection_.sendsRowArrays();
  if (!connection_.supports(SQL_API_SQLTABLES))
    return false;
  {
    XXTableRecs recs(connection_);
    recs.open();
    while (recs.fetch()) {
      if (recs.tableName.truncated()) {
        messages_.add("QNDB: table name longer than 255 characters skipped: " +
                      recs.tableName.value());
        continue;
      }
      try {
        tables_.push_back(std::make_unique<XXTable>(recs.tableName.value(),
                                                    recs.tableOwner.value(), messages_));
      } catch (const std::bad_alloc&) {
        messages_.add("QNDB: Unable to allocate table");
      }
    }
  }
  // The table catalogue is read to its end first: some drivers run one statement at a time.
  if (connection_.supports(SQL_API_SQLCOLUMNS))
    for (const std::unique_ptr<XXTable>& each : tables_)
      each->readColumns(connection_);
  return true;
}

uint8_t QNDB::open(const char* dataSource) noexcept {
  closeAll();
  if (dataSource == nullptr || *dataSource == '\0')
    return 0;
  return guarded(messages_, "QNDB::open", uint8_t{0},
                 [&] { return static_cast<uint8_t>(connectAndReadCatalogue(dataSource)); });
}

void QNDB::closeAll() noexcept {
  if (connection_.isConnected())
    noteFailure([&] { batch_.commit(); });
  tables_.clear();
  connection_.disconnect();
  open_ = false;
}

int32_t QNDB::close() noexcept {
  closeAll();
  return 0;
}

int32_t QNDB::getTableCount() noexcept { return static_cast<int32_t>(tables_.size()); }

const char* QNDB::getTableName(int32_t index) noexcept {
  return guarded(messages_, "QNDB::getTableName", "", [&] {
    XXTable* t = table(index);
    return t != nullptr ? t->name().c_str() : "";
  });
}

int32_t QNDB::getFieldCount(int32_t index) noexcept {
  return guarded(messages_, "QNDB::getFieldCount", 0, [&] {
    XXTable* t = table(index);
    return t != nullptr ? t->columnCount() : 0;
  });
}

const char* QNDB::getFieldName(int32_t index, int32_t field) noexcept {
  return guarded(messages_, "QNDB::getFieldName", "", [&] {
    XXTable* t = table(index);
    const std::string* name = t != nullptr ? t->columnName(field) : nullptr;
    return name != nullptr ? name->c_str() : "";
  });
}

int32_t QNDB::getFieldType(int32_t index, int32_t field) noexcept {
  return guarded(messages_, "QNDB::getFieldType", -1, [&] {
    XXTable* t = table(index);
    return t != nullptr ? t->columnType(field) : -1;
  });
}

uint8_t QNDB::putField(int32_t index, int32_t field, const char* bytes, int32_t length,
                       uint8_t reset) noexcept {
  return guarded(messages_, "QNDB::putField", uint8_t{0}, [&] {
    XXTable* t = table(index);
    return static_cast<uint8_t>(t != nullptr && t->putField(field, bytes, length, reset != 0));
  });
}

uint8_t QNDB::putFieldText(int32_t index, int32_t field, const char* bytes, int32_t length,
                           uint8_t reset) noexcept {
  return putField(index, field, bytes, length, reset);
}

uint8_t QNDB::putFieldW(int32_t index, int32_t field, const char16_t* text, int32_t length,
                        uint8_t reset) noexcept {
  return guarded(messages_, "QNDB::putFieldW", uint8_t{0}, [&] {
    XXTable* t = table(index);
    if (t == nullptr || !t->checkField(field))
      return uint8_t{0};
    if (text == nullptr || length <= 0)
      return uint8_t{0};
    std::string unknownCodePage;
    std::string bytes =
        XXCodePage::fromUTF16(text, static_cast<size_t>(length), &unknownCodePage);
    if (!unknownCodePage.empty() && !codePageReported_) {
      messages_.add("QNDB: unknown code page QUILLON_CODEPAGE=" + unknownCodePage +
                    ", UTF-8 used");
      codePageReported_ = true;
    }
    if (bytes.empty())
      return uint8_t{0};
    // The converted text may be longer than `length` (UTF-8 takes up to three bytes for one
    // 16-bit unit), so all of it is passed on.
    return static_cast<uint8_t>(t->putField(field, bytes.data(),
                                            static_cast<int32_t>(bytes.size()), reset != 0));
  });
}

uint8_t QNDB::openTable(int32_t index) noexcept {
  return guarded(messages_, "QNDB::openTable", uint8_t{0}, [&] {
    XXTable* t = table(index);
    return static_cast<uint8_t>(t != nullptr && t->open(connection_));
  });
}

uint8_t QNDB::rowOut(int32_t index) noexcept {
  if (!open_)
    open(chosenName_.c_str());
  return guarded(messages_, "XXTable::rowOut", uint8_t{0}, [&] {
    if (!open_)
      return uint8_t{0};
    XXTable* t = table(index);
    if (t == nullptr)
      return uint8_t{0};
    // The table is opened (a read) before the transaction begins, so that the transaction's
    // first statement is the insert. A transaction that has read holds a shared lock, and
    // SQLite refuses at once, without waiting, to turn that into a write lock while another
    // program holds the database; one that starts with a write waits for the lock.
    if (!t->isOpen() && !t->open(connection_))
      return uint8_t{0};
    if (arrays_ && t->columnCount() > 0) {
      // Queued, sent with its array; a refusal is reported by the call that sends it.
      bool queued = batch_.queue(index);
      return static_cast<uint8_t>((!batch_.full() || batch_.commit()) && queued);
    }
    batch_.begin();
    switch (t->rowOut(connection_)) {
    case XXRowResult::written:
      batch_.add(index);
      // A full batch is committed with this row; if that fails, this row is lost with it.
      return static_cast<uint8_t>(!batch_.full() || batch_.commit());
    case XXRowResult::refused:
      batch_.recover();
      return uint8_t{0};
    case XXRowResult::notSent:
      break;
    }
    return uint8_t{0};
  });
}

uint8_t QNDB::closeTable(int32_t index) noexcept {
  return guarded(messages_, "QNDB::closeTable", uint8_t{0}, [&] {
    XXTable* t = table(index);
    if (t == nullptr)
      return uint8_t{0};
    bool committed = batch_.commit();
    t->close();
    return static_cast<uint8_t>(committed);
  });
}

uint8_t QNDB::exeSQL(const char* statement) noexcept {
  return guarded(messages_, "QNDB::exeSQL", uint8_t{0}, [&] {
    if (!connection_.isConnected())
      return uint8_t{1};
    if (statement == nullptr) {
      messages_.add("QNDB::exeSQL - no statement given");
      return uint8_t{0};
    }
    // The statement must see every row written before it.
    bool committed = batch_.commit();
    connection_.execDirect(statement);
    return static_cast<uint8_t>(committed);
  });
}

int32_t QNDB::getMsgCount() noexcept { return messages_.count(); }

const char* QNDB::getMsg(int32_t line) noexcept { return messages_.get(line); }

void QNDB::clearMsgs() noexcept { messages_.clear(); }

void QNDB::cancel() noexcept { connection_.cancel(); }
