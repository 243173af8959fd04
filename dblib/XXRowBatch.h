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
//
// With a database behind a server, rows are queued instead and sent in arrays (XXRowArray):
// the queue holds rows of one table, and goes out when it holds kRowsPerArray rows, before
// its buffers (a slot as wide as the widest value per row) would outgrow kBytesPerArray,
// before a row of another table (so rows reach the database in
// the order they were written) and before the commit. An array the database refuses is rolled
// back with the transaction's other rows, which are sent again, and its rows are sent one by
// one: each refused row is named with its values, the others go in.
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
  static constexpr size_t kRowsPerArray = 100;
  static constexpr size_t kBytesPerArray = 1 << 20;

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
  // Takes the staged row of `table` into the queue (after sending the queue when it holds
  // another table's rows or is full). False when the row could not be taken or a queued row
  // was refused, each reported.
  bool queue(int32_t table);
  // Sends the queued rows; false when one was refused (reported).
  bool flush();
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
  // Sends the queued rows one by one after their array failed.
  bool sendOneByOne(std::vector<KeptRow> queued);

  std::vector<KeptRow> rows_;  // the first count_ are the batch; the storage is reused
  size_t count_ = 0;
  size_t sent_ = 0;            // rows_[sent_, count_) are queued, not sent yet
  size_t widest_ = 0;           // the longest text of the queued rows
  XXRowValues incoming_;        // a row being queued
  std::vector<const XXRowValues*> array_;  // the queued rows of one execution
  bool open_ = false;
};
