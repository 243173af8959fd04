#include "definitions/PXCheckers.h"

#include "definitions/PXGraphs.h"
#include "foundation/XXSTRTABLE.h"

namespace {

bool isBlankCell(const XXFLD* f) { return !f || f->isEmpty(); }

}  // namespace

bool TagChecker1::check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) {
    if (!grid.isUnique(row, col, message)) return false;
    const XXFLD* field = grid.getCell(col, row);
    if (isBlankCell(field)) return true;
    const XXSTRING tag(field->getText());
    for (XXGRID* owner : owners_) {
        if (!owner || owner == &grid || owner->key() == grid.key()) continue;
        for (int32_t r = 0; r < owner->rowCount(); ++r) {
            const XXFLD* other = owner->getCell(0, r);
            if (other && tag == other->getText()) {
                message << loadString(2) << ": " << tag << " (" << owner->title() << ")";
                return false;
            }
        }
    }
    return true;
}

bool TagChecker2::check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) {
    if (!first_.check(grid, row, col, message)) return false;
    const XXFLD* field = grid.getCell(col, row);
    if (isBlankCell(field)) return true;
    PXGraphIter graphs(graphs_);
    while (PXGraph* g = graphs.next()) {
        if (g->findByTag(field->getText())) {
            message << loadString(2) << ": " << field->getText() << " (" << loadString(1237) << ")";
            return false;
        }
    }
    return true;
}

bool MinMaxChecker::check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) {
    const XXFLD* field = grid.getCell(col, row);
    return !field || checkValue(*field, message);
}

bool MinMaxChecker::checkValue(const XXFLD& field, XXSTRING& message) {
    const int32_t v = field.getInt();
    if (v >= min_ && v <= max_) return true;
    message << loadString(201) << ": " << min_ << ".." << max_;
    return false;
}

bool GT_NextChecker::check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) {
    const XXFLD* field = grid.getCell(col, row);
    const XXFLD* next = grid.getCell(col + 1, row);
    if (!field || isBlankCell(next)) return true;
    if (field->getInt() <= next->getInt()) return true;
    message << grid.label(col) << " " << loadString(202) << " " << grid.label(col + 1);
    return false;
}

bool LT_PrevChecker::check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) {
    const XXFLD* field = grid.getCell(col, row);
    const XXFLD* previous = col > 0 ? grid.getCell(col - 1, row) : nullptr;
    if (isBlankCell(field) || isBlankCell(previous)) return true;
    if (field->getInt() >= previous->getInt()) return true;
    message << grid.label(col) << " " << loadString(203) << " " << grid.label(col - 1);
    return false;
}

// --- character-code choosers -------------------------------------------------------------

CharCodeHelper::CharCodeHelper(bool wide, int32_t titleId, int32_t sectionId) : wide_(wide) {
    form_.setTitle(titleId);
    form_.setMaxRows(1);
    form_.setPersistent(false);
    form_.addSection(sectionId);
    form_.addFld(wide ? XXFLD_WSTR::gen : XXFLD_STR::gen, 1711, 1);
}

int32_t CharCodeHelper::listChoices(XXGRID& grid, int32_t col, int32_t row, XXSTRING&, LIST<XXSTRING>&,
                                    int32_t&) {
    if (!runner_) return -1;
    form_.clearRows();
    form_.appendRow();
    if (!runner_->runForm(form_)) return -1;
    const int32_t code = enteredCode();
    if (code < 0) return -1;
    grid.setLong(col, row, code);
    return 0;
}

int32_t CharCodeHelper::enteredCode() const {
    const XXFLD* f = form_.getCell(0, 0);
    if (isBlankCell(f)) return -1;
    if (wide_) return int32_t(f->getWText()[0]);
    return int32_t(static_cast<unsigned char>(f->getText()[0]));
}
