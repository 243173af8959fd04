#include "run/Destinations.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"
#include "run/DBDest.h"
#include "run/StreamDest.h"
#include "run/TitledError.h"

namespace {

// A new destination, or null when it cannot be allocated (the callers report it).
template <typename T, typename... Args>
std::unique_ptr<T> make(Args&&... args) {
    return std::unique_ptr<T>(new (std::nothrow) T(std::forward<Args>(args)...));
}

// The first column whose label is the text of `labelId`, or -1 (without a report).
int32_t findColumn(const XXGRID& grid, int32_t labelId) {
    const char* label = loadString(labelId);
    for (int32_t c = 0; c < grid.fieldCount(); ++c)
        if (XXFLD_DEF* def = grid.fieldDef(c); def && def->label == label) return c;
    return -1;
}

// Writes `text` into column 0 of row `row`, creating the rows up to it.
void putName(XXGRID* grid, int32_t row, const char* text) {
    if (!grid) return;
    while (grid->rowCount() <= row)
        if (!grid->appendRow()) return;
    grid->setText(0, row, text);
}

// `statement` on one line and at most kShownStatement bytes long, for a message that names it.
constexpr size_t kShownStatement = 200;
std::string shownStatement(const char* statement) {
    std::string shown;
    for (const char* c = statement; *c && shown.size() < kShownStatement; ++c)
        shown += *c == '\n' || *c == '\r' || *c == '\t' ? ' ' : *c;
    if (std::strlen(statement) > kShownStatement) shown += "...";
    return shown;
}

// Finishes `e` with the database's message lines (its reasons) and emits it.
void emitWithDBMessages(Error& e, IQXDB& db) {
    for (int32_t i = 0; i < db.getMsgCount(); ++i) e << "\n" << db.getMsg(i);
    e << endMsg;
}

}  // namespace

int32_t Destinations::clear() {
    dests_.clear();
    rowTables_.clear();
    defaultIdx_ = -1;
    traceIdx_ = -1;
    return 2;
}

bool Destinations::createTrace() {
    auto dest = make<StreamDest>(traceFileName_.text(), traceMode_);
    if (dest) dest->setRecord(&record_);
    if (!dest) {
        TitledError e("Destinations::createTrace");
        e << "Unable to create trace destination" << endMsg;
        return false;
    }
    traceIdx_ = dests_.count();
    dests_.add(std::move(dest));
    return true;
}

bool Destinations::createDefault() {
    auto dest = make<StreamDest>(defaultFile_.text(), defaultMode_);
    if (dest) dest->setRecord(&record_);
    if (!dest) {
        TitledError e("Destinations::createDefault");
        e << "Unable to create default destination" << endMsg;
        return false;
    }
    defaultIdx_ = dests_.count();
    dests_.add(std::move(dest));
    return true;
}

int32_t Destinations::getDefaultIdx() {
    if (defaultIdx_ < 0 && !createDefault()) {
        TitledError e("Destinations::getDefaultIdx");
        e << "Unable to create default destination" << endMsg;
        return 0;
    }
    return defaultIdx_;
}

int32_t Destinations::getTraceIdx() {
    if (traceIdx_ < 0 && !createTrace()) {
        TitledError e("Destinations::getTraceIdx");
        e << "Unable to create trace destination" << endMsg;
        return 0;
    }
    return traceIdx_;
}

void Destinations::synch(XXGRID* outputFiles, IQXDB* db, XXGRID* destinations, XXGRID* tables) {
    clear();
    db_ = db;
    if (destinations) destinations->clearRows();
    if (tables) tables->clearRows();

    createTrace();

    const int32_t specCol = outputFiles ? findColumn(*outputFiles, 1042) : -1;
    const int32_t appendCol = outputFiles ? findColumn(*outputFiles, 1301) : -1;
    const int32_t tagCol = outputFiles ? findColumn(*outputFiles, 1286) : -1;
    if (outputFiles && outputFiles->rowCount() > 0 && specCol >= 0 && appendCol >= 0) {
        for (int32_t r = 0; r < outputFiles->rowCount(); ++r) {
            const XXFLD* spec = outputFiles->getCell(specCol, r);
            const XXFLD* append = outputFiles->getCell(appendCol, r);
            const int32_t mode =
                append && toBool(append->getText()) ? StreamDest::appendMode : StreamDest::createMode;
            auto dest = make<StreamDest>(spec ? spec->getText() : "", mode);
            if (dest) dest->setRecord(&record_);
            if (!dest) {
                TitledError e("Destinations::synch");
                e << "Unable to create StreamDest" << endMsg;
            }
            const int32_t index = dests_.count();
            const XXFLD* tag = tagCol >= 0 ? outputFiles->getCell(tagCol, r) : nullptr;
            putName(destinations, index, tagCol >= 0 ? (tag ? tag->getText() : "") : "*****");
            dests_.add(std::move(dest));
        }
    } else if (!outputFiles || outputFiles->rowCount() == 0) {
        createDefault();
    }

    if (!db_) return;
    for (int32_t t = 0; t < db_->getTableCount(); ++t) {
        // Copied at once: the library's texts live only until its lists change.
        const XXSTRING table(db_->getTableName(t));
        putName(tables, t, table);
        for (int32_t c = 0; c < db_->getFieldCount(t); ++c) {
            auto dest = make<DBDest>(db_, t, c);
            if (!dest) {
                TitledError e("Destinations::synch");
                e << "Unable to create DBDest" << endMsg;
            }
            XXSTRING name(table);
            name << "." << db_->getFieldName(t, c);
            putName(destinations, dests_.count(), name);
            dests_.add(std::move(dest));
        }
    }
}

int32_t Destinations::closeAll() {
    commitRows();
    for (int32_t i = 0; i < dests_.count(); ++i) {
        if (Destination* d = dests_.at(i)) {
            d->close();
            d->reset();
        }
    }
    dbWait_.finish();
    return 2;
}

void Destinations::logDBMessages() {
    if (!db_ || db_->getMsgCount() <= 0) return;
    for (int32_t i = 0; i < db_->getMsgCount(); ++i) {
        XXMSG line(2);
        line << db_->getMsg(i) << "\n" << toLog;
    }
    db_->clearMsgs();
}

bool Destinations::commitRows() {
    if (!db_ || rowTables_.empty()) return true;
    bool committed = true;
    dbWait_.begin(sourceName_, db_);
    for (int32_t table : rowTables_) committed = db_->closeTable(table) == 1 && committed;
    dbWait_.end();
    rowTables_.clear();
    if (!committed) {
        ++record_.failures;
        Error e;
        e << "Database rows not written";
        emitWithDBMessages(e, *db_);
    }
    logDBMessages();
    return committed;
}

int32_t Destinations::event(int32_t kind, int32_t table) {
    if (kind == 4 && db_) {
        dbWait_.begin(sourceName_, db_);
        const bool written = db_->rowOut(table) != 0;
        dbWait_.end();
        if (!written) {
            ++record_.failures;
            if (refusedTables_.insert(table).second) {
                // The first refusal of a table is reported; the others only reach the log.
                Error e;
                e << "Row refused by the database (table " << db_->getTableName(table) << ")";
                emitWithDBMessages(e, *db_);
            }
        }
        rowTables_.insert(table);
        logDBMessages();
    } else if (kind == kStreamEndEvent) {
        commitRows();
    }
    return 2;
}

int32_t Destinations::exeSQL(const char* statement) {
    if (isBlank(statement)) return 0;
    if (!db_) {
        // Once per run: the statements of a definition without a database go nowhere, which
        // its author must hear of, as of any output that was not written.
        ++record_.failures;
        if (!sqlWithoutDatabaseReported_) {
            sqlWithoutDatabaseReported_ = true;
            Error e;
            e << "SQL statement not run, no database is connected: " << shownStatement(statement).c_str() << endMsg;
        }
        return 0;
    }
    commitRows();
    dbWait_.begin(sourceName_, db_);
    const bool ok = db_->exeSQL(statement) != 0;
    dbWait_.end();
    if (!ok) {
        ++record_.failures;
        Error e;
        e << "SQL statement refused by the database " << sourceName_ << ": " << shownStatement(statement).c_str();
        emitWithDBMessages(e, *db_);
    }
    // The reasons also go to the log, as they would otherwise stay silent until the next row.
    logDBMessages();
    return ok ? 2 : 0;
}

Destination* Destinations::get(int32_t index) {
    if (index == kTraceDestination)
        index = getTraceIdx();
    else if (index < 0)
        index = getDefaultIdx();
    Destination* d = dests_.at(index);
    if (!d || d->ensureOpen() == 2) return d;
    // A file that could not be opened has been reported and counted; its output is lost
    // with it (its writes fail) rather than landing in the default output as if written.
    return dynamic_cast<StreamDest*>(d) ? d : nullptr;
}

void Destinations::noteWritten(const char* path) {
    if (FileId id; fileIdOf(path, id)) record_.written.insert(id);
}

void Destinations::noteLog(const char* path) {
    FileId id;
    if (!fileIdOf(path, id)) return;
    record_.written.insert(id);
    record_.openFiles[id] = nullptr;
}

bool Destinations::wroteDuringRun(const FileId& id) const { return record_.written.count(id) > 0; }

bool Destinations::holdsOpen(const FileId& id) const {
    for (int32_t i = 0; i < dests_.count(); ++i) {
        const auto* file = dynamic_cast<const StreamDest*>(dests_.at(i));
        if (FileId open; file && fileIdOf(*file, open) && open == id) return true;
    }
    return false;
}

void Destinations::notifyAll(int32_t event, const char* name, const char* fullName) {
    if (event == 2) {
        inputName_.set(name);
        inputFullName_.set(fullName);
    }
    for (int32_t i = 0; i < dests_.count(); ++i)
        if (Destination* d = dests_.at(i)) d->notify(event, fullName);
}
