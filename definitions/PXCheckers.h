// The definition's cell checkers and value choosers.
//
// Checkers validate one cell when a dialog leaves it and when a grid is checked as a whole;
// each appends its reason to the message on failure.
//   TagChecker1    a tag is unique in its grid and differs from every tag in column 0 of
//                  the other grids of the tag-owner list ("Duplicate tag: X (Sets (8-bit))").
//   TagChecker2    TagChecker1, and the tag is no node's tag ("Duplicate tag: X (Node)").
//   MinMaxChecker  an integer within min..max ("Valid values: 0..255").
//   GT_NextChecker a minimum not greater than the next column, when that one is filled.
//   LT_PrevChecker a maximum not less than the previous column, when that one is filled.
// Choosers ByteValHelper and WordValHelper let the user type a character instead of its code:
// they run a one-record form through the form runner the user interface installs and write
// the character's 8-bit or 16-bit code into the cell.
#pragma once

#include <cstdint>

#include "foundation/GLIST.h"
#include "foundation/XXFLD_DEF.h"
#include "foundation/XXGRID.h"

class PXGraphs;

// Runs a form (a one-record grid) as a dialog; true when the user confirmed it. Installed by
// the user interface; without one nothing is asked.
class IPXFormRunner {
public:
    virtual ~IPXFormRunner() = default;
    virtual bool runForm(XXGRID& form) = 0;
};

class TagChecker1 : public XXCHECKER {
public:
    // `owners` is the tag-owner list; the checker only reads it.
    explicit TagChecker1(const ALIST<XXGRID>& owners) : owners_(owners) {}
    bool check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) override;

private:
    const ALIST<XXGRID>& owners_;
};

class TagChecker2 : public XXCHECKER {
public:
    TagChecker2(TagChecker1& first, PXGraphs& graphs) : first_(first), graphs_(graphs) {}
    bool check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) override;

private:
    TagChecker1& first_;
    PXGraphs& graphs_;
};

class MinMaxChecker : public XXCHECKER {
public:
    MinMaxChecker(int32_t min, int32_t max) : min_(min), max_(max) {}
    bool check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) override;
    bool checkValue(const XXFLD& field, XXSTRING& message) override;

private:
    int32_t min_;
    int32_t max_;
};

class GT_NextChecker : public XXCHECKER {
public:
    bool check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) override;
};

class LT_PrevChecker : public XXCHECKER {
public:
    bool check(XXGRID& grid, int32_t row, int32_t col, XXSTRING& message) override;
};

// The character-code chooser; `wide` selects the 16-bit form.
class CharCodeHelper : public XXCHOOSER {
public:
    // With an installed runner: runs the form, and when it is confirmed with a character
    // writes that character's code into the cell; returns 0 then. -1 otherwise.
    int32_t listChoices(XXGRID& grid, int32_t col, int32_t row, XXSTRING& caption, LIST<XXSTRING>& list,
                        int32_t& helpId) override;
    void setRunner(IPXFormRunner* runner) { runner_ = runner; }
    XXGRID& form() { return form_; }
    // The code of the form's character: its first byte (narrow) or 16-bit unit (wide); -1
    // when the form holds none.
    int32_t enteredCode() const;

protected:
    CharCodeHelper(bool wide, int32_t titleId, int32_t sectionId);

private:
    bool wide_;
    XXGRID form_;
    IPXFormRunner* runner_ = nullptr;
};

class ByteValHelper : public CharCodeHelper {
public:
    ByteValHelper() : CharCodeHelper(false, 1207, 1709) {}
};

class WordValHelper : public CharCodeHelper {
public:
    WordValHelper() : CharCodeHelper(true, 1208, 1710) {}
};
