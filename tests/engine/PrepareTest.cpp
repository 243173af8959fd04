// Preparation: sets, patterns, variables in patterns, string sets and old maps, the node
// check and its error texts, counters, the choice lists and the tag list.
#include "tests/engine/EngineFixture.h"
#include "tests/support/CaptureSink.h"

namespace {

class PrepareTest : public EngineTest {};

TEST_F(PrepareTest, SetRanges) {
    set8("Down", {{200, 100}});
    set8("One", {{65, -1}});
    engine.sets8.setText(0, 2, "Bare");   // a record without ranges
    set8("After", {{'x', 'y'}});
    set16("Wide", {{300, 301}});
    ASSERT_EQ(prepare(), 2);
    const auto& s8 = engine.sets8Table();
    ASSERT_EQ(s8.size(), 4u);
    EXPECT_TRUE(s8[0].has(100) && s8[0].has(150) && s8[0].has(200));
    EXPECT_FALSE(s8[0].has(99) || s8[0].has(201));
    EXPECT_TRUE(s8[1].has(65));
    EXPECT_FALSE(s8[1].has(66));
    EXPECT_EQ(s8[2].name, "Bare");
    EXPECT_EQ(s8[3].name, "After");
    EXPECT_TRUE(s8[3].has('y'));
    EXPECT_TRUE(engine.sets16Table()[0].has(300));
    EXPECT_FALSE(engine.sets16Table()[0].has(302));
}

TEST_F(PrepareTest, PatternElements) {
    set8("A", {{'a', -1}});
    variable("V", "xy");
    pattern("P", {{"A", 2, -1}, {"V", 1, 3}});
    ASSERT_EQ(prepare(), 2);
    const PXPatternForm& p = engine.patternTable()[0];
    ASSERT_EQ(p.count, 2);
    // An empty maximum repeats exactly the minimum.
    EXPECT_EQ(p[0].min, 2);
    EXPECT_EQ(p[0].max, 2);
    EXPECT_EQ(p[1].checker, &engine.variableTable()[0]);
    EXPECT_EQ(p[1].max, 3);
}

TEST_F(PrepareTest, UnknownSetNameFailsPrepare) {
    CaptureSink sink;
    pattern("P", {{"nosuch", 1, 1}});
    EXPECT_EQ(prepare(), 0);
    EXPECT_TRUE(sink.sawError("Pattern P: nosuch not found"));
    EXPECT_EQ(engine.patternTable()[0][0].checker, nullptr);
}

TEST_F(PrepareTest, VariableInAPatternMatchesItsValueAtScanTime) {
    variable("V", "ab");
    pattern("P", {{"V", 1, 1}});
    emit(refNode(main(), "P"));
    ASSERT_EQ(prepare(), 2);
    engine.findVariableValue("V")->setValue("cd");
    EXPECT_EQ(scan("ab cd", true), "cd");
}

TEST_F(PrepareTest, NodeErrors) {
    struct Row {
        const char* tag;
        const char* ref;
        const char* text;
        std::string error;
    } rows[] = {
        {"", "nosuch", "", "Pattern nosuch not found\nNo pattern / string defined\nNode# 2\n"},
        {"T", "nosuch", "", "Pattern nosuch not found\nNo pattern / string defined\nNode: T\n"},
        {"", "", "", "No pattern / string defined\nNode# 2\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        main().clear();
        textNode(main(), "ok");
        PXNode* n = refNode(main(), row.ref, row.tag);
        n->setText(row.text);
        EXPECT_EQ(prepare(), 0);
        EXPECT_EQ(errors(), std::vector<std::string>{row.error});
    }
}

TEST_F(PrepareTest, ReferenceNamesResolveToPatternsThenGroupsThenStringSets) {
    set8("A", {{'a', -1}});
    pattern("X", {{"A", 1, 1}});
    engine.nodeGroups.addGroup("X");
    engine.nodeGroups.addGroup("G");
    stringSet("G", {{"g"}});
    stringSet("S", {{"s"}});
    PXNode* x = refNode(main(), "X");
    PXNode* g = refNode(main(), "G");
    PXNode* s = refNode(main(), "S");
    ASSERT_EQ(prepare(), 2);
    EXPECT_EQ(x->matcher(), &x->patternSet());
    EXPECT_EQ(g->matcher(), &g->patternGraph());
    EXPECT_EQ(s->matcher(), &s->patternSSet());
}

TEST_F(PrepareTest, StringSetItems) {
    variable("V", "");
    stringSet("S", {{"one", "1", "V"}, {"three", "", "out2", true}, {"x", "", "nowhere", false, false}, {"y"}});
    ASSERT_EQ(prepare(), 2);
    const StringSet& set = engine.stringSetTable()[0];
    ASSERT_EQ(set.itemCount, 4);
    EXPECT_EQ(set.longest, 5);
    EXPECT_EQ(set.items[0].target, engine.findVariableValue("V"));
    EXPECT_EQ(set.items[0].valueText, "1");
    EXPECT_EQ(set.items[1].destIndex, 2);
    EXPECT_EQ(set.items[1].ignoreCase, 1);
    EXPECT_EQ(set.items[2].destIndex, -1);
    EXPECT_EQ(set.items[2].enabled, 0);
    // An empty target names nothing, not the trace's blank row 0.
    EXPECT_EQ(set.items[3].destIndex, -1);
}

TEST_F(PrepareTest, OldMapsBecomeStringSets) {
    master(engine.maps, "M");
    auto rows = std::make_unique<XXROWLIST>();
    for (const char* text : {"red", "blue"}) {
        auto row = engine.mapRows.newRow();
        row->field(0)->setValue(text);
        row->field(2)->setValue("out1");
        rows->add(std::move(row));
    }
    details(engine.maps, 0, std::move(rows));
    emit(refNode(main(), "M"));
    EXPECT_EQ(scan("a blue red"), "bluered");
    EXPECT_EQ(engine.maps.rowCount(), 0);
    ASSERT_EQ(engine.stringSets.rowCount(), 1);
    const StringSet& set = engine.stringSetTable()[0];
    ASSERT_EQ(set.itemCount, 2);
    EXPECT_EQ(set.items[0].enabled, 1);
    EXPECT_EQ(set.items[1].text, "blue");
    EXPECT_EQ(set.items[1].destIndex, 1);
}

TEST_F(PrepareTest, CountersChoiceListsAndTags) {
    counter("c1", 5);
    counter("c2", -3);
    set8("S8", {{1, 2}});
    set16("S16", {{1, 2}});
    variable("V", "");
    pattern("P", {{"S8", 1, 1}});
    engine.nodeGroups.addGroup("G");
    stringSet("SS", {{"a"}});
    ASSERT_EQ(prepare(), 2);
    EXPECT_EQ(engine.counterValues(), (std::vector<int32_t>{5, -3}));
    auto column = [](const XXGRID& g) {
        std::vector<std::string> v;
        for (int32_t i = 0; i < g.rowCount(); ++i) v.emplace_back(g.getCell(0, i)->getText());
        return v;
    };
    EXPECT_EQ(column(engine.setVarNames), (std::vector<std::string>{"S8", "S16", "V"}));
    EXPECT_EQ(column(engine.patternNames), (std::vector<std::string>{"P", "G", "SS"}));
    EXPECT_EQ(column(engine.targets), (std::vector<std::string>{"V", "out1", "out2"}));
}

TEST_F(PrepareTest, MissingDestinationsGridIsReported) {
    CaptureSink sink;
    PXEngine bare;
    bare.buildSchema();
    EXPECT_EQ(bare.prepare(false), 0);
    EXPECT_TRUE(sink.sawError("Grid Destinations (1045) not found"));
}

TEST_F(PrepareTest, EveryStepRunsAfterAFailure) {
    CaptureSink sink;
    pattern("P", {{"nosuch", 1, 1}});
    refNode(main(), "missing");
    counter("c", 4);
    EXPECT_EQ(prepare(), 0);
    EXPECT_TRUE(sink.sawError("Pattern P: nosuch not found"));
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(engine.counterValues(), std::vector<int32_t>{4});
}

}  // namespace
