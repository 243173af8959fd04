#include "run/MFClient.h"

#include "definitions/PXClientSchema.h"
#include "foundation/XXSTRTABLE.h"
#include "run/PXClient.h"
#include "run/TitledError.h"

MFClient::MFClient(PXClient& client) : client_(client), files(client) {
    PXClientChoosers choosers;
    buildUrlsGrid(urlRows);
    buildFoldersGrid(folderRows, choosers);
    buildMessageOptionsGrid(messageOptions, choosers);
    for (XXGRID* grid : {&urlRows, &folderRows, &messageOptions}) client.addInputGrid(*grid);
}

int32_t MFClient::run(PXInst& run, int32_t kind) {
    inputKind = kind;
    return client_.run(run);
}

int32_t MFClient::resolvedKind() const {
    if (inputKind != automatic) return inputKind;
    if (client_.rowCount(2204) > 0) return mail;     // "Folders"
    if (client_.rowCount(1291) > 0) return urls;     // "URLs"
    if (client_.rowCount(1040) > 0) return fileInput;   // "Input streams"
    return mailScanner ? mail : fileInput;
}

int32_t MFClient::scan(PXInst& run) {
    const int32_t kind = resolvedKind();
    switch (kind) {
    case fileInput: return files.scan(run);
    case mail:
        if (mailScanner) return mailScanner->scan(run);
        break;
    case urls: return http.scan(run);
    default: break;
    }
    TitledError e("MFClient::scan");
    if (kind == mail)
        e << "Mail input is not available in this program";
    else
        e << "Unknown input kind: " << kind;
    e << endMsg;
    return 0;
}
