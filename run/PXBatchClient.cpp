#include "run/PXBatchClient.h"

#include "foundation/XXSTRTABLE.h"

PXBatchClient::PXBatchClient(EngineFactory factory)
    : PXClient(factory ? factory() : nullptr), factory_(factory) {}

void PXBatchClient::runBody(PXInst& run) {
    scanInputs(run);
    if (run.haltAtLeast(2)) addToRunMessage(loadString(1077));
}

void PXBatchClient::scanInputs(PXInst& run) { inputs.scan(run); }

void PXBatchClient::preRunHook(PXInst& run) { runProcessors(preProcessors, run, true); }

void PXBatchClient::postRunHook(PXInst& run) { runProcessors(postProcessors, run, false); }

std::unique_ptr<PXClient> PXBatchClient::freshClient() { return std::make_unique<PXBatchClient>(factory_); }
