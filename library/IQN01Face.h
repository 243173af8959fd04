// IQN01Face: the slot of IQN01 that a client class cannot declare itself.
//
// IQN01's "load" returns the client's status, while PXClient already has a virtual "load"
// with the same parameters that returns whether the file was read; one class cannot
// override both. This adapter overrides IQN01::load and hands the call to the client's
// loadDefinition, so the client class implements the other twelve slots directly. It adds
// no data and no virtual function, so the IQN01 face keeps exactly its thirteen slots.
#pragma once

#include <cstdint>

#include "include/quilcore.h"

template <typename Client>
class IQN01Face : public IQN01 {
public:
    int32_t load(const char* path) final { return static_cast<Client*>(this)->loadDefinition(path); }

protected:
    ~IQN01Face() = default;
};
