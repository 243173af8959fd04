#include "builder/XXGRIDD.h"

#include <algorithm>

#include "builder/XXCommands.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"

namespace {

constexpr int32_t kMinChars = 2;
constexpr int32_t kMaxChars = 30;
constexpr int32_t kMaxCellText = 254;
constexpr size_t kShortCaption = 50;
constexpr int32_t kListMaxShown = 10;
const char* const kLoseChanges = "OK to lose changes?";

int32_t clampChars(int32_t n) { return std::clamp(n, kMinChars, kMaxChars); }

int32_t textLength(const char* text) { return text ? int32_t(std::char_traits<char>::length(text)) : 0; }

// Button and heading texts without their '&' markers.
std::string plain(const char* text) {
    std::string s = text ? text : "";
    std::erase(s, '&');
    return s;
}

int32_t measure(const XXMetrics& m, const std::string& text) {
    return m.textWidth ? m.textWidth(text) : int32_t(text.size()) * m.charUnit;
}

// The column's field kind, made once to read how it presents itself.
std::unique_ptr<XXFLD> sampleField(const XXGRID& grid, int32_t col) {
    XXFLDFACTORY factory = grid.factory(col);
    return factory ? factory() : nullptr;
}

}  // namespace

XXGRIDD::XXGRIDD(XXGRID& grid, int32_t level, IXXGridHost& host) : grid_(grid), level_(level), host_(host) {
    for (int32_t c = 0; c < grid.fieldCount(); ++c) {
        if (grid.width(c) <= 0) continue;
        auto sample = sampleField(grid, c);
        if (sample && sample->visible()) cols_.push_back(c);
    }
}

std::string XXGRIDD::init() {
    if (cols_.empty()) return "grid width = 0";
    if (pageRows() <= 0) return "grid height = 0";
    curCol_ = 0;
    rowOnPage_ = grid_.curRow() - grid_.getRec1();
    if (rowOnPage_ < 0 || rowOnPage_ >= pageRows()) {
        Tracer t("XXUI::procGrid");
        t << "grid synch" << endMsg;
        rowOnPage_ = 0;
    }
    return "";
}

// --- what the dialog shows -----------------------------------------------------------------

std::string XXGRIDD::caption() const {
    std::string text = grid_.extraText.length() > 0 ? grid_.extraText.text() : grid_.title().text();
    if (text.size() < kShortCaption) text += "   (press F1 for help)";
    return text;
}

bool XXGRIDD::form() const { return grid_.maxRows() == 1; }

// A grid may ask for the vertical layout through its first dialog word.
bool XXGRIDD::vertical() const { return form() || grid_.spare[0] == 1; }

int32_t XXGRIDD::pageRows() const { return grid_.pageRows(); }

int32_t XXGRIDD::visibleCol(int32_t gridCol) const {
    const auto it = std::find(cols_.begin(), cols_.end(), gridCol);
    return it == cols_.end() ? -1 : int32_t(it - cols_.begin());
}

bool XXGRIDD::isCheck(int32_t col) const { return grid_.presentation(gridCol(col)) == 2; }

std::vector<int32_t> XXGRIDD::buttons() const {
    std::vector<int32_t> shown;
    if (grid_.subGrid()) shown.push_back(XXCMD::select);
    if (!form()) {
        shown.push_back(XXCMD::insert);
        shown.push_back(XXCMD::del);
    }
    shown.push_back(XXCMD::ok);
    shown.push_back(XXCMD::cancel);
    return shown;
}

XXDlgLayout XXGRIDD::layout(const XXMetrics& m) const {
    XXDlgLayout out;
    const int32_t margin = m.charUnit;
    const int32_t rows = pageRows();
    const int32_t rh = m.rowHeight;
    int32_t cellsRight = margin;
    int32_t cellsBottom = margin;

    auto addCell = [&](int32_t col, int32_t r, XXBox box) {
        XXDlgCell cell;
        cell.col = col;
        cell.rowOnPage = r;
        cell.check = isCheck(col);
        cell.maxLength = std::min(grid_.width(gridCol(col)), kMaxCellText);
        if (cell.check) {
            if (vertical()) cell.checkText = grid_.label(gridCol(col));
            else box = {box.x + 10, box.y + (box.h - m.checkBox) / 2, m.checkBox, m.checkBox};
        }
        cell.box = box;
        cellsRight = std::max(cellsRight, cell.box.right());
        cellsBottom = std::max(cellsBottom, cell.box.bottom());
        out.cells.push_back(cell);
    };

    if (vertical()) {
        int32_t y = margin + (form() ? rh / 2 : 0);
        std::vector<int32_t> colY;
        int32_t labelW = 0, recordW = 0;
        for (int32_t c = 0; c < columns(); ++c) {
            const int32_t gc = gridCol(c);
            if (form() && grid_.sectionFor(gc)) {
                const std::string heading = plain(loadString(grid_.sectionFor(gc)));
                out.labels.push_back({{margin, y, measure(m, heading) + m.charUnit, rh}, heading, true, false});
                y += rh;
            }
            const int32_t len = textLength(grid_.label(gc));
            labelW = std::max(labelW, clampChars(len + 1) * m.charUnit);
            recordW = std::max(recordW, clampChars(isCheck(c) ? len + 2 : grid_.width(gc)) * m.charUnit);
            // A check box carries its label itself; the label column stays empty beside it.
            const std::string label = isCheck(c) ? std::string() : std::string(" ") + grid_.label(gc);
            out.labels.push_back({{margin, y, 0, rh}, label, false, false});
            colY.push_back(y);
            y += rh;
        }
        for (XXDlgLabel& l : out.labels)
            if (!l.section) l.box.w = labelW;
        const int32_t cellsX = margin + labelW;
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < columns(); ++c)
                addCell(c, r, {cellsX + r * recordW, colY[size_t(c)], recordW - 2, rh - 2});
        out.horizontalScroll = true;
        out.scrollBar = {cellsX, cellsBottom + 2, std::max(cellsRight - cellsX, m.scrollBar), m.scrollBar};
    } else {
        int32_t x = margin;
        std::vector<int32_t> colX, colW;
        for (int32_t c = 0; c < columns(); ++c) {
            const int32_t gc = gridCol(c);
            int32_t w = clampChars(std::max(textLength(grid_.label(gc)) + 1, grid_.width(gc))) * m.charUnit;
            if (isCheck(c)) w = std::max(w, 10 + m.checkBox + 6);   // the box sits 10 pixels in
            out.labels.push_back({{x, margin, w, rh}, std::string(" ") + grid_.label(gc), false, true});
            colX.push_back(x);
            colW.push_back(w);
            x += w;
        }
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < columns(); ++c)
                addCell(c, r, {colX[size_t(c)], margin + rh + r * (rh - 1), colW[size_t(c)], rh});
        cellsRight = std::max(cellsRight, x);
        out.scrollBar = {cellsRight, margin + rh, m.scrollBar, (rh - 1) * rows + 1};
    }

    // The button column, right of the cells and the scroll bar.
    int32_t buttonW = 0;
    for (int32_t id : {105, 103, 104, 100, 101}) buttonW = std::max(buttonW, measure(m, plain(loadString(id))));
    buttonW += 2 * m.charUnit;
    const int32_t bx = std::max(cellsRight, out.scrollBar.right()) + 2 * m.charUnit;
    int32_t by = margin;
    const std::vector<int32_t> shown = buttons();
    const int32_t labelIds[] = {100, 101, 0, 103, 104, 105};   // by command - 1001
    for (int32_t cmd : shown) {
        out.buttons.push_back({{bx, by, buttonW, rh + 4}, cmd, loadString(labelIds[cmd - XXCMD::ok])});
        by += std::max(4 * m.charUnit, rh + 8);
    }
    out.width = bx + buttonW + margin;
    out.height = std::max(std::max(cellsBottom, out.scrollBar.bottom()), by) + margin;
    return out;
}

XXFLD* XXGRIDD::field(int32_t col, int32_t rowOnPage) const {
    return grid_.getCellShown(gridCol(col), rowOnPage);
}

XXCellView XXGRIDD::cell(int32_t col, int32_t rowOnPage) const {
    XXCellView view;
    view.exists = grid_.firstRow() + rowOnPage < grid_.rowCount();
    if (!view.exists) return view;
    const XXFLD* f = field(col, rowOnPage);
    if (!f) {
        view.text = "*****";
        return view;
    }
    if (isCheck(col)) view.checked = f->getInt() != 0;
    else view.text = f->getText();
    return view;
}

bool XXGRIDD::showScrollBar() const { return grid_.rowCount() > pageRows() || grid_.firstRow() > 0; }

int32_t XXGRIDD::scrollMaximum() const { return grid_.rowCount(); }

int32_t XXGRIDD::currentRecord() const { return grid_.firstRow() + rowOnPage_; }

// --- events --------------------------------------------------------------------------------

void XXGRIDD::focused(int32_t col, int32_t rowOnPage) {
    if (col < 0 || col >= columns() || rowOnPage < 0 || rowOnPage >= pageRows()) {
        Tracer t("XXUI::procSubWin");
        t << "WinID :" << "Vx=" << col << "Vy=" << rowOnPage << endMsg;
        return;
    }
    curCol_ = col;
    rowOnPage_ = rowOnPage;
}

void XXGRIDD::writeBack(int32_t col, int32_t rowOnPage) {
    const int32_t gc = gridCol(col);
    const bool exists = grid_.firstRow() + rowOnPage < grid_.rowCount();
    XXSTRING value;
    if (isCheck(col)) {
        const bool checked = host_.editedCheck(col, rowOnPage);
        if (exists ? cell(col, rowOnPage).checked == checked : !checked) return;
        value = checked ? "1" : "";
    } else {
        std::string text = host_.editedText(col, rowOnPage);
        // An unchanged cell is not written again: some grids act on every write (a new
        // variable type asks for the value again).
        if (exists ? cell(col, rowOnPage).text == text : text.empty()) return;
        if (text.size() > size_t(kMaxCellText)) text.resize(size_t(kMaxCellText));
        auto sample = sampleField(grid_, gc);
        const XXFLD* f = exists ? field(col, rowOnPage) : sample.get();
        if (f && f->isWide() && !text.empty()) {
            XXWSTRING wide;
            if (!AToW(XXSTRING(text.c_str()), wide)) {
                Tracer t("XXUI::updateGrid");
                t << "XXUI::updateGrid - AToW conversion" << endMsg;
                return;
            }
            value = XXSTRING(wide.text());
        } else {
            value = text.c_str();
        }
    }
    const bool wasModified = grid_.modified();
    grid_.setModified(false);
    grid_.setField(gc, rowOnPage, value);
    const bool changed = grid_.modified();
    grid_.setModified(wasModified || changed);
    if (changed) host_.showValues();
}

bool XXGRIDD::typed(int32_t col, int32_t rowOnPage, int32_t ch) {
    bool created = false;
    const bool accepted = grid_.chkVChar(rowOnPage, gridCol(col), ch, created);
    if (created) host_.showValues();
    return accepted;
}

bool XXGRIDD::validateCell(int32_t col, int32_t rowOnPage) {
    const int32_t record = grid_.firstRow() + rowOnPage;
    if (record >= grid_.rowCount()) return true;
    XXSTRING message;
    const bool valid = grid_.validate(record, gridCol(col), message);
    if (message.length() > 0) {
        if (valid) host_.information(message.text());
        else host_.error(message.text());
    }
    return valid;
}

void XXGRIDD::key(XXKey k, int32_t col, int32_t rowOnPage) {
    switch (k) {
    case XXKey::enter: command(XXCMD::select); return;
    case XXKey::f1:
    case XXKey::f2: help(col, rowOnPage); return;
    default: break;
    }
    writeBack(col, rowOnPage);
    if (!validateCell(col, rowOnPage)) return;
    const int32_t page = std::max(pageRows() - 1, 1);
    switch (k) {
    case XXKey::escape: command(XXCMD::cancel); break;
    case XXKey::up: move(-1); break;
    case XXKey::down: move(1); break;
    case XXKey::pageUp: move(-page); break;
    case XXKey::pageDown: move(page); break;
    case XXKey::tab:
    case XXKey::backTab: {
        const int32_t step = k == XXKey::tab ? 1 : -1;
        if (vertical() && !form()) {
            move(step);
        } else {
            curCol_ = (curCol_ + step + columns()) % columns();
            refocus();
        }
        break;
    }
    default: break;
    }
}

void XXGRIDD::place(int32_t record) {
    int32_t window = grid_.firstRow();
    grid_.adjustY(0, rowOnPage_, record, window);
}

void XXGRIDD::move(int32_t delta) {
    int32_t record = currentRecord();
    int32_t window = grid_.firstRow();
    grid_.adjustY(delta, rowOnPage_, record, window);
    host_.showValues();
    refocus();
}

void XXGRIDD::refocus() { host_.focus(curCol_, rowOnPage_); }

void XXGRIDD::scrollTo(int32_t record) {
    place(std::clamp(record, 0, grid_.rowCount()));
    host_.showValues();
    refocus();
}

void XXGRIDD::command(int32_t cmd) {
    place(currentRecord());
    switch (cmd) {
    case XXCMD::ok: ok(); break;
    case XXCMD::cancel: cancel(); break;
    case XXCMD::save1003: host_.information("Save!\nUnimplemented."); break;
    case XXCMD::insert: insert(); break;
    case XXCMD::del: remove(); break;
    case XXCMD::select:
        // Only an existing record has detail rows to open.
        if (grid_.subGrid() && currentRecord() < grid_.rowCount()) {
            writeBack(curCol_, rowOnPage_);
            host_.end(currentRecord());
        }
        break;
    default: break;
    }
}

void XXGRIDD::ok() {
    writeBack(curCol_, rowOnPage_);
    int32_t row = 0, col = 0;
    XXSTRING message;
    if (grid_.checkAll(row, col, message)) {
        const int32_t result = grid_.modified() ? -4 : -3;
        grid_.setModified(false);
        host_.end(result);
        return;
    }
    if (message.length() > 0) host_.error(message.text());
    place(row);
    curCol_ = std::max(visibleCol(col), 0);
    host_.showValues();
    refocus();
}

void XXGRIDD::cancel() {
    if (!grid_.modified()) {
        host_.end(-1);
    } else if (host_.askYesNo(kLoseChanges)) {
        grid_.setModified(false);
        host_.end(-2);
    }
}

void XXGRIDD::insert() {
    if (form()) return;
    writeBack(curCol_, rowOnPage_);
    grid_.insertRow(currentRecord(), grid_.newRow());
    grid_.setModified(true);
    host_.showValues();
    refocus();
}

void XXGRIDD::remove() {
    if (form()) return;
    int32_t record = currentRecord();
    if (record >= grid_.rowCount() || !grid_.canEdit(record)) {
        host_.error(loadString(27));
        return;
    }
    grid_.removeRow(record);
    grid_.setModified(true);
    while (record > grid_.rowCount() - 1 && record > 0) --record;
    place(record);
    host_.showValues();
    refocus();
}

void XXGRIDD::help(int32_t col, int32_t rowOnPage) {
    writeBack(col, rowOnPage);
    const int32_t gc = gridCol(col);
    const std::string before = cell(col, rowOnPage).text;
    XXSTRING caption;
    LIST<XXSTRING> entries;
    int32_t helpId = 0;
    const int32_t n = grid_.listChoices(gc, grid_.firstRow() + rowOnPage, caption, entries, helpId);
    if (n < 0) {
        host_.information("Help - not available");
    } else if (n == 0 && helpId >= 1) {
        host_.contextHelp(helpId);
    } else if (entries.count() > 0) {
        std::vector<std::string> list;
        int32_t preselected = -1;
        for (const XXSTRING* e : entries) {
            if (e->view() == before) preselected = int32_t(list.size());
            list.emplace_back(e->text());
        }
        const int32_t pick = host_.pickFromList(caption.text(), list, preselected, grid_.width(gc));
        if (pick >= 0 && pick < int32_t(list.size())) {
            std::string chosen = list[size_t(pick)];
            if (chosen.size() > size_t(kMaxCellText)) {
                Tracer t("XXUI::procList");
                t << "LB string length =" << int32_t(chosen.size()) << endMsg;
                chosen.resize(size_t(kMaxCellText));
            }
            grid_.setField(gc, rowOnPage, XXSTRING(chosen.c_str()));
            host_.showValues();
            refocus();
        }
    } else if (cell(col, rowOnPage).text != before) {
        // A value picker filled the cell itself.
        host_.showValues();
        refocus();
    } else {
        host_.information("Help - No data available");
    }
}

XXListLayout listLayout(int32_t entries, int32_t cellWidth, const XXMetrics& m) {
    XXListLayout out;
    out.shown = std::min(entries, kListMaxShown);
    if (out.shown > 8) --out.shown;
    const int32_t margin = m.charUnit;
    const int32_t buttonW = std::max(6 * m.charUnit, measure(m, "Cancel") + 2 * m.charUnit);
    const int32_t gap = m.charUnit;
    // The list is never narrower than the two buttons under it.
    const int32_t listW = std::max(int32_t(clampChars(cellWidth) * m.charUnit * 1.1), 2 * buttonW + gap);
    const int32_t clientW = std::max(listW + 2 * margin, 14 * m.charUnit);
    const int32_t entryH = std::max(int32_t(m.rowHeight * 0.75), 1);
    out.list = {(clientW - listW) / 2, margin, listW, entryH * std::max(out.shown, 1) + 6};
    const int32_t by = out.list.bottom() + margin;
    const int32_t left = (clientW - 2 * buttonW - gap) / 2;
    out.ok = {left, by, buttonW, m.rowHeight + 4};
    out.cancel = {left + buttonW + gap, by, buttonW, m.rowHeight + 4};
    out.width = std::max(clientW, out.cancel.right() + margin);
    out.height = out.ok.bottom() + margin;
    return out;
}
