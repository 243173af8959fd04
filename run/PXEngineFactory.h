// The scan engine a client runs with.
#pragma once

#include <memory>

#include "engine/IPXEngine.h"

// A new PXEngine.
std::unique_ptr<IPXEngine> newPXEngine();
