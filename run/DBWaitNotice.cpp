#include "run/DBWaitNotice.h"

#include "foundation/XXERROR.h"
#include "foundation/XXINST.h"

DBWaitNotice::DBWaitNotice(std::chrono::milliseconds patience) : patience_(patience) {}

DBWaitNotice::~DBWaitNotice() { finish(); }

void DBWaitNotice::finish() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (watcher_.joinable()) watcher_.join();
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = false;
    inCall_ = false;
    reported_ = false;
}

void DBWaitNotice::begin(const char* source, IQXDB* db) {
    std::lock_guard<std::mutex> hold(lock_);
    inCall_ = true;
    cancelled_ = false;
    db_ = db;
    started_ = std::chrono::steady_clock::now();
    if (!reported_) source_ = source ? source : "";
    if (!watcher_.joinable()) watcher_ = std::thread([this] { watch(); });
}

void DBWaitNotice::end() {
    std::lock_guard<std::mutex> hold(lock_);
    inCall_ = false;
}

// Looks four times per patience whether the call under way began more than the patience ago.
void DBWaitNotice::watch() {
    std::unique_lock<std::mutex> hold(lock_);
    while (!changed_.wait_for(hold, patience_ / 4, [this] { return stopping_; })) {
        if (!inCall_ || std::chrono::steady_clock::now() - started_ < patience_) continue;
        if (!reported_) {
            reported_ = true;
            const std::string text = "Waiting for the database " + source_ + ": another program may hold it locked";
            hold.unlock();
            reportError(text.c_str());
            hold.lock();
        }
        if (inCall_ && !cancelled_ && db_ && stopRequested()) {
            cancelled_ = true;
            // The library's object outlives the run's calls; the call may end meanwhile, and
            // then there is nothing to cancel.
            IQXDB* db = db_;
            hold.unlock();
            db->cancel();
            hold.lock();
        }
    }
}
