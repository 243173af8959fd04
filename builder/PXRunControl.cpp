// The worker thread of a run, Stop, the countdown and the outcome.
#include "builder/PXRunControl.h"

#include <chrono>
#include <cstdio>
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

bool PXRunControl::start(Body body, std::string description, Counter counter) {
    if (worker_.joinable()) {
        if (!finished()) return false;
        worker_.join();
    }
    inst_ = std::make_unique<Inst>();
    description_ = std::move(description);
    status_.clear();
    error_.clear();
    postProgress("");
    counter_ = std::move(counter);
    started_ = std::chrono::steady_clock::now();
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

std::string PXRunControl::progress() const {
    std::string message;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        message = progress_;
    }
    if (!counter_) return message;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const std::string counts = progressText(counter_(), seconds);
    return message.empty() ? counts : counts + "   " + message;
}

namespace {

// A number of bytes in the largest unit that keeps it at 1 or more: "512 bytes", "1.5 MB".
std::string byteText(double bytes) {
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1024) return std::to_string(int64_t(bytes)) + " bytes";
    int unit = -1;
    while (bytes >= 1024 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", bytes, kUnits[unit]);
    return text;
}

}  // namespace

std::string PXRunControl::progressText(Counts counts, double seconds) {
    std::string text = std::to_string(counts.files) + (counts.files == 1 ? " file   " : " files   ") + byteText(double(counts.bytes));
    if (seconds > 0) text += "   " + byteText(double(counts.bytes) / seconds) + "/s";
    return text;
}

PXRunControl::State PXRunControl::state() const {
    if (!worker_.joinable() || finished()) return State::idle;
    if (givenUp_) return State::givenUp;
    return box_.stopping() ? State::stopping : State::running;
}
