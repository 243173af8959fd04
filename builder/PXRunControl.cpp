// The worker thread of a run, Stop, the countdown and the outcome.
#include "builder/PXRunControl.h"

#include <chrono>
#include <utility>

#include "foundation/XXSTRING.h"

namespace {

constexpr const char* kScanHalted = "scan halted";

std::string exceptionText(const std::string& description, int32_t kind) {
    return description + "\nException thrown (" + std::to_string(kind) + ") - run terminated.";
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void PXRunControl::Inst::setHalt(int32_t level) {
    PXInst::setHalt(stopAsked.load() && level < 2 ? 2 : level);
}

PXRunControl::~PXRunControl() {
    if (inst_) stop();
    if (worker_.joinable()) worker_.join();
}

bool PXRunControl::start(Body body, std::string description) {
    if (worker_.joinable()) {
        if (!finished()) return false;
        worker_.join();
    }
    inst_ = std::make_unique<Inst>();
    description_ = std::move(description);
    status_.clear();
    error_.clear();
    givenUp_ = false;
    box_.open();
    finished_.store(false, std::memory_order_release);
    worker_ = std::thread([this, body = std::move(body)] { work(body); });
    return true;
}

void PXRunControl::work(const Body& body) {
    workerId_.store(std::this_thread::get_id());
    try {
        status_ = body(*inst_);
    } catch (const XXSTRING&) {
        error_ = exceptionText(description_, 1);
    } catch (...) {
        // Any other failure of the run ends it the same way; its kind is in the text.
        error_ = exceptionText(description_, 2);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        workerId_.store(std::thread::id());
        finished_.store(true, std::memory_order_release);
    }
    done_.notify_all();
}

void PXRunControl::stop() {
    if (!inst_ || finished()) return;
    inst_->stopAsked = true;
    inst_->setHalt(2);
    box_.stop();
}

bool PXRunControl::tick() {
    if (finished() || givenUp_ || !box_.tick()) return false;
    givenUp_ = true;
    return true;
}

bool PXRunControl::waitFinished(int32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return done_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return finished(); });
}

PXRunControl::Outcome PXRunControl::collect() {
    Outcome out;
    if (givenUp_ && !finished()) {
        out.error = "Run failed due to internal error.\n" + description_;
        out.status = out.error;
        out.halted = true;
        return out;
    }
    if (worker_.joinable()) worker_.join();
    out.halted = inst_ && inst_->haltAtLeast(2);
    if (!error_.empty()) {
        out.error = error_;
        out.status = error_;
    } else {
        out.status = status_;
        if (out.halted && !endsWith(out.status, kScanHalted))
            out.status += out.status.empty() ? std::string(kScanHalted) : std::string(" - ") + kScanHalted;
    }
    givenUp_ = false;
    return out;
}

void PXRunControl::postProgress(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_ = std::move(text);
}

std::string PXRunControl::takeProgress() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(progress_, std::string());
}

PXRunControl::State PXRunControl::state() const {
    if (!worker_.joinable() || finished()) return State::idle;
    if (givenUp_) return State::givenUp;
    return box_.stopping() ? State::stopping : State::running;
}
