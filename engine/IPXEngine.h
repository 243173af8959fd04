// IPXEngine: the scan engine as the client (the run layer) sees it.
//
// A client constructs the engine, builds its schema, hands it the collaborators of a run
// (its callback object, its client sources, its destinations), reads a definition into it
// through definition(), and then runs: prepare, phase 1, scanStream once per input stream,
// phase 6. Operations that report success return 2, failure 0.
#pragma once

#include <cstdint>

#include "engine/IDests.h"
#include "engine/PXInst.h"

class ClientSource;
class IPXDefinition;
class PXGraph;
class PXNode;
class XXGRID;

// The extension library's "QNCallback01": "Execute UDF" actions and, with debugging on,
// code 99 after every node. Arguments: function index (99 for debugging), text 1, text 2,
// node number + 1 (-1 without node), node tag, match start (absolute offset) and length
// (0, 0 without node), the current input buffer, and the user data the client handed over.
extern "C" {
typedef void (*QNCallback01)(int32_t index, const char* text1, const char* text2,
                             int32_t nodeNumber, const char* tag, int64_t matchStart,
                             int32_t matchLength, IXXINBUF* buffer, void* userData);
}

// The client's variable sources (reserved words whose value the client supplies).
class IPXSources {
public:
    // The source named `name` (exact), or null.
    virtual ClientSource* findSource(const char* name) = 0;

protected:
    ~IPXSources() = default;
};

class IPXEngine {
public:
    virtual ~IPXEngine() = default;

    // Gives the definition grids their columns and fills the lookup lists; 2.
    virtual int32_t buildSchema() = 0;
    // Empties the definition; 2.
    virtual int32_t reset() = 0;
    // The grids and graphs, for the definition reader and writer and access by name.
    virtual IPXDefinition& definition() = 0;

    // Set-up: the object handed to the extension library as user data, the client's
    // sources and destinations (any may be null).
    virtual void setUp(void* userData, IPXSources* sources, IDests* dests) = 0;
    // Appends a client grid (Sources, Tables, Destinations) to the definition grid list;
    // `ownsTags`: its names may not be used as tags.
    virtual void addGrid(XXGRID& grid, bool ownsTags) = 0;
    // The application tag that titles the trace ("" in the engine library: "Trace" alone).
    virtual void setAppTag(const char* tag) = 0;
    // The extension library's callback, or null.
    virtual void setCallback(QNCallback01 callback) = 0;

    // Compiles the definition for a run; 2 when usable. `quiet`: unresolved action
    // parameters are not reported.
    virtual int32_t prepare(bool quiet) = 0;
    // The errors collected by the last prepare.
    virtual int32_t errorCount() = 0;
    virtual const char* errorText(int32_t i) = 0;

    // The nodes of all graphs.
    virtual int32_t nodeCount() = 0;
    virtual PXGraph& mainGraph() = 0;
    // The registered grid whose title is `title` (case-insensitive), or null.
    virtual XXGRID* findGridByLabel(const char* title) = 0;
    // A node of the main graph by tag, or by number (0-based); null when there is none.
    virtual PXNode* grabNode(const char* tag) = 0;
    virtual PXNode* grabNode(int32_t number) = 0;
    virtual void releaseNode(PXNode* node) = 0;
    // A node was changed during a run (its text or strings set by name).
    virtual void definitionChanged() = 0;

    // Phase 1 (run begin: trace head, pre-run actions) or 6 (run end: post-run actions,
    // trace tail); 2.
    virtual int32_t phase(int32_t phase, PXInst& run) = 0;
    // Scans run.buffer as one input stream: pre-stream actions, the graph, post-stream
    // actions, its trace.
    virtual int32_t scanStream(PXInst& run) = 0;
};
