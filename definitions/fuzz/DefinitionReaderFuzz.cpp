// Fuzzes the definition reader: the input is read as a definition file (and, through a node
// group named "G", as a graph file), then written out, read back and written again. Reading
// must never crash, hang or touch memory it does not own, whatever the bytes; and writing what
// was read must be canonical: the second write gives the bytes of the first.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "definitions/PXClientSchema.h"
#include "definitions/PXDefIO.h"
#include "definitions/PXDefinition.h"
#include "foundation/XXERROR.h"
#include "foundation/XXMSG.h"

namespace {

class Silent final : public IXXSINK {
public:
    void error(const char*) override {}
    void information(const char*) override {}
};

std::string folder() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/quillon-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        const std::string d(made ? made : "/tmp/quillon-fuzz");
        std::filesystem::create_directories(d + "/first");
        std::filesystem::create_directories(d + "/second");
        return d;
    }();
    return dir;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A definition with the client's option and input grids.
struct Definition {
    PXDefinition definition;
    XXGRID options[7];
    XXGRID inputs[4];

    Definition() {
        definition.buildSchema();
        const PXClientChoosers none;
        buildLogNameGrid(options[0], none);
        buildExtensionDllGrid(options[1], none);
        buildFileViewerGrid(options[2], none);
        buildDatabaseGrid(options[3], none);
        buildPreProcessorsGrid(options[4], none);
        buildPostProcessorsGrid(options[5], none);
        buildOutputFilesGrid(options[6], none, &definition.tagChecker2);
        buildFilesGrid(inputs[0], none);
        buildUrlsGrid(inputs[1]);
        buildFoldersGrid(inputs[2], none);
        buildMessageOptionsGrid(inputs[3], none);
    }
    void attach(PXDefIO& io) {
        io.engine = &definition;
        for (XXGRID& g : options) io.clientGrids.add(&g);
        for (XXGRID& g : inputs) io.clientGrids.add(&g);
    }
};

// Reads `path` into a fresh definition and writes it to `to`.
void readAndWrite(const std::string& path, const std::string& to) {
    Definition d;
    PXDefIO reader;
    d.attach(reader);
    reader.load(path.c_str());
    PXDefIO writer;
    d.attach(writer);
    writer.save(to.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Silent silent;
    setErrorSink(&silent);
    const std::string dir = folder();
    // Node-group names become file names beside the definition; ".." is blunted so that the
    // fuzzer writes nothing outside its own folder.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (size_t at = bytes.find(".."); at != std::string::npos; at = bytes.find("..", at)) bytes[at] = '_';
    {
        std::ofstream def(dir + "/in.QXD", std::ios::binary | std::ios::trunc);
        def << bytes;
        std::ofstream graph(dir + "/G.QXG", std::ios::binary | std::ios::trunc);
        graph << bytes;
    }
    readAndWrite(dir + "/in.QXD", dir + "/first/out.QXD");
    readAndWrite(dir + "/first/out.QXD", dir + "/second/out.QXD");
    if (slurp(dir + "/first/out.QXD") != slurp(dir + "/second/out.QXD")) {
        std::fprintf(stderr, "the definition written after reading is not written the same way twice\n");
        std::abort();
    }
    resetErrorCount();
    return 0;
}
