#include "definitions/DefTokens.h"

#include <string>

namespace {

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

constexpr size_t kMessageLineLength = 200;

}  // namespace

XXSTRING DefToken::value() const {
    if (isWide) return XXSTRING(wide.c_str());
    return XXSTRING(text.data(), int32_t(text.size()));
}

void DefLine::skipBlanks() {
    while (pos_ < s_.size() && isBlankChar(s_[pos_])) ++pos_;
}

bool DefLine::atEnd() {
    skipBlanks();
    return pos_ >= s_.size();
}

bool DefLine::readGroups(std::u16string& units, uint32_t maxUnit, bool toBlank) {
    size_t i = pos_;
    std::u16string read;
    while (i < s_.size() && s_[i] == '{') {
        size_t j = i + 1;
        uint32_t value = 0;
        while (j < s_.size() && s_[j] >= '0' && s_[j] <= '9') {
            value = value * 10 + uint32_t(s_[j] - '0');
            if (value > maxUnit) return false;
            ++j;
        }
        if (j == i + 1 || j >= s_.size() || s_[j] != '}' || value == 0) return false;
        read += char16_t(value);
        i = j + 1;
    }
    if (read.empty()) return false;
    if (toBlank && i < s_.size() && !isBlankChar(s_[i])) return false;
    units += read;
    pos_ = i;
    return true;
}

bool DefLine::readQuoted(std::string& text) {
    // pos_ is just after an opening quote.
    for (;;) {
        const size_t close = s_.find('"', pos_);
        if (close == std::string_view::npos) {
            text.append(s_.substr(pos_));
            pos_ = s_.size();
            return false;
        }
        text.append(s_.substr(pos_, close - pos_));
        if (close + 1 < s_.size() && s_[close + 1] == '"') {
            text += '"';
            pos_ = close + 2;
            continue;
        }
        pos_ = close + 1;
        return true;
    }
}

bool DefLine::next(DefToken& token) {
    token = DefToken();
    skipBlanks();
    if (pos_ >= s_.size()) return false;
    if (s_[pos_] == '"') {
        token.quoted = true;
        ++pos_;
        token.unclosed = !readQuoted(token.text);
        // Line breaks written between quoted pieces: "a"{13}{10}"b".
        while (pos_ < s_.size() && s_[pos_] == '{') {
            std::u16string breaks;
            if (!readGroups(breaks, 255, false)) break;
            for (char16_t c : breaks) token.text += char(c);
            if (pos_ < s_.size() && s_[pos_] == '"') {
                ++pos_;
                token.unclosed = !readQuoted(token.text);
            }
        }
        return true;
    }
    if (s_[pos_] == '{') {
        const size_t start = pos_;
        if (readGroups(token.wide, 0xFFFF, true)) {
            token.isWide = true;
            token.text.assign(s_.substr(start, pos_ - start));
            return true;
        }
    }
    // Plain: to the next single space; a doubled space stands for one.
    for (;;) {
        const size_t space = s_.find(' ', pos_);
        if (space == std::string_view::npos) {
            token.text.append(s_.substr(pos_));
            pos_ = s_.size();
            break;
        }
        token.text.append(s_.substr(pos_, space - pos_));
        if (space + 1 < s_.size() && s_[space + 1] == ' ') {
            token.text += ' ';
            pos_ = space + 2;
            continue;
        }
        pos_ = space;
        break;
    }
    return true;
}

// --- writing -----------------------------------------------------------------------------

void addNarrowToken(XXSTREAM& out, std::string_view text) {
    if (text.find_first_of("\r\n") == std::string_view::npos) {
        out.addQuoted(std::string(text).c_str(), '"');
        return;
    }
    // Quoted pieces with the line-break characters as groups between them; the token must
    // begin with a quote so that it reads back as narrow text.
    std::string token = "\"";
    bool inQuote = true;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (inQuote) token += '"';
            inQuote = false;
            token += c == '\r' ? "{13}" : "{10}";
            continue;
        }
        if (!inQuote) token += '"';
        inQuote = true;
        token += c;
        if (c == '"') token += '"';
    }
    if (inQuote) token += '"';
    out.addToken(token.c_str());
}

void addStringToken(XXSTREAM& out, const XXSTRING& text) {
    if (text.isWide)
        out.addWide(text.wtext());
    else
        addNarrowToken(out, text.view());
}

void addFieldToken(XXSTREAM& out, const XXFLD& field) {
    if (dynamic_cast<const XXFLD_DataOwner*>(&field)) {
        out.addToken("");
        return;
    }
    if (!field.isText()) {
        if (const auto* bytes = dynamic_cast<const XXFLD_BYTES*>(&field)) {
            std::string numeric;
            for (int32_t i = 0; i < bytes->getByteCount(); ++i) {
                numeric += '[';
                numeric += std::to_string(unsigned(bytes->getBytes()[i]));
                numeric += ']';
            }
            out.addToken(numeric.empty() ? "[]" : numeric.c_str());
        } else if (dynamic_cast<const XXFLD_BOOL*>(&field)) {
            out.addToken(field.getInt() ? "1" : "0");
        } else {
            out.addToken(field.getText());
        }
        return;
    }
    if (field.isWide())
        out.addWide(field.getWText());
    else
        addNarrowToken(out, field.getText());
}

XXSTRING filePlace(std::string_view file, int32_t line) {
    XXSTRING place;
    if (line > 0) place << XXSTRING(file.data(), int32_t(file.size())) << ":" << line << ": ";
    return place;
}

XXSTRING lineForMessage(std::string_view line) {
    if (line.size() <= kMessageLineLength) return XXSTRING(line.data(), int32_t(line.size()));
    XXSTRING shortened(line.data(), int32_t(kMessageLineLength));
    shortened << "...";
    return shortened;
}
