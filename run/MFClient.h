// MFClient: the input scanners of a client and the choice between them.
//
// The input kind of a run is 1 mail, 2 files, 3 URLs, or 0 to choose from the definition:
// mail when the "Folders" grid has rows, else URLs when "URLs" has rows, else files when
// "Files" has rows. The file, URL and mail scanners are always here (a host may put a
// mail scanner of its own in place of the built-in one). An automatic choice that finds no
// input rows at all runs the file scanner over no files, so that a definition made only of
// phase actions still runs them (and the user's default inbox is not walked, and marked
// read, by a run that names no input). The URL grid belongs to the client's inputs.
#pragma once

#include <cstdint>
#include <memory>

#include "run/FileScanner.h"
#include "run/HTTPScanner.h"
#include "run/MailScanner.h"
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
    PXClient& registerUrlGrid(PXClient& client);

    PXClient& client_;

public:
    FileScanner files;
    PXGrid urlRows;
    HTTPScanner http{client_, urlRows};
    MailScanner messages;
    std::unique_ptr<PXScanner> mailScanner;   // a host's own mail scanner, used in place of messages
};
