// Test support: definitions built in code, and a dump of everything a definition holds.
//
// The dump lists every grid row (with each field's kind, form, texts and bytes, and detail
// rows), every graph (notes, nodes with all their fields, links with colours, actions with
// their parameters), independently of the file writer, so that two definitions compare
// equal exactly when their dumps do.
#pragma once

#include <string>

#include "definitions/PXClientSchema.h"
#include "definitions/PXDefIO.h"
#include "definitions/PXDefinition.h"
#include "foundation/XXGRID.h"

// The client's option and input grids, built with the client schema.
struct ClientGrids {
    XXGRID logName, extensionDll, fileViewer, database, preProcessors, postProcessors, outputFiles;
    XXGRID files, urls, folders, messageOptions;

    explicit ClientGrids(PXDefinition& definition);
    // In file order.
    void addTo(PXDefIO& io);
};

// Building blocks.
XXROW* addRecord(XXGRID& grid, const char* tag);
XXROW* addDetail(XXGRID& master, XXROW& record);
void put(XXROW& row, int col, const char* text);
void putWide(XXROW& row, int col, const char16_t* text);
void putBytes(XXROW& row, int col, const char* numeric);
// An action of the kind named, with narrow parameters.
std::unique_ptr<CAction> action(PXDefinition& definition, const char* kind, std::initializer_list<const char*> parms);
// An action row in an action grid (or an action group's detail rows).
XXROW* addActionRow(XXGRID& grid, XXROWLIST* rows, const char* kind, std::initializer_list<const char*> parms);

// A definition that uses every grid, every field kind and every graph feature, with two node
// groups ("GroupA", "GroupB").
void fillEverything(PXDefinition& definition, ClientGrids& clients);

// The sample definitions of examples/.
void buildLogErrors(PXDefinition& definition, ClientGrids& clients);
void buildDates(PXDefinition& definition, ClientGrids& clients);
void buildInvoice(PXDefinition& definition, ClientGrids& clients);

std::string dumpDefinition(PXDefinition& definition, const ClientGrids* clients);
std::string dumpGraph(PXGraph& graph);
std::string readFile(const std::string& path);
