// Variables: the variable forms (types), the run-time variable checker, the type change of
// the variables grid, and file-variable loading.
//
// A variable's value is the byte string of its row's "Initial value" field. Its type decides
// how those bytes are shown and edited: Byte as numbers ("[65][66]"), String as narrow text,
// Wide string as 16-bit text. Changing the type converts the representation, never the bytes,
// and is refused when the bytes cannot be shown in the new form (a byte 7 as text).
//
// Variable is what a pattern element that names a variable checks against: the bytes at the
// input position equal the variable's current value (exactly, ignoring ASCII case, or for a
// wide variable ignoring the case of 16-bit characters). It reads the value at every test,
// so an action that changes the variable changes what the pattern matches.
//
// The forms run their edit dialogs through the form runner the user interface installs
// (IPXFormRunner); without one nothing is asked and a conversion is taken as it is.
#pragma once

#include <cstdint>
#include <memory>

#include "definitions/FileVarMgr.h"
#include "definitions/PXCheckers.h"
#include "definitions/PXGrids.h"
#include "definitions/PXSet.h"
#include "foundation/GLIST.h"
#include "foundation/XXFLD.h"
#include "foundation/XXROW.h"
#include "foundation/XXSTRING.h"

class PXEngine;

class VarForm {
public:
    XXSTRING name;                     // the type name shown in the Type column
    IPXFormRunner* dialogs = nullptr;  // runs the edit form; null: nothing is asked
    uint8_t isWide = 0;
    uint8_t isText = 0;

    VarForm() = default;
    VarForm(int32_t nameId, bool text, bool wideText);
    virtual ~VarForm() = default;
    // Forms are not copied by value (clone() is the copy operation of the family).
    VarForm(const VarForm&) = delete;
    VarForm& operator=(const VarForm&) = delete;

    // The base cannot be copied: reports and gives null.
    virtual std::unique_ptr<VarForm> clone() const;
    // Lets the user edit `value` (already in this form's representation) and the ignore-case
    // flag; true when confirmed, and only then are they changed.
    virtual bool edit(const char* varName, XXFLD_BYTES& value, bool& ignoreCase);
};

class ByteForm : public VarForm {
public:
    explicit ByteForm(PXEngine* engine = nullptr);
    std::unique_ptr<VarForm> clone() const override;
    // One row per byte, each an integer 0..255; the confirmed rows become "[n]" groups.
    bool edit(const char* varName, XXFLD_BYTES& value, bool& ignoreCase) override;

    PXEngine* engine = nullptr;

private:
    MinMaxChecker byteRange_{0, 255};
};

class StrForm : public VarForm {
public:
    StrForm() : VarForm(1202, true, false) {}
    std::unique_ptr<VarForm> clone() const override;
    // A one-record form: "Value" and "Ignore case".
    bool edit(const char* varName, XXFLD_BYTES& value, bool& ignoreCase) override;

protected:
    StrForm(int32_t nameId, bool wideText) : VarForm(nameId, true, wideText) {}
};

class WStrForm : public StrForm {
public:
    WStrForm() : StrForm(1204, true) {}
    std::unique_ptr<VarForm> clone() const override;
};

// The run-time form of one row of the variables grid.
class Variable : public PXChecker {
public:
    XXSTRING name;
    XXROW* row = nullptr;
    XXFLD* value = nullptr;   // the row's value field, or null
    uint8_t ignoreCase = 0;
    uint8_t wide = 0;

    Variable() = default;
    // Binds to a row: Type "iString" sets ignore case, "wide string" sets wide; the row's
    // Ignore case column then decides ignore case.
    explicit Variable(XXROW& row);

    // The value's bytes equal the input at `input` (which holds length() readable bytes).
    bool matches(const unsigned char* input) const;
    int32_t length() const { return value ? value->getByteCount() : 0; }

    bool contains(const unsigned char* at) const override { return matches(at); }
    int32_t width() const override { return length(); }
    bool isWide() const override { return wide != 0; }
};

// The variables grid's reaction to a new Type text.
class PXVarForms : public IPXVarForms {
public:
    PXVarForms();
    // The forms in list order: Byte, String, Wide string.
    const ALIST<VarForm>& forms() const { return list_; }
    VarForm* find(const char* name) const;
    void setDialogs(IPXFormRunner* runner);
    void setEngine(PXEngine* engine) { byte_.engine = engine; }

    // Looks the form up, converts a copy of the value, lets the form edit it and, when
    // confirmed, stores the type, the ignore-case flag and the value. False with nothing
    // changed otherwise ("VarForm not found: X", "Unable to convert variable to new type").
    bool changeType(VarGrid& grid, int32_t row, const XXSTRING& text) override;

private:
    ByteForm byte_;
    StrForm str_;
    WStrForm wstr_;
    ALIST<VarForm> list_;
};

// Loads a file variable: when the row's file (column `nameCol`) is not the one loaded, or
// the last load failed, the whole file is read into the row's value field (column
// `valueCol`). A file that cannot be read completely leaves the variable not loaded with an
// empty value, after an "Unable to open" report naming the file.
void loadFileVariable(FileVarMgr& manager, XXROW& row, int32_t nameCol, int32_t valueCol);

// Case-insensitive comparisons of 16-bit text held as little-endian bytes.
bool equalUnitsNoCase(const unsigned char* a, const unsigned char* b, int32_t units);
