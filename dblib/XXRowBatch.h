// XXRowBatch: the rows of the connection's open transaction.
//
// Committing every row costs the database a durable write per row (for SQLite with its
// default settings, several fsync calls), so rows are grouped: the first row opens a
// transaction (autocommit off) and the rows go in until the batch is committed, by its
// holder or when it reaches kRowsPerCommit rows. A crash therefore loses at most the rows of
// the open transaction.
//
// Every row that went in is kept (its values copied out) until the commit, because a refused
// insert may cost the whole transaction: some databases abort it, some drivers roll it back.
// recover() rolls back whatever is left and sends the kept rows again, so one bad row never
// takes the rows before it along. A commit that fails is reported with the database's reason
// and the number of rows lost per table; those rows are not written.
//
// Drivers without transactions leave every row to autocommit, as if each were a batch.
#pragma once

#include "dblib/ODBCConnection.h"
#include "dblib/XXField.h"
#include "dblib/XXMsgList.h"
#include "dblib/XXTable.h"

#include <cstdint>
#include <memory>
#include <vector>

class XXRowBatch {
public:
  static constexpr size_t kRowsPerCommit = 5000;

  XXRowBatch(ODBCConnection& connection, std::vector<std::unique_ptr<XXTable>>& tables,
             XXMsgList& messages)
      : connection_(connection), tables_(tables), messages_(messages) {}
  XXRowBatch(const XXRowBatch&) = delete;
  XXRowBatch& operator=(const XXRowBatch&) = delete;

  // Before a row: opens a transaction when none is open and the driver has them. Throws
  // ODBCError.
  void begin();
  // After the row rowOut wrote into `table` (an index into the tables): keeps it.
  void add(int32_t table);
  bool full() const { return count_ >= kRowsPerCommit; }
  // Rows written into the open transaction and not yet committed.
  size_t pending() const { return count_; }

  // Commits the open transaction, if any. On failure the reason and the rows lost become
  // message lines and the result is false. Autocommit is on again afterwards, whatever
  // happened (only a shortage of memory is thrown).
  bool commit();
  // After a refused insert: rolls back what is left of the transaction and sends its kept
  // rows again. False, with the rows lost reported, when they cannot all be sent.
  bool recover();
  // Ends the batch: autocommit back on, no rows kept.
  void finish() noexcept;

private:
  void rollBack() noexcept;
  // Drops the prepared inserts when the driver does not keep them across `commit` or
  // rollback.
  void afterTransactionEnd(bool commit);
  void reportLost();

  struct KeptRow {
    int32_t table = -1;
    XXRowValues values;
  };

  ODBCConnection& connection_;
  std::vector<std::unique_ptr<XXTable>>& tables_;
  XXMsgList& messages_;
  std::vector<KeptRow> rows_;  // the first count_ are the batch; the storage is reused
  size_t count_ = 0;
  bool open_ = false;
};
