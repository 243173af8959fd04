#include "builder/XXUI.h"

#include "builder/IXXView.h"
#include "foundation/XXGRID.h"

XXRowsCopy::XXRowsCopy(XXGRID& grid) : grid_(grid) {
    auto copy = copyRows(grid.rowList());
    XXGRID::setOwns(*copy, false);
    XXGRID::setRegistry(*copy, &deleted_);
    original_ = grid.replaceRows(std::move(copy));
}

XXRowsCopy::~XXRowsCopy() {
    if (original_) grid_.replaceRows(std::move(original_));   // the copy goes, owning nothing
}

void XXRowsCopy::keep() {
    XXGRID::setOwns(*original_, false);
    XXGRID::setOwns(grid_.rowList(), true);
    XXGRID::setRegistry(grid_.rowList(), nullptr);
    for (auto& field : deleted_.fields) field->owns = true;
    deleted_.fields.clear();
    original_.reset();
}

bool XXUI::setGrid(int32_t gridId) {
    if (depth_ >= kLevels) {
        Tracer t("XXUI::setGrid");
        t << "XXUI::setGrid - stack overflow" << endMsg;
        return false;
    }
    stack_[depth_++] = gridId;
    return true;
}

void XXUI::popGrid() {
    if (depth_ <= 0) {
        Tracer t("XXUI::popGrid");
        t << "XXUI::popGrid - stack underflow" << endMsg;
        return;
    }
    stack_[--depth_] = 0;
}

int32_t XXUI::runDialog(XXGRID& grid, int32_t gridId) {
    if (!setGrid(gridId)) return -1;
    const int32_t result = view_.runGridDialog(grid, depth_);
    popGrid();
    return result;
}

int32_t XXUI::editGrid(XXGRID& grid, int32_t gridId) {
    if (depth_ >= kLevels) return runDialog(grid, gridId);   // reports the overflow
    XXRowsCopy copy(grid);
    grid.resetPosition();
    const int32_t result = runDialog(grid, gridId);
    if (result == -4) copy.keep();
    return result;
}
