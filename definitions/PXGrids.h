// The grid classes of a definition.
//
//   PXGrid      every definition grid.
//   AppGrid     a grid that knows the definition interface and keeps a count of its own.
//   EngineGrid  a grid that knows the definition object itself.
//   ActionGrid  an action list (phase actions, an action group's actions): a new Action text
//               in column 0 is looked up in the action catalogue, the row's parameters are
//               collected and the kind is asked to re-prompt them.
//   VarGrid     the variables grid: a new Type text is handed to the variable forms, which
//               convert the value and let the user edit it (the engine installs them).
//   PXErrorList a message whose every emit becomes a row of the error grid.
#pragma once

#include <cstdint>

#include "foundation/XXGRID.h"
#include "foundation/XXMSG.h"

class IPXDefinition;
class IPXFormRunner;
class PXActionCatalogue;
class PXDefinition;

class PXGrid : public XXGRID {
public:
    PXGrid() = default;
    PXGrid(const PXGrid&) = default;
    PXGrid& operator=(const PXGrid&) = default;
};

class AppGrid : public PXGrid {
public:
    int32_t count = 0;
    IPXDefinition* engine = nullptr;
};

class EngineGrid : public AppGrid {
public:
    PXDefinition* definition = nullptr;
};

class ActionGrid : public EngineGrid {
public:
    const PXActionCatalogue* catalogue = nullptr;
    IPXFormRunner* runner = nullptr;

    // Column 0: a text that names an action kind (label or keyword, ignoring case) is stored
    // as the kind's label; the row's parameters are handed to a new action of the kind, which
    // may re-prompt them through the form runner, and the confirmed parameters are written
    // back into columns 1 to 3. Any other text, and every other column, is stored as given.
    bool setField(int32_t col, int32_t rowOnPage, const XXSTRING& text) override;
};

class VarGrid;

// The variable forms as the variables grid sees them (the engine supplies them).
class IPXVarForms {
public:
    virtual ~IPXVarForms() = default;
    // Reacts to the Type text of record `row` changing to `text`; true when the change was
    // made.
    virtual bool changeType(VarGrid& grid, int32_t row, const XXSTRING& text) = 0;
};

class VarGrid : public EngineGrid {
public:
    IPXVarForms* varForms = nullptr;

    // Column 1 (Type) goes to the variable forms when they are installed; everything else
    // is stored as given.
    bool setField(int32_t col, int32_t rowOnPage, const XXSTRING& text) override;
};

// Collects error lines into a grid: each emit appends the text as a new row of column 0 and
// clears the text.
class PXErrorList : public XXMSG {
public:
    explicit PXErrorList(XXGRID& grid) : grid_(grid) { mode = 3; }
    ~PXErrorList() override;
    void emit() override;

private:
    XXGRID& grid_;
};
