// XXROW: one record of a grid, an owning list of fields in column order.
//
// A row holds one field per column of its grid, made by the columns' factories; field i is
// the cell of column i. Rows, and the row lists that grids and cells keep, are copied deeply:
// every field is cloned, together with the detail rows it holds.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/GLIST.h"
#include "foundation/XXFLD.h"

class XXROW : public LIST<XXFLD> {
public:
    bool active = true;   // only active rows are written to the definition file
    int32_t line = 0;     // the line of the file the row was read from, 0 when not read

    XXROW() = default;
    ~XXROW() override;
    XXROW(XXROW&&) noexcept = default;
    XXROW& operator=(XXROW&&) noexcept = default;

    // A deep copy: every field cloned (a field that cannot be cloned leaves a text field
    // in its place, so later columns keep their positions).
    std::unique_ptr<XXROW> clone() const;
    // The field of column `col`, or null.
    XXFLD* field(int32_t col) const { return at(col); }
};

// A deep copy of a row list.
std::unique_ptr<XXROWLIST> copyRows(const XXROWLIST& rows);
