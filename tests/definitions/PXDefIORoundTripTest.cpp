// A definition that uses every grid, field kind and graph feature is written, read back into
// a fresh definition and written again: every value compares equal and the files are
// identical byte for byte.
#include <gtest/gtest.h>

#include "Samples.h"
#include "../support/CaptureSink.h"
#include "../support/TempDir.h"

namespace {

struct Loaded {
    PXDefinition definition;
    ClientGrids clients{definition};
    PXDefIO io;
    Loaded() {
        definition.buildSchema();
        io.engine = &definition;
        clients.addTo(io);
    }
};

TEST(PXDefIORoundTrip, EverythingSurvivesAndRewritesIdentically) {
    CaptureSink sink;
    TempDir dir;
    Loaded first;
    fillEverything(first.definition, first.clients);
    const std::string before = dumpDefinition(first.definition, &first.clients);
    ASSERT_TRUE(first.io.save(dir.file("Everything.QXD").c_str()));

    Loaded second;
    ASSERT_TRUE(second.io.load(dir.file("Everything.QXD").c_str()));
    EXPECT_EQ(sink.errors, std::vector<std::string>{});
    EXPECT_EQ(dumpDefinition(second.definition, &second.clients), before);
    EXPECT_FLOAT_EQ(second.io.version, 2.82f);

    TempDir again;
    ASSERT_TRUE(second.io.save(again.file("Everything.QXD").c_str()));
    for (const char* name : {"Everything.QXD", "GroupA.QXG", "GroupB.QXG"}) {
        SCOPED_TRACE(name);
        const std::string a = readFile(dir.file(name));
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(readFile(again.file(name)), a);
    }
}

TEST(PXDefIORoundTrip, FilesUseCrLfAndStartWithTheHeader) {
    CaptureSink sink;
    TempDir dir;
    Loaded d;
    fillEverything(d.definition, d.clients);
    ASSERT_TRUE(d.io.save(dir.file("E.QXD").c_str()));
    for (const char* name : {"E.QXD", "GroupA.QXG"}) {
        SCOPED_TRACE(name);
        const std::string text = readFile(dir.file(name));
        EXPECT_EQ(text.rfind("Quillon Version 2.82\r\n", 0), 0u);
        size_t lf = 0;
        size_t crlf = 0;
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') {
                ++lf;
                if (i > 0 && text[i - 1] == '\r') ++crlf;
            }
        EXPECT_EQ(lf, crlf);
    }
}

TEST(PXDefIORoundTrip, LfOnlyFilesReadTheSame) {
    CaptureSink sink;
    TempDir dir;
    Loaded d;
    fillEverything(d.definition, d.clients);
    ASSERT_TRUE(d.io.save(dir.file("E.QXD").c_str()));
    std::string text = readFile(dir.file("E.QXD"));
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
    dir.write("E.QXD", lf);

    Loaded back;
    ASSERT_TRUE(back.io.load(dir.file("E.QXD").c_str()));
    EXPECT_EQ(dumpDefinition(back.definition, &back.clients), dumpDefinition(d.definition, &d.clients));
}

}  // namespace
