// The process-wide stop request (see XXINST.h). A lock-free atomic, so that a signal
// handler may set it.
#include "foundation/XXINST.h"

namespace {

std::atomic<int> stop{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop request is set from signal handlers");

}  // namespace

void requestStop() { stop.store(1, std::memory_order_relaxed); }
bool stopRequested() { return stop.load(std::memory_order_relaxed) != 0; }
void clearStopRequest() { stop.store(0, std::memory_order_relaxed); }
