// XXRowBatch: opening, committing and recovering the transaction that groups rows.
#include "dblib/XXRowBatch.h"

#include <map>
#include <new>

namespace {

// Ends the batch however the scope is left.
class FinishOnExit {
public:
  explicit FinishOnExit(XXRowBatch& batch) : batch_(batch) {}
  FinishOnExit(const FinishOnExit&) = delete;
  FinishOnExit& operator=(const FinishOnExit&) = delete;
  ~FinishOnExit() {
    if (armed_)
      batch_.finish();
  }
  void disarm() { armed_ = false; }

private:
  XXRowBatch& batch_;
  bool armed_ = true;
};

}  // namespace

void XXRowBatch::begin() {
  if (open_ || !connection_.supportsTransactions())
    return;
  connection_.setAutoCommit(false);
  open_ = true;
}

void XXRowBatch::add(int32_t table) {
  if (!open_)
    return;
  if (rows_.size() <= count_)
    rows_.emplace_back();
  KeptRow& row = rows_[count_];
  row.table = table;
  tables_[static_cast<size_t>(table)]->keepLastRow(row.values);
  ++count_;
}

bool XXRowBatch::commit() {
  if (!open_)
    return true;
  FinishOnExit end(*this);
  if (count_ == 0) {
    // Nothing went in (the rows were refused or cancelled, which may already have ended the
    // transaction in the database): there is nothing to commit and nothing to report.
    rollBack();
    return true;
  }
  try {
    connection_.endTransaction(true);
    afterTransactionEnd(true);
    return true;
  } catch (const ODBCError& e) {
    // Some databases keep the transaction open after a commit they refused.
    rollBack();
    messages_.addDatabaseError("commit", e.text(), e.code(), e.message());
    reportLost();
    return false;
  }
}

bool XXRowBatch::recover() {
  if (!open_)
    return true;
  FinishOnExit end(*this);
  rollBack();
  for (size_t i = 0; i < count_; ++i) {
    KeptRow& row = rows_[i];
    if (tables_[static_cast<size_t>(row.table)]->rowIn(connection_, row.values) !=
        XXRowResult::written) {
      rollBack();
      reportLost();
      return false;
    }
  }
  // The rows are in again and the transaction goes on.
  end.disarm();
  return true;
}

void XXRowBatch::rollBack() noexcept {
  try {
    connection_.endTransaction(false);
    afterTransactionEnd(false);
  } catch (const ODBCError&) {
    // A connection that cannot even roll back is gone; the server drops the transaction
    // with it, and the caller reports the rows lost either way.
  }
}

void XXRowBatch::afterTransactionEnd(bool commit) {
  if (connection_.statementsSurvive(commit))
    return;
  for (const std::unique_ptr<XXTable>& table : tables_)
    table->forgetInsert();
}

void XXRowBatch::reportLost() {
  if (count_ == 0)
    return;
  std::map<int32_t, size_t> perTable;
  for (size_t i = 0; i < count_; ++i)
    ++perTable[rows_[i].table];
  std::string line = "Rows not written: " + std::to_string(count_) + " (";
  const char* separator = "";
  for (const auto& [table, rows] : perTable) {
    line += separator + tables_[static_cast<size_t>(table)]->name() + " " +
            std::to_string(rows);
    separator = ", ";
  }
  messages_.add(line + ") - the database rolled them back");
}

void XXRowBatch::finish() noexcept {
  count_ = 0;
  open_ = false;
  try {
    connection_.setAutoCommit(true);
  } catch (const ODBCError& e) {
    try {
      messages_.addDatabaseError("autocommit", e.text(), e.code(), e.message());
    } catch (const std::bad_alloc&) {
      // No memory left for the line; the operation's failure value is all that remains.
    }
  }
}
