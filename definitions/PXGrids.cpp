#include "definitions/PXGrids.h"

#include "definitions/CAction.h"
#include "definitions/PXActionCatalogue.h"

bool ActionGrid::setField(int32_t col, int32_t rowOnPage, const XXSTRING& text) {
    const PXActionKind* kind = col == 0 && catalogue ? catalogue->find(text.isWide ? "" : text.text()) : nullptr;
    if (!kind || !kind->prototype) return XXGRID::setField(col, rowOnPage, text);
    const int32_t row = firstRow() + rowOnPage;
    if (!XXGRID::setField(0, rowOnPage, XXSTRING(kind->label.text()))) return false;

    std::unique_ptr<CAction> action = kind->prototype->clone();
    action->engine = definition;
    for (int32_t i = 1; i < fieldCount(); ++i) {
        const XXFLD* f = getCell(i, row);
        if (!f) continue;
        if (f->isWide())
            action->setParm(i - 1, f->getWText());
        else
            action->setParm(i - 1, f->getText(), nullptr);
    }
    if (!action->edit(runner)) return true;
    for (int32_t i = 1; i < fieldCount(); ++i) setFromString(i, row, action->parm(i - 1));
    setRecNo(row);
    return true;
}

bool VarGrid::setField(int32_t col, int32_t rowOnPage, const XXSTRING& text) {
    if (col == 1 && varForms) return varForms->changeType(*this, firstRow() + rowOnPage, text);
    return XXGRID::setField(col, rowOnPage, text);
}

PXErrorList::~PXErrorList() {
    // The text left at the end goes to the grid like any other.
    if (text.length() > 0) emit();
}

void PXErrorList::emit() {
    if (text.length() == 0) return;
    if (XXROW* row = grid_.appendRow())
        if (XXFLD* f = row->field(0)) f->setValue(text);
    text = "";
}
