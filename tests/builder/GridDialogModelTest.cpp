// The grid-dialog model driven as a user drives the dialog: keys, typing, buttons, help.
#include <gtest/gtest.h>

#include "builder/XXGRIDD.h"
#include "builder/XXUI.h"
#include "foundation/XXGRID.h"
#include "tests/builder/ScriptedView.h"
#include "tests/support/CaptureSink.h"

namespace {

// Tag (required), Count (integer), On (boolean), Kind (looked up in `kinds`).
struct TestGrid {
    XXGRID kinds;
    XXGRID grid;
    explicit TestGrid(int32_t records, int32_t pageRows = 5) {
        kinds.setTitle("Kinds");
        kinds.addFld(XXFLD_STR::gen, "Kind", 10);
        for (const char* k : {"alpha", "beta", "gamma"}) kinds.setText(0, kinds.rowCount(), k);
        grid.setTitle("Things");
        grid.addFld(XXFLD_ID::gen, "Tag", 10).required = true;
        grid.addFld(XXFLD_INT::gen, "Count", 5);
        grid.addFld(XXFLD_BOOL::gen, "On", 1);
        grid.addFld(XXFLD_STR::gen, "Kind", 10, &kinds, 0);
        grid.setPageRows(pageRows);
        for (int32_t r = 0; r < records; ++r) grid.setText(0, r, ("t" + std::to_string(r)).c_str());
        grid.resetPosition();
    }
};

struct Dialog {
    FakeHost host;
    XXGRIDD model;
    explicit Dialog(XXGRID& grid, int32_t level = 1) : model(grid, level, host) {
        host.model = &model;
        EXPECT_EQ(model.init(), "");
        host.showValues();
    }
};

TEST(GridDialogModel, ScrollBarAndPagingFollowTheRecords) {
    TestGrid many(12), few(3);
    Dialog d(many.grid), small(few.grid);
    EXPECT_TRUE(d.model.showScrollBar());
    EXPECT_FALSE(small.model.showScrollBar());

    // Down from the last row of the page scrolls by one record.
    for (int i = 0; i < 4; ++i) d.model.key(XXKey::down, 0, d.model.rowOnPage());
    EXPECT_EQ(d.model.currentRecord(), 4);
    EXPECT_EQ(many.grid.firstRow(), 0);
    d.model.key(XXKey::down, 0, d.model.rowOnPage());
    EXPECT_EQ(d.model.currentRecord(), 5);
    EXPECT_EQ(many.grid.firstRow(), 1);
    EXPECT_EQ(d.host.at(0, 4), "t5");
    // Page Down moves by a page less one record; Page Up comes back.
    d.model.key(XXKey::pageDown, 0, d.model.rowOnPage());
    EXPECT_EQ(d.model.currentRecord(), 9);
    d.model.key(XXKey::pageUp, 0, d.model.rowOnPage());
    EXPECT_EQ(d.model.currentRecord(), 5);
    // The row after the last record is reachable (for a new record), not further.
    d.model.key(XXKey::pageDown, 0, d.model.rowOnPage());
    d.model.key(XXKey::pageDown, 0, d.model.rowOnPage());
    EXPECT_EQ(d.model.currentRecord(), 12);
    EXPECT_FALSE(d.model.cell(0, d.model.rowOnPage()).exists);
}

TEST(GridDialogModel, TabWrapsAcrossTheVisibleColumns) {
    TestGrid t(2);
    Dialog d(t.grid);
    d.model.key(XXKey::backTab, 0, 0);
    EXPECT_EQ(d.host.focusAt, (std::pair{3, 0}));
    d.model.key(XXKey::tab, 3, 0);
    EXPECT_EQ(d.host.focusAt, (std::pair{0, 0}));
}

TEST(GridDialogModel, CancelAsksOnlyAfterChanges) {
    TestGrid t(2);
    Dialog unchanged(t.grid);
    unchanged.model.command(XXCMD::cancel);
    EXPECT_EQ(unchanged.host.result, -1);
    EXPECT_TRUE(unchanged.host.questions.empty());

    Dialog changed(t.grid);
    changed.host.set(0, 1, "other");
    changed.host.answer = false;
    changed.model.key(XXKey::escape, 0, 1);
    EXPECT_EQ(changed.host.questions, std::vector<std::string>{"OK to lose changes?"});
    EXPECT_EQ(changed.host.result, 99);   // No keeps the dialog
    changed.host.answer = true;
    changed.model.command(XXCMD::cancel);
    EXPECT_EQ(changed.host.result, -2);
    EXPECT_FALSE(t.grid.modified());
}

TEST(GridDialogModel, OkReportsChangesAndStopsAtABlankRequiredCell) {
    TestGrid t(3);
    Dialog same(t.grid);
    same.model.command(XXCMD::ok);
    EXPECT_EQ(same.host.result, -3);

    CaptureSink sink;
    Dialog d(t.grid);
    d.host.set(1, 3, "7");   // a new record with a count but no tag
    d.model.focused(2, 0);
    d.model.command(XXCMD::ok);
    EXPECT_EQ(d.host.result, 99);
    EXPECT_EQ(d.host.errors, std::vector<std::string>{"Invalid input:  blank"});
    EXPECT_EQ(d.host.focusAt, (std::pair{0, 3}));

    d.host.set(0, 3, "t3");
    d.model.command(XXCMD::ok);
    EXPECT_EQ(d.host.result, -4);
    EXPECT_EQ(t.grid.rowCount(), 4);
    EXPECT_EQ(t.grid.getCell(1, 3)->getInt(), 7);
}

TEST(GridDialogModel, TypedCharactersAreCheckedAgainstTheFieldKind) {
    TestGrid t(1);
    Dialog d(t.grid);
    d.host.type(1, 0, "1a2");
    EXPECT_EQ(d.host.at(1, 0), "12");
    EXPECT_EQ(t.grid.getCell(1, 0)->getInt(), 12);
    d.host.type(0, 0, "x\"y");
    EXPECT_STREQ(t.grid.getCell(0, 0)->getText(), "t0xy");
    // Typing into the row after the last creates the record.
    d.host.type(0, 1, "n");
    EXPECT_EQ(t.grid.rowCount(), 2);
    d.host.check(2, 1, true);
    EXPECT_EQ(t.grid.getCell(2, 1)->getInt(), 1);
}

TEST(GridDialogModel, InsertAndDelete) {
    TestGrid t(2);
    Dialog d(t.grid);
    d.model.focused(0, 1);
    d.model.command(XXCMD::insert);
    EXPECT_EQ(t.grid.rowCount(), 3);
    EXPECT_EQ(d.host.at(0, 1), "");
    EXPECT_EQ(d.host.at(0, 2), "t1");

    TestGrid one(1);
    Dialog only(one.grid);
    only.model.command(XXCMD::del);
    EXPECT_EQ(one.grid.rowCount(), 0);
    EXPECT_EQ(only.model.currentRecord(), 0);
    EXPECT_EQ(only.host.at(0, 0), "");
    only.model.command(XXCMD::del);   // nothing left to delete
    EXPECT_EQ(only.host.errors, std::vector<std::string>{"Unable to delete"});
}

TEST(GridDialogModel, ValueListsHelpAndValidationOnLeavingACell) {
    TestGrid t(1);
    t.grid.fieldDef(1)->helpId = 4008;
    Dialog d(t.grid);
    d.host.listPick = 1;
    d.model.key(XXKey::f2, 3, 0);
    EXPECT_EQ(d.host.listShown, (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_STREQ(t.grid.getCell(3, 0)->getText(), "beta");
    d.model.key(XXKey::f1, 1, 0);
    EXPECT_EQ(d.host.helpShown, 4008);
    d.model.key(XXKey::f1, 0, 0);
    EXPECT_EQ(d.host.infos, std::vector<std::string>{"Help - not available"});

    // A value that the lookup does not hold keeps the focus in the cell.
    d.host.set(3, 0, "delta");
    d.host.focusAt = {3, 0};
    d.model.key(XXKey::down, 3, 0);
    ASSERT_EQ(d.host.errors.size(), 1u);
    EXPECT_EQ(d.host.errors[0], "Kind delta not found");
    EXPECT_EQ(d.model.currentRecord(), 0);
}

TEST(GridDialogModel, LayoutAlignsCellsWithTheirLabels) {
    TestGrid t(2);
    XXGRID detail;
    t.grid.setSubGrid(&detail);
    Dialog d(t.grid);
    XXMetrics m;
    const XXDlgLayout table = d.model.layout(m);
    ASSERT_EQ(table.labels.size(), 4u);
    for (const XXDlgCell& c : table.cells) {
        const XXBox& label = table.labels[size_t(c.col)].box;
        if (c.check) {
            EXPECT_GT(c.box.x, label.x);
            EXPECT_LE(c.box.right(), label.right());
        } else {
            EXPECT_EQ(c.box.x, label.x);
            EXPECT_EQ(c.box.w, label.w);
        }
        EXPECT_GE(c.box.y, label.bottom() - 1);
    }
    EXPECT_FALSE(table.horizontalScroll);
    ASSERT_EQ(table.buttons.size(), 5u);
    EXPECT_EQ(table.buttons[0].text, "&Select");
    EXPECT_GE(table.buttons[0].box.x, table.scrollBar.right());
    EXPECT_GE(table.width, table.buttons[0].box.right());

    // A single-record form: labels in a column, cells beside them, no Insert or Delete.
    t.grid.setMaxRows(1);
    t.grid.setSubGrid(nullptr);
    Dialog f(t.grid);
    const XXDlgLayout form = f.model.layout(m);
    EXPECT_TRUE(f.model.vertical());
    EXPECT_EQ(form.buttons.size(), 2u);
    for (const XXDlgCell& c : form.cells) {
        const XXBox& label = form.labels[size_t(c.col)].box;
        EXPECT_EQ(c.box.y, label.y);
        EXPECT_GE(c.box.x, label.right());
    }
    EXPECT_EQ(form.cells[2].checkText, "On");
}

TEST(GridDialogModel, ListDialogShowsAtMostNineOfManyEntries) {
    XXMetrics m;
    EXPECT_EQ(listLayout(12, 10, m).shown, 9);
    EXPECT_EQ(listLayout(9, 10, m).shown, 8);
    EXPECT_EQ(listLayout(5, 10, m).shown, 5);
    const XXListLayout l = listLayout(5, 10, m);
    EXPECT_GE(l.ok.y, l.list.bottom());
    EXPECT_LE(l.cancel.right(), l.width);
}

TEST(GridDialogModel, TheGridStackHoldsTwoLevels) {
    CaptureSink sink;
    ScriptedView view;
    XXUI ui(view);
    EXPECT_TRUE(ui.setGrid(1057));
    EXPECT_TRUE(ui.setGrid(1058));
    EXPECT_FALSE(ui.setGrid(1059));
    EXPECT_TRUE(sink.sawError("XXUI::setGrid - stack overflow"));
    EXPECT_EQ(ui.gridAt(2), 1058);
    ui.popGrid();
    ui.popGrid();
    ui.popGrid();
    EXPECT_TRUE(sink.sawError("XXUI::popGrid - stack underflow"));
    EXPECT_EQ(ui.depth(), 0);
}

}  // namespace
