// QNLib: the client of the engine library. It is a PXClient that runs synchronously on the
// caller's thread, and the object behind the IQN01 interface that hosts hold.
//
// It adds to PXClient the input scanners (MFClient), a memory input buffer for host blocks,
// the status (0 no usable definition, 2 a definition loaded and prepared) and the buffer-
// mode flag that tells runBody whether a run scans the host's block or the definition's own
// inputs. Its information messages go to the host's callback with kind 0.
//
// Loading (loadDefinition): a null path means "QN"; the definition extension is tried when
// the path has none; a name that is not found is looked for once more in the library's own
// directory. When nothing opens, "Unable to open" and the path go to the host (kind 1) and
// the client is emptied. A definition that opens but does not prepare is reported with its
// error list, so the host learns why the status stayed 0. A run or scan with status 0
// writes its log lines and scans nothing.
//
// For command-line hosts a client also takes per-run settings: the trace switch, a log
// name that stands in for the definition's, where output without a destination goes, file
// patterns or URLs that replace the definition's own inputs for one run, and a callback
// after every input file.
//
// Not copyable: a client owns a loaded definition and its libraries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/XXMEMBUF.h"
#include "include/quilcore.h"
#include "library/IQN01Face.h"
#include "run/MFClient.h"
#include "run/PXClient.h"

class QNLib : public PXClient, public IQN01Face<QNLib> {
public:
    QNLib();
    ~QNLib() override;

    // --- IQN01, in slot order (slot 8, load, is loadDefinition) ----------------------------
    int32_t count(int32_t* n) override;
    int32_t enumerate(int32_t index, const char** name, int32_t* type, int32_t* value) override;
    int32_t getInt(const char* name, int32_t* value) override;
    int32_t set(const char* grid, const char* key, int32_t field, const char* text) override;
    int32_t setBytes(const char* grid, const char* key, int32_t field, const void* bytes,
                     int32_t length) override;
    int32_t get(const char* grid, const char* key, int32_t field, const char** value,
                int32_t* length) override;
    int32_t getAt(const char* grid, int32_t row, int32_t field, const char** value,
                  int32_t* length) override;
    // Installs the callback for the whole library and for this client's messages.
    int32_t setMsg(QNMsgCallback callback) override;
    int32_t status() override { return status_; }
    int32_t scan(const void* bytes, int32_t length) override;
    int32_t run() override;
    int32_t unload() override;

    // Loads a definition (see above); the status, 2 or 0.
    int32_t loadDefinition(const char* path);

    // --- PXClient --------------------------------------------------------------------------
    // As PXClient's; the trace is titled "Trace" alone, as the library has no application
    // object.
    bool init() override;
    bool readDefinition() override;
    void runBody(PXInst& run) override;
    void scanInputs(PXInst& run) override;
    void message(const char* text) override;
    void preRunHook(PXInst& run) override;
    void postRunHook(PXInst& run) override;
    std::unique_ptr<PXClient> freshClient() override;

    // --- settings of command-line hosts ----------------------------------------------------
    void setTrace(bool on) { traceSwitch = on; }
    // The run log's name for the runs that follow ("" the definition's own).
    void setLogName(const char* name) { logOverride_ = name ? name : ""; }
    // Where output without a destination goes ("" back to "out.tmp"), created anew or
    // appended to.
    void setDefaultOutput(const char* fileName, bool append);
    // Runs over `patterns` instead of the definition's input rows, with file input; the rows
    // are put back afterwards. `filesPerPattern` (may be empty) receives each pattern's number of
    // matching files, counted before the run. 2.
    int32_t runFiles(const std::vector<std::string>& patterns, std::vector<int32_t>* filesPerPattern);
    // Runs over `urls` (in this order) instead of the definition's input rows, with URL input;
    // the rows are put back afterwards. 2.
    int32_t runURLs(const std::vector<std::string>& urls);
    // Called after every input file of a run with the files done and their bytes.
    using ProgressFn = std::function<void(int32_t files, int64_t bytes)>;
    void setProgress(ProgressFn progress) { progress_ = std::move(progress); }

    // The callback this client's messages go to (its own, else the library's).
    QNMsgCallback messageCallback() const;
    MFClient& scanners() { return scanners_; }

private:
    int32_t loadBody(const char* path);
    // One run with a ConsoleInst, with the log-name override in place.
    int32_t runOnce();
    // One run of input kind `kind` over the rows `fill` puts into `rows` (emptied first, and
    // given their own rows back afterwards). 2.
    int32_t runOver(PXGrid& rows, int32_t kind, const std::function<void(PXGrid&)>& fill);
    // The steps of a run over the host's block.
    void scanBuffer(PXInst& run);
    // The path that load opens for `path`: as given, with the extension, or in the library's
    // directory; "" when none opens.
    XXSTRING findDefinition(const char* path) const;
    void reportDefinitionErrors();

    MFClient scanners_{*this};
    XXMEMBUF memory_;
    bool bufferMode_ = false;
    int32_t status_ = 0;
    bool prepared_ = false;           // the last readDefinition prepared the engine
    QNMsgCallback callback_ = nullptr;
    std::string logOverride_;
    ProgressFn progress_;
    int32_t filesDone_ = 0;
    int64_t bytesDone_ = 0;
};
