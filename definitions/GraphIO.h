// GraphIO: the graph section of definition and node-group files, written and read.
//
// Writing, for one graph: a "Note" line per comment (x y width height "text"), then for each
// node in node order its "Node" line (number, x, y, width, height, then the numbers of its
// links' targets in link order), "LinkColors" (the links' colours in the same order),
// "NodeAttribute" ("igc" when it ignores case, "Start" for the start node), and when present
// "NodePattern", "NodeString", "NodeTag" and one "NodeAction" line per action (keyword, then
// the parameters, narrow quoted or wide). A node with both a wide and a narrow text writes its
// wide text first and its narrow text after it, so that both are read back.
//
// Reading: nodes are numbered in the order of their "Node" lines (the number written there is
// not used to place them); every other line names its node by that number. Links are kept
// pending until the whole graph is read, then made in order, each with the colour at its
// position. Problems are reported in the definition's words and the line (or the one link) is
// skipped: numbers that do not convert ("GraphIO::nodeIn" "Error 6"), node numbers no node
// has ("Definition file: Node 9 not found"), unknown action keywords (collected and reported
// once per graph). Each kind of report is given at most five times per read, each after the
// file and line it is about ("D.QXD:14: ").
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "definitions/DefTokens.h"
#include "definitions/PXGraph.h"
#include "foundation/XXSTREAM.h"

class PXActionCatalogue;

class GraphIO {
public:
    // The line keywords, in their fixed order; "igc" and "Start" are attribute words.
    static constexpr const char* keywords[10] = {"Note",   "Node",        "NodeAttribute", "NodeAction", "igc",
                                                 "Start",  "NodePattern", "NodeString",    "NodeTag",    "LinkColors"};
    // The parameters an action line may carry; further values are reported as excess.
    static constexpr int32_t maxActionParms = 16;

    const PXActionCatalogue* catalogue = nullptr;   // actions are made from its prototypes
    bool quiet = false;                             // reports are dropped
    int32_t lineNumber = 0;                         // of the line being read, kept by its node
    XXSTRING place;                                 // "file:line: " of it, before every report

    // Writes the graph section of `graph`. False when a line could not be written.
    bool out(XXSTREAM& stream, PXGraph& graph) const;

    // Starts reading into `graph` (null: graph lines are ignored).
    void begin(PXGraph* graph);
    PXGraph* graph() const { return graph_; }
    // Whether an unquoted first token names a graph line.
    static bool isGraphLine(const DefToken& first);
    // Handles one graph line whose first token is `first`.
    void lineIn(const DefToken& first, DefLine& rest, std::string_view line);
    // Makes the pending links and reports the collected action errors once.
    void resolveLinks();
    // Starts a new read: the report counts start again.
    void beginRead();

private:
    struct Pending {
        PXNode* node = nullptr;
        std::vector<int64_t> targets;   // -1 for a value that did not convert
        std::vector<int32_t> colors;
        XXSTRING place;                 // of its "Node" line
    };

    void noteIn(DefLine& rest);
    void nodeIn(DefLine& rest);
    // The node the line names by its next token; null (after a report) when there is none.
    PXNode* nodeOf(DefLine& rest);
    void attributeIn(PXNode& node, DefLine& rest);
    void actionIn(PXNode& node, DefLine& rest, std::string_view line);
    void colorsIn(PXNode& node, DefLine& rest);
    void reportMissing(const char* number, const XXSTRING& where);
    void reportConversion(const char* title, int32_t code, int32_t& count);
    bool mayReport(int32_t& count);

    PXGraph* graph_ = nullptr;
    int32_t firstNumber_ = 0;        // node number of the first node read
    std::vector<Pending> pending_;
    XXSTRING actionErrors_;
    int32_t actionErrorCount_ = 0;
    std::vector<std::string> unknownActions_;
    int32_t missingReports_ = 0;
    int32_t noteReports_ = 0;
    int32_t nodeReports_ = 0;
    int32_t excessReports_ = 0;
};
