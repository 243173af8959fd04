// IPXDefinition: how the definition reader and writer (and later the user interface and a
// run) borrow a definition's grids and graphs.
//
// Taking sets the lent object's lock flag and fails when it is already set; giving back
// clears it. Every operation returns 2 on success and 0 on failure. The operations are in
// their fixed order.
#pragma once

#include <cstdint>

class PXActionCatalogue;
class PXGraphs;
class XXGRID;

class IPXDefinition {
public:
    virtual ~IPXDefinition() = default;
    // The number of definition grids.
    virtual int32_t getGridCount() = 0;
    // Takes the grid at `position` of the definition grid list.
    virtual int32_t grabGrid(int32_t position, XXGRID*& grid) = 0;
    // Takes the first definition grid whose key equals `key` exactly.
    virtual int32_t grabGrid(const char* key, XXGRID*& grid) = 0;
    // Gives back the first definition grid whose key equals `key`.
    virtual int32_t releaseGrid(const char* key) = 0;
    // Takes the graphs (main graph and node groups).
    virtual int32_t grabGraphs(PXGraphs*& graphs) = 0;
    virtual int32_t releaseGraphs() = 0;
    // The action kinds, from which actions read from a file are made.
    virtual const PXActionCatalogue& actionCatalogue() = 0;
};
