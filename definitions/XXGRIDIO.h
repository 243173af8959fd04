// XXGRIDIO: the grid rows of a definition file, written and read.
//
// Writing: for every active row of a persistent grid, a master line (the marker token, '!'
// directly followed by the grid key in double quotes, then one token per column), and
// directly after it one line per active detail row kept in the row's field 0, each with one
// token per column of the detail grid. A grid without rows writes nothing.
//
// Reading: every line becomes one new row, whatever it holds. Values are read column by
// column; a row with fewer values gets empty fields for the rest, a row with more values keeps
// the first ones and reports the rest once ("Excess input"). An unquoted "{...}" token in a
// text column is wide text, an unquoted "[...]" token switches a byte column to numeric
// form. Numeric byte values outside 0..255 are dropped and reported here, at most a few times
// per read, so that a damaged file cannot flood the user with reports. The grid's
// firstColumnRead() says which column a line's first value fills (from the file's version
// and the number of values on the line); columns before it take their defaults. After each row the
// grid's rowRead() hook sees it with the file's version, so a grid can rewrite rows of older
// files. A row is complete (one field per column) even when a report ends the read early.
#pragma once

#include <cstdint>
#include <string_view>

#include "definitions/DefTokens.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTREAM.h"

class XXGRIDIO {
public:
    static constexpr char marker = '!';

    float version = 0.0f;   // of the file being read; handed to every grid with each row
    bool quiet = false;     // reports are dropped (the error limit was reached)
    int32_t lineNumber = 0; // the number of the line being read, kept by each row read
    XXSTRING place;         // "file:line: " of that line, put before every report

    // Writes every active row of the grid (and their detail rows). False when a line could
    // not be written.
    bool writeGrid(XXSTREAM& out, const XXGRID& grid) const;

    // Reads one row of `grid` from `tokens` and appends it to `detailRows` when given,
    // otherwise to the grid's rows. For a master row of a grid with a detail grid, the new
    // row's field 0 gets an empty detail list, returned in `newDetailRows`. `line` is the
    // whole line, for messages. Returns the row.
    XXROW* readRow(XXGRID& grid, XXROWLIST* detailRows, DefLine& tokens, std::string_view line,
                   XXROWLIST** newDetailRows = nullptr);

    // Starts a new read: the report counts start again.
    void beginRead(float fileVersion);

private:
    bool writeRow(XXSTREAM& out, const XXGRID& grid, const XXROW& row, bool master) const;
    void setValue(XXFLD& field, const DefToken& token, std::string_view line);
    // Reports an integer or flag value that is no number, or one the column's checker refuses.
    void checkValue(const XXFLD& field, const XXFLD_DEF* def, const DefToken& token, std::string_view line);
    void reportValue(const XXSTRING& reason, const DefToken& token, std::string_view line);
    void reportExcess(std::string_view line);

    int32_t rangeReports_ = 0;
};
