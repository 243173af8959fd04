// Variables: forms and their edit dialogs, the variable checker, type changes and file
// variables.
#include "engine/PXVariables.h"

#include <cctype>
#include <cstring>

#include "foundation/XXGRID.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTREAM.h"
#include "foundation/XXSTRTABLE.h"
#include "foundation/XXWCHAR.h"

namespace {

constexpr int32_t kNameCol = 0;
constexpr int32_t kTypeCol = 1;
constexpr int32_t kValueCol = 2;
constexpr int32_t kIgnoreCaseCol = 3;

XXWCHAR unitAt(const unsigned char* at) { return XXWCHAR(at[0] | at[1] << 8); }

XXSTRING narrowOf(const XXSTRING& text) {
    if (!text.isWide) return text;
    XXSTRING narrow;
    WToA(text.wide, narrow);
    return narrow;
}

}  // namespace

bool equalUnitsNoCase(const unsigned char* a, const unsigned char* b, int32_t units) {
    for (int32_t i = 0; i < units; ++i)
        if (wlower(unitAt(a + 2 * i)) != wlower(unitAt(b + 2 * i))) return false;
    return true;
}

// --- forms -------------------------------------------------------------------------------

VarForm::VarForm(int32_t nameId, bool text, bool wideText)
    : name(loadString(nameId)), isWide(wideText ? 1 : 0), isText(text ? 1 : 0) {}

std::unique_ptr<VarForm> VarForm::clone() const {
    reportError("PVF: VarForm::clone");
    return nullptr;
}

bool VarForm::edit(const char*, XXFLD_BYTES&, bool&) { return false; }

ByteForm::ByteForm(PXEngine* e) : VarForm(1201, false, false), engine(e) {}

std::unique_ptr<VarForm> ByteForm::clone() const {
    auto copy = std::make_unique<ByteForm>(engine);
    copy->dialogs = dialogs;
    return copy;
}

bool ByteForm::edit(const char* varName, XXFLD_BYTES& value, bool&) {
    if (!dialogs) return true;
    XXGRID form;
    form.setTitle(name);
    form.setPageRows(6);
    form.addFld(XXFLD_INT::gen, varName ? varName : "", 3, 4012, &byteRange_);
    for (int32_t i = 0; i < value.getByteCount(); ++i) form.setLong(0, i, value.getBytes()[i]);
    form.setRecNo(0);
    if (!dialogs->runForm(form)) return false;
    XXSTRING text;
    for (int32_t i = 0; i < form.rowCount(); ++i) {
        const XXFLD* f = form.getCell(0, i);
        if (f && !f->isEmpty()) text << "[" << f->getText() << "]";
    }
    value.setValue(text.text());
    return true;
}

std::unique_ptr<VarForm> StrForm::clone() const {
    auto copy = std::make_unique<StrForm>();
    copy->dialogs = dialogs;
    return copy;
}

std::unique_ptr<VarForm> WStrForm::clone() const {
    auto copy = std::make_unique<WStrForm>();
    copy->dialogs = dialogs;
    return copy;
}

bool StrForm::edit(const char* varName, XXFLD_BYTES& value, bool& ignoreCase) {
    if (!dialogs) return true;
    XXGRID form;
    form.setTitle(varName ? varName : "");
    form.setPageRows(1);
    form.setMaxRows(1);
    form.addFld(isWide ? XXFLD_WSTR::gen : XXFLD_STR::gen, 1206, 255, 4005);
    form.addFld(XXFLD_BOOL::gen, 1036, 1, 4015);
    if (isWide)
        form.setWText(0, 0, value.getWText());
    else
        form.setText(0, 0, value.getText());
    form.setText(1, 0, ignoreCase ? "1" : "0");
    form.setModified(false);
    if (!dialogs->runForm(form)) return false;
    const XXFLD* entered = form.getCell(0, 0);
    const XXFLD* flag = form.getCell(1, 0);
    if (entered && entered->isWide())
        value.setValue(entered->getWText());
    else
        value.setValue(entered ? entered->getText() : "");
    ignoreCase = flag && flag->getInt() != 0;
    return true;
}

// --- the variable checker ----------------------------------------------------------------

Variable::Variable(XXROW& r) : row(&r) {
    const XXFLD* tag = r.field(kNameCol);
    name = tag ? tag->getText() : "";
    const XXFLD* type = r.field(kTypeCol);
    // The older type names: "iString" ignores case, "wide string" is 16-bit text. The
    // current "Wide string" is the same type as its older spelling.
    const XXSTRING typeText(type ? type->getText() : "");
    ignoreCase = typeText == loadString(1205) ? 1 : 0;
    wide = typeText.iequals(loadString(1203)) ? 1 : 0;
    if (const XXFLD* flag = r.field(kIgnoreCaseCol)) ignoreCase = flag->getInt() != 0 ? 1 : 0;
    value = r.field(kValueCol);
}

bool Variable::matches(const unsigned char* input) const {
    if (!value || !input) return false;
    const int32_t n = value->getByteCount();
    const unsigned char* v = value->getBytes();
    if (n == 0) return true;
    if (!v) return false;
    if (!ignoreCase) return std::memcmp(v, input, size_t(n)) == 0;
    if (!wide) {
        for (int32_t i = 0; i < n; ++i)
            if (std::tolower(v[i]) != std::tolower(input[i])) return false;
        return true;
    }
    // An odd last byte of a wide value is compared as it is.
    return equalUnitsNoCase(v, input, n / 2) && (n % 2 == 0 || v[n - 1] == input[n - 1]);
}

// --- type changes ------------------------------------------------------------------------

PXVarForms::PXVarForms() {
    list_.add(&byte_);
    list_.add(&str_);
    list_.add(&wstr_);
}

VarForm* PXVarForms::find(const char* name) const {
    for (VarForm* f : list_)
        if (f->name == name) return f;
    return nullptr;
}

void PXVarForms::setDialogs(IPXFormRunner* runner) {
    for (VarForm* f : list_) f->dialogs = runner;
}

bool PXVarForms::changeType(VarGrid& grid, int32_t row, const XXSTRING& text) {
    const XXSTRING typeText = narrowOf(text);
    VarForm* form = find(typeText);
    if (!form) {
        Tracer("VarGrid::setField") << "VarForm not found: " << typeText << endMsg;
        return false;
    }
    XXFLD_BYTES copy;
    if (const XXFLD* current = grid.getCell(kValueCol, row)) copy.assign(*current);
    if (!copy.setMode(form->isWide != 0, form->isText != 0)) {
        Error() << loadString(1050) << endMsg;
        return false;
    }
    const XXFLD* flag = grid.getCell(kIgnoreCaseCol, row);
    bool ignoreCase = flag && flag->getInt() != 0;
    const XXFLD* tag = grid.getCell(kNameCol, row);
    if (!form->edit(tag ? tag->getText() : "", copy, ignoreCase)) return false;
    grid.setText(kTypeCol, row, typeText);
    grid.setText(kIgnoreCaseCol, row, ignoreCase ? "1" : "0");
    if (XXFLD* value = grid.getCell(kValueCol, row)) value->assign(copy);
    grid.setModified(true);
    return true;
}

// --- file variables ----------------------------------------------------------------------

void loadFileVariable(FileVarMgr& manager, XXROW& row, int32_t nameCol, int32_t valueCol) {
    const XXFLD* file = row.field(nameCol);
    const char* path = file ? file->getText() : "";
    if (manager.loaded && manager.file == path) return;
    if (const XXFLD* tag = row.field(kNameCol)) manager.name = tag->getText();
    manager.setPath(path);
    manager.loaded = 0;
    auto* value = dynamic_cast<XXFLD_BYTES*>(row.field(valueCol));
    if (!value) return;
    // The contents belong to one file: whatever was loaded before goes.
    value->clear();
    if (isBlank(path)) return;
    XXSTREAM stream;
    bool read = false;
    if (stream.open(path, XXSTREAM::readRaw)) {
        const int64_t size = stream.fileSize();
        unsigned char* storage = size <= INT32_MAX - 2 ? value->prepareBytes(int32_t(size)) : nullptr;
        if (storage) {
            int64_t got = 0;
            while (got < size) {
                const int64_t n = stream.read(storage + got, size - got);
                if (n <= 0) break;
                got += n;
            }
            read = got == size && value->setByteCount(int32_t(size));
        }
        stream.close();
    }
    if (read) {
        manager.loaded = 1;
    } else {
        value->clear();
        Error() << loadString(28) << " " << path << endMsg;
    }
}
