#include "run/PXEngineFactory.h"

#include "engine/PXEngine.h"

std::unique_ptr<IPXEngine> newPXEngine() { return std::make_unique<PXEngine>(); }
