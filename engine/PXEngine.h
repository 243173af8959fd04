// PXEngine: the scan engine. It is the definition (every grid and graph, PXDefinition) plus
// what a run needs: the run-time tables that preparation compiles from the grids, the graph
// walk over an input buffer, the concrete action kinds, and the collaborators the client
// hands over (destinations, client sources, the extension library's callback).
//
// The work is split by responsibility:
//   PXEngine.cpp        construction, the client's interface, name lookups for actions
//   PXPrepare.cpp       prepare(): sets, variables, file variables, patterns, string sets,
//                       node references, the node check, action lists, counters, lists
//   PXScan.cpp          phases, scanStream, scanGraph (search and walk), running action lists
//   PXSearch.cpp        the start-node search's fast skips
//   PXTrace.cpp         the HTML trace
//   PXActions*.cpp      the 22 action kinds
// Tests: tests/engine/.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "definitions/PXDefinition.h"
#include "definitions/PXSet.h"
#include "engine/IPXEngine.h"
#include "engine/PXFastMatch.h"
#include "engine/PXSearch.h"
#include "engine/PXTrace.h"
#include "engine/PXVariables.h"

class ClientSource;

class PXEngine : public PXDefinition, public IPXEngine {
public:
    PXEngine();
    ~PXEngine() override;
    PXEngine(const PXEngine&) = delete;
    PXEngine& operator=(const PXEngine&) = delete;

    // --- IPXEngine ------------------------------------------------------------------------
    // The definition's schema, the variable forms on the variables grid; 2.
    int32_t buildSchema() override;
    int32_t reset() override;
    IPXDefinition& definition() override { return *this; }
    void setUp(void* userData, IPXSources* sources, IDests* dests) override;
    void addGrid(XXGRID& grid, bool ownsTags) override { PXDefinition::addGrid(grid, ownsTags); }
    void setAppTag(const char* tag) override { appTag_ = tag ? tag : ""; }
    void setCallback(QNCallback01 callback) override { callback_ = callback; }
    int32_t prepare(bool quiet) override;
    int32_t errorCount() override { return errorGrid.rowCount(); }
    const char* errorText(int32_t i) override;
    int32_t nodeCount() override { return nodeGroups.totalNodes(); }
    PXGraph& mainGraph() override { return nodeGroups.main; }
    XXGRID* findGridByLabel(const char* title) override;
    PXNode* grabNode(const char* tag) override;
    PXNode* grabNode(int32_t number) override;
    void releaseNode(PXNode*) override {}
    int32_t phase(int32_t phase, PXInst& run) override;
    int32_t scanStream(PXInst& run) override;

    // The 22 concrete action kinds.
    std::unique_ptr<CAction> makeAction(const PXActionKind& kind) override;

    // --- preparation steps (each reports under its own name) -----------------------------
    bool synchSets8();
    bool synchSets16();
    bool synchPatterns();
    void upgradeMaps();
    // Appends the non-empty keys of the registered grid titled by string `titleId` to the
    // rows of `list`; false, after a report, when no such grid is registered.
    bool appendTags(int32_t titleId, XXGRID& list);
    // Compiles an action grid into a list (`errors`: unresolved names, or null).
    void compileActions(XXGRID& grid, CActions& list, XXSTRING* errors);
    // The same for detail rows; true when a row was rewritten (an older kind upgraded, a
    // keyword replaced by the display name).
    bool compileActions(XXROWLIST& rows, CActions& list, XXSTRING* errors);

    // --- the walk ------------------------------------------------------------------------
    // Searches G's start node from `position` and walks the graph; -2 when the walk ended
    // without an action returning 0 or more, otherwise the bytes consumed from the position
    // at entry. The position is advanced in place; the caller keeps it registered.
    int32_t scanGraph(PXGraph* graph, int32_t& position, PXInst& run, PXNode* caller);
    // Runs every action of the list; the largest result, starting from -2.
    int32_t runActions(CActions& list, PXInst& run, PXNode* node, PXGraph* graph);
    // Graph walks (node groups, Run) and action groups nest at most this deep. A definition
    // that goes deeper calls itself without end: the scan of the stream ends there.
    static constexpr int32_t maxNesting = 100;
    // Enters one more level for `what` (a graph or action group, named by `kind` and
    // `name`); false when that would be too deep, after the first such case of a run is
    // reported, or while an earlier case in this stream unwinds.
    bool enterNesting(PXInst& run, const char* kind, const char* name);
    // Turns the start-node search's fast skips off (tests compare both ways).
    void setFastSearch(bool on) { fastSearch_ = on; }
    // The definition changed during a run (a node's text set by a host, a node group's start
    // node moved): walks under way go on with the plain matchers, and the fast forms are
    // made again at the next stream.
    void definitionChanged() override { fastStale_ = true; }

    // --- run-time tables (rebuilt by every prepare) --------------------------------------
    const std::vector<PXSet8>& sets8Table() const { return sets8_; }
    const std::vector<PXSet16>& sets16Table() const { return sets16_; }
    const std::vector<PXPatternForm>& patternTable() const { return patterns_; }
    std::vector<StringSet>& stringSetTable() { return stringSets_; }
    const std::vector<Variable>& variableTable() const { return variables_; }
    std::vector<int32_t>& counterValues() { return counters_; }
    std::vector<CActions>& groupLists() { return groupLists_; }

    // --- name lookups used by the actions ------------------------------------------------
    // The value field of the variable, or else of the file variable, with that name.
    XXFLD* findVariableValue(const char* name);
    // The compiled string set with that name, or null.
    StringSet* findStringSet(const char* name);
    // The row of the first record whose key is `name` in the grid, or -1; an empty name is
    // never found (so output without a target goes to the default destination).
    static int32_t keyPosition(const XXGRID* grid, const char* name);
    int32_t destinationIndex(const char* name);
    int32_t tableIndex(const char* name);
    int32_t counterIndex(const char* name);
    int32_t actionGroupIndex(const char* name);
    // The node-reference entry of the tag, or -1.
    int32_t nodeRefIndex(const char* tag);
    // The node that last matched with the entry's tag, or null.
    PXNode* nodeOfRef(int32_t index);
    // The graph of the node group (empty name: the main graph), or null.
    PXGraph* findGraph(const char* name);
    ClientSource* findSource(const char* name);

    IDests* dests() const { return dests_; }
    QNCallback01 callback() const { return callback_; }
    void* userData() const { return userData_; }
    PXVarForms& varForms() { return varForms_; }
    PXTrace& trace() { return trace_; }
    // The trace's title: the application tag and "Trace", or "Trace" alone.
    XXSTRING traceTitle() const;

private:
    // Preparation steps without a name of their own.
    void buildVariables();
    void loadFileVariables();
    void compileStringSets();
    void registerNodes();
    bool checkNodes(PXGraph& graph, XXSTRING& actionErrors, bool quiet);
    void compileAllActions(XXSTRING* errors);
    void loadCounters();
    void buildChoiceLists();
    template <typename Set>
    bool synchSets(XXGRID& grid, std::vector<Set>& sets, const char* title);
    // "file:line: " of a grid row read from the definition file, else "".
    XXSTRING rowPlace(const XXROW* row) const;

    // The walk's pieces (PXScan.cpp).
    void recordMatch(PXNode& node, int32_t position, int32_t length, PXInst& run);
    void debugCall(PXInst& run, PXNode* node, PXGraph* graph);
    void resetLists(int32_t phase);
    int32_t search(PXNode& start, const PXFastNode* fast, XXINBUF* plain, int32_t& position, PXInst& run);
    // Drops the search plans and fast tables (the definition may have changed).
    void dropFastTables() {
        fast_.clear();
        plans_.clear();
        fastStale_ = false;
    }

    std::vector<PXSet8> sets8_;
    std::vector<PXSet16> sets16_;
    std::vector<Variable> variables_;
    std::vector<PXPatternForm> patterns_;
    std::vector<StringSet> stringSets_;
    std::vector<CActions> groupLists_;
    std::vector<int32_t> counters_;
    XXSTRING defText_;   // the definition-error text of the current prepare

    PXVarForms varForms_;
    PXTrace trace_{*this};
    PXSearchPlans plans_;
    PXFastTables fast_;
    bool fastSearch_ = true;
    bool fastStale_ = false;   // the fast tables no longer fit the definition

    IDests* dests_ = nullptr;
    IPXSources* sources_ = nullptr;
    void* userData_ = nullptr;
    QNCallback01 callback_ = nullptr;
    XXSTRING appTag_;
};

// One level of nesting for as long as the object lives (PXEngine::enterNesting).
class PXNesting {
public:
    PXNesting(PXEngine& engine, PXInst& run, const char* kind, const char* name)
        : run_(run), entered_(engine.enterNesting(run, kind, name)) {}
    ~PXNesting() {
        if (entered_) --run_.nesting;
    }
    PXNesting(const PXNesting&) = delete;
    PXNesting& operator=(const PXNesting&) = delete;
    explicit operator bool() const { return entered_; }

private:
    PXInst& run_;
    bool entered_;
};

// The engine an action resolves its names in, or null.
PXEngine* engineOf(const CAction& action);
