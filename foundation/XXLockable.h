// XXLockable: the "taken" mark of an object that its owner lends out.
//
// The engine lends its grids to the user interface, the definition reader and writer and a
// run with a take / give-back pair. Taking sets `locked` and fails when it is already set;
// giving back clears it. The mark is a plain byte: every taker runs on the thread that owns
// the object, so no atomic operation is used.
#pragma once

#include <cstdint>

class XXLockable {
public:
    bool locked = false;    // set while the object is taken
    uint8_t spare = 0;      // kept as plain storage

    XXLockable() = default;
    // A copy is a new object that nobody has taken yet.
    XXLockable(const XXLockable&) {}
    XXLockable& operator=(const XXLockable&) { return *this; }
    virtual ~XXLockable() = default;

    // Marks the object taken; false (and nothing changes) when it is taken already.
    bool lock() {
        if (locked) return false;
        locked = true;
        return true;
    }
    // Clears the mark (also when it was not set).
    void unlock() { locked = false; }
    bool isLocked() const { return locked; }
};
