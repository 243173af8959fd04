// XXGRIDD: the model of one grid dialog, the dialog generated from any XXGRID.
//
// The model decides everything a grid dialog shows and does, and the window layer only
// draws it and forwards events: the caption, which columns have cells and which cells are
// check boxes, where every label, cell, the scroll bar and the buttons go (from the font
// metrics the window layer measures), the current cell, the keys (Page Up / Page Down by a
// page less one record, Up / Down, Tab wrapping across the visible columns), the character
// check of typed characters, writing a cell back into the grid and validating it when the
// user leaves it, F1 help and F2 value lists, Insert, Delete, Select, and the whole-grid
// check on OK. The dialog's results: -4 OK after changes, -3 OK without changes, -2 cancelled
// after changes were confirmed lost, -1 cancelled without changes, 0 or more the record
// picked with Select.
//
// Cells are addressed by visible column (hidden columns have no cell) and row on the page.
// What needs the user (questions, message boxes, the value list, the present text of a
// cell control, ending the dialog) goes through IXXGridHost.
// Tests: tests/builder/GridDialogModelTest.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class XXGRID;
class XXFLD;

// What the grid model asks of the dialog that shows it.
class IXXGridHost {
public:
    virtual ~IXXGridHost() = default;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void information(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    // The text an edit cell holds now, and the state of a check-box cell.
    virtual std::string editedText(int32_t col, int32_t rowOnPage) = 0;
    virtual bool editedCheck(int32_t col, int32_t rowOnPage) = 0;
    // Shows every cell and the scroll bar again from the model.
    virtual void showValues() = 0;
    virtual void focus(int32_t col, int32_t rowOnPage) = 0;
    virtual void end(int32_t result) = 0;
    // The list dialog: the index of the chosen entry, or -1.
    virtual int32_t pickFromList(const std::string& caption, const std::vector<std::string>& entries,
                                 int32_t preselected, int32_t cellWidth) = 0;
    virtual void contextHelp(int32_t helpId) = 0;
};

// Keys that cells hand to the dialog.
enum class XXKey { pageUp, pageDown, up, down, tab, backTab, escape, enter, f1, f2 };

// Measures of the dialog font, in pixels.
struct XXMetrics {
    int32_t charUnit = 8;       // 1.3 average character widths
    int32_t rowHeight = 22;     // 1.5 lines
    int32_t scrollBar = 16;
    int32_t checkBox = 18;
    // Width of a text in pixels (labels of buttons and section headings).
    std::function<int32_t(const std::string&)> textWidth;
};

struct XXBox {
    int32_t x = 0, y = 0, w = 0, h = 0;
    int32_t right() const { return x + w; }
    int32_t bottom() const { return y + h; }
};

struct XXDlgLabel {
    XXBox box;
    std::string text;
    bool section = false;    // a section heading
    bool bordered = false;   // table layout labels are framed column headings
};

struct XXDlgCell {
    XXBox box;
    int32_t col = 0;         // visible column
    int32_t rowOnPage = 0;
    bool check = false;      // a check box
    std::string checkText;   // a check box's own text (vertical layout)
    int32_t maxLength = 0;   // text limit of an edit cell
};

struct XXDlgButton {
    XXBox box;
    int32_t command = 0;
    std::string text;
};

struct XXDlgLayout {
    std::vector<XXDlgLabel> labels;
    std::vector<XXDlgCell> cells;
    XXBox scrollBar;
    bool horizontalScroll = false;
    std::vector<XXDlgButton> buttons;
    int32_t width = 0, height = 0;   // client area
};

// What a cell shows.
struct XXCellView {
    std::string text;
    bool checked = false;
    bool exists = false;     // the record exists
};

// Geometry of the list dialog.
struct XXListLayout {
    int32_t shown = 0;       // entries visible at a time
    XXBox list;
    XXBox ok, cancel;
    int32_t width = 0, height = 0;
};
XXListLayout listLayout(int32_t entries, int32_t cellWidth, const XXMetrics& m);

class XXGRIDD {
public:
    XXGRIDD(XXGRID& grid, int32_t level, IXXGridHost& host);

    XXGRID& grid() const { return grid_; }
    int32_t level() const { return level_; }
    // Checks the grid and sets the position; "" or the fault ("grid width = 0", ...).
    std::string init();

    // --- what the dialog shows ---------------------------------------------------------
    std::string caption() const;
    bool vertical() const;
    bool form() const;
    int32_t columns() const { return int32_t(cols_.size()); }
    int32_t pageRows() const;
    int32_t gridCol(int32_t col) const { return cols_.at(size_t(col)); }
    // The visible column of a grid column, or -1.
    int32_t visibleCol(int32_t gridCol) const;
    bool isCheck(int32_t col) const;
    std::vector<int32_t> buttons() const;
    XXDlgLayout layout(const XXMetrics& m) const;
    XXCellView cell(int32_t col, int32_t rowOnPage) const;
    bool showScrollBar() const;
    int32_t scrollMaximum() const;
    int32_t currentRecord() const;

    int32_t curCol() const { return curCol_; }
    int32_t rowOnPage() const { return rowOnPage_; }

    // --- events ------------------------------------------------------------------------
    // A cell gained the focus.
    void focused(int32_t col, int32_t rowOnPage);
    // A cell lost the focus: its text (or state) goes back into the grid.
    void writeBack(int32_t col, int32_t rowOnPage);
    // A typed character; true when the cell control may take it (it is then written back).
    bool typed(int32_t col, int32_t rowOnPage, int32_t ch);
    void key(XXKey k, int32_t col, int32_t rowOnPage);
    // A button or a command key (XXCMD numbers).
    void command(int32_t cmd);
    // The scroll bar moved to record `record`.
    void scrollTo(int32_t record);
    // F1 or F2 on a cell: its help, its value list, or its value picker.
    void help(int32_t col, int32_t rowOnPage);

private:
    XXFLD* field(int32_t col, int32_t rowOnPage) const;
    // Moves the current record by `delta` and shows it.
    void move(int32_t delta);
    void place(int32_t record);
    void refocus();
    bool validateCell(int32_t col, int32_t rowOnPage);
    void ok();
    void cancel();
    void insert();
    void remove();

    XXGRID& grid_;
    int32_t level_;
    IXXGridHost& host_;
    std::vector<int32_t> cols_;   // grid column of each visible column
    int32_t curCol_ = 0;
    int32_t rowOnPage_ = 0;
};
