#include "tests/run/RunFixture.h"

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "engine/PXInst.h"

namespace {

void put(XXROW& row, int col, const char* text) { row.field(col)->setValue(text); }

XXROW* addRecord(XXGRID& grid, const char* tag) {
    XXROW* row = grid.appendRow();
    put(*row, 0, tag);
    row->field(0)->setSubRows(std::make_unique<XXROWLIST>());
    return row;
}

XXROW* addDetail(XXGRID& master, XXROW& record) {
    return record.field(0)->subRows()->add(master.subGrid()->newRow());
}

}  // namespace

// --- Workspace ---------------------------------------------------------------------------

std::string Workspace::write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
    return dir.write(name, bytes);
}

std::string Workspace::read(const std::string& name) const {
    return exists(name) ? TempDir::read(path(name)) : "<missing>";
}

// --- DefinitionBuilder -------------------------------------------------------------------

DefinitionBuilder::DefinitionBuilder() { writer.init(); }

void DefinitionBuilder::log(const char* name, bool append) {
    XXROW* row = writer.logName.appendRow();
    put(*row, 0, name);
    put(*row, 1, append ? "1" : "0");
}

void DefinitionBuilder::output(const char* tag, const char* spec, bool append) {
    XXROW* row = writer.outputFiles.appendRow();
    put(*row, 0, tag);
    put(*row, 1, spec);
    put(*row, 2, append ? "1" : "0");
}

void DefinitionBuilder::input(const char* spec, bool subdirectories, bool hidden, bool scan) {
    XXROW* row = writer.inputs.files.files.appendRow();
    put(*row, 0, scan ? "1" : "0");
    put(*row, 1, spec);
    put(*row, 2, subdirectories ? "1" : "0");
    put(*row, 3, hidden ? "1" : "0");
}

void DefinitionBuilder::preProcessor(const char* definition) { put(*writer.preProcessors.appendRow(), 0, definition); }

void DefinitionBuilder::postProcessor(const char* definition) {
    put(*writer.postProcessors.appendRow(), 0, definition);
}

void DefinitionBuilder::database(const char* dsn) { put(*writer.databaseGrid.appendRow(), 0, dsn); }

void DefinitionBuilder::extension(const char* library) { put(*writer.extensionDll.appendRow(), 0, library); }

void DefinitionBuilder::set8(const char* tag, std::initializer_list<Range> ranges) {
    XXROW* set = addRecord(engine().sets8, tag);
    for (const Range& r : ranges) {
        XXROW* row = addDetail(engine().sets8, *set);
        put(*row, 0, std::to_string(r.from).c_str());
        if (r.to >= 0) put(*row, 1, std::to_string(r.to).c_str());
    }
}

void DefinitionBuilder::pattern(const char* tag, std::initializer_list<Element> elements) {
    XXROW* pattern = addRecord(engine().patterns, tag);
    for (const Element& e : elements) {
        XXROW* row = addDetail(engine().patterns, *pattern);
        put(*row, 0, e.set);
        put(*row, 1, std::to_string(e.min).c_str());
        if (e.max >= 0) put(*row, 2, std::to_string(e.max).c_str());
    }
}

void DefinitionBuilder::variable(const char* tag, const char* type, const char* value) {
    XXROW* row = engine().variables.appendRow();
    put(*row, 0, tag);
    put(*row, 1, type);
    if (value[0] == '[') row->field(2)->setText(false);
    put(*row, 2, value);
}

void DefinitionBuilder::counter(const char* tag, int initial) {
    XXROW* row = engine().counters.appendRow();
    put(*row, 0, tag);
    put(*row, 1, std::to_string(initial).c_str());
}

void DefinitionBuilder::phaseAction(XXGRID& grid, const char* kind, std::initializer_list<const char*> parms) {
    std::unique_ptr<XXROW> row = grid.newRow();
    row->field(0)->setValue(kind);
    int col = 1;
    for (const char* p : parms) row->field(col++)->setValue(p);
    grid.rowList().add(std::move(row));
}

PXNode* DefinitionBuilder::textNode(const char* text, const char* tag) {
    PXNode* node = engine().nodeGroups.main.addPXNode(nextX_, 60, 96, 24);
    nextX_ += 120;
    node->setText(text);
    node->setTag(tag);
    return node;
}

PXNode* DefinitionBuilder::refNode(const char* name, const char* tag) {
    PXNode* node = engine().nodeGroups.main.addPXNode(nextX_, 60, 96, 24);
    nextX_ += 120;
    node->setRefName(name);
    node->setTag(tag);
    return node;
}

void DefinitionBuilder::link(PXNode* from, PXNode* to) { engine().nodeGroups.main.addLink(*from, to->id()); }

void DefinitionBuilder::nodeAction(PXNode* node, const char* kind, std::initializer_list<const char*> parms) {
    std::unique_ptr<CAction> action = engine().catalogue.make(kind);
    ASSERT_TRUE(action) << kind;
    int32_t i = 0;
    for (const char* p : parms) action->setParm(i++, p, nullptr);
    node->addAction(std::move(action));
}

void DefinitionBuilder::lineVocabulary() {
    set8("LineChar", {{9, -1}, {32, 255}});
    pattern("Rest", {{"LineChar", 0, 1000}});
    variable("NL", "Byte", "[10]");
}

std::string DefinitionBuilder::save(const std::string& path) {
    EXPECT_TRUE(writer.definitionStream().save(path.c_str())) << path;
    return path;
}

// --- running -----------------------------------------------------------------------------

RunResult runDefinition(const std::string& path, void (*prepare)(TestClient&)) {
    RunResult r;
    r.client = std::make_unique<TestClient>();
    if (prepare) prepare(*r.client);
    r.client->init();
    r.loaded = r.client->load(path.c_str());
    PXInst run;
    r.result = r.client->runKind(run, MFClient::automatic);
    return r;
}

std::string normalisedLog(const std::string& log, const std::string& dir) {
    std::string text = log;
    for (size_t at = 0; !dir.empty() && (at = text.find(dir, at)) != std::string::npos;)
        text.replace(at, dir.size(), "<DIR>");
    static const std::regex stamp(R"(\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d\.\d{3}  )");
    static const std::regex seconds(R"(^ \d+\.\d{3} seconds$)", std::regex::multiline);
    text = std::regex_replace(text, stamp, "<STAMP>  ");
    return std::regex_replace(text, seconds, " <SECONDS> seconds");
}

std::string golden(const std::string& name) {
    // From the source tree: CTest names it; a program started by hand finds it beside this file.
    const char* source = std::getenv("QUILLON_SOURCE_DIR");
    const std::string dir = source ? std::string(source) + "/tests/run"
                                   : std::filesystem::path(__FILE__).parent_path().string();
    const std::string path = dir + "/golden/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "no golden file " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
