// Test support of the run layer: a client that records what it shows, definitions built in
// code and saved with the definition writer, a working folder the tests run in, and the
// normalisation that lets hand-written expected logs stand against real ones.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/PXEngine.h"
#include "run/PXBatchClient.h"
#include "tests/support/TempDir.h"

// Lets the system's strings stand in test expectations against std::string.
inline bool operator==(const XXSTRING& a, const std::string& b) { return std::string(a.text()) == b; }
inline void PrintTo(const XXSTRING& s, std::ostream* os) { *os << '"' << s.text() << '"'; }

// A batch client whose messages are kept (in one list shared with its fresh clients, so
// that pre- and post-processors show up in order).
class TestClient : public PXBatchClient {
public:
    explicit TestClient(std::shared_ptr<std::vector<std::string>> shown = nullptr)
        : shown_(shown ? std::move(shown) : std::make_shared<std::vector<std::string>>()) {}

    void message(const char* text) override {
        shown_->emplace_back(text);
        filesCounted.push_back(inputs.files.filesVisited.load());
    }
    std::unique_ptr<PXClient> freshClient() override { return std::make_unique<TestClient>(shown_); }

    std::vector<std::string>& shown() { return *shown_; }
    // The file scanner's progress count of files when each message of this client came.
    std::vector<int64_t> filesCounted;
    PXEngine& pxEngine() { return *dynamic_cast<PXEngine*>(engine()); }

private:
    std::shared_ptr<std::vector<std::string>> shown_;
};

// A temporary folder that is the current directory while the object lives (outputs named
// without a folder, the default "out.tmp" and the log land there).
class Workspace {
public:
    Workspace() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(dir.path()); }
    ~Workspace() { std::filesystem::current_path(previous_); }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // The full path of `name` in the folder.
    std::string path(const std::string& name) const { return dir.file(name); }
    // Writes a file (making its folders) and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const;
    // The content of a file of the folder; "<missing>" when there is none.
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }

    TempDir dir;

private:
    std::filesystem::path previous_;
};

struct Range {
    int from;
    int to;   // -1: blank
};

struct Element {
    const char* set;
    int min;
    int max;   // -1: blank
};

// A definition built in the grids of a client of its own and saved with the writer.
class DefinitionBuilder {
public:
    DefinitionBuilder();

    void log(const char* name, bool append = false);
    void output(const char* tag, const char* spec, bool append = false);
    void input(const char* spec, bool subdirectories = false, bool hidden = false, bool scan = true);
    void preProcessor(const char* definition);
    void postProcessor(const char* definition);
    void database(const char* dsn);
    void extension(const char* library);

    void set8(const char* tag, std::initializer_list<Range> ranges);
    void pattern(const char* tag, std::initializer_list<Element> elements);
    // Type "String" with a narrow value, or "Byte" with a numeric value such as "[10]".
    void variable(const char* tag, const char* type, const char* value);
    void counter(const char* tag, int initial);
    // An action row of a phase grid (engine().preRunActions, ...).
    void phaseAction(XXGRID& grid, const char* kind, std::initializer_list<const char*> parms);

    // Nodes of the main graph: one matching its text, one matching a pattern (or string
    // set, or node group) by name. The first node made is the start node.
    PXNode* textNode(const char* text, const char* tag = "");
    PXNode* refNode(const char* name, const char* tag = "");
    void link(PXNode* from, PXNode* to);
    void nodeAction(PXNode* node, const char* kind, std::initializer_list<const char*> parms);

    // The usual "line" vocabulary: set LineChar (tab, 32..255), pattern Rest (LineChar 0..1000),
    // Byte variable NL = [10].
    void lineVocabulary();
    // Writes the definition; the path.
    std::string save(const std::string& path);

    PXEngine& engine() { return writer.pxEngine(); }
    TestClient writer;

private:
    int nextX_ = 40;
};

// Runs the definition at `path` in a new client; the client (for its messages, run message
// and grids). `prepare` may set switches before the client is set up.
struct RunResult {
    std::unique_ptr<TestClient> client;
    int32_t result = 0;
    bool loaded = false;
};
RunResult runDefinition(const std::string& path, void (*prepare)(TestClient&) = nullptr);

// The log with the varying parts replaced: the date and time of run-start lines by
// "<STAMP>", the elapsed seconds by "<SECONDS>", and `dir` by "<DIR>".
std::string normalisedLog(const std::string& log, const std::string& dir);
// A file of tests/run/golden.
std::string golden(const std::string& name);
