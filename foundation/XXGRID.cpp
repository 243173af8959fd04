// XXGRID: building, cells, rows and the dialog position. Validation is in XXGRID_check.cpp.
#include "foundation/XXGRID.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "foundation/XXSTRTABLE.h"

namespace {

// Visits every data field of a row list and of the detail rows its fields hold.
template <typename Visit>
void forEachDataField(XXROWLIST& rows, Visit visit) {
    for (XXROW* row : rows) {
        if (!row) continue;
        for (XXFLD* field : *row) {
            if (!field) continue;
            if (auto* data = dynamic_cast<XXFLD_DataOwner*>(field)) visit(*data);
            if (XXROWLIST* sub = field->subRows()) forEachDataField(*sub, visit);
        }
    }
}

void copyDefinitions(const LIST<XXFLD_DEF>& from, LIST<XXFLD_DEF>& to) {
    to.clear();
    for (const XXFLD_DEF* d : from) to.add(std::make_unique<XXFLD_DEF>(*d));
}

void copySections(const LIST<XXGRIDSEC>& from, LIST<XXGRIDSEC>& to) {
    to.clear();
    for (const XXGRIDSEC* s : from) to.add(std::make_unique<XXGRIDSEC>(*s));
}

}  // namespace

XXGRID::XXGRID() : rows_(std::make_unique<XXROWLIST>()) {}

XXGRID::XXGRID(const XXGRID& other)
    : XX(other),
      XXLockable(other),
      kind(other.kind),
      word2(other.word2),
      spare{other.spare[0], other.spare[1], other.spare[2]},
      title_(other.title_),
      key_(other.key_),
      fieldCount_(other.fieldCount_),
      visibleCount_(other.visibleCount_),
      pageRows_(other.pageRows_),
      maxRows_(other.maxRows_),
      curRow_(other.curRow_),
      firstRow_(other.firstRow_),
      modified_(other.modified_),
      rows_(other.rows_ ? copyRows(*other.rows_) : nullptr),
      subGrid_(other.subGrid_),
      persistent_(other.persistent_) {
    copyDefinitions(other.fieldDefs_, fieldDefs_);
    copySections(other.sections_, sections_);
}

XXGRID& XXGRID::operator=(const XXGRID& other) {
    if (this == &other) return *this;
    kind = other.kind;
    word2 = other.word2;
    std::copy(std::begin(other.spare), std::end(other.spare), std::begin(spare));
    title_ = other.title_;
    key_ = other.key_;
    fieldCount_ = other.fieldCount_;
    visibleCount_ = other.visibleCount_;
    pageRows_ = other.pageRows_;
    maxRows_ = other.maxRows_;
    curRow_ = other.curRow_;
    firstRow_ = other.firstRow_;
    modified_ = other.modified_;
    rows_ = other.rows_ ? copyRows(*other.rows_) : nullptr;
    subGrid_ = other.subGrid_;
    copyDefinitions(other.fieldDefs_, fieldDefs_);
    copySections(other.sections_, sections_);
    persistent_ = other.persistent_;
    return *this;
}

XXGRID::~XXGRID() = default;

// --- building ----------------------------------------------------------------------------

void XXGRID::setTitle(const char* text, bool alsoKey) {
    title_ = isBlank(text) ? "" : text;
    if (alsoKey) setKey(title_.text());
}

void XXGRID::setTitle(int32_t stringId, bool alsoKey) { setTitle(loadString(stringId), alsoKey); }

void XXGRID::setKey(const char* text) {
    XXSTRING k(isBlank(text) ? "" : text);
    k.remove(' ');
    key_ = k;
}

void XXGRID::setKey(int32_t stringId) { setKey(loadString(stringId)); }

XXFLD_DEF& XXGRID::appendFld(XXFLDFACTORY factory, const char* label, int32_t width) {
    auto def = std::make_unique<XXFLD_DEF>();
    def->label = isBlank(label) ? "" : label;
    def->factory = factory;
    def->width = width;
    // One field of the kind tells how it is presented and whether it is shown at all.
    const std::unique_ptr<XXFLD> probe = factory ? factory() : nullptr;
    if (!probe) Tracer("XXGRID::addFld") << "no field kind for column " << fieldCount_ << endMsg;
    def->presentation = probe ? probe->presentation() : -1;
    const bool visible = probe && probe->visible();
    ++fieldCount_;
    if (width > 0 && visible) ++visibleCount_;
    return *fieldDefs_.add(std::move(def));
}

XXFLD_DEF& XXGRID::addFld(XXFLDFACTORY factory, const char* label, int32_t width, XXCHOOSER* chooser,
                          XXCHECKER* checker) {
    XXFLD_DEF& def = appendFld(factory, label, width);
    def.chooser = chooser;
    def.checker = checker;
    return def;
}

XXFLD_DEF& XXGRID::addFld(XXFLDFACTORY factory, int32_t labelId, int32_t width, XXCHOOSER* chooser,
                          XXCHECKER* checker) {
    return addFld(factory, loadString(labelId), width, chooser, checker);
}

XXFLD_DEF& XXGRID::addFld(XXFLDFACTORY factory, const char* label, int32_t width, XXGRID* lookupGrid,
                          int32_t lookupCol) {
    XXFLD_DEF& def = appendFld(factory, label, width);
    if (lookupGrid) {
        def.lookupGrid = lookupGrid;
        def.lookupCol = lookupCol;
    }
    return def;
}

XXFLD_DEF& XXGRID::addFld(XXFLDFACTORY factory, int32_t labelId, int32_t width, XXGRID* lookupGrid,
                          int32_t lookupCol) {
    return addFld(factory, loadString(labelId), width, lookupGrid, lookupCol);
}

XXFLD_DEF& XXGRID::addFld(XXFLDFACTORY factory, const char* label, int32_t width, int32_t helpId,
                          XXCHECKER* checker) {
    XXFLD_DEF& def = appendFld(factory, label, width);
    def.helpId = helpId;
    def.checker = checker;
    return def;
}

XXFLD_DEF& XXGRID::addFld(XXFLDFACTORY factory, int32_t labelId, int32_t width, int32_t helpId,
                          XXCHECKER* checker) {
    return addFld(factory, loadString(labelId), width, helpId, checker);
}

void XXGRID::addSection(int32_t labelId) {
    auto mark = std::make_unique<XXGRIDSEC>();
    mark->labelId = labelId;
    mark->firstCol = fieldCount_;
    sections_.add(std::move(mark));
}

void XXGRID::setMaxRows(int32_t n) {
    maxRows_ = n;
    if (pageRows_ > n) pageRows_ = n;
}

// --- column queries ----------------------------------------------------------------------

bool XXGRID::chkFldNo(int32_t col) const {
    if (col >= 0 && col < fieldCount_ && col < fieldDefs_.count()) return true;
    Tracer("XXGRID::chkFldNo") << col << endMsg;
    return false;
}

XXFLD_DEF* XXGRID::fieldDef(int32_t col) const { return chkFldNo(col) ? fieldDefs_.at(col) : nullptr; }

const char* XXGRID::label(int32_t col) const {
    const XXFLD_DEF* def = fieldDef(col);
    return def ? def->label.text() : "";
}

XXFLDFACTORY XXGRID::factory(int32_t col) const {
    const XXFLD_DEF* def = fieldDef(col);
    return def ? def->factory : nullptr;
}

int32_t XXGRID::width(int32_t col) const {
    const XXFLD_DEF* def = fieldDef(col);
    return def ? def->width : 0;
}

int32_t XXGRID::extra(int32_t col) const {
    const XXFLD_DEF* def = fieldDef(col);
    return def ? def->extra : 0;
}

int32_t XXGRID::presentation(int32_t col) const {
    const XXFLD_DEF* def = fieldDef(col);
    return def ? def->presentation : -1;
}

int32_t XXGRID::getFld(const char* label) const {
    for (int32_t i = 0; i < fieldDefs_.count(); ++i)
        if (fieldDefs_.at(i)->label.equals(label)) return i;
    Tracer("XXGRID::getFld") << "Field not found: " << (label ? label : "") << endMsg;
    return -1;
}

int32_t XXGRID::getFld(int32_t stringId) const { return getFld(loadString(stringId)); }

int32_t XXGRID::sectionFor(int32_t col) const {
    for (const XXGRIDSEC* s : sections_)
        if (s->firstCol == col) return s->labelId;
    return 0;
}

// --- rows --------------------------------------------------------------------------------

XXROWLIST& XXGRID::rowList() {
    if (!rows_) rows_ = std::make_unique<XXROWLIST>();
    return *rows_;
}

std::unique_ptr<XXROWLIST> XXGRID::replaceRows(std::unique_ptr<XXROWLIST> rows) {
    std::swap(rows, rows_);
    return rows;
}

std::unique_ptr<XXROW> XXGRID::newRow() const {
    auto row = std::make_unique<XXROW>();
    for (const XXFLD_DEF* def : fieldDefs_) {
        std::unique_ptr<XXFLD> field = def->factory ? def->factory() : nullptr;
        // A column without a working kind still gets a cell, so that later columns keep
        // their positions (the column was reported when it was added).
        if (!field) field = XXFLD_STR::gen();
        if (def->defaultText.length() > 0) {
            field->clear();
            field->appendText(def->defaultText);
        }
        row->add(std::move(field));
    }
    return row;
}

XXROW* XXGRID::appendRow() { return rowList().add(newRow()); }

XXROW* XXGRID::insertRow(int32_t pos, std::unique_ptr<XXROW> row) {
    if (!row) return nullptr;
    return rowList().insert(pos, std::move(row));
}

bool XXGRID::removeRow(int32_t pos) { return rows_ && rows_->remove(pos); }

bool XXGRID::ensureRow(int32_t row) {
    if (row < 0) return false;
    while (rowCount() - 1 < row) appendRow();
    return true;
}

void XXGRID::setOwns(XXROWLIST& rows, bool owns) {
    forEachDataField(rows, [owns](XXFLD_DataOwner& f) { f.owns = owns; });
}

void XXGRID::setRegistry(XXROWLIST& rows, IXXDATAREG* registry) {
    forEachDataField(rows, [registry](XXFLD_DataOwner& f) { f.registry = registry; });
}

// --- cells -------------------------------------------------------------------------------

XXFLD* XXGRID::getCell(int32_t col, int32_t row) const {
    const XXROW* r = this->row(row);
    return r ? r->at(col) : nullptr;
}

XXFLD* XXGRID::cellForWrite(const char* method, int32_t col, int32_t row) {
    if (!chkFldNo(col)) return nullptr;
    if (row < 0) {
        Tracer(method) << "invalid rec #: " << row << endMsg;
        return nullptr;
    }
    curRow_ = row;
    ensureRow(row);
    return getCell(col, row);
}

template <typename Text>
void XXGRID::write(XXFLD& field, const Text* text) {
    const bool blank = isBlank(text);
    if (blank && field.isEmpty()) return;
    if (!field.differs(text)) return;
    if (!blank)
        field.setValue(text);
    else if (field.isWide())
        field.setValue(u"");
    else
        field.setValue("");
    modified_ = true;
}

bool XXGRID::setText(int32_t col, int32_t row, const char* text) {
    XXFLD* field = cellForWrite("XXGRID::setText", col, row);
    if (!field) return false;
    write(*field, text);
    return true;
}

bool XXGRID::setWText(int32_t col, int32_t row, const XXWCHAR* text) {
    XXFLD* field = cellForWrite("XXGRID::setWText", col, row);
    if (!field) return false;
    write(*field, text);
    return true;
}

bool XXGRID::setLong(int32_t col, int32_t row, long long value) {
    XXSTRING decimal;
    decimal << value;
    return setText(col, row, decimal.text());
}

bool XXGRID::setFromField(int32_t col, int32_t row, const XXFLD& field) {
    return field.isWide() ? setWText(col, row, field.getWText()) : setText(col, row, field.getText());
}

bool XXGRID::setFromString(int32_t col, int32_t row, const XXSTRING& text) {
    return text.isWide ? setWText(col, row, text.wtext()) : setText(col, row, text.text());
}

XXROW* XXGRID::findRow(const char* text, int32_t col, bool noCase, int32_t* position) const {
    if (!text) return nullptr;
    for (int32_t i = 0; i < rowCount(); ++i) {
        const XXFLD* field = getCell(col, i);
        if (!field) continue;
        const char* value = field->getText();
        if (noCase ? strcasecmp(value, text) == 0 : std::strcmp(value, text) == 0) {
            if (position) *position = i;
            return row(i);
        }
    }
    return nullptr;
}

void XXGRID::appendColumnFrom(const XXGRID& other, int32_t col) {
    if (!chkFldNo(0)) return;
    const int32_t n = other.rowCount();
    for (int32_t i = 0; i < n; ++i) {
        const int32_t target = rowCount();
        appendRow();
        if (const XXFLD* field = other.getCell(col, i)) setFromField(0, target, *field);
    }
}

// --- position ----------------------------------------------------------------------------

void XXGRID::setRecNo(int32_t n) {
    if (n < 0) {
        Tracer("XXGRID::setRecNo") << "invalid rec #: " << n << endMsg;
        return;
    }
    curRow_ = n;
    if (std::abs(int64_t(n) - firstRow_) >= pageRows_) firstRow_ = std::max(0, n - pageRows_ / 2);
}

void XXGRID::setRec1(int32_t n) {
    if (n < 0) {
        Tracer("XXGRID::setRec1") << "invalid rec #: " << n << endMsg;
        return;
    }
    firstRow_ = n;
    if (std::abs(int64_t(curRow_) - n) >= pageRows_) curRow_ = n;
}

int32_t XXGRID::getRec1() {
    if (std::abs(int64_t(curRow_) - firstRow_) >= pageRows_) setRec1(curRow_);
    return firstRow_;
}

void XXGRID::adjustY(int32_t delta, int32_t& rowOnPage, int32_t& recNo, int32_t& window) {
    int64_t record = recNo;
    if (maxRows_ != 1) record += delta;
    record = std::clamp<int64_t>(record, 0, rowCount());
    int64_t start = std::max(window, 0);
    if (record < start)
        start = record;
    else if (record > start + pageRows_ - 1)
        start = record - pageRows_ + 1;
    int64_t onPage = record - start;
    if (onPage < 0 || onPage > int64_t(pageRows_) - 1) {
        Tracer("XXGRID::adjustY") << "Vy:" << static_cast<long long>(onPage) << endMsg;
        onPage = 0;
    }
    rowOnPage = int32_t(onPage);
    recNo = int32_t(record);
    window = int32_t(start);
    curRow_ = recNo;
    firstRow_ = window;
}

bool XXGRID::chkVChar(int32_t rowOnPage, int32_t col, int32_t ch, bool& created) {
    created = false;
    if (!chkFldNo(col)) return false;
    const int64_t row = int64_t(firstRow_) + rowOnPage;
    const int32_t before = rowCount();
    if (row < 0 || row > INT32_MAX || !ensureRow(int32_t(row)) || !getCell(col, int32_t(row))) {
        Tracer("XXGRID::chkVChar") << "row creation failure" << endMsg;
        return false;
    }
    created = rowCount() > before;
    return fieldDefs_.at(col)->editable && getCell(col, int32_t(row))->validChar(ch);
}

// --- operations derived grids refine -----------------------------------------------------

void XXGRID::resetPosition() {
    curRow_ = 0;
    firstRow_ = 0;
    modified_ = false;
}

void XXGRID::clearRows() {
    if (clearing_) return;
    clearing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{clearing_};
    if (rows_) rows_->clear();
    if (subGrid_) subGrid_->clearRows();
    resetPosition();
}

bool XXGRID::setField(int32_t col, int32_t rowOnPage, const XXSTRING& text) {
    const int64_t row = int64_t(firstRow_) + rowOnPage;
    if (row > INT32_MAX) {
        Tracer("XXGRID::setField") << "invalid rec #: " << static_cast<long long>(row) << endMsg;
        return false;
    }
    return setFromString(col, int32_t(row), text);
}

int32_t XXGRID::listChoices(int32_t col, int32_t row, XXSTRING& caption, LIST<XXSTRING>& list,
                            int32_t& helpId) {
    const XXFLD_DEF* def = fieldDef(col);
    if (!def) return -1;
    if (def->chooser) return def->chooser->listChoices(*this, col, row, caption, list, helpId);
    if (def->lookupGrid) {
        caption = loadString(106);
        caption << " " << def->lookupGrid->title();
        int32_t n = 0;
        for (int32_t i = 0; i < def->lookupGrid->rowCount(); ++i) {
            const XXFLD* field = def->lookupGrid->getCell(def->lookupCol, i);
            if (!field) continue;
            list.add(field->isWide() ? std::make_unique<XXSTRING>(field->getWText())
                                     : std::make_unique<XXSTRING>(field->getText()));
            ++n;
        }
        return n;
    }
    if (def->helpId != 0) {
        helpId = def->helpId;
        return 0;
    }
    return -1;
}

bool XXGRID::canEdit(int32_t) { return true; }

void XXGRID::rowRead(float, XXROW&) {}

int32_t XXGRID::firstColumnRead(float, int32_t) const { return 0; }
