// Inputs that once broke the reader, kept in tests/definitions/regressions: each is read,
// written, read back and written again, under the sanitizers; the two writes must agree.
//
// Former bugs:
//   huge-coordinates.QXD  node and note positions and sizes near the 32-bit limits overflowed
//                         the rectangle arithmetic of the graph container; they are now kept
//                         within the surface range when read.
#include <gtest/gtest.h>

#include <filesystem>

#include "Samples.h"
#include "../support/CaptureSink.h"
#include "../support/TempDir.h"

namespace {

std::string readAndWrite(const std::string& from, const std::string& to) {
    PXDefinition definition;
    definition.buildSchema();
    ClientGrids clients(definition);
    PXDefIO reader;
    reader.engine = &definition;
    clients.addTo(reader);
    reader.load(from.c_str());
    PXDefIO writer;
    writer.engine = &definition;
    clients.addTo(writer);
    writer.save(to.c_str());
    return readFile(to);
}

TEST(FuzzRegressions, ReadWriteReadWrite) {
    CaptureSink sink;
    const char* source = std::getenv("QUILLON_SOURCE_DIR");
    const std::filesystem::path dir = std::filesystem::path(source ? source : ".") / "tests/definitions/regressions";
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++seen;
        TempDir work;
        std::filesystem::create_directories(work.path() / "a");
        std::filesystem::create_directories(work.path() / "b");
        const std::string first = readAndWrite(entry.path().string(), work.file("a/out.QXD"));
        const std::string second = readAndWrite(work.file("a/out.QXD"), work.file("b/out.QXD"));
        EXPECT_FALSE(first.empty());
        EXPECT_EQ(second, first);
    }
    EXPECT_GT(seen, 0);
}

}  // namespace
