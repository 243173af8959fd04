// MFClient: the input scanners of a client and the choice between them.
//
// The input kind of a run is 1 mail, 2 files, 3 URLs, or 0 to choose from the definition:
// mail when the "Folders" grid has rows, else URLs when "URLs" has rows, else files when
// "Files" has rows, else mail. The file and URL scanners are always here; the mail scanner
// is installed by the hosts that have it. A run that asks for a kind whose scanner is
// missing is refused with an error naming the kind; an automatic choice that finds no input
// rows at all and has no mail scanner runs the file scanner over no files, so that a
// definition made only of phase actions still runs them.
//
// The input grids of mail input ("Folders", "Message options") are kept here until its
// scanner is built, so that a definition that names such input keeps its rows when it is
// read and saved, and its run is refused rather than run over files.
#pragma once

#include <cstdint>
#include <memory>

#include "run/FileScanner.h"
#include "run/HTTPScanner.h"
#include "run/PXScanner.h"

class PXClient;

class MFClient {
public:
    static constexpr int32_t automatic = 0;
    static constexpr int32_t mail = 1;
    static constexpr int32_t fileInput = 2;
    static constexpr int32_t urls = 3;

    explicit MFClient(PXClient& client);

    // Stores the kind and runs the client.
    int32_t run(PXInst& run, int32_t kind);
    // The scan of a run (the client's scanInputs): the kind resolved, its scanner run.
    int32_t scan(PXInst& run);
    // The kind the next scan takes, with automatic resolved from the definition.
    int32_t resolvedKind() const;

    int32_t inputKind = automatic;

private:
    PXClient& client_;

public:
    FileScanner files;
    PXGrid urlRows;
    HTTPScanner http{client_, urlRows};
    PXGrid folderRows;
    PXGrid messageOptions;
    std::unique_ptr<PXScanner> mailScanner;   // installed by hosts with mail input
};
