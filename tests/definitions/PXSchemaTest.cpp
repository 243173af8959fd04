// The definition schema: the grid list in file order with titles and keys, column layouts,
// the lookup lists, the tag-owner list, the action catalogue, reset and lending.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "definitions/FileVarMgr.h"
#include "definitions/PXDefinition.h"
#include "../support/CaptureSink.h"

namespace {

struct Built {
    PXDefinition d;
    Built() { d.buildSchema(); }
};

std::string kindOf(XXGRID& g, int32_t col) {
    std::unique_ptr<XXFLD> f = g.factory(col)();
    if (dynamic_cast<XXFLD_DATA<PXGraph>*>(f.get())) return "DATA<PXGraph>";
    if (dynamic_cast<XXFLD_DATA<FileVarMgr>*>(f.get())) return "DATA<FileVarMgr>";
    if (dynamic_cast<XXFLD_WSTR*>(f.get())) return "WSTR";
    if (dynamic_cast<XXFLD_FNAME*>(f.get())) return "FNAME";
    if (dynamic_cast<XXFLD_ID*>(f.get())) return "ID";
    if (dynamic_cast<XXFLD_STR*>(f.get())) return "STR";
    if (dynamic_cast<XXFLD_INT*>(f.get())) return "INT";
    if (dynamic_cast<XXFLD_BOOL*>(f.get())) return "BOOL";
    if (dynamic_cast<XXFLD_BYTES*>(f.get())) return "BYTES";
    return "?";
}

TEST(PXSchema, GridListInFileOrder) {
    Built b;
    struct Row {
        const char* title;
        const char* key;
        bool persistent;
        bool detail;
    };
    const Row expected[] = {
        {"Node Groups", "NodeGroup", true, false},
        {"Comment", "Comment", true, false},
        {"Sets (8-bit)", "Set", true, true},
        {"Sets (16-bit)", "Set(16-bit)", true, true},
        {"Pattern / Node Group", "Pattern/NodeGroup", false, false},
        {"Patterns", "Pattern", true, true},
        {"Action groups", "Actiongroup", true, true},
        {"Pre-run Actions", "Pre-runActions", true, false},
        {"Post-run Actions", "Post-runActions", true, false},
        {"Pre-stream Actions", "Pre-streamActions", true, false},
        {"Post-stream Actions", "Post-streamActions", true, false},
        {"Variables", "Variables", true, false},
        {"File variables", "Filevariables", true, false},
        {"Counters", "Counters", true, false},
        {"Map", "Map", true, true},
        {"String Sets", "StringSet", true, true},
    };
    ASSERT_EQ(b.d.getGridCount(), int32_t(std::size(expected)));
    for (int32_t i = 0; i < b.d.getGridCount(); ++i) {
        SCOPED_TRACE(expected[i].title);
        XXGRID* g = b.d.definitionGrids().at(i);
        EXPECT_EQ(std::string(g->title().text()), expected[i].title);
        EXPECT_EQ(std::string(g->key().text()), expected[i].key);
        EXPECT_EQ(g->persistent(), expected[i].persistent);
        EXPECT_EQ(g->subGrid() != nullptr, expected[i].detail);
    }
    EXPECT_EQ(b.d.comment.maxRows(), 1);
    EXPECT_EQ(b.d.comment.pageRows(), 1);
    EXPECT_EQ(b.d.sets8.pageRows(), 10);
    EXPECT_EQ(std::string(b.d.nodeGroups.main.name.text()), "Main");
    EXPECT_EQ(std::string(b.d.actionGroupActions.title().text()), "Action group");
}

// The wiring of checkers, choosers and lookups that the dialogs and preparation rely on.
TEST(PXSchema, ColumnWiring) {
    Built b;
    PXDefinition& d = b.d;
    struct Col {
        XXGRID* grid;
        int32_t col;
        const char* kind;
        int32_t width;
        XXCHECKER* checker;
        XXGRID* lookup;
    };
    const Col expected[] = {
        {&d.nodeGroups, 0, "ID", 50, &d.tagChecker2, nullptr},
        {&d.nodeGroups, 1, "DATA<PXGraph>", 0, nullptr, nullptr},
        {&d.sets8Ranges, 1, "INT", 3, &d.byteRange, nullptr},
        {&d.sets16Ranges, 0, "INT", 5, &d.wordRange, nullptr},
        {&d.patternElements, 0, "ID", 50, nullptr, &d.setVarNames},
        {&d.patternElements, 1, "INT", 5, &d.minChecker, nullptr},
        {&d.patternElements, 2, "INT", 5, &d.maxChecker, nullptr},
        {&d.actionGroupActions, 0, "STR", 18, nullptr, &d.actionKinds},
        {&d.variables, 1, "STR", 10, nullptr, &d.varTypes},
        {&d.variables, 2, "BYTES", 255, nullptr, nullptr},
        {&d.fileVariables, 3, "BYTES", 0, nullptr, nullptr},
        {&d.fileVariables, 4, "DATA<FileVarMgr>", 0, nullptr, nullptr},
        {&d.mapRows, 2, "STR", 50, nullptr, &d.targets},
        {&d.stringSetRows, 3, "STR", 50, nullptr, &d.targets},
    };
    for (const Col& c : expected) {
        SCOPED_TRACE(std::string(c.grid->title().text()) + " column " + std::to_string(c.col));
        const XXFLD_DEF* def = c.grid->fieldDef(c.col);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(kindOf(*c.grid, c.col), c.kind);
        EXPECT_EQ(def->width, c.width);
        EXPECT_EQ(def->checker, c.checker);
        EXPECT_EQ(def->lookupGrid, c.lookup);
    }
    for (XXGRID* g : std::initializer_list<XXGRID*>{&d.sets8, &d.sets16, &d.patterns, &d.actionGroups, &d.variables,
                                                    &d.fileVariables, &d.counters, &d.maps, &d.stringSets})
        EXPECT_EQ(g->fieldDef(0)->checker, &d.tagChecker2) << g->title().text();
    EXPECT_EQ(d.sets8Ranges.fieldDef(0)->chooser, &d.byteValHelper);
    EXPECT_EQ(d.sets16Ranges.fieldDef(1)->chooser, &d.wordValHelper);
    EXPECT_FALSE(d.preRunActions.fieldDef(1)->editable);
    EXPECT_TRUE(d.preRunActions.fieldDef(3)->optional);
    EXPECT_EQ(d.fileVariables.visibleCount(), 3);
    EXPECT_EQ(std::string(d.sets8Ranges.label(1)), "End  ");
}

TEST(PXSchema, NewStringSetRowStartsEnabled) {
    Built b;
    std::unique_ptr<XXROW> row = b.d.stringSetRows.newRow();
    EXPECT_EQ(row->field(0)->getInt(), 1);
    EXPECT_EQ(b.d.mapRows.newRow()->field(3)->getInt(), 0);
}

TEST(PXSchema, LookupLists) {
    Built b;
    auto column = [](const XXGRID& g) {
        std::vector<std::string> v;
        for (int32_t i = 0; i < g.rowCount(); ++i) v.emplace_back(g.getCell(0, i)->getText());
        return v;
    };
    EXPECT_EQ(column(b.d.reservedWords),
              (std::vector<std::string>{"Node", "Time (12hr)", "Path", "Drive", "Directory", "Clipboard"}));
    EXPECT_EQ(column(b.d.varTypes), (std::vector<std::string>{"Byte", "String", "Wide string"}));
    EXPECT_EQ(column(b.d.actionKinds),
              (std::vector<std::string>{"Append to", "Append to (wide)", "Send to", "Send to (wide)", "Clear variable",
                                        "Output table row", "Increment counter", "Set counter", "Start node =", "Run",
                                        "Execute action group", "Execute UDF", "Execute SQL", "Return", "Halt"}));
    EXPECT_EQ(std::string(b.d.reservedWords.title().text()), "reserved word");
    EXPECT_EQ(std::string(b.d.setVarNames.title().text()), "Set / Variable");
    EXPECT_EQ(std::string(b.d.setVarNames.label(0)), "Set / Variable");
    EXPECT_EQ(std::string(b.d.errorGrid.title().text()), "Pattern");
    EXPECT_EQ(std::string(b.d.errorGrid.label(0)), "Error");
}

TEST(PXSchema, ErrorListEmitsRows) {
    Built b;
    b.d.errorList << "first";
    b.d.errorList << endMsg;
    b.d.errorList << "second" << endMsg;
    ASSERT_EQ(b.d.errorGrid.rowCount(), 2);
    EXPECT_STREQ(b.d.errorGrid.getCell(0, 1)->getText(), "second");
    EXPECT_EQ(b.d.errorList.text.length(), 0);
}

TEST(PXSchema, TagOwnerListOrder) {
    Built b;
    std::vector<std::string> titles;
    for (XXGRID* g : b.d.tagOwners()) titles.emplace_back(g->title().text());
    EXPECT_EQ(titles, (std::vector<std::string>{"reserved word", "Sets (8-bit)", "Sets (16-bit)", "Patterns", "Variables",
                                                "File variables", "Counters", "Action groups", "String Sets",
                                                "Node Groups"}));
    XXGRID sources;
    sources.setTitle("Sources");
    b.d.addGrid(sources, true);
    EXPECT_EQ(b.d.tagOwners().last(), &sources);
    EXPECT_EQ(b.d.definitionGrids().last(), &sources);
    EXPECT_EQ(b.d.findGridByTitle(1266), &sources);
}

TEST(PXSchema, ActionCatalogue) {
    PXActionCatalogue c;
    struct Kind {
        const char* className;
        const char* label;
        const char* keyword;
        bool listed;
    };
    const Kind expected[] = {
        {"AppendToA", "Append to", "Appendto", true},
        {"AppendToW", "Append to (wide)", "Appendto(wide)", true},
        {"SendToA", "Send to", "Sendto", true},
        {"SendToW", "Send to (wide)", "Sendto(wide)", true},
        {"ClearVar", "Clear variable", "Clearvariable", true},
        {"OutputTableRow", "Output table row", "Outputtablerow", true},
        {"IncCounter", "Increment counter", "IncCounter", true},
        {"SetCounter", "Set counter", "SetCounter", true},
        {"OutCounter", "Output counter", "Outputcounter", false},
        {"StartNodeEq", "Start node =", "StartNode=", true},
        {"Run", "Run", "Run", true},
        {"ExeActionGroup", "Execute action group", "ExeActionGroup", true},
        {"ExeUDF", "Execute UDF", "ExeUDF", true},
        {"ExeSQL", "Execute SQL", "ExecuteSQL", true},
        {"Return", "Return", "Return", true},
        {"Halt", "Halt", "Halt", true},
        {"OutputNode", "Output node", "Outputnode", false},
        {"OutputVar", "Output variable", "Outputvariable", false},
        {"OutputString", "Output string", "Outputstring", false},
        {"OutputWString", "Output wide string", "Outputwidestring", false},
        {"OutputSName", "Output file name", "Outputfilename", false},
        {"Scan", "Scan", "Scan", false},
    };
    ASSERT_EQ(c.count(), int32_t(std::size(expected)));
    EXPECT_EQ(c.listedCount(), 15);
    for (int32_t n = 1; n <= c.count(); ++n) {
        const Kind& e = expected[n - 1];
        SCOPED_TRACE(e.className);
        const PXActionKind* k = c.kind(n);
        EXPECT_STREQ(k->className, e.className);
        EXPECT_EQ(std::string(k->label.text()), e.label);
        EXPECT_EQ(std::string(k->keyword.text()), e.keyword);
        EXPECT_EQ(k->listed, e.listed);
        EXPECT_EQ(k->hidden, !e.listed);
        EXPECT_EQ(c.find(e.label), k);
        EXPECT_EQ(c.find(e.keyword), k);
        std::unique_ptr<CAction> a = c.make(n);
        EXPECT_EQ(a->kind, n);
        EXPECT_EQ(std::string(a->name.text()), e.label);
        EXPECT_EQ(std::string(a->key.text()), e.keyword);
    }
    EXPECT_EQ(c.find("send TO"), c.kind(PXACT::SendToA));
    EXPECT_EQ(c.find("\"Halt\""), c.kind(PXACT::Halt));
    EXPECT_EQ(c.find("Jump"), nullptr);
    EXPECT_EQ(c.find(""), nullptr);
    EXPECT_EQ(c.make("Jump"), nullptr);
}

// The engine installs its concrete kinds through makeAction; every action made afterwards is
// one of them.
TEST(PXSchema, PrototypesComeFromMakeAction) {
    struct Marked : CAction {
        using CAction::CAction;
        std::unique_ptr<CAction> clone() const override { return std::make_unique<Marked>(*this); }
    };
    struct Engine : PXDefinition {
        std::unique_ptr<CAction> makeAction(const PXActionKind& kind) override {
            return std::make_unique<Marked>(kind.number, kind.label, kind.keyword, kind.hidden);
        }
    } engine;
    engine.buildSchema();
    std::unique_ptr<CAction> a = engine.catalogue.make("Halt");
    EXPECT_NE(dynamic_cast<Marked*>(a.get()), nullptr);
    EXPECT_EQ(a->engine, &engine);
}

TEST(PXSchema, BaseActionDoItReportsMissingOverride) {
    CaptureSink sink;
    CAction a(0, "x", "x", false);
    EXPECT_EQ(a.doIt(nullptr, nullptr), -1);
    EXPECT_TRUE(sink.sawError("CAction::doIt"));
    EXPECT_TRUE(sink.sawError("PVF"));
}

TEST(PXSchema, ActionSummaries) {
    struct Case {
        std::vector<std::string> parms;
        std::u16string summary;
    };
    const Case cases[] = {
        {{}, u"Send to"},
        {{"Out"}, u"Send to Out"},
        {{"Out", "pre"}, u"Send to Out ( pre )"},
        {{"Out", "", "Src"}, u"Send to Out ( Src )"},
        {{"Out", "pre", "Src"}, u"Send to Out ( pre, Src )"},
        {{"", "", ""}, u"Send to"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parms.size());
        CAction a(PXACT::SendToA, "Send to", "Sendto", false);
        for (size_t i = 0; i < c.parms.size(); ++i) a.setParm(int32_t(i), c.parms[i].c_str(), nullptr);
        EXPECT_EQ(std::u16string(a.summaryText().text()), c.summary);
    }
    CAction wide(PXACT::SendToW, "Send to (wide)", "Sendto(wide)", false);
    wide.setParm(1, u"\u00e9t\u00e9");
    EXPECT_EQ(std::u16string(wide.summaryText().text()), u"Send to (wide) \u00e9t\u00e9");
    EXPECT_EQ(wide.parmCount(), 2);
    EXPECT_TRUE(wide.parm(1).isWide);
    EXPECT_EQ(wide.parm(0).length(), 0);
    EXPECT_EQ(wide.parm(7).length(), 0);
}

TEST(PXSchema, ResetEmptiesTheDefinition) {
    Built b;
    b.d.sets8.appendRow();
    b.d.variables.appendRow();
    b.d.setVarNames.appendRow();
    b.d.nodeGroups.addGroup("G")->addPXNode(1, 1);
    b.d.nodeGroups.main.addPXNode(1, 1);
    b.d.preRun.add(b.d.catalogue.make("Halt"));
    EXPECT_EQ(b.d.reset(), 2);
    for (XXGRID* g : b.d.definitionGrids()) EXPECT_EQ(g->rowCount(), 0) << g->title().text();
    EXPECT_EQ(b.d.nodeGroups.main.nodeCount(), 0);
    EXPECT_EQ(b.d.setVarNames.rowCount(), 0);
    EXPECT_EQ(b.d.preRun.count(), 0);
    // What the schema filled stays.
    EXPECT_EQ(b.d.reservedWords.rowCount(), 6);
    EXPECT_EQ(b.d.actionKinds.rowCount(), 15);
}

TEST(PXSchema, LendingSetsAndClearsTheLock) {
    Built b;
    XXGRID* g = nullptr;
    EXPECT_EQ(b.d.grabGrid(2, g), 2);
    EXPECT_EQ(g, &b.d.sets8);
    EXPECT_TRUE(b.d.sets8.isLocked());
    XXGRID* again = nullptr;
    EXPECT_EQ(b.d.grabGrid("Set", again), 0);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(b.d.releaseGrid("Set"), 2);
    EXPECT_FALSE(b.d.sets8.isLocked());
    EXPECT_EQ(b.d.grabGrid("Set(16-bit)", g), 2);
    EXPECT_EQ(g, &b.d.sets16);
    EXPECT_EQ(b.d.releaseGrid("Set(16-bit)"), 2);

    EXPECT_EQ(b.d.grabGrid(99, g), 0);
    EXPECT_EQ(b.d.grabGrid(-1, g), 0);
    EXPECT_EQ(b.d.grabGrid("set", g), 0);   // keys compare exactly
    EXPECT_EQ(b.d.releaseGrid("NoSuchGrid"), 0);

    PXGraphs* graphs = nullptr;
    EXPECT_EQ(b.d.grabGraphs(graphs), 2);
    EXPECT_EQ(graphs, &b.d.nodeGroups);
    PXGraphs* twice = nullptr;
    EXPECT_EQ(b.d.grabGraphs(twice), 0);
    EXPECT_EQ(b.d.releaseGraphs(), 2);
    EXPECT_EQ(b.d.grabGraphs(twice), 2);
    b.d.releaseGraphs();
}

TEST(PXSchema, BuildingTwiceChangesNothing) {
    Built b;
    const int32_t columns = b.d.sets8.fieldCount();
    EXPECT_EQ(b.d.buildSchema(), 2);
    EXPECT_EQ(b.d.sets8.fieldCount(), columns);
    EXPECT_EQ(b.d.getGridCount(), 16);
    EXPECT_EQ(b.d.reservedWords.rowCount(), 6);
}

}  // namespace
