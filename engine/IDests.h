// IDests: the set of destinations as the engine sees it. The run layer implements it and
// hands it to the engine when a client is set up.
#pragma once

#include <cstdint>

#include "engine/Destination.h"

// The event the engine sends when it has finished an input stream (post-stream actions
// included): the rows written so far are made durable then.
inline constexpr int32_t kStreamEndEvent = 5;

class IDests {
public:
    virtual int32_t noop() = 0;
    // Empties the set; 2.
    virtual int32_t clear() = 0;
    // Closes and resets every destination; 2.
    virtual int32_t closeAll() = 0;
    // Kind 4: write the staged row of database table `table`; kStreamEndEvent: an input
    // stream has ended (`table` unused); other kinds do nothing. 2.
    virtual int32_t event(int32_t kind, int32_t table) = 0;
    // Runs an SQL statement on the bound database, after every row written before it; 2
    // when it ran.
    virtual int32_t exeSQL(const char* statement) = 0;
    // The destination at `index` (-2 default, -3 trace, other negatives default); null when
    // there is none or it cannot take output now.
    virtual Destination* get(int32_t index) = 0;

protected:
    ~IDests() = default;
};
