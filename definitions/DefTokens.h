// The token forms of definition and graph files, for writing and for reading.
//
// A line is a sequence of tokens separated by spaces. Three forms:
//   quoted  "text"      narrow text; a double quote inside is doubled. A text that holds line
//                       breaks is written as quoted pieces with the CR and LF characters as
//                       {n} groups between them, with nothing in between ("a"{13}{10}"b"),
//                       so that the record stays on one line;
//   wide    {65}{66}    16-bit text, one {n} group per unit (only unquoted);
//   plain   123 [65][66] integers, booleans, byte values in numeric form; a doubled space
//                       inside a plain token stands for one space.
// An empty value is written as the empty quoted token "" so that every later value keeps its
// place. A quoted token is always narrow text: only an unquoted token is read as wide.
//
// DefLine reads the tokens of one line of any length; it never reads outside the line and
// accepts any bytes (a quote that never closes runs to the end of the line, a brace group
// that is not well formed is read as plain text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/XXFLD.h"
#include "foundation/XXSTREAM.h"
#include "foundation/XXSTRING.h"

struct DefToken {
    std::string text;       // the narrow text (the raw token text for a wide token)
    std::u16string wide;    // the units of a wide token
    bool quoted = false;
    bool isWide = false;
    bool unclosed = false;   // a quoted token whose closing quote is missing

    // The token as a string value: wide text for a wide token, else narrow text.
    XXSTRING value() const;
};

class DefLine {
public:
    explicit DefLine(std::string_view line) : s_(line) {}
    // The next token; false when only blanks remain.
    bool next(DefToken& token);
    // Whether only blanks remain.
    bool atEnd();

private:
    void skipBlanks();
    // Reads {n} groups at the cursor into `units`, each within 1..maxUnit, ending where
    // `stop` says; false (cursor unchanged) when they are not well formed.
    bool readGroups(std::u16string& units, uint32_t maxUnit, bool toBlank);
    // Reads a quoted text after its opening quote; false when the line ends before the
    // closing quote.
    bool readQuoted(std::string& text);

    std::string_view s_;
    size_t pos_ = 0;
};

// Appends a narrow text as a quoted token (line breaks as {n} groups between quoted pieces).
void addNarrowToken(XXSTREAM& out, std::string_view text);
// Appends a string value: wide text as a wide token, narrow text quoted, empty as "".
void addStringToken(XXSTREAM& out, const XXSTRING& text);
// Appends a field by its kind's state: data-owning fields as "", numeric fields as plain
// tokens (a boolean as 1 or 0, a byte string in numeric form as [n] groups, "[]" when
// empty), wide text as a wide token, other text quoted.
void addFieldToken(XXSTREAM& out, const XXFLD& field);

// A line shortened for an error message.
XXSTRING lineForMessage(std::string_view line);
// Where a message's cause stands: "file:line: ", or "" when the line is not known (0).
XXSTRING filePlace(std::string_view file, int32_t line);
