// PXBatchClient: a client that runs on the caller's thread, with the file, URL and mail
// scanners of an MFClient. Command-line hosts use it as it is; the engine library's client
// derives from it.
//
// Its run body scans the inputs at once (and notes "scan halted" when a stop ended the
// run); its hooks run the pre- and post-processors, each in a fresh client made by
// freshClient(), which derived classes override to make one of their own class.
#pragma once

#include <memory>

#include "run/MFClient.h"
#include "run/PXClient.h"
#include "run/PXEngineFactory.h"

class PXBatchClient : public PXClient {
public:
    // Makes the engine of a client (each fresh client gets a new one).
    using EngineFactory = std::unique_ptr<IPXEngine> (*)();

    explicit PXBatchClient(EngineFactory factory = newPXEngine);

    void runBody(PXInst& run) override;
    void scanInputs(PXInst& run) override;
    void preRunHook(PXInst& run) override;
    void postRunHook(PXInst& run) override;
    std::unique_ptr<PXClient> freshClient() override;

    // Runs the definition with input kind `kind` (MFClient's kinds).
    int32_t runKind(PXInst& run, int32_t kind) { return inputs.run(run, kind); }

    EngineFactory engineFactory() const { return factory_; }

    MFClient inputs{*this};

private:
    EngineFactory factory_;
};
