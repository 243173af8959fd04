#include "run/MailScanner.h"

#include <exception>

#include "definitions/PXClientSchema.h"
#include "engine/IPXEngine.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"
#include "foundation/platform.h"
#include "run/PXClient.h"
#include "run/TitledError.h"

namespace {

// Points the run and the "InputBuffer" source at a buffer for the life of the object.
class BufferInUse {
public:
    BufferInUse(PXInst& run, InputBuffer& source, IXXINBUF& buffer)
        : run_(run), source_(source), previousBuffer_(run.buffer), previousSource_(source.buffer()) {
        run.buffer = &buffer;
        source.setBuffer(&buffer);
    }
    ~BufferInUse() {
        run_.buffer = previousBuffer_;
        source_.setBuffer(previousSource_);
    }
    BufferInUse(const BufferInUse&) = delete;
    BufferInUse& operator=(const BufferInUse&) = delete;

private:
    PXInst& run_;
    InputBuffer& source_;
    IXXINBUF* previousBuffer_;
    IXXINBUF* previousSource_;
};

}  // namespace

MailScanner::MailScanner(PXClient& client) : client_(client) {
    PXClientChoosers choosers;
    buildFoldersGrid(folders, choosers);
    buildMessageOptionsGrid(options, choosers);
    client.addInputGrid(folders);
    client.addInputGrid(options);
    client.addSource(messageStore_);
    client.addSource(folder_);
    library_.setFileName(modulePathOf(kQNMailLibraryFile).c_str());
}

XXSTRING MailScanner::option(int32_t col) const {
    if (XXROW* row = options.row(0))
        if (XXFLD* field = row->field(col)) return field->getText();
    const XXFLD_DEF* def = options.fieldDef(col);
    return def ? def->defaultText : XXSTRING();
}

int32_t MailScanner::scan(PXInst& run) {
    XXMEMBUF buffer;
    BufferInUse inUse(run, client_.inputBufferSource(), buffer);
    buffer_ = &buffer;
    messageStore_.setText("");
    folder_.setText("");

    client_.runBegin(run);
    int32_t total = 0;
    bool fallback = false;
    try {
        const bool newOnly = toBool(option(newOnlyCol).text());
        std::string why;
        if (toBool(option(simpleCol).text())) {
            total = inbox_.walk(run, *this);
        } else if (manager_.logon(option(profileCol).text(), option(passwordCol).text(), why)) {
            total = scanRows(run, newOnly);
        } else {
            fallback = true;
            XXMSG log(2);
            log << mailResultText(kMailLogonFailed) << ": " << why.c_str() << toLog;
            total = inbox_.walk(run, *this);
        }
    } catch (const std::exception& e) {
        TitledError error("MailScanner::scan");
        error << "unknown exception (" << e.what() << ")" << endMsg;
    }
    messageStore_.setText("");
    folder_.setText("");
    buffer_ = nullptr;

    XXSTRING summary;
    if (fallback) summary << loadString(2186) << " - ";
    summary << loadString(2148) << ":  " << total;
    client_.runEnd(run, summary);
    return 2;
}

int32_t MailScanner::scanRows(PXInst& run, bool newOnly) {
    int32_t total = 0;
    XXSTRING unprocessed;
    for (int32_t r = 0; r < folders.rowCount(); ++r) {
        folderCount_ = 0;
        XXROW* row = folders.row(r);
        const XXSTRING store = row->field(FolderGrid::storeCol)->getText();
        const XXSTRING folder = row->field(FolderGrid::folderCol)->getText();
        if (toBool(row->field(FolderGrid::scanCol)->getText()) && folder.length() > 0) {
            if (manager_.scanFolder(store, folder, run, *this, newOnly) == 2) {
                XXMSG log(2);
                log << folderCount_ << " " << loadString(folderCount_ == 1 ? 2146 : 2147) << " "
                    << loadString(1063) << " " << store << "\\" << folder << quietLog;
            } else {
                if (unprocessed.length() > 0) unprocessed << "\n";
                unprocessed << loadString(1099) << " " << store << "." << folder;
            }
        }
        total += folderCount_;
        if (run.haltAtLeast(2)) break;
    }
    if (unprocessed.length() > 0) {
        XXMSG m;
        m << unprocessed << endMsg;
    }
    return total;
}

void MailScanner::folderEvent(int32_t kind, const char* store, const char* folder) {
    if (kind != 0) return;
    messageStore_.setText(store);
    folder_.setText(folder);
}

void MailScanner::message(PXInst& run, const std::string& subject, const std::string& text) {
    if (!buffer_ || text.empty()) return;
    XXSTRING status;
    const char* folderName = folder_.getText();
    if (*folderName) status << folderName << ": ";
    status << subject.c_str();
    client_.message(status);
    run.matchCount = 0;
    buffer_->setData(text.data(), int64_t(text.size()));
    // Outputs named with wildcards follow the folder, never the subject.
    client_.destinations().notifyAll(2, folderName, folderName);
    if (IPXEngine* engine = client_.engine()) engine->scanStream(run);
    ++folderCount_;
}
