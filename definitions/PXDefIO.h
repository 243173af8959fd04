// PXDefIO: the definition file (".QXD") and its node-group files (".QXG").
//
// A definition file is text with CR LF line ends (read with LF or CR LF): a header line
// ("Quillon Version 2.82"), the rows of every persistent grid (the client's option and input
// grids first, then the definition grids in list order; XXGRIDIO), and the graph section of
// the main graph (GraphIO). Each named node group's graph goes to a file of its own, named
// after the group, beside the definition file: the header, then its graph section.
//
// The definition's grids and graphs are borrowed through IPXDefinition for as long as they
// are written or filled. Reading keeps every row it can make sense of: a line that names no
// grid is reported (at most five times per read) and the detail lines under it are skipped;
// missing values are empty, excess values are dropped with a report; graph lines are checked
// by GraphIO; node-group files that cannot be opened are reported together, once. When a
// damaged file makes the reports exceed the error limit, the read goes on without further
// reports rather than ending.
#pragma once

#include <cstdint>
#include <string_view>

#include "definitions/GraphIO.h"
#include "definitions/IPXDefinition.h"
#include "definitions/XXGRIDIO.h"
#include "foundation/GLIST.h"
#include "foundation/XXGRID.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTREAM.h"

class PXGraphs;

class PXDefIO : public XXSTREAM {
public:
    // The format version written in the header of every file.
    static constexpr const char* writtenVersion = "2.82";

    IPXDefinition* engine = nullptr;   // the definition's grids and graphs, or none
    Error error;                       // file diagnostics
    XXSTRING header;                   // written at the top of every file
    ALIST<XXGRID> clientGrids;         // the client's option and input grids, in file order
    XXGRIDIO gridIO;
    float version = 0.0f;              // of the file read last
    GraphIO graphIO;
    XXSTRING defExt;                   // "QXD"
    XXSTRING graphExt;                 // "QXG"
    int32_t errorCount = 0;            // "Invalid input" lines of the current read
    bool readReported = false;         // the last read reported a mistake in a file

    PXDefIO();
    ~PXDefIO() override;

    // Writes the whole definition to the file the caller opened for text output, then the
    // node-group files, and closes the file. False when something could not be written.
    bool out();
    // Reads the file the caller opened for text input, then the node-group files, and closes
    // the file. False when a node-group file could not be opened. Every report names the
    // file and line it is about; `readReported` tells whether there was any.
    bool in();
    // Opens `path` and writes (out) or reads (in) it; false, after "Unable to open" with the
    // path, when it cannot be opened.
    bool save(const char* path);
    bool load(const char* path);

    // Loads the graph of every node group whose graph is still empty from its file. False when
    // a file could not be opened (all such paths reported together, each after the file and
    // line of the row that names its group).
    bool loadGraphs(PXGraphs& graphs);
    // The file of node group `name`: the definition file's directory, the name ("\" taken
    // as "/"), "." and the graph extension.
    XXSTRING graphPath(const char* name) const;

private:
    void lineIn(std::string_view line);
    // The file and number of the line about to be read, for the reports and the rows.
    void placeAt(const char* file, int32_t number);
    // Reports a quoted value of the line whose closing quote is missing.
    void checkQuotes(std::string_view line);
    void takeGrid(const char* key, std::string_view line, DefLine& rest);
    void giveBackGrid();
    // One "Invalid input" report for a line the read cannot place (at most five per read).
    void reportInvalid(std::string_view line);
    bool writeGraphFile(const char* path, PXGraph& graph, ALIST<XXSTRING>& failed);
    void goQuiet();

    XXGRID* current_ = nullptr;        // grid of the last master line
    XXROWLIST* currentDetail_ = nullptr;
    XXSTRING takenKey_;                // key of the grid taken from the engine, "" when none
    XXSTRING place_;                   // "file:line: " of the line being read
    bool quiet_ = false;
};
