// Test support for the engine: a definition built in code, a recording set of destinations,
// client sources, and a run over bytes in memory or in a file.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "definitions/PXGrids.h"
#include "engine/ClientSource.h"
#include "engine/PXEngine.h"
#include "foundation/XXINBUF.h"
#include "foundation/XXMEMBUF.h"
#include "foundation/XXSTREAM.h"
#include "foundation/XXSTRTABLE.h"

// One destination that keeps what it was given, and the reset flag of every write.
class RecordingDest : public Destination {
public:
    std::string text;           // everything written, in order
    std::vector<bool> resets;   // the reset flag of each write and flush
    std::string pending;        // bytes put and not yet flushed
    int32_t flushes = 0;

    int32_t write(const unsigned char* bytes, int32_t n, bool reset) override {
        text.append(reinterpret_cast<const char*>(bytes), size_t(n));
        resets.push_back(reset);
        return 2;
    }
    int32_t writeText(const char* t, int32_t n, bool reset) override {
        text.append(t, size_t(n));
        resets.push_back(reset);
        return 2;
    }
    int32_t writeWide(const XXWCHAR* t, int32_t n, bool reset) override {
        text.append(reinterpret_cast<const char*>(t), size_t(n) * 2);
        resets.push_back(reset);
        return 2;
    }
    int32_t writeString(const XXSTRING& s, bool reset) override {
        text.append(s.text(), size_t(s.length()));
        resets.push_back(reset);
        return 2;
    }
    int32_t writeWString(const XXWSTRING& s, bool reset) override {
        text.append(reinterpret_cast<const char*>(s.text()), size_t(s.length()) * 2);
        resets.push_back(reset);
        return 2;
    }
    int32_t putByte(unsigned char b) override {
        pending += char(b);
        return 2;
    }
    int32_t flushBytes(bool reset) override {
        text += pending;
        pending.clear();
        resets.push_back(reset);
        ++flushes;
        return 2;
    }
    int32_t open() override { return 2; }
    int32_t reset() override { return 2; }
    int32_t notify(int32_t, const char*) override { return 2; }
    int32_t ensureOpen() override { return 2; }
    int32_t close() override { return 2; }
};

// Destinations by index: -2 the default, -3 the trace, 0 .. count - 1 the named ones (0 is
// the trace, as in a real run). Other negative indexes give the default.
class RecordingDests : public IDests {
public:
    std::map<int32_t, RecordingDest> dests;
    int32_t count = 4;
    std::vector<std::string> calls;   // event, exeSQL

    virtual ~RecordingDests() = default;
    int32_t noop() override { return 2; }
    int32_t clear() override { return 2; }
    int32_t closeAll() override { return 2; }
    int32_t event(int32_t kind, int32_t table) override {
        calls.push_back("event " + std::to_string(kind) + " " + std::to_string(table));
        return 2;
    }
    int32_t exeSQL(const char* statement) override {
        calls.push_back(std::string("sql ") + statement);
        return 2;
    }
    Destination* get(int32_t index) override {
        if (index == kTraceDestination) index = 0;
        if (index < 0) return &dests[kDefaultDestination];
        if (index >= count) return nullptr;
        return &dests[index];
    }
    std::string& out(int32_t index = kDefaultDestination) { return dests[index == kTraceDestination ? 0 : index].text; }
};

class TestSources : public IPXSources {
public:
    std::vector<std::unique_ptr<ClientSource>> sources;
    virtual ~TestSources() = default;
    ClientSource* findSource(const char* name) override {
        for (auto& s : sources)
            if (s->name == name) return s.get();
        return nullptr;
    }
    template <typename T>
    T& add(std::unique_ptr<T> source) {
        T& s = *source;
        sources.push_back(std::move(source));
        return s;
    }
};

struct Element {
    std::string set;
    int32_t min;
    int32_t max;   // -1: blank
};

struct Item {
    std::string text;
    std::string other = "";
    std::string target = "";
    bool ignoreCase = false;
    bool enabled = true;
};

class EngineTest : public ::testing::Test {
protected:
    PXEngine engine;
    RecordingDests dests;
    TestSources sources;
    PXGrid destinations;
    PXGrid tables;
    PXInst run;

    EngineTest() {
        engine.buildSchema();
        destinations.setTitle(1045);
        destinations.addFld(XXFLD_ID::gen, 1286, 50);
        tables.setTitle(1284);
        tables.addFld(XXFLD_ID::gen, 1286, 50);
        engine.addGrid(destinations, false);
        engine.addGrid(tables, false);
        // Row 0 is the trace, which has no name.
        destinations.setText(0, 0, "");
        destinations.setText(0, 1, "out1");
        destinations.setText(0, 2, "out2");
        engine.setUp(nullptr, &sources, &dests);
        run.engine = &engine;
    }

    PXGraph& main() { return engine.nodeGroups.main; }

    // --- definition builders ---
    static XXROW* master(XXGRID& grid, const std::string& name) {
        grid.setText(0, grid.rowCount(), name.c_str());
        return grid.row(grid.rowCount() - 1);
    }
    static void details(XXGRID& grid, int32_t row, std::unique_ptr<XXROWLIST> rows) {
        grid.getCell(0, row)->setSubRows(std::move(rows));
    }
    void set8(const std::string& name, std::vector<std::pair<int, int>> ranges) {
        setRanges(engine.sets8, engine.sets8Ranges, name, ranges);
    }
    void set16(const std::string& name, std::vector<std::pair<int, int>> ranges) {
        setRanges(engine.sets16, engine.sets16Ranges, name, ranges);
    }
    // A range with `b` of -1 leaves End blank.
    static void setRanges(XXGRID& grid, XXGRID& sub, const std::string& name, std::vector<std::pair<int, int>> ranges) {
        master(grid, name);
        auto rows = std::make_unique<XXROWLIST>();
        for (auto [a, b] : ranges) {
            auto row = sub.newRow();
            row->field(0)->setValue(std::to_string(a).c_str());
            if (b >= 0) row->field(1)->setValue(std::to_string(b).c_str());
            rows->add(std::move(row));
        }
        details(grid, grid.rowCount() - 1, std::move(rows));
    }
    void pattern(const std::string& name, std::vector<Element> elements) {
        master(engine.patterns, name);
        auto rows = std::make_unique<XXROWLIST>();
        for (const Element& e : elements) {
            auto row = engine.patternElements.newRow();
            row->field(0)->setValue(e.set.c_str());
            row->field(1)->setValue(std::to_string(e.min).c_str());
            if (e.max >= 0) row->field(2)->setValue(std::to_string(e.max).c_str());
            rows->add(std::move(row));
        }
        details(engine.patterns, engine.patterns.rowCount() - 1, std::move(rows));
    }
    void stringSet(const std::string& name, std::vector<Item> items) {
        master(engine.stringSets, name);
        auto rows = std::make_unique<XXROWLIST>();
        for (const Item& it : items) {
            auto row = engine.stringSetRows.newRow();
            row->field(0)->setValue(it.enabled ? "1" : "0");
            row->field(1)->setValue(it.text.c_str());
            row->field(2)->setValue(it.other.c_str());
            row->field(3)->setValue(it.target.c_str());
            row->field(4)->setValue(it.ignoreCase ? "1" : "0");
            rows->add(std::move(row));
        }
        details(engine.stringSets, engine.stringSets.rowCount() - 1, std::move(rows));
    }
    XXFLD* variable(const std::string& name, const std::string& value, const char* type = "String",
                    const char* ignoreCase = "") {
        const int32_t r = engine.variables.rowCount();
        engine.variables.setText(0, r, name.c_str());
        engine.variables.setText(1, r, type);
        XXFLD* v = engine.variables.getCell(2, r);
        v->setValue(value.c_str());
        engine.variables.setText(3, r, ignoreCase);
        return v;
    }
    std::string value(const std::string& name) {
        XXFLD* v = engine.findVariableValue(name.c_str());
        return v ? std::string(reinterpret_cast<const char*>(v->getBytes()), size_t(v->getByteCount())) : "<none>";
    }
    void counter(const std::string& name, int32_t initial) {
        const int32_t r = engine.counters.rowCount();
        engine.counters.setText(0, r, name.c_str());
        engine.counters.setText(1, r, std::to_string(initial).c_str());
    }
    int32_t counterValue(const std::string& name) {
        const int32_t i = engine.counterIndex(name.c_str());
        return i >= 0 ? engine.counterValues()[size_t(i)] : -999;
    }
    void actionRow(XXGRID& grid, const std::string& kind, std::vector<std::string> parms = {}) {
        const int32_t r = grid.rowCount();
        grid.setText(0, r, kind.c_str());
        for (size_t i = 0; i < parms.size(); ++i) grid.setText(int32_t(i) + 1, r, parms[i].c_str());
    }
    void actionGroup(const std::string& name, std::vector<std::pair<std::string, std::vector<std::string>>> actions) {
        master(engine.actionGroups, name);
        auto rows = std::make_unique<XXROWLIST>();
        for (auto& [kind, parms] : actions) {
            auto row = engine.actionGroupActions.newRow();
            row->field(0)->setValue(kind.c_str());
            for (size_t i = 0; i < parms.size(); ++i) row->field(int32_t(i) + 1)->setValue(parms[i].c_str());
            rows->add(std::move(row));
        }
        details(engine.actionGroups, engine.actionGroups.rowCount() - 1, std::move(rows));
    }

    // Nodes: a text node, a node naming a pattern / set / group, links, actions.
    static PXNode* textNode(PXGraph& g, const char* text, const char* tag = "") {
        PXNode* n = g.addPXNode(0, 0);
        n->setText(text);
        n->setTag(tag);
        return n;
    }
    static PXNode* wideNode(PXGraph& g, const char16_t* text, const char* tag = "") {
        PXNode* n = g.addPXNode(0, 0);
        n->setWText(text);
        n->setTag(tag);
        return n;
    }
    static PXNode* refNode(PXGraph& g, const char* name, const char* tag = "") {
        PXNode* n = g.addPXNode(0, 0);
        n->setRefName(name);
        n->setTag(tag);
        return n;
    }
    static void link(PXNode* from, PXNode* to) { from->graph()->addLink(*from, to->id()); }
    CAction* act(PXNode* node, const std::string& kind, std::vector<std::string> parms = {}) {
        CAction* a = node->addAction(engine.catalogue.make(kind.c_str()));
        for (size_t i = 0; i < parms.size(); ++i) a->setParm(int32_t(i), parms[i].c_str(), nullptr);
        return a;
    }
    // "Send to" the default destination with the node's own text, and a separator.
    CAction* emit(PXNode* node) { return act(node, "Send to", {"", "", ""}); }

    // --- running ---
    int32_t prepare(bool quiet = false) { return engine.prepare(quiet); }
    std::vector<std::string> errors() {
        std::vector<std::string> list;
        for (int32_t i = 0; i < engine.errorCount(); ++i) list.emplace_back(engine.errorText(i));
        return list;
    }
    // Prepares, runs phase 1, scans the bytes as one stream, runs phase 6. The default
    // destination's text.
    std::string scan(const std::string& input, bool prepared = false) {
        if (!prepared) {
            EXPECT_EQ(prepare(), 2) << joined(errors());
        }
        XXMEMBUF memory;
        memory.setData(input.data(), int64_t(input.size()));
        run.buffer = &memory;
        engine.phase(1, run);
        engine.scanStream(run);
        engine.phase(6, run);
        run.buffer = nullptr;
        return dests.out();
    }
    static std::string joined(const std::vector<std::string>& list) {
        std::string all;
        for (const auto& s : list) all += s + "|";
        return all;
    }
};
