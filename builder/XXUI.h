// XXUI: the grid stack and the editing of a grid on a copy of its rows.
//
// Two grid dialogs can be open at once, a grid and the detail grid of one of its records;
// the stack holds their grid numbers. A grid is edited on a copy of its rows: the dialog
// works on the copy, which replaces the grid's rows only when the dialog ends with OK after
// changes (-4); any other end puts the grid's own rows back untouched.
// Tests: tests/builder/GridEditingTest.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/XXROW.h"

class IXXView;
class XXGRID;

// Swaps a copy of a grid's rows in for as long as it lives; keep() makes the copy stay.
//
// Objects that rows carry (a node group's graph) stay with the grid's own rows while the
// copy is edited; the copy's fields only point at them. Rows deleted in the copy hand their
// fields to the copy's registry. When the copy is kept it takes the objects over and those
// of the deleted rows are freed; otherwise nothing changes hands.
class XXRowsCopy {
public:
    explicit XXRowsCopy(XXGRID& grid);
    ~XXRowsCopy();
    XXRowsCopy(const XXRowsCopy&) = delete;
    XXRowsCopy& operator=(const XXRowsCopy&) = delete;
    void keep();

private:
    struct Deleted : IXXDATAREG {
        std::vector<std::unique_ptr<XXFLD_DataOwner>> fields;
        void adopt(std::unique_ptr<XXFLD_DataOwner> field) override { fields.push_back(std::move(field)); }
    };

    Deleted deleted_;   // declared first: it outlives the copy's rows
    XXGRID& grid_;
    std::unique_ptr<XXROWLIST> original_;
};

class XXUI {
public:
    static constexpr int32_t kLevels = 2;

    explicit XXUI(IXXView& view) : view_(view) {}

    // Pushes a grid number; a third push reports "XXUI::setGrid - stack overflow" and fails.
    bool setGrid(int32_t gridId);
    // Pops; at 0 reports "XXUI::popGrid - stack underflow".
    void popGrid();
    int32_t depth() const { return depth_; }
    int32_t gridAt(int32_t level) const { return level >= 1 && level <= depth_ ? stack_[level - 1] : 0; }
    // Non-zero while a grid dialog is open.
    int32_t busy() const { return depth_; }

    // Edits the grid in a dialog on a copy of its rows; the dialog's result, or -1 when the
    // stack is full.
    int32_t editGrid(XXGRID& grid, int32_t gridId);
    // Runs the dialog on the rows the grid holds now, on the next level.
    int32_t runDialog(XXGRID& grid, int32_t gridId);

    IXXView& view() const { return view_; }

private:
    IXXView& view_;
    int32_t depth_ = 0;
    int32_t stack_[kLevels] = {0, 0};
};
