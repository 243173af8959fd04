// The field kinds: keeping the two text forms in line, and each kind's typed value.
//
// Every write goes through storeNarrow() or storeWide(), which set the master form and
// convert it into the other one, and then through the kind's synchVal(). Kinds whose value
// is a number (integer, boolean) always keep the narrow form as master; the wide-text kind
// always keeps the wide one. The byte-string kind is in XXFLD_BYTES.cpp.
#include "foundation/XXFLD.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/XXMSG.h"
#include "foundation/XXROW.h"
#include "foundation/XXTEXT.h"
#include "foundation/codepage.h"

namespace {

template <typename Kind>
std::unique_ptr<XXFLD> cloneOf(const Kind& field) {
    auto copy = std::make_unique<Kind>();
    copy->assign(field);
    return copy;
}

std::string narrowOf(const XXWCHAR* text) {
    return text ? wideToNarrow(text, wlen(text)) : std::string();
}

// The integer a text stands for, keeping its digits and a minus sign written before them;
// `kept` receives the text the field keeps. Values beyond 32 bits are held at the limit.
int32_t parseInteger(const char* text, std::string& kept) {
    bool negative = false;
    std::string digits;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += *p;
        else if (*p == '-' && digits.empty())
            negative = true;
    }
    kept.clear();
    if (digits.empty()) return 0;
    errno = 0;
    long long value = std::strtoll(digits.c_str(), nullptr, 10);
    if (errno == ERANGE) value = LLONG_MAX;
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) {
        value = value > 0 ? INT32_MAX : INT32_MIN;
        kept = std::to_string(value);
        return int32_t(value);
    }
    kept = (negative ? "-" : "") + digits;
    return int32_t(value);
}

}  // namespace

// --- XXFLD -------------------------------------------------------------------------------

XXFLD::XXFLD() = default;
XXFLD::~XXFLD() = default;

std::unique_ptr<XXFLD> XXFLD::gen() {
    Tracer("XXFLD::gen") << "PVF" << endMsg;
    return nullptr;
}

void XXFLD::assign(const XXFLD& other) {
    if (&other == this) return;
    text_ = other.text_;
    wtext_ = other.wtext_;
    wide_ = other.wide_;
    // A kind that cannot switch keeps its own form: an integer stays a number.
    if (canSwitch_) textForm_ = other.textForm_;
    visible_ = other.visible_;
    subRows_ = other.subRows_ ? copyRows(*other.subRows_) : nullptr;
}

std::unique_ptr<XXFLD> XXFLD::clone() const {
    Tracer("XXFLD::clone") << "PVF" << endMsg;
    return nullptr;
}

const char* XXFLD::getText() const { return text_.text(); }
const XXWCHAR* XXFLD::getWText() const { return wtext_.text(); }

int32_t XXFLD::getInt() const {
    Tracer("XXFLD::typeError") << "field type mismatch" << endMsg;
    return 0;
}

const unsigned char* XXFLD::getBytes() const { return nullptr; }
int32_t XXFLD::getByteCount() const { return 0; }

void XXFLD::clear() {
    text_ = "";
    wtext_.clear();
}

void XXFLD::appendBytes(const unsigned char* data, int32_t n) {
    if (!data || n <= 0) return;
    XXSTRING scratch;
    for (int32_t i = 0; i < n; ++i) scratch << int(data[i]);
    appendText(scratch);
}

void XXFLD::appendText(const XXSTRING& text) {
    if (text.isWide) {
        appendWText(text.wide);
        return;
    }
    if (wide_) {
        std::u16string w(wtext_.text(), size_t(wtext_.length()));
        w += narrowToWide(text.text(), size_t(text.length()));
        storeWide(w.data(), int32_t(w.size()));
    } else {
        std::string s(text_.text(), size_t(text_.length()));
        s.append(text.text(), size_t(text.length()));
        storeNarrow(s.data(), int32_t(s.size()));
    }
    synchVal();
}

void XXFLD::appendWText(const XXWSTRING& text) {
    if (wide_) {
        std::u16string w(wtext_.text(), size_t(wtext_.length()));
        w.append(text.text(), size_t(text.length()));
        storeWide(w.data(), int32_t(w.size()));
    } else {
        std::string s(text_.text(), size_t(text_.length()));
        s += wideToNarrow(text.text(), size_t(text.length()));
        storeNarrow(s.data(), int32_t(s.size()));
    }
    synchVal();
}

bool XXFLD::validChar(int32_t) const { return true; }
bool XXFLD::isText() const { return textForm_; }

bool XXFLD::setText(bool flag) {
    if (!canSwitch_) return false;
    textForm_ = flag;
    return true;
}

bool XXFLD::isWide() const { return wide_; }

bool XXFLD::setWide(bool flag) {
    if (flag == wide_) return true;
    // The other form is the conversion of the master; it may become the master only when
    // converting it back gives the master again, so that no character is lost.
    if (flag) {
        if (wideToNarrow(wtext_.text(), size_t(wtext_.length())) != text_.view()) return false;
        const std::u16string w(wtext_.text(), size_t(wtext_.length()));
        storeWide(w.data(), int32_t(w.size()));
    } else {
        const std::string s(text_.text(), size_t(text_.length()));
        if (narrowToWide(s.data(), s.size()) != std::u16string_view(wtext_.text(), size_t(wtext_.length())))
            return false;
        storeNarrow(s.data(), int32_t(s.size()));
    }
    synchVal();
    return wide_ == flag;
}

int32_t XXFLD::presentation() const { return -1; }

bool XXFLD::differs(const char* text) const {
    const char* arg = text ? text : "";
    if (!wide_) return std::strcmp(text_.text(), arg) != 0;
    return narrowToWide(arg, std::strlen(arg)) != std::u16string_view(wtext_.text(), size_t(wtext_.length()));
}

bool XXFLD::differs(const XXWCHAR* text) const { return wcmp(wtext_.text(), text ? text : u"") != 0; }

void XXFLD::synchVal() { Tracer("XXFLD::synchVal") << "PVF" << endMsg; }

void XXFLD::setValue(const char* text) {
    storeNarrow(text, text ? int32_t(std::strlen(text)) : 0);
    synchVal();
}

void XXFLD::setValue(const XXWCHAR* text) {
    storeWide(text, text ? int32_t(wlen(text)) : 0);
    synchVal();
}

void XXFLD::setValue(const XXSTRING& text) {
    if (text.isWide)
        setValue(text.wtext());
    else
        setValue(text.text());
}

void XXFLD::setValue(const XXFLD& other) {
    if (other.isWide())
        setValue(other.getWText());
    else
        setValue(other.getText());
}

void XXFLD::setSubRows(std::unique_ptr<XXROWLIST> rows) { subRows_ = std::move(rows); }
std::unique_ptr<XXROWLIST> XXFLD::takeSubRows() { return std::move(subRows_); }

void XXFLD::storeNarrow(const char* text, int32_t length) {
    // Copied first: the text may be this field's own buffer.
    const std::string narrow(text ? text : "", text && length > 0 ? size_t(length) : 0);
    const std::u16string w = narrowToWide(narrow.data(), narrow.size());
    text_ = "";
    text_.append(narrow.data(), int32_t(narrow.size()));
    wtext_.clear();
    wtext_.append(w.data(), int32_t(w.size()));
    wide_ = false;
}

void XXFLD::storeWide(const XXWCHAR* text, int32_t length) {
    const std::u16string w(text ? text : u"", text && length > 0 ? size_t(length) : 0);
    const std::string narrow = wideToNarrow(w.data(), w.size());
    wtext_.clear();
    wtext_.append(w.data(), int32_t(w.size()));
    text_ = "";
    text_.append(narrow.data(), int32_t(narrow.size()));
    wide_ = true;
}

// --- text kinds --------------------------------------------------------------------------

std::unique_ptr<XXFLD> XXFLD_STR::clone() const { return cloneOf(*this); }

void XXFLD_WSTR::assign(const XXFLD& other) {
    XXFLD_STR::assign(other);
    synchVal();
}

std::unique_ptr<XXFLD> XXFLD_WSTR::clone() const { return cloneOf(*this); }

bool XXFLD_WSTR::setWide(bool flag) { return flag; }

void XXFLD_WSTR::synchVal() {
    if (wide_) return;
    const std::u16string w(wtext_.text(), size_t(wtext_.length()));
    storeWide(w.data(), int32_t(w.size()));
}

std::unique_ptr<XXFLD> XXFLD_ID::clone() const { return cloneOf(*this); }

bool XXFLD_ID::validChar(int32_t ch) const { return ch != '!' && ch != '"' && ch != '\''; }

std::unique_ptr<XXFLD> XXFLD_FNAME::clone() const { return cloneOf(*this); }

// --- XXFLD_INT ---------------------------------------------------------------------------

void XXFLD_INT::assign(const XXFLD& other) {
    XXFLD::assign(other);
    if (const auto* same = sameKind<XXFLD_INT>(other))
        value_ = same->value_;
    else
        synchVal();
}

std::unique_ptr<XXFLD> XXFLD_INT::clone() const { return cloneOf(*this); }

void XXFLD_INT::clear() {
    XXFLD::clear();
    wide_ = false;
    value_ = 0;
}

bool XXFLD_INT::validChar(int32_t ch) const {
    if (ch == '-') return true;
    if (ch >= 0x80 || ch < 0) return false;
    return !std::isalpha(ch) && !std::ispunct(ch);
}

bool XXFLD_INT::differs(const char* text) const {
    std::string kept;
    parseInteger(text, kept);
    return kept != text_.view();
}

bool XXFLD_INT::differs(const XXWCHAR* text) const { return differs(narrowOf(text).c_str()); }

void XXFLD_INT::synchVal() {
    std::string kept;
    value_ = parseInteger(text_.text(), kept);
    if (wide_ || kept != text_.view()) storeNarrow(kept.data(), int32_t(kept.size()));
}

// --- XXFLD_BOOL --------------------------------------------------------------------------

void XXFLD_BOOL::assign(const XXFLD& other) {
    XXFLD::assign(other);
    if (const auto* same = sameKind<XXFLD_BOOL>(other))
        value_ = same->value_;
    else
        synchVal();
}

std::unique_ptr<XXFLD> XXFLD_BOOL::clone() const { return cloneOf(*this); }

const char* XXFLD_BOOL::getText() const {
    if (text_.length() > 0) return text_.text();
    return value_ ? "1" : "0";
}

void XXFLD_BOOL::clear() {
    XXFLD::clear();
    wide_ = false;
    value_ = 0;
}

bool XXFLD_BOOL::differs(const char* text) const { return uint8_t(toBool(text) ? 1 : 0) != value_; }

bool XXFLD_BOOL::differs(const XXWCHAR* text) const { return differs(narrowOf(text).c_str()); }

void XXFLD_BOOL::synchVal() {
    value_ = toBool(text_.text()) ? 1 : 0;
    if (!value_)
        storeNarrow("", 0);
    else if (wide_)
        storeNarrow(std::string(text_.view()).c_str(), text_.length());
}
