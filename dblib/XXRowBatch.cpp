// XXRowBatch: opening, committing and recovering the transaction that groups rows.
#include "dblib/XXRowBatch.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <new>
#include <string>

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
  sent_ = ++count_;
}

bool XXRowBatch::queue(int32_t table) {
  if (!tables_[static_cast<size_t>(table)]->takeRow(connection_, incoming_))
    return false;
  size_t width = 1;
  for (const std::string& text : incoming_.texts)
    width = std::max(width, text.size());
  // Every value of an array takes as many bytes as the widest of its column, so a row that
  // would make the array's buffers outgrow kBytesPerArray starts a new array.
  bool sent = true;
  size_t queued = count_ - sent_;
  if (queued > 0 && (rows_[sent_].table != table ||
                     (queued + 1) * std::max(widest_, width) > kBytesPerArray))
    sent = flush();
  begin();
  if (rows_.size() <= count_)
    rows_.emplace_back();
  KeptRow& row = rows_[count_++];
  std::swap(row.values, incoming_);
  row.table = table;
  widest_ = std::max(widest_, width);
  if (count_ - sent_ >= kRowsPerArray)
    sent = flush() && sent;
  return sent;
}

bool XXRowBatch::flush() {
  if (sent_ >= count_)
    return true;
  XXTable& table = *tables_[static_cast<size_t>(rows_[sent_].table)];
  array_.clear();
  for (size_t i = sent_; i < count_; ++i)
    array_.push_back(&rows_[i].values);
  widest_ = 0;
  int32_t linesBefore = messages_.count();
  if (table.rowsIn(connection_, array_)) {
    sent_ = count_;
    return true;
  }
  // Which row was refused is found below, row by row, with the database's reason for it.
  messages_.truncate(linesBefore);
  std::vector<KeptRow> queued(std::make_move_iterator(rows_.begin() + static_cast<long>(sent_)),
                              std::make_move_iterator(rows_.begin() + static_cast<long>(count_)));
  count_ = sent_;
  return sendOneByOne(std::move(queued));
}

bool XXRowBatch::sendOneByOne(std::vector<KeptRow> queued) {
  // The failed array may have cost the transaction: its rows before the queue go in again.
  if (!recover()) {
    messages_.add("Rows not written: " + std::to_string(queued.size()) +
                  " more, queued to be sent");
    return false;
  }
  bool all = true;
  for (size_t i = 0; i < queued.size(); ++i) {
    KeptRow& row = queued[i];
    XXTable& table = *tables_[static_cast<size_t>(row.table)];
    if (table.rowIn(connection_, row.values) == XXRowResult::written) {
      if (rows_.size() <= count_)
        rows_.emplace_back();
      rows_[count_++] = std::move(row);
      sent_ = count_;
      continue;
    }
    all = false;
    messages_.add("Row refused: table " + table.name() + " (" + table.describe(row.values) + ")");
    if (!recover()) {
      if (i + 1 < queued.size())
        messages_.add("Rows not written: " + std::to_string(queued.size() - i - 1) +
                      " more, queued to be sent");
      return false;
    }
  }
  return all;
}

bool XXRowBatch::commit() {
  if (!open_)
    return true;
  bool flushed = flush();
  if (!open_)
    return false;
  FinishOnExit end(*this);
  if (count_ == 0) {
    // Nothing went in (the rows were refused or cancelled, which may already have ended the
    // transaction in the database): there is nothing to commit and nothing to report.
    rollBack();
    return flushed;
  }
  try {
    connection_.endTransaction(true);
    afterTransactionEnd(true);
    return flushed;
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
  sent_ = 0;
  widest_ = 0;
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
