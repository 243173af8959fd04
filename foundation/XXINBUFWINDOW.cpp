#include "foundation/XXINBUFWINDOW.h"

#include <algorithm>

#include "foundation/XXMSG.h"

XXINBUFWINDOW::XXINBUFWINDOW(IXXINBUF* inner, int64_t start, int64_t length)
    : inner_(inner), start_(start), length_(std::max<int64_t>(length, 0)) {
    neverFast();
}

bool XXINBUFWINDOW::check(int32_t p, int32_t* q, int32_t n, const char* title) {
    if (!inner_) return false;
    const int64_t at = inner_->getBaseOffset() + p;
    if (at < start_ || at + n > start_ + length_) {
        failed_ = true;
        return false;
    }
    const bool present = p >= 0 && int64_t(p) + n <= inner_->getCount();
    if (present || (q ? inner_->iChkReload(q, n) : inner_->iChkReload(p, n))) {
        fastData_ = inner_->data();
        return true;
    }
    Tracer t(title);
    t << "reload failure" << newline;
    toLog(t);
    failed_ = true;
    return false;
}

bool XXINBUFWINDOW::iChkReload(int32_t p, int32_t n) { return check(p, nullptr, n, "XXINBUFWINDOW::iChk(&)"); }

bool XXINBUFWINDOW::iChkReload(int32_t* p, int32_t n) { return check(*p, p, n, "XXINBUFWINDOW::iChk(*)"); }

bool XXINBUFWINDOW::open(int32_t idxCapacity) {
    failed_ = false;
    return inner_ && inner_->open(idxCapacity);
}

void XXINBUFWINDOW::close() {
    if (inner_) inner_->close();
}

int32_t XXINBUFWINDOW::getCount() { return int32_t(std::min<int64_t>(length_, INT32_MAX)); }

void XXINBUFWINDOW::pushIdx(int32_t* position) {
    if (inner_) inner_->pushIdx(position);
}

void XXINBUFWINDOW::popIdx(int32_t k) {
    if (inner_) inner_->popIdx(k);
}

int32_t XXINBUFWINDOW::load() { return inner_ ? inner_->load() : 0; }

void XXINBUFWINDOW::setKeepSize(int32_t n) {
    if (inner_) inner_->setKeepSize(n);
}

int32_t XXINBUFWINDOW::getKeepSize() { return inner_ ? inner_->getKeepSize() : 0; }

int64_t XXINBUFWINDOW::restore(int64_t baseOffset) { return inner_ ? inner_->restore(baseOffset) : -1; }

int64_t XXINBUFWINDOW::getBaseOffset() { return inner_ ? inner_->getBaseOffset() : -1; }

bool XXINBUFWINDOW::getByte(int64_t offset, unsigned char& out) { return inner_ && inner_->getByte(offset, out); }

const unsigned char* XXINBUFWINDOW::data() { return inner_ ? inner_->data() : nullptr; }

const char* XXINBUFWINDOW::streamName() { return inner_ ? inner_->streamName() : ""; }

void XXINBUFWINDOW::reserved() {
    if (inner_) inner_->reserved();
}

bool XXINBUFWINDOW::positionAt(XXINBUFWINDOW& window, int32_t& position) {
    return inner_ && inner_->positionAt(window, position);
}
