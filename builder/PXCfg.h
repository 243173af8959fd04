// PXCfg: the builder's client, and its grid-editing entry points.
//
// PXCfg is the client that holds the open definition (a PXBatchClient, so that what the
// builder edits is exactly what quilrun loads and runs). It edits any grid of the
// definition or of the client by title or key, alone (updateGrid), one record's detail rows
// (updateDetail), or master and detail together (updateGrids): the master grid is edited on
// a copy of its rows; Select (or Enter) on a record opens that record's detail rows in the
// detail grid on the second level, and the master dialog comes back afterwards. It is also
// the form runner of the definition's value pickers and the source of the choosers of the
// grid dialogs, and it edits a node's actions in the action grid dialog.
// Tests: tests/builder/GridEditingTest.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "builder/XXUI.h"
#include "definitions/PXCheckers.h"
#include "foundation/XXFLD_DEF.h"
#include "run/PXBatchClient.h"

class IXXView;
class PXNode;

class PXCfg : public PXBatchClient, public IPXFormRunner {
public:
    explicit PXCfg(IXXView& view);
    ~PXCfg() override;

    // Builds the client (init) and installs the form runner; true when the engine is there.
    bool setUp();

    // The grid whose title or key is `name` (case and spaces ignored): the definition's
    // grids first, then the client's own; null when none.
    XXGRID* findGrid(const char* name) const;

    // Edits the grid named `name`; 2, or 0 after "grabGrid: " + name when there is none.
    int32_t updateGrid(const char* name);
    // Edits the detail rows of record `record` of the grid named by string `titleId`; 2, or
    // 0 after "grabGrid" when there is none.
    int32_t updateDetail(int32_t titleId, int32_t record);
    // Master-detail editing of the grid named `name`; 2, or 0 after "grabGrid 1" (no such
    // grid) or "no subgrid".
    int32_t updateGrids(const char* name);

    // Edits the actions of `node` in the action grid dialog, one a row (kind, parameters).
    // When the dialog ends with OK after changes, the rows are compiled into the node's new
    // actions as the phase actions are; true then.
    bool editNodeActions(PXNode& node);

    // IPXFormRunner: a value picker's one-record form; true when confirmed.
    bool runForm(XXGRID& form) override;
    XXCHOOSER* fieldHelper(int32_t kind) override;
    void message(const char* text) override;

    // The definition's modified flag: set by every confirmed edit, cleared by a successful
    // load or save.
    bool modified = true;
    XXUI ui;

protected:
    IXXView& view_;

private:
    // Edits one record's detail rows in the detail grid; true when they changed.
    bool editDetail(XXGRID& master, int32_t record);

    std::vector<std::unique_ptr<XXCHOOSER>> choosers_;
};
