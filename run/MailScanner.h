// MailScanner: mail input. Every message of the folders named by the scanned rows of the
// "Folders" grid is one input stream: a short header block (subject, date, sender, To
// recipients), an empty line and the body, between the client's run begin and run end.
//
// The "Message options" say whether only messages that no earlier run saw are taken, and
// which profile (and password) of the messaging layer to log on to. When asked to, or when
// the logon fails, the default inbox is walked instead ("Using Simple MAPI" heads the
// summary). Each folder walked is logged with its count; rows whose store or folder is not
// found are listed together under "Unable to process". The "MessageStore" and "Folder"
// sources name the folder being walked, and wildcard outputs follow the folder's name. A
// halt request of level 2 ends the walk after the current message.
#pragma once

#include <cstdint>
#include <string>

#include "definitions/PXGrids.h"
#include "engine/ClientSource.h"
#include "foundation/XXLIB.h"
#include "foundation/XXMEMBUF.h"
#include "run/FolderGrid.h"
#include "run/MAPI1Mgr.h"
#include "run/MAPIMgr.h"
#include "run/PXScanner.h"

class PXClient;

class MailScanner : public PXScanner {
public:
    // Columns of the "Message options" grid.
    static constexpr int32_t newOnlyCol = 0;
    static constexpr int32_t simpleCol = 1;
    static constexpr int32_t profileCol = 2;
    static constexpr int32_t passwordCol = 3;

    // Builds the "Folders" and "Message options" grids and registers them and the mail
    // sources with the client.
    explicit MailScanner(PXClient& client);

    int32_t scan(PXInst& run) override;

    // Called by the walks: kind 0 a folder walk begins (the sources take the names), 1 it
    // ended, 2 the walk of the default inbox begins.
    void folderEvent(int32_t kind, const char* store, const char* folder);
    // Scans one message's text as an input stream.
    void message(PXInst& run, const std::string& subject, const std::string& text);

    MAPIMgr& manager() { return manager_; }

    FolderGrid folders;
    PXGrid options;

private:
    // Walks the "Folders" rows; the messages scanned.
    int32_t scanRows(PXInst& run, bool newOnly);
    // Text of an option (its default when the grid has no row).
    XXSTRING option(int32_t col) const;

    PXClient& client_;
    XXLIB library_;
    MAPIMgr manager_{library_};
    MAPI1Mgr inbox_{library_};
    ClientSource messageStore_{2201};
    ClientSource folder_{2203};
    XXMEMBUF* buffer_ = nullptr;   // the scan's buffer while a scan runs
    int32_t folderCount_ = 0;
};
