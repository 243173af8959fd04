// Column definitions of a grid, section marks, and the hooks a column may point at.
//
// XXFLD_DEF describes one column: its caption, the factory of its field kind, its display
// size, and how its values are checked (a checker object, a lookup grid) or offered (a
// chooser object, a help context). Columns are addressed by index; the grid keeps one
// definition per column in order. Checkers, choosers and lookup grids belong to whoever
// built the schema (the engine); a column only points at them.
#pragma once

#include <cstdint>

#include "foundation/GLIST.h"
#include "foundation/XXFLD.h"
#include "foundation/XXSTRING.h"

class XXGRID;

// Checks one cell of a grid (tags, value ranges, the order of two columns).
class XXCHECKER {
public:
    virtual ~XXCHECKER() = default;
    // True when the cell at (`row`, `col`) of `grid` is valid; when it is not, the reason is
    // appended to `message`.
    virtual bool check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) = 0;
    // The same check for a checker that looks at the value alone (a range), used on values
    // read from a file before they join a grid; checkers that need the row accept.
    virtual bool checkValue(const XXFLD&, XXSTRING&) { return true; }
};

// Supplies the allowed values of a column, or edits the cell itself (a value picker).
class XXCHOOSER {
public:
    virtual ~XXCHOOSER() = default;
    // Fills `caption` and appends the allowed values to `list`; the number of entries, 0
    // with a help context number in `helpId`, or -1 when it has nothing to offer.
    virtual int32_t listChoices(XXGRID& grid, int32_t col, int32_t row, XXSTRING& caption,
                                LIST<XXSTRING>& list, int32_t& helpId) = 0;
};

class XXFLD_DEF {
public:
    XXSTRING label;                      // column caption
    XXFLDFACTORY factory = nullptr;      // makes a field of the column's kind
    int32_t width = 0;                   // display width in characters; 0 = hidden
    int32_t extra = 0;                   // a second size value set by the schema
    XXCHECKER* checker = nullptr;        // not owned
    XXCHOOSER* chooser = nullptr;        // not owned
    XXGRID* lookupGrid = nullptr;        // its column `lookupCol` lists the allowed values
    int32_t lookupCol = 0;
    int32_t helpId = 0;                  // help context number; 0 = none
    int32_t presentation = -1;           // the field kind's presentation code
    bool editable = true;                // the user may type into the column
    uint8_t spare1 = 1;                  // kept as plain storage
    bool optional = false;               // may stay blank before a filled column
    bool required = false;               // may never be blank
    bool lookupNoCase = false;           // lookups ignore case
    uint8_t spare2 = 0;                  // kept as plain storage
    XXSTRING defaultText;                // given to the column's field of every new row
};

// A section heading (a string-table number) that starts at column `firstCol`.
struct XXGRIDSEC {
    int32_t labelId = 0;
    int32_t firstCol = 0;
};
