// The client's binding of the database library: libqndb.so is loaded by name from the
// directory of the running program, and its one IQXDB object serves every connection of
// the client until the client goes.
//
// The library is loaded when it is first needed (a data source is named, or a host asks for
// the interface), not when the client is set up: with it come the ODBC driver manager and
// its loader, which a run that writes no rows would load and relocate for nothing. A library
// that cannot be loaded is reported once, until it is released.
#include "foundation/XXSTRTABLE.h"
#include "foundation/platform.h"
#include "run/PXClient.h"
#include "run/TitledError.h"

namespace {

constexpr int32_t kTablesListed = 24;

}  // namespace

void PXClient::dbConnect() {
    if (db_ || dbLib_.isLoaded() || dbLib_.loadFailed()) return;
    dbLib_.setFileName(modulePathOf(kQNDBLibraryFile).c_str());
    if (!dbLib_.load()) return;
    auto getIDB = reinterpret_cast<QNGetIDBFn>(dbLib_.symbol(kGetIDBSymbol));
    if (!getIDB) {
        TitledError e("PXClient::dbConnect");
        e << "Unable to locate " << kGetIDBSymbol << endMsg;
        return;
    }
    db_ = getIDB();
    dests_.setDB(db_);
}

bool PXClient::connectDatabase(bool synch, bool forRun) {
    if (db_) db_->close();
    connectedDB_ = "";
    dbNotAvailable_ = false;
    const XXSTRING name = formText(databaseGrid, 0);
    if (name.length() > 0) {
        dbConnect();
        const int32_t reasonsBefore = db_ ? db_->getMsgCount() : 0;
        if (db_ && db_->open(name) == 1) {
            connectedDB_ = name;
        } else {
            XXSTRING text;
            text << loadString(1100) << ": " << name;
            dbNotAvailable_ = true;
            if (forRun) {
                // The run's rows and SQL statements have nowhere to go: a failure of its
                // outputs, said on the error path with the database library's reasons.
                Error e;
                e << text;
                for (int32_t i = reasonsBefore; db_ && i < db_->getMsgCount(); ++i) e << "\n" << db_->getMsg(i);
                e << endMsg;
                dests_.noteFailure();
            } else {
                message(text);
            }
        }
    }
    dests_.setSourceName(connectedDB_);
    if (synch) dests_.synch(&outputFiles, connectedDB_.length() > 0 ? db_ : nullptr, &destinationsGrid, &tablesGrid);
    return connectedDB_.length() > 0;
}

bool PXClient::databaseChosen() {
    if (!connectDatabase(false) || !db_) return false;
    const int32_t tables = db_->getTableCount();
    XXMSG m;
    m << loadString(1360) << " :  " << connectedDB_ << "\n" << tables << " " << loadString(tables == 1 ? 1281 : 1282);
    if (tables > 0) {
        m << " :" << "  ";
        for (int32_t t = 0; t < tables && t < kTablesListed; ++t) {
            if (t > 0) m << ", ";
            m << db_->getTableName(t);
        }
        if (tables > kTablesListed) m << "\n...";
    }
    m << endMsg;
    return true;
}

void PXClient::closeDatabase() {
    if (db_) db_->close();
    connectedDB_ = "";
}

void PXClient::releaseDatabase() {
    closeDatabase();
    if (db_) {
        if (auto release = reinterpret_cast<QNReleaseIDBFn>(dbLib_.symbol(kReleaseIDBSymbol))) release(db_);
        db_ = nullptr;
    }
    dests_.setDB(nullptr);
    if (initialised_) dests_.synch(&outputFiles, nullptr, &destinationsGrid, &tablesGrid);
    dbLib_.unload();
    // Released on purpose: the next need loads it again, and says so again if it cannot.
    dbLib_.setFileName("");
}

IQXDB* PXClient::database() {
    dbConnect();
    return db_;
}
