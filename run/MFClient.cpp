#include "run/MFClient.h"

#include "definitions/PXClientSchema.h"
#include "foundation/XXSTRTABLE.h"
#include "run/PXClient.h"
#include "run/TitledError.h"

// The URL grid must join the client's grids before the mail scanner's (definition-file
// order), so it is registered before the mail scanner is constructed.
MFClient::MFClient(PXClient& client)
    : client_(client), files(client), messages(registerUrlGrid(client)) {}

PXClient& MFClient::registerUrlGrid(PXClient& client) {
    buildUrlsGrid(urlRows);
    client.addInputGrid(urlRows);
    return client;
}

int32_t MFClient::run(PXInst& run, int32_t kind) {
    inputKind = kind;
    return client_.run(run);
}

int32_t MFClient::resolvedKind() const {
    if (inputKind != automatic) return inputKind;
    if (client_.rowCount(2204) > 0) return mail;     // "Folders"
    if (client_.rowCount(1291) > 0) return urls;     // "URLs"
    return fileInput;   // "Input streams", or no input rows at all
}

int32_t MFClient::scan(PXInst& run) {
    const int32_t kind = resolvedKind();
    switch (kind) {
    case fileInput: return files.scan(run);
    case mail: return mailScanner ? mailScanner->scan(run) : messages.scan(run);
    case urls: return http.scan(run);
    default: break;
    }
    TitledError e("MFClient::scan");
    e << "Unknown input kind: " << kind << endMsg;
    return 0;
}
