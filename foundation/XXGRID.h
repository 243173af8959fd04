// XXGRID: a table of typed records, the form in which every part of a definition is held.
//
// A grid has column definitions (XXFLD_DEF), optional section marks, and rows (XXROW), each
// row one field per column made by the columns' factories. It is built once by a schema
// (title and key, columns, limits), then filled by writes that create rows on demand:
// writing to row 5 of an empty grid creates rows 0 to 5. Every write that changes a value
// sets `modified`. A master grid keeps each record's detail rows in the record's field 0
// (`subRows`); `subGrid` is the grid that describes and edits those detail rows.
//
// The dialogs use the grid's position: `curRow` (the current record) and `firstRow` (the
// first record shown), with `pageRows` records on a page. Validation checks single cells
// (a column's checker or lookup grid) and the whole grid (required, blank and gap rules).
//
// Every internal fault is reported by a Tracer titled with the method ("XXGRID::getFld")
// before anything changes; the operation then gives its neutral value.
// Tests: tests/foundation/XXGRIDTest.cpp.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/GLIST.h"
#include "foundation/XXFLD.h"
#include "foundation/XXFLD_DEF.h"
#include "foundation/XXLockable.h"
#include "foundation/XXMSG.h"
#include "foundation/XXROW.h"
#include "foundation/XXSTRING.h"

class XXGRID : public XX, public XXLockable {
public:
    // A row limit that never binds.
    static constexpr int32_t kUnlimited = INT32_MAX;

    int32_t kind = 1;              // grid class marker
    int32_t word2 = 0;             // kept as plain storage
    XXSTRING extraText;            // free text; not copied with the grid
    int32_t spare[3] = {0, 0, 0};  // kept for the dialogs

    XXGRID();
    // Copies title, key, counters, position, `modified`, the rows (deeply, with their detail
    // rows), the column definitions, the section marks and `persistent`. The detail grid is
    // shared, not copied; data fields of the copy point at the same objects without owning
    // them (see XXFLD_DataOwner); the copy is not locked.
    XXGRID(const XXGRID& other);
    XXGRID& operator=(const XXGRID& other);
    ~XXGRID() override;

    // --- building ----------------------------------------------------------------------

    // Sets the title (null or empty clears it); with `alsoKey` the key becomes the title
    // without spaces.
    void setTitle(const char* text, bool alsoKey = true);
    void setTitle(int32_t stringId, bool alsoKey = true);
    // Sets only the key (spaces removed).
    void setKey(const char* text);
    void setKey(int32_t stringId);

    // Appends a column and returns its definition, for the schema to complete (flags,
    // default text, help). `width` 0 hides the column.
    XXFLD_DEF& addFld(XXFLDFACTORY factory, const char* label, int32_t width, XXCHOOSER* chooser = nullptr,
                      XXCHECKER* checker = nullptr);
    XXFLD_DEF& addFld(XXFLDFACTORY factory, int32_t labelId, int32_t width, XXCHOOSER* chooser = nullptr,
                      XXCHECKER* checker = nullptr);
    // A column whose values must be found in column `lookupCol` of `lookupGrid`.
    XXFLD_DEF& addFld(XXFLDFACTORY factory, const char* label, int32_t width, XXGRID* lookupGrid,
                      int32_t lookupCol);
    XXFLD_DEF& addFld(XXFLDFACTORY factory, int32_t labelId, int32_t width, XXGRID* lookupGrid,
                      int32_t lookupCol);
    // A column with a help context number.
    XXFLD_DEF& addFld(XXFLDFACTORY factory, const char* label, int32_t width, int32_t helpId,
                      XXCHECKER* checker = nullptr);
    XXFLD_DEF& addFld(XXFLDFACTORY factory, int32_t labelId, int32_t width, int32_t helpId,
                      XXCHECKER* checker = nullptr);
    // Starts a section (heading `labelId`) at the next column.
    void addSection(int32_t labelId);
    void setPageRows(int32_t n) { pageRows_ = n; }
    // Also lowers `pageRows` to `n` when it is larger.
    void setMaxRows(int32_t n);
    void setSubGrid(XXGRID* grid) { subGrid_ = grid; }
    void setPersistent(bool flag) { persistent_ = flag; }

    // --- reading the schema ------------------------------------------------------------

    const XXSTRING& title() const { return title_; }
    const XXSTRING& key() const { return key_; }
    int32_t fieldCount() const { return fieldCount_; }
    int32_t visibleCount() const { return visibleCount_; }
    int32_t pageRows() const { return pageRows_; }
    int32_t maxRows() const { return maxRows_; }
    XXGRID* subGrid() const { return subGrid_; }
    bool persistent() const { return persistent_; }
    const LIST<XXFLD_DEF>& fieldDefs() const { return fieldDefs_; }
    const LIST<XXGRIDSEC>& sections() const { return sections_; }

    // Column queries; a bad index is reported (chkFldNo) and gives "", null, 0 or -1.
    XXFLD_DEF* fieldDef(int32_t col) const;
    const char* label(int32_t col) const;
    XXFLDFACTORY factory(int32_t col) const;
    int32_t width(int32_t col) const;
    int32_t extra(int32_t col) const;
    int32_t presentation(int32_t col) const;
    // The first column whose label equals the text exactly; -1, after a report, when none.
    int32_t getFld(const char* label) const;
    int32_t getFld(int32_t stringId) const;
    // The heading of the section that starts at `col`, or 0.
    int32_t sectionFor(int32_t col) const;
    // True when `col` is a column of this grid; reported otherwise.
    bool chkFldNo(int32_t col) const;

    // --- rows and cells ----------------------------------------------------------------

    int32_t rowCount() const { return rows_ ? rows_->count() : 0; }
    XXROW* row(int32_t i) const { return rows_ ? rows_->at(i) : nullptr; }
    // The row list (created empty when the grid has none).
    XXROWLIST& rowList();
    // Puts a new row list in place and returns the previous one.
    std::unique_ptr<XXROWLIST> replaceRows(std::unique_ptr<XXROWLIST> rows);
    // A new row: one field per column, each with its column's default text.
    std::unique_ptr<XXROW> newRow() const;
    // Appends a new row; returns it.
    XXROW* appendRow();
    // Inserts the row before position `pos` (at the end when `pos` is out of range).
    XXROW* insertRow(int32_t pos, std::unique_ptr<XXROW> row);
    // Deletes the row at `pos`; false when there is none.
    bool removeRow(int32_t pos);

    // The field, or null when the row or the column does not exist.
    XXFLD* getCell(int32_t col, int32_t row) const;
    XXFLD* getCellShown(int32_t col, int32_t rowOnPage) const { return getCell(col, firstRow_ + rowOnPage); }

    // Writes a value: `row` becomes the current record, rows up to it are created, and the
    // field takes the value when it differs (setting `modified`). Writing a blank value into
    // a blank field does nothing. A blank value is stored in the field's own form. False,
    // after a report, for a bad column or a negative row.
    bool setText(int32_t col, int32_t row, const char* text);
    bool setWText(int32_t col, int32_t row, const XXWCHAR* text);
    bool setLong(int32_t col, int32_t row, long long value);
    // Takes the field's master form.
    bool setFromField(int32_t col, int32_t row, const XXFLD& field);
    // Wide when the string holds wide text.
    bool setFromString(int32_t col, int32_t row, const XXSTRING& text);

    // The first row whose field `col` has this text (exactly, or ignoring case), and its
    // position; null when none.
    XXROW* findRow(const char* text, int32_t col, bool noCase, int32_t* position = nullptr) const;
    // Appends one row per row of `other`, whose column 0 takes the other row's field `col`.
    void appendColumnFrom(const XXGRID& other, int32_t col);

    // Sets `owns` / `registry` of every data field of a row list (detail rows included).
    static void setOwns(XXROWLIST& rows, bool owns);
    static void setRegistry(XXROWLIST& rows, IXXDATAREG* registry);

    // --- position (dialogs) ------------------------------------------------------------

    int32_t curRow() const { return curRow_; }
    int32_t firstRow() const { return firstRow_; }
    bool modified() const { return modified_; }
    void setModified(bool flag) { modified_ = flag; }

    // Makes `n` the current record; scrolls when it is a page or more away from the first
    // shown record, centring it.
    void setRecNo(int32_t n);
    // Makes `n` the first shown record; the current record follows when it is off the page.
    void setRec1(int32_t n);
    // The first shown record, after bringing the current record onto the page.
    int32_t getRec1();
    // Moves the record `recNo` by `delta` (not in a single-record form), clamped to
    // 0 .. rowCount(), and scrolls `window` so that it is shown; `rowOnPage` receives its
    // place on the page. The grid's position becomes the result.
    void adjustY(int32_t delta, int32_t& rowOnPage, int32_t& recNo, int32_t& window);
    // Whether the character may be typed into the cell; creates the row when it is missing
    // (`created` is then set). Columns that are not editable accept nothing.
    bool chkVChar(int32_t rowOnPage, int32_t col, int32_t ch, bool& created);

    // --- validation --------------------------------------------------------------------

    // The cell's checker verdict, or its lookup (a blank value passes); `message` receives
    // the reason of a failure.
    bool validate(int32_t row, int32_t col, XXSTRING& message);
    // False, with "Duplicate tag: " + value in `message`, when another row has the same
    // non-blank value in `col`.
    bool isUnique(int32_t row, int32_t col, XXSTRING& message) const;
    // Checks every cell in order and stops at the first problem, returning its place in
    // `row` and `col`: an invalid cell, a blank required cell, a blank cell of a column that
    // is not optional followed by a filled cell of the same row (not in a single-record form),
    // a filled row after a completely blank row. True when the grid is valid.
    bool checkAll(int32_t& row, int32_t& col, XXSTRING& message);

    // --- operations derived grids refine -----------------------------------------------

    // Back to the first record; clears `modified`.
    virtual void resetPosition();
    // Deletes every row (and those of the detail grid), then resetPosition().
    virtual void clearRows();
    // Writes the text as setFromString() does, with the row given from the first shown one.
    virtual bool setField(int32_t col, int32_t rowOnPage, const XXSTRING& text);
    // The allowed values of a cell: the chooser's answer; or, with a lookup grid, its values
    // (caption "Select " + its title) and their number; or 0 and the column's help context
    // in `helpId`; or -1 when the column offers nothing.
    virtual int32_t listChoices(int32_t col, int32_t row, XXSTRING& caption, LIST<XXSTRING>& list,
                                int32_t& helpId);
    // Whether the record may be edited or deleted.
    virtual bool canEdit(int32_t row);
    // Called by the definition reader after each row it adds; `version` is the file's.
    virtual void rowRead(float version, XXROW& row);
    // The column that the first of `values` values of a line of a file of `version` fills:
    // rows of older files may lack leading columns, which then take their defaults. 0 here.
    virtual int32_t firstColumnRead(float version, int32_t values) const;

private:
    XXFLD_DEF& appendFld(XXFLDFACTORY factory, const char* label, int32_t width);
    // Makes `row` current and creates rows up to it; the field, or null after a report.
    XXFLD* cellForWrite(const char* method, int32_t col, int32_t row);
    // Stores the value in the field when it changes it.
    template <typename Text>
    void write(XXFLD& field, const Text* text);
    // Creates rows until `row` exists; false when it cannot.
    bool ensureRow(int32_t row);
    bool blankMessage(XXSTRING& message) const;

    XXSTRING title_;
    XXSTRING key_;
    int32_t fieldCount_ = 0;
    int32_t visibleCount_ = 0;
    int32_t pageRows_ = 10;
    int32_t maxRows_ = kUnlimited;
    int32_t curRow_ = 0;
    int32_t firstRow_ = 0;
    bool modified_ = false;
    std::unique_ptr<XXROWLIST> rows_;
    XXGRID* subGrid_ = nullptr;
    LIST<XXFLD_DEF> fieldDefs_;
    LIST<XXGRIDSEC> sections_;
    bool persistent_ = true;
    bool clearing_ = false;   // guards clearRows() against a detail grid that leads back here
};
