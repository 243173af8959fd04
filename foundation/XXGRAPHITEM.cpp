// Graph items and the process-wide item ids.
//
// The id counter and the number of items that hold an id live in one 64-bit atomic word
// (last id in the low half, live items in the high half), changed only by compare-and-swap.
// Taking an id, giving one back and rewinding the counter are therefore each one atomic
// step: a rewind can only happen at a moment when no item anywhere holds an id, so a
// rewound counter can never hand out an id that a live item already has, even while other
// threads are creating items. Tested by tests/foundation/XXGRAPHTest.cpp.
#include "foundation/XXGRAPHITEM.h"

#include <atomic>
#include <climits>

#include "foundation/XXGRAPH.h"

namespace {

std::atomic<uint64_t> idState{0};

constexpr uint64_t kLiveUnit = uint64_t(1) << 32;

uint32_t lastOf(uint64_t state) { return uint32_t(state & 0xffffffffu); }
uint32_t liveOf(uint64_t state) { return uint32_t(state >> 32); }

}  // namespace

XXGRAPHITEM::XXGRAPHITEM(int32_t type) : type_(type) {}

XXGRAPHITEM::~XXGRAPHITEM() { releaseId(); }

bool XXGRAPHITEM::takeId() {
    if (id_ != 0) return true;
    uint64_t state = idState.load();
    for (;;) {
        if (lastOf(state) >= uint32_t(INT32_MAX)) {
            Tracer("XXGRAPHITEM::takeId") << "Item ids exhausted" << endMsg;
            return false;
        }
        const uint64_t next = state + kLiveUnit + 1;
        if (idState.compare_exchange_weak(state, next)) {
            id_ = int32_t(lastOf(next));
            return true;
        }
    }
}

void XXGRAPHITEM::releaseId() {
    if (id_ == 0) return;
    idState.fetch_sub(kLiveUnit);
    id_ = 0;
}

int32_t XXGRAPHITEM::lastId() { return int32_t(lastOf(idState.load())); }

int32_t XXGRAPHITEM::liveIds() { return int32_t(liveOf(idState.load())); }

bool XXGRAPHITEM::rewindIds() {
    uint64_t state = idState.load();
    while (liveOf(state) == 0) {
        if (idState.compare_exchange_weak(state, 0)) return true;
    }
    return false;
}

void XXGRAPHITEM::setLabel(const char* text) {
    label_ = text ? text : "";
    updateDisplay();
}

void XXGRAPHITEM::updateDisplay() {
    display_ = makeDisplayText();
    if (surface_ && hasWindow_) surface_->redrawItem(id_);
}

XXWSTRING XXGRAPHITEM::makeDisplayText() const { return XXWSTRING(label_.text()); }

// --- XXNOTE ------------------------------------------------------------------------------

XXNOTE::XXNOTE() : XXGRAPHITEM(typeComment) {
    setMenu({{XXCMD::commentText, 1031}, {XXCMD::deleteItem, 104}});
}

XXNOTE::XXNOTE(const char* text) : XXNOTE() { setLabel(text); }
