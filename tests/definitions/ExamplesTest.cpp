// The sample definitions in examples/ are golden files: building them in code and writing them
// gives exactly the committed bytes, and reading the committed files gives the same
// definition. Set QUILLON_WRITE_EXAMPLES=1 to write them into examples/ instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Samples.h"
#include "../support/CaptureSink.h"
#include "../support/TempDir.h"

namespace {

struct Example {
    const char* name;
    void (*build)(PXDefinition&, ClientGrids&);
    std::vector<std::string> files;
};

const Example kExamples[] = {
    {"LogErrors", buildLogErrors, {"LogErrors.QXD"}},
    {"Dates", buildDates, {"Dates.QXD"}},
    {"Invoice", buildInvoice, {"Invoice.QXD", "Amount.QXG"}},
};

std::string examplesDir() {
    const char* source = std::getenv("QUILLON_SOURCE_DIR");
    return std::string(source ? source : ".") + "/examples";
}

struct Definition {
    PXDefinition definition;
    ClientGrids clients{definition};
    PXDefIO io;
    Definition() {
        definition.buildSchema();
        io.engine = &definition;
        clients.addTo(io);
    }
};

TEST(Examples, WrittenBytesMatchTheCommittedFiles) {
    CaptureSink sink;
    const bool rewrite = std::getenv("QUILLON_WRITE_EXAMPLES") != nullptr;
    for (const Example& e : kExamples) {
        SCOPED_TRACE(e.name);
        TempDir dir;
        Definition d;
        e.build(d.definition, d.clients);
        const std::string folder = rewrite ? examplesDir() : dir.path().string();
        ASSERT_TRUE(d.io.save((folder + "/" + e.files[0]).c_str()));
        for (const std::string& f : e.files) {
            SCOPED_TRACE(f);
            const std::string committed = readFile(examplesDir() + "/" + f);
            ASSERT_FALSE(committed.empty()) << "missing examples/" << f;
            EXPECT_EQ(readFile(folder + "/" + f), committed);
        }
    }
    EXPECT_EQ(sink.errors, std::vector<std::string>{});
}

TEST(Examples, CommittedFilesReadBackAsBuilt) {
    CaptureSink sink;
    for (const Example& e : kExamples) {
        SCOPED_TRACE(e.name);
        Definition built;
        e.build(built.definition, built.clients);
        Definition read;
        ASSERT_TRUE(read.io.load((examplesDir() + "/" + e.files[0]).c_str()));
        EXPECT_EQ(dumpDefinition(read.definition, &read.clients), dumpDefinition(built.definition, &built.clients));
    }
    EXPECT_EQ(sink.errors, std::vector<std::string>{});
}

// Every grid of every example, and the detail rows of every record, pass the checks the
// dialogs apply (unique tags across the definition, ranges, lookups, blanks).
TEST(Examples, PassTheDefinitionChecks) {
    CaptureSink sink;
    for (const Example& e : kExamples) {
        SCOPED_TRACE(e.name);
        Definition d;
        e.build(d.definition, d.clients);
        // The names preparation would offer to pattern elements and string-set targets.
        PXDefinition& def = d.definition;
        for (XXGRID* names : std::initializer_list<XXGRID*>{&def.sets8, &def.sets16, &def.variables}) def.setVarNames.appendColumnFrom(*names, 0);
        def.targets.appendColumnFrom(def.variables, 0);
        std::vector<XXGRID*> grids;
        for (XXGRID* g : d.definition.definitionGrids()) grids.push_back(g);
        grids.push_back(&d.clients.outputFiles);
        for (XXGRID* g : grids) {
            SCOPED_TRACE(g->title().text());
            int32_t row = 0;
            int32_t col = 0;
            XXSTRING message;
            EXPECT_TRUE(g->checkAll(row, col, message)) << message.text() << " at " << row << "," << col;
            if (!g->subGrid()) continue;
            for (int32_t r = 0; r < g->rowCount(); ++r) {
                const XXFLD* first = g->getCell(0, r);
                if (!first || !first->subRows()) continue;
                std::unique_ptr<XXROWLIST> saved = g->subGrid()->replaceRows(copyRows(*first->subRows()));
                XXSTRING detailMessage;
                EXPECT_TRUE(g->subGrid()->checkAll(row, col, detailMessage))
                    << first->getText() << ": " << detailMessage.text() << " at " << row << "," << col;
                g->subGrid()->replaceRows(std::move(saved));
            }
        }
    }
}

}  // namespace
