// ClientSources: the reserved words whose values the client and its scanners supply, as a
// grid (title "Sources", one row per name, so the tag checkers keep definitions from using
// the names as tags) and as the engine's source lookup.
//
// The sources themselves belong to whoever supplies them (the client its four, each scanner
// its own); this object only lists them.
#pragma once

#include <cstdint>

#include "definitions/PXGrids.h"
#include "engine/ClientSource.h"
#include "engine/IPXEngine.h"
#include "foundation/GLIST.h"

class ClientSources : public PXGrid, public IPXSources {
public:
    ClientSources() { buildSchema(); }
    ClientSources(const ClientSources&) = delete;
    ClientSources& operator=(const ClientSources&) = delete;

    // Gives the grid its title and column (once; the constructor does it).
    void buildSchema();
    // Lists a source (not owned) and adds its name as a row.
    void add(ClientSource& source);

    // Emptying the definition empties every registered grid; the names of the sources stay.
    void clearRows() override;

    ClientSource* findSource(const char* name) override;
    // The source with this string-table number, or null.
    ClientSource* find(XXID id) const;
    int32_t sourceCount() const { return sources_.count(); }
    ClientSource* sourceAt(int32_t i) const { return sources_.at(i); }

private:
    void addRow(const ClientSource& source);

    ALIST<ClientSource> sources_;
    bool built_ = false;
};
