#include "definitions/XXGRIDIO.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"

namespace {

constexpr int32_t kRangeReports = 5;

std::unique_ptr<XXFLD> makeField(const XXGRID& grid, int32_t col) {
    XXFLDFACTORY factory = grid.fieldDef(col) ? grid.fieldDef(col)->factory : nullptr;
    std::unique_ptr<XXFLD> field = factory ? factory() : nullptr;
    return field ? std::move(field) : XXFLD_STR::gen();
}

// Completes a row that is being read, also when a report ends the read: one field per
// column, and the detail list of a master row.
class RowFinisher {
public:
    RowFinisher(const XXGRID& grid, XXROW& row, XXROWLIST** detail) : grid_(grid), row_(row), detail_(detail) {}
    ~RowFinisher() {
        while (row_.count() < grid_.fieldCount()) {
            XXFLD* f = row_.add(makeField(grid_, row_.count()));
            f->setValue("");
        }
        attachDetail();
    }
    void attachDetail() {
        if (!detail_ || !grid_.subGrid() || row_.count() == 0) return;
        XXFLD* first = row_.field(0);
        if (!first->subRows()) first->setSubRows(std::make_unique<XXROWLIST>());
        *detail_ = first->subRows();
    }

private:
    const XXGRID& grid_;
    XXROW& row_;
    XXROWLIST** detail_;
};

}  // namespace

void XXGRIDIO::beginRead(float fileVersion) {
    version = fileVersion;
    quiet = false;
    rangeReports_ = 0;
}

bool XXGRIDIO::writeGrid(XXSTREAM& out, const XXGRID& grid) const {
    bool ok = true;
    for (int32_t r = 0; r < grid.rowCount(); ++r) {
        const XXROW* row = grid.row(r);
        if (!row || !row->active) continue;
        ok = writeRow(out, grid, *row, true) && ok;
        const XXFLD* first = row->field(0);
        const XXGRID* detail = grid.subGrid();
        if (!first || !first->subRows() || !detail) continue;
        for (const XXROW* d : *first->subRows())
            if (d && d->active) ok = writeRow(out, *detail, *d, false) && ok;
    }
    return ok;
}

bool XXGRIDIO::writeRow(XXSTREAM& out, const XXGRID& grid, const XXROW& row, bool master) const {
    out.clearLine();
    if (master) {
        std::string markerToken(1, marker);
        markerToken += '"';
        markerToken += grid.key().view();
        markerToken += '"';
        out.addToken(markerToken.c_str());
    }
    for (int32_t c = 0; c < grid.fieldCount(); ++c) {
        const XXFLD* f = row.field(c);
        if (f)
            addFieldToken(out, *f);
        else
            out.addToken("");
    }
    return out.endLine();
}

XXROW* XXGRIDIO::readRow(XXGRID& grid, XXROWLIST* detailRows, DefLine& tokens, std::string_view line,
                         XXROWLIST** newDetailRows) {
    XXROWLIST& rows = detailRows ? *detailRows : grid.rowList();
    XXROW* row = rows.add(std::make_unique<XXROW>());
    row->line = lineNumber;
    {
        RowFinisher finish(grid, *row, newDetailRows);
        DefToken token;
        int32_t values = 0;
        for (DefLine count = tokens; count.next(token);) ++values;
        // Rows of older files may lack leading columns: those take their defaults.
        const int32_t first = std::min(grid.firstColumnRead(version, values), grid.fieldCount());
        int32_t col = 0;
        for (; col < first; ++col) {
            const XXFLD_DEF* def = grid.fieldDef(col);
            row->add(makeField(grid, col))->setValue(def ? def->defaultText.text() : "");
        }
        while (tokens.next(token)) {
            if (col >= grid.fieldCount()) {
                reportExcess(line);
                break;
            }
            XXFLD* field = row->add(makeField(grid, col));
            setValue(*field, token, line);
            checkValue(*field, grid.fieldDef(col), token, line);
            if (row->count() == 1) finish.attachDetail();
            ++col;
        }
    }
    grid.rowRead(version, *row);
    return row;
}

void XXGRIDIO::setValue(XXFLD& field, const DefToken& token, std::string_view line) {
    if (!field.isText()) {
        field.setValue(token.text.c_str());
        return;
    }
    if (token.isWide) {
        field.setValue(token.wide.c_str());
        return;
    }
    auto* bytes = dynamic_cast<XXFLD_BYTES*>(&field);
    if (!token.quoted && bytes && !token.text.empty() && token.text[0] == '[') {
        // Numeric form: keep the values a byte can hold and report the others here.
        std::string kept;
        std::string dropped;
        size_t i = 0;
        const std::string& t = token.text;
        while (i < t.size()) {
            if (t[i] < '0' || t[i] > '9') {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
            std::string digits = t.substr(start, i - start);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
            if (digits.size() <= 3 && std::stoi(digits) <= 255)
                kept.append("[").append(digits).append("]");
            else
                dropped += (dropped.empty() ? "" : " ") + digits;
        }
        bytes->setText(false);
        bytes->setValue(kept.c_str());
        if (!dropped.empty()) {
            DefToken values;
            values.text = dropped;
            reportValue("Byte value out of range:", values, line);
        }
        return;
    }
    field.setValue(token.text.c_str());
}

void XXGRIDIO::checkValue(const XXFLD& field, const XXFLD_DEF* def, const DefToken& token, std::string_view line) {
    // Flags are numbers too (0 or 1): a text there is most often a value one column early.
    if (!(dynamic_cast<const XXFLD_INT*>(&field) || dynamic_cast<const XXFLD_BOOL*>(&field)) || token.isWide) return;
    const std::string& t = token.text;
    if (t.empty()) return;
    int32_t n = 0;
    const auto [end, ec] = std::from_chars(t.data() + (t[0] == '+' ? 1 : 0), t.data() + t.size(), n);
    if (ec != std::errc() || end != t.data() + t.size()) {
        // A blank-free text that is no 32-bit integer would be read as some other number.
        reportValue("Not a number:", token, line);
        return;
    }
    XXSTRING reason;
    if (def && def->checker && !def->checker->checkValue(field, reason)) reportValue(reason, token, line);
}

void XXGRIDIO::reportValue(const XXSTRING& reason, const DefToken& token, std::string_view line) {
    if (quiet || rangeReports_++ >= kRangeReports) return;
    Error e;
    e << place << loadString(54) << " - " << reason << "  (" << token.text.c_str() << ")  [" << lineForMessage(line)
      << "]" << endMsg;
}

void XXGRIDIO::reportExcess(std::string_view line) {
    Error e(quiet ? 3 : 0);
    e << place << loadString(54) << " - " << loadString(29) << "  [" << lineForMessage(line) << "]" << endMsg;
}
