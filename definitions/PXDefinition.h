// PXDefinition: everything a definition is made of, built once and lent out.
//
// The constructor creates every definition grid empty, the checkers and choosers, the
// lookup lists, the action catalogue and the graphs. buildSchema() then gives the grids their
// titles, keys, columns and detail grids, joins them to the definition grid list in file
// order, builds the tag-owner list, fills the lookup lists and installs the action
// prototypes (makeAction, which the engine overrides with its concrete kinds). reset()
// empties the definition.
//
// The definition grid list, in the order the definition file holds them:
//   0 Node Groups     1 Comment           2 Sets (8-bit)      3 Sets (16-bit)
//   4 Pattern / Node Group (a lookup list, not written)        5 Patterns
//   6 Action groups   7 Pre-run Actions   8 Post-run Actions  9 Pre-stream Actions
//  10 Post-stream Actions  11 Variables  12 File variables   13 Counters  14 Map
//  15 String Sets     then the grids the client adds (Sources, Tables, Destinations).
// Master grids keep each record's detail rows in the record's field 0; the detail grids
// below (ranges, pattern elements, ...) describe them.
//
// Grids are lent with the take / give-back operations of IPXDefinition; PXEngine derives
// from this class and adds preparation and scanning.
#pragma once

#include <cstdint>
#include <memory>

#include "definitions/CAction.h"
#include "definitions/IPXDefinition.h"
#include "definitions/PXActionCatalogue.h"
#include "definitions/PXCheckers.h"
#include "definitions/PXGraphs.h"
#include "definitions/PXGrids.h"
#include "foundation/GLIST.h"
#include "foundation/XXGRID.h"

// Column positions that preparation and the actions read.
namespace PXCOL {
constexpr int32_t tag = 0;             // every master grid
// Variables
constexpr int32_t varType = 1;
constexpr int32_t varValue = 2;
constexpr int32_t varIgnoreCase = 3;
// File variables
constexpr int32_t fileVarFile = 1;
constexpr int32_t fileVarComment = 2;
constexpr int32_t fileVarContents = 3;
constexpr int32_t fileVarManager = 4;
// Counters
constexpr int32_t counterInitial = 1;
// Range rows of sets
constexpr int32_t rangeStart = 0;
constexpr int32_t rangeEnd = 1;
// Pattern element rows
constexpr int32_t elementSet = 0;
constexpr int32_t elementMin = 1;
constexpr int32_t elementMax = 2;
// Map rows; string-set rows hold Enabled first and the map columns after it
constexpr int32_t mapText = 0;
constexpr int32_t mapOtherText = 1;
constexpr int32_t mapTarget = 2;
constexpr int32_t mapIgnoreCase = 3;
constexpr int32_t ssetEnabled = 0;
// Action grids
constexpr int32_t actionKind = 0;
constexpr int32_t firstParm = 1;
constexpr int32_t parmCount = 3;
}  // namespace PXCOL

class PXDefinition : public IPXDefinition {
public:
    PXDefinition();
    ~PXDefinition() override;
    PXDefinition(const PXDefinition&) = delete;
    PXDefinition& operator=(const PXDefinition&) = delete;

    // Whether this definition is the scan engine (set by the engine; actions reach their
    // engine through it without a type query on every run of an action).
    bool isEngine() const { return isEngine_; }

    // Builds the schema (once; later calls change nothing) and returns 2.
    int32_t buildSchema();
    // Empties the definition: the rows of every definition grid, the graphs, the four action
    // lists and the lookup lists that preparation fills. Returns 2.
    int32_t reset();

    // The prototype of an action kind. The base gives a plain CAction carrying the kind's
    // names; the engine gives its concrete kinds.
    virtual std::unique_ptr<CAction> makeAction(const PXActionKind& kind);

    // --- IPXDefinition ------------------------------------------------------------------
    int32_t getGridCount() override;
    int32_t grabGrid(int32_t position, XXGRID*& grid) override;
    int32_t grabGrid(const char* key, XXGRID*& grid) override;
    int32_t releaseGrid(const char* key) override;
    int32_t grabGraphs(PXGraphs*& graphs) override;
    int32_t releaseGraphs() override;
    const PXActionCatalogue& actionCatalogue() override { return catalogue; }

    // --- lists --------------------------------------------------------------------------
    const ALIST<XXGRID>& definitionGrids() const { return grids_; }
    const ALIST<XXGRID>& tagOwners() const { return tagOwners_; }
    // Appends a grid of the client (Sources, Tables, Destinations) to the definition grid
    // list, and to the tag-owner list when `ownsTags`.
    void addGrid(XXGRID& grid, bool ownsTags = false);
    // The first definition grid with this key (exact), or null; not taken.
    XXGRID* findGrid(const char* key) const;
    // The first definition grid whose title is the text of string `titleId`, or null.
    XXGRID* findGridByTitle(int32_t titleId) const;

    // --- hooks the user interface and the client install --------------------------------
    // The form runner (dialogs) used by choosers and by action grids.
    void setFormRunner(IPXFormRunner* runner);
    IPXFormRunner* formRunner() const { return runner_; }
    // The choosers of the node-group names and of the file-variable files.
    void setClientChoosers(XXCHOOSER* definitionFile, XXCHOOSER* file);

    // --- lookup lists (not written to files) --------------------------------------------
    PXGrid reservedWords;
    PXGrid setVarNames;     // set and variable names a pattern element may name
    PXGrid targets;
    PXGrid actionKinds;     // the listed kinds' labels
    PXGrid varTypes;
    PXGrid errorGrid;       // rows added by errorList
    PXErrorList errorList{errorGrid};

    // --- the definition grids, by role --------------------------------------------------
    PXGraphs nodeGroups;    // also holds the main graph
    PXGrid comment;
    PXGrid sets8, sets8Ranges;
    PXGrid sets16, sets16Ranges;
    PXGrid patternNames;
    PXGrid patterns, patternElements;
    PXGrid actionGroups;
    ActionGrid actionGroupActions;
    ActionGrid preRunActions, postRunActions, preStreamActions, postStreamActions;
    VarGrid variables;
    PXGrid fileVariables;
    PXGrid counters;
    PXGrid maps, mapRows;
    PXGrid stringSets, stringSetRows;

    // --- the four phase action lists, filled from the phase grids before a run ----------
    CActions preRun, postRun, preStream, postStream;

    PXActionCatalogue catalogue;

    // --- checkers and choosers ----------------------------------------------------------
    TagChecker1 tagChecker1{tagOwners_};
    TagChecker2 tagChecker2{tagChecker1, nodeGroups};
    MinMaxChecker byteRange{0, 255};
    MinMaxChecker wordRange{0, 65535};
    GT_NextChecker minChecker;
    LT_PrevChecker maxChecker;
    ByteValHelper byteValHelper;
    WordValHelper wordValHelper;

protected:
    bool isEngine_ = false;

private:
    void buildLookups();
    void buildGrids();
    void buildActionGrid(ActionGrid& grid, int32_t titleId);
    void buildMapColumns(XXGRID& grid);
    void join(XXGRID& grid) { grids_.add(&grid); }

    ALIST<XXGRID> grids_;
    ALIST<XXGRID> tagOwners_;
    IPXFormRunner* runner_ = nullptr;
    bool built_ = false;
};
