// One cell of a grid: XXFLD and its kinds.
//
// A field keeps its value as text in two forms, narrow (`text`, code page) and wide
// (`wtext`, UTF-16). One of them is the master (`isWide()` says which); every write stores
// the master and converts it into the other form, so both always describe the same value
// and a cell is blank exactly when its master is empty. Kinds with a typed value (integer,
// boolean, byte string) recompute it from the text in `synchVal()` after every write.
//
//   XXFLD_STR    text; XXFLD_WSTR wide text; XXFLD_ID identifier text (no ! " ');
//   XXFLD_FNAME  a file name; XXFLD_INT 32-bit integer; XXFLD_BOOL 0/1;
//   XXFLD_BYTES  a byte string, edited as characters (narrow or wide) or as numbers;
//   XXFLD_DATA<T> an object that belongs to the row (a graph, a file-variable manager).
//
// Every kind has a static `gen()`, the factory a column definition stores. A field may also
// hold the detail rows of a nested grid (`subRows`), which it owns and copies deeply.
// Tests: tests/foundation/XXFLDTest.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "foundation/GLIST.h"
#include "foundation/XXFARRAY.h"
#include "foundation/XXSTRING.h"

class XXROW;
class XXFLD;

// The rows of a grid, or the detail rows kept in one cell.
using XXROWLIST = LIST<XXROW>;
// Makes a new, empty field of one kind.
using XXFLDFACTORY = std::unique_ptr<XXFLD> (*)();

class XXFLD {
public:
    XXFLD();
    virtual ~XXFLD();
    // Fields are copied with clone() or assign(), which know the kind.
    XXFLD(const XXFLD&) = delete;
    XXFLD& operator=(const XXFLD&) = delete;

    // The factory of the base: there is no plain field kind, so this reports and gives null.
    static std::unique_ptr<XXFLD> gen();

    // Copies both texts, the wide, text and visible flags and a deep copy of the detail rows.
    virtual void assign(const XXFLD& other);
    // A new field of the same kind with the same contents (null, after a report, in the base).
    virtual std::unique_ptr<XXFLD> clone() const;
    // The narrow text; never null.
    virtual const char* getText() const;
    // The wide text; never null.
    virtual const XXWCHAR* getWText() const;
    // The typed integer value; kinds without one report a type mismatch and give 0.
    virtual int32_t getInt() const;
    // The bytes of a byte-string kind, followed by two zero bytes; null for other kinds.
    virtual const unsigned char* getBytes() const;
    const unsigned char* getBytes(int32_t& n) const {
        n = getByteCount();
        return getBytes();
    }
    virtual int32_t getByteCount() const;
    // Empties both texts (and resets the typed value of kinds that have one).
    virtual void clear();
    // Appends the decimal form of each byte, without separators, as text.
    virtual void appendBytes(const unsigned char* data, int32_t n);
    // Appends to the master form (converted when the master is the other one), then synchVal().
    virtual void appendText(const XXSTRING& text);
    virtual void appendWText(const XXWSTRING& text);
    // Whether the character (a narrow byte or a 16-bit unit) may be typed into the field.
    virtual bool validChar(int32_t ch) const;
    // Whether the value is edited as text (for byte strings: as characters, not numbers).
    virtual bool isText() const;
    // Sets the text flag; false when the kind cannot switch.
    virtual bool setText(bool flag);
    virtual bool isWide() const;
    // Makes the wide (or narrow) form the master. False, with nothing changed, when the text
    // cannot be held in the other form without loss or the kind keeps one form.
    virtual bool setWide(bool flag);
    // The dialog presentation code: -1, or 2 for a check box.
    virtual int32_t presentation() const;
    // Whether storing the text would change the field's value.
    virtual bool differs(const char* text) const;
    virtual bool differs(const XXWCHAR* text) const;
    // Recomputes the typed value from the text (the base has none and reports).
    virtual void synchVal();

    // Stores the text as the new master and recomputes the value.
    void setValue(const char* text);
    void setValue(const XXWCHAR* text);
    // Wide when the string holds wide text.
    void setValue(const XXSTRING& text);
    // Takes the other field's master form.
    void setValue(const XXFLD& other);

    // Both text forms are empty.
    bool isEmpty() const { return text_.length() == 0 && wtext_.length() == 0; }
    bool canSwitch() const { return canSwitch_; }
    bool visible() const { return visible_; }

    // The detail rows kept in this cell, or null.
    XXROWLIST* subRows() const { return subRows_.get(); }
    void setSubRows(std::unique_ptr<XXROWLIST> rows);
    std::unique_ptr<XXROWLIST> takeSubRows();

protected:
    // Makes the narrow text the master and brings the wide form in line.
    void storeNarrow(const char* text, int32_t length);
    // Makes the wide text the master and brings the narrow form in line.
    void storeWide(const XXWCHAR* text, int32_t length);
    // `other` seen as the given kind, or null when it is another kind.
    template <typename Kind>
    static const Kind* sameKind(const XXFLD& other) {
        return dynamic_cast<const Kind*>(&other);
    }

    XXSTRING text_;          // narrow form
    XXWSTRING wtext_;        // wide form
    bool wide_ = false;      // the wide form is the master
    bool textForm_ = true;   // edited as text
    bool canSwitch_ = false; // textForm_ may change
    bool visible_ = true;    // shown in dialogs
    std::unique_ptr<XXROWLIST> subRows_;
};

// Plain text.
class XXFLD_STR : public XXFLD {
public:
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_STR>(); }
    std::unique_ptr<XXFLD> clone() const override;
    void synchVal() override {}
};

// Wide text. The wide form is always the master: a narrow value stored here is converted.
class XXFLD_WSTR : public XXFLD_STR {
public:
    XXFLD_WSTR() { wide_ = true; }
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_WSTR>(); }
    void assign(const XXFLD& other) override;
    std::unique_ptr<XXFLD> clone() const override;
    bool setWide(bool flag) override;
    void synchVal() override;
};

// An identifier: the characters that delimit names and quoted texts may not be typed.
class XXFLD_ID : public XXFLD_STR {
public:
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_ID>(); }
    std::unique_ptr<XXFLD> clone() const override;
    bool validChar(int32_t ch) const override;
};

// A file name or path.
class XXFLD_FNAME : public XXFLD_ID {
public:
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_FNAME>(); }
    std::unique_ptr<XXFLD> clone() const override;
    bool validChar(int32_t) const override { return true; }
};

// A 32-bit integer. The text keeps only its decimal digits and a minus sign written before
// them ("1,024" becomes 1024, "-12" stays -12); a text without digits is empty and 0.
// Values beyond the 32-bit range are held at the nearest limit.
class XXFLD_INT : public XXFLD {
public:
    XXFLD_INT() { textForm_ = false; }
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_INT>(); }
    void assign(const XXFLD& other) override;
    std::unique_ptr<XXFLD> clone() const override;
    int32_t getInt() const override { return value_; }
    void clear() override;
    bool validChar(int32_t ch) const override;
    bool setWide(bool flag) override { return !flag; }
    bool differs(const char* text) const override;
    bool differs(const XXWCHAR* text) const override;
    void synchVal() override;

private:
    int32_t value_ = 0;
};

// A boolean, shown as a check box. A false value has an empty text; getText() then gives "0".
class XXFLD_BOOL : public XXFLD {
public:
    XXFLD_BOOL() { textForm_ = false; }
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_BOOL>(); }
    void assign(const XXFLD& other) override;
    std::unique_ptr<XXFLD> clone() const override;
    const char* getText() const override;
    int32_t getInt() const override { return value_; }
    void clear() override;
    bool setWide(bool flag) override { return !flag; }
    int32_t presentation() const override { return 2; }
    bool differs(const char* text) const override;
    bool differs(const XXWCHAR* text) const override;
    void synchVal() override;

private:
    uint8_t value_ = 0;
};

// A byte string, held in the field's own array (`count` is the byte count; two zero bytes
// always follow, uncounted, so the bytes read as a narrow or wide C string).
//
// Text form: the bytes are the text's bytes (narrow: its characters; wide: two bytes per
// UTF-16 unit, little-endian). Numeric form: the text lists decimal byte values; every run
// of digits is one value and anything else separates them (the canonical form is
// "[65][200]"). setMode() converts between the forms without changing the bytes.
//
// Raw bytes (a file's contents) may also be stored without any text: appendBytes(),
// setBytes(), or prepareBytes() followed by setByteCount(). A later text write rebuilds the
// bytes from the text.
class XXFLD_BYTES : public XXFLD, public XXFARRAYI<unsigned char> {
public:
    XXFLD_BYTES();
    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_BYTES>(); }
    void assign(const XXFLD& other) override;
    std::unique_ptr<XXFLD> clone() const override;
    const unsigned char* getBytes() const override { return data(); }
    int32_t getByteCount() const override { return count; }
    // Empties both texts and the bytes.
    void clear() override;
    // Appends raw bytes; the text is not changed.
    void appendBytes(const unsigned char* bytes, int32_t n) override;
    bool validChar(int32_t) const override { return false; }
    using XXFLD::getBytes;
    // Switching the form re-reads the text in the new form.
    bool setText(bool flag) override;
    void synchVal() override;

    // Switches the representation, keeping the bytes. Text to text with another width is
    // setWide(); text to numbers rewrites the text as "[n]" per byte; numbers to text needs
    // every byte (wide: every 16-bit unit of an even byte count) to be printable. False,
    // with nothing changed, when the switch is not possible.
    bool setMode(bool wide, bool text);

    // Replaces the bytes with raw bytes; the text is not changed.
    bool setBytes(const unsigned char* bytes, int32_t n);
    // Room for n bytes and the two zero bytes; the storage to fill, or null.
    unsigned char* prepareBytes(int32_t n);
    // Declares the first n bytes of the storage filled (after prepareBytes(n)).
    bool setByteCount(int32_t n);

private:
    // Stores `n` bytes as the value and terminates them.
    bool commitBytes(const unsigned char* bytes, int32_t n);
};

// Receives data fields that are destroyed while registered with it; see XXFLD_DataOwner.
class XXFLD_DataOwner;
class IXXDATAREG {
public:
    virtual ~IXXDATAREG() = default;
    // Takes over a copy of a destroyed field, which carries the object and its `owns` flag.
    virtual void adopt(std::unique_ptr<XXFLD_DataOwner> field) = 0;
};

// A hidden field that carries an object belonging to the row.
//
// Copies (clone, assign) point at the same object without owning it, so an object is
// deleted at most once. When a field is destroyed while `registry` is set, a copy taking
// over the object and the `owns` flag is handed to the registry, and the field itself
// deletes nothing. This lets an editor work on a copy of a row list: register the copy's
// fields, and on confirmation let the copy own the objects and the registry own those of
// the rows deleted in the copy.
class XXFLD_DataOwner : public XXFLD {
public:
    bool owns = true;                 // the field deletes its object
    IXXDATAREG* registry = nullptr;   // receives the object when the field is destroyed

    XXFLD_DataOwner() {
        visible_ = false;
        textForm_ = false;
    }
    bool validChar(int32_t) const override { return false; }
    void synchVal() override {}
    virtual bool hasObject() const = 0;
};

template <typename T>
class XXFLD_DATA : public XXFLD_DataOwner {
public:
    XXFLD_DATA() = default;
    ~XXFLD_DATA() override {
        if (registry && object_) {
            auto heir = std::make_unique<XXFLD_DATA<T>>();
            heir->XXFLD::assign(*this);
            heir->object_ = object_;
            heir->owns = owns;
            object_ = nullptr;
            registry->adopt(std::move(heir));
        } else if (owns) {
            std::unique_ptr<T> dropped(object_);
        }
    }

    static std::unique_ptr<XXFLD> gen() { return std::make_unique<XXFLD_DATA<T>>(); }

    // Copies the texts and points at the other field's object without owning it.
    void assign(const XXFLD& other) override {
        XXFLD::assign(other);
        if (const auto* data = sameKind<XXFLD_DATA<T>>(other)) {
            if (data == this) return;
            drop();
            object_ = data->object_;
            owns = false;
        }
    }
    std::unique_ptr<XXFLD> clone() const override {
        auto copy = std::make_unique<XXFLD_DATA<T>>();
        copy->assign(*this);
        return copy;
    }

    T* get() const { return object_; }
    bool hasObject() const override { return object_ != nullptr; }
    // Takes ownership of the object (deleting the previous one when it was owned).
    void set(std::unique_ptr<T> object) {
        drop();
        object_ = object.release();
        owns = true;
    }
    // Points at an object that somebody else owns.
    void lend(T* object) {
        drop();
        object_ = object;
        owns = false;
    }
    // Gives the object to the caller when this field owns it; the field is then empty.
    std::unique_ptr<T> release() {
        T* object = owns ? object_ : nullptr;
        object_ = nullptr;
        return std::unique_ptr<T>(object);
    }

private:
    void drop() {
        if (owns) std::unique_ptr<T> dropped(object_);
        object_ = nullptr;
    }

    T* object_ = nullptr;   // owned when `owns` is set
};
