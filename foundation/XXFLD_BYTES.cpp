// XXFLD_BYTES: a byte string with a text form and a numeric form.
//
// synchVal() rebuilds the bytes from the text: in text form they are the text's own bytes
// (narrow characters, or the UTF-16 units little-endian); in numeric form every maximal run
// of decimal digits is one byte value, and values above 255 are reported and skipped. The
// new bytes are stored before anything is reported, so a report that ends the run leaves a
// consistent field. setMode() goes the other way: it rewrites the text from the bytes, so
// switching forms never changes the value.
#include "foundation/XXFLD.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/XXMSG.h"
#include "foundation/XXTEXT.h"

namespace {

constexpr int32_t kByteIncrement = 16;

bool printableByte(unsigned c) { return (c >= 0x20 && c <= 0x7E) || c == '\t'; }

// A printable text of 16-bit units: ASCII as for bytes, any character from U+00A0 on, and
// surrogates only in proper pairs.
bool printableUnits(const std::u16string& units) {
    for (size_t i = 0; i < units.size(); ++i) {
        const unsigned u = units[i];
        if (u < 0x80) {
            if (!printableByte(u)) return false;
        } else if (u < 0xA0) {
            return false;
        } else if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

// One value of the numeric form: a run of digits. Runs too long for any byte are out of
// range without being converted.
struct ByteValue {
    std::string digits;   // without leading zeros ("0" for zero)
    long value = 0;
    bool inRange = false;
};

ByteValue readValue(const std::string& run) {
    ByteValue v;
    const size_t first = run.find_first_not_of('0');
    v.digits = first == std::string::npos ? "0" : run.substr(first);
    if (v.digits.size() <= 9) {
        toLong(v.digits.c_str(), v.value);
        v.inRange = v.value <= 255;
    }
    return v;
}

}  // namespace

XXFLD_BYTES::XXFLD_BYTES() : XXFARRAYI<unsigned char>(kByteIncrement) {
    canSwitch_ = true;
    textForm_ = true;
}

void XXFLD_BYTES::assign(const XXFLD& other) {
    XXFLD::assign(other);
    if (const auto* same = sameKind<XXFLD_BYTES>(other)) {
        if (same != this) commitBytes(same->getBytes(), same->getByteCount());
    } else {
        synchVal();
    }
}

std::unique_ptr<XXFLD> XXFLD_BYTES::clone() const {
    auto copy = std::make_unique<XXFLD_BYTES>();
    copy->assign(*this);
    return copy;
}

void XXFLD_BYTES::clear() {
    XXFLD::clear();
    commitBytes(nullptr, 0);
}

void XXFLD_BYTES::appendBytes(const unsigned char* bytes, int32_t n) {
    if (!bytes || n <= 0 || n > INT32_MAX - 2 - count) return;
    // In place, so that a value built by many appends costs linear time; bytes of this very
    // value are copied first, as growing may move them.
    std::vector<unsigned char> own;
    if (data() && bytes >= data() && bytes < data() + capacity) {
        own.assign(bytes, bytes + n);
        bytes = own.data();
    }
    const int32_t at = count;
    if (!chk(at + n + 2)) return;
    std::memcpy(data() + at, bytes, size_t(n));
    setByteCount(at + n);
}

bool XXFLD_BYTES::setText(bool flag) {
    if (flag == textForm_) return true;
    textForm_ = flag;
    synchVal();
    return true;
}

void XXFLD_BYTES::synchVal() {
    std::vector<unsigned char> bytes;
    std::vector<std::string> outOfRange;
    if (textForm_) {
        if (wide_) {
            const XXWCHAR* w = wtext_.text();
            for (int32_t i = 0; i < wtext_.length(); ++i) {
                bytes.push_back(static_cast<unsigned char>(w[i] & 0xFF));
                bytes.push_back(static_cast<unsigned char>(w[i] >> 8));
            }
        } else {
            const char* t = text_.text();
            bytes.assign(t, t + text_.length());
        }
    } else {
        // Numbers are narrow text.
        if (wide_) storeNarrow(text_.text(), text_.length());
        const std::string source(text_.view());
        size_t i = 0;
        while (i < source.size()) {
            if (source[i] < '0' || source[i] > '9') {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < source.size() && source[i] >= '0' && source[i] <= '9') ++i;
            const ByteValue v = readValue(source.substr(start, i - start));
            if (v.inRange)
                bytes.push_back(static_cast<unsigned char>(v.value));
            else
                outOfRange.push_back(v.digits);
        }
    }
    commitBytes(bytes.data(), int32_t(bytes.size()));
    for (const std::string& value : outOfRange)
        Tracer("XXFLD_BYTES::synchVal") << "Byte value out of range:  (" << value.c_str() << ") " << text_
                                        << endMsg;
}

bool XXFLD_BYTES::setMode(bool wide, bool text) {
    if (textForm_ && text) return wide == wide_ || setWide(wide);
    if (!textForm_ && !text) return true;
    if (!text) {
        std::string numeric;
        for (int32_t i = 0; i < count; ++i) {
            numeric += '[';
            numeric += std::to_string(unsigned(data()[i]));
            numeric += ']';
        }
        textForm_ = false;
        storeNarrow(numeric.data(), int32_t(numeric.size()));
        return true;
    }
    if (wide) {
        if (count % 2 != 0) return false;
        std::u16string units;
        for (int32_t i = 0; i + 1 < count; i += 2)
            units += XXWCHAR(data()[i] | (data()[i + 1] << 8));
        if (!printableUnits(units)) return false;
        textForm_ = true;
        storeWide(units.data(), int32_t(units.size()));
    } else {
        for (int32_t i = 0; i < count; ++i)
            if (!printableByte(data()[i])) return false;
        const std::string chars(reinterpret_cast<const char*>(data()), size_t(count));
        textForm_ = true;
        storeNarrow(chars.data(), int32_t(chars.size()));
    }
    return true;
}

bool XXFLD_BYTES::setBytes(const unsigned char* bytes, int32_t n) {
    if (n < 0 || (n > 0 && !bytes)) return false;
    const std::vector<unsigned char> copy(bytes, bytes + n);
    return commitBytes(copy.data(), n);
}

unsigned char* XXFLD_BYTES::prepareBytes(int32_t n) {
    if (n < 0 || n > INT32_MAX - 2 || !chk(n + 2)) return nullptr;
    return data();
}

bool XXFLD_BYTES::setByteCount(int32_t n) {
    if (n < 0 || n > INT32_MAX - 2 || n + 2 > capacity) return false;
    count = n;
    data()[n] = 0;
    data()[n + 1] = 0;
    return true;
}

bool XXFLD_BYTES::commitBytes(const unsigned char* bytes, int32_t n) {
    if (n < 0 || n > INT32_MAX - 2 || !chk(n + 2)) return false;
    if (n > 0) std::memmove(data(), bytes, size_t(n));
    // Everything past the bytes is zero again, as in any array past its count.
    const int32_t end = std::min(capacity, std::max(count, n) + 2);
    for (int32_t i = n; i < end; ++i) data()[i] = 0;
    count = n;
    return true;
}
