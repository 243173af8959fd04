// Test support: small definitions written as definition files.
//
// A word search finds every WORD (in any case) and the rest of its line: both are written
// to the output (the default destination, or a named output row), one line per match;
// every match is a terminal-node match and counts in the counter Hits, and the post-run
// action leaves the count in the variable Total. Its graph has two nodes. It may also name
// web pages to scan, and write a reserved word (such as "URL") before every match.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct WordSearch {
    std::string word = "ALERT";
    std::string log;          // the run log (a full path, so that nothing lands elsewhere)
    std::string ownInput;     // the definition's own input pattern, "" for none
    std::string outputSpec;   // a named output row "Hits" (wildcards allowed), "" for none
    std::vector<std::pair<bool, std::string>> urls;   // rows of "URLs": the scan switch and the URL
    std::string label;        // a reserved word written, and a space, before each match ("" none)
};

// Writes `name`.QXD into `dir`; its full path.
std::string writeWordSearch(const std::string& dir, const std::string& name, const WordSearch& search);
// A definition that opens but does not prepare: its node names a pattern nobody defined.
std::string writeBrokenDefinition(const std::string& dir, const std::string& name, const std::string& log);
