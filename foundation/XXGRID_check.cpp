// XXGRID validation: one cell, the duplicate check, and the whole-grid check.
//
// A cell is blank when both its text forms are empty (a false boolean is blank). The whole
// grid is checked row by row and column by column, and the first problem wins; a problem
// found later that lies earlier in that order (a blank gap reported at its first blank
// cell or row) is reported before the cell that revealed it.
#include <cstring>

#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"

namespace {

bool isBlankCell(const XXFLD* field) { return !field || field->isEmpty(); }

bool sameValue(const XXFLD& a, const XXFLD& b) {
    if (a.isWide() || b.isWide()) return wcmp(a.getWText(), b.getWText()) == 0;
    return std::strcmp(a.getText(), b.getText()) == 0;
}

}  // namespace

bool XXGRID::validate(int32_t row, int32_t col, XXSTRING& message) {
    const XXFLD_DEF* def = fieldDef(col);
    if (!def) return false;
    const XXFLD* field = getCell(col, row);
    if (!field) return true;
    if (def->checker) return def->checker->check(*this, row, col, message);
    if (def->lookupGrid) {
        if (field->isEmpty()) return true;
        if (def->lookupGrid->findRow(field->getText(), def->lookupCol, def->lookupNoCase)) return true;
        message << def->label << " " << field->getText() << " " << loadString(23);
        return false;
    }
    return true;
}

bool XXGRID::isUnique(int32_t row, int32_t col, XXSTRING& message) const {
    const XXFLD* field = getCell(col, row);
    if (isBlankCell(field)) return true;
    for (int32_t i = 0; i < rowCount(); ++i) {
        if (i == row) continue;
        const XXFLD* other = getCell(col, i);
        if (other && sameValue(*field, *other)) {
            message << loadString(2) << ": " << field->getText();
            return false;
        }
    }
    return true;
}

bool XXGRID::blankMessage(XXSTRING& message) const {
    if (message.length() > 0) message << "\n";
    message << loadString(24) << ":  " << loadString(25);
    return false;
}

bool XXGRID::checkAll(int32_t& row, int32_t& col, XXSTRING& message) {
    int32_t gapStart = -1;   // first row of a run of completely blank rows
    for (int32_t r = 0; r < rowCount(); ++r) {
        bool rowBlank = true;
        for (int32_t c = 0; c < fieldCount_ && rowBlank; ++c) rowBlank = isBlankCell(getCell(c, r));
        if (!rowBlank && gapStart >= 0) {
            row = gapStart;
            col = 0;
            return blankMessage(message);
        }
        int32_t blankCol = -1;   // first blank cell of a column that may not stay blank
        for (int32_t c = 0; c < fieldCount_; ++c) {
            const XXFLD_DEF* def = fieldDefs_.at(c);
            const bool blank = isBlankCell(getCell(c, r));
            if (maxRows_ != 1 && !blank && blankCol >= 0) {
                row = r;
                col = blankCol;
                return blankMessage(message);
            }
            if (!validate(r, c, message)) {
                row = r;
                col = c;
                return false;
            }
            if (blank && def->required) {
                row = r;
                col = c;
                return blankMessage(message);
            }
            if (blank && !def->optional && blankCol < 0) blankCol = c;
        }
        if (rowBlank && gapStart < 0) gapStart = r;
    }
    return true;
}
