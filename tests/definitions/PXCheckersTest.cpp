// Cell checkers: tags unique across the tag-owner grids and against node tags, byte and word
// ranges, the order of Min and Max; the character-code choosers; the action grid's reaction
// to a new action kind.
#include <gtest/gtest.h>

#include <string>

#include "definitions/PXDefinition.h"
#include "../support/CaptureSink.h"

namespace {

struct Built {
    PXDefinition d;
    Built() { d.buildSchema(); }
};

void tagRow(XXGRID& grid, const char* tag) { grid.appendRow()->field(0)->setValue(tag); }

// The verdict and message of checking column `col` of the last row of `grid`.
std::pair<bool, std::string> checkLast(XXGRID& grid, int32_t col) {
    XXSTRING message;
    const bool ok = grid.validate(grid.rowCount() - 1, col, message);
    return {ok, message.text()};
}

TEST(PXCheckers, TagsAcrossGridsAndNodes) {
    Built b;
    PXDefinition& d = b.d;
    tagRow(d.sets8, "Digit");
    tagRow(d.variables, "Amount");
    tagRow(d.nodeGroups, "Group");
    d.nodeGroups.main.addPXNode(1, 1)->setTag("Start");
    d.nodeGroups.group(0)->addPXNode(1, 1)->setTag("Inner");

    struct Row {
        XXGRID* grid;
        const char* tag;
        bool ok;
        const char* message;
    };
    const Row rows[] = {
        {&d.patterns, "Digit", false, "Duplicate tag: Digit (Sets (8-bit))"},
        {&d.counters, "Amount", false, "Duplicate tag: Amount (Variables)"},
        {&d.sets16, "Node", false, "Duplicate tag: Node (reserved word)"},
        {&d.stringSets, "Group", false, "Duplicate tag: Group (Node Groups)"},
        {&d.patterns, "Start", false, "Duplicate tag: Start (Node)"},
        {&d.variables, "Inner", false, "Duplicate tag: Inner (Node)"},
        {&d.patterns, "digit", true, ""},   // tags compare exactly
        {&d.patterns, "Number", true, ""},
        {&d.patterns, "", true, ""},
        {&d.maps, "Digit", false, "Duplicate tag: Digit (Sets (8-bit))"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.grid->title().text()) + " " + r.tag);
        tagRow(*r.grid, r.tag);
        const auto [ok, message] = checkLast(*r.grid, 0);
        EXPECT_EQ(ok, r.ok);
        EXPECT_EQ(message, r.message);
        r.grid->removeRow(r.grid->rowCount() - 1);
    }
    // A grid's own duplicate check comes first; the grid itself is not an "other" grid.
    tagRow(d.sets8, "Digit");
    EXPECT_EQ(checkLast(d.sets8, 0), std::make_pair(false, std::string("Duplicate tag: Digit")));
    d.sets8.removeRow(1);
    EXPECT_EQ(checkLast(d.sets8, 0), std::make_pair(true, std::string()));
}

TEST(PXCheckers, Ranges) {
    Built b;
    struct Row {
        XXGRID* grid;
        const char* start;
        bool ok;
        const char* message;
    };
    const Row rows[] = {
        {&b.d.sets8Ranges, "0", true, ""},
        {&b.d.sets8Ranges, "255", true, ""},
        {&b.d.sets8Ranges, "256", false, "Valid values: 0..255"},
        {&b.d.sets8Ranges, "300", false, "Valid values: 0..255"},
        {&b.d.sets8Ranges, "-1", false, "Valid values: 0..255"},
        {&b.d.sets16Ranges, "300", true, ""},
        {&b.d.sets16Ranges, "65535", true, ""},
        {&b.d.sets16Ranges, "65536", false, "Valid values: 0..65535"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.grid->title().text()) + " " + r.start);
        XXROW* row = r.grid->appendRow();
        row->field(0)->setValue(r.start);
        row->field(1)->setValue(r.start);
        EXPECT_EQ(checkLast(*r.grid, 0), std::make_pair(r.ok, std::string(r.message)));
        EXPECT_EQ(checkLast(*r.grid, 1).first, r.ok);
        r.grid->clearRows();
    }
}

TEST(PXCheckers, MinAndMax) {
    Built b;
    struct Row {
        const char* min;
        const char* max;
        bool minOk;
        bool maxOk;
    };
    const Row rows[] = {
        {"5", "2", false, false}, {"2", "5", true, true}, {"3", "3", true, true},
        {"5", "", true, true},    {"", "5", true, true},  {"", "", true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.min) + ".." + r.max);
        XXROW* row = b.d.patternElements.appendRow();
        row->field(1)->setValue(r.min);
        row->field(2)->setValue(r.max);
        const auto min = checkLast(b.d.patternElements, 1);
        const auto max = checkLast(b.d.patternElements, 2);
        EXPECT_EQ(min.first, r.minOk);
        EXPECT_EQ(max.first, r.maxOk);
        EXPECT_EQ(min.second, r.minOk ? "" : "Min greater than Max");
        EXPECT_EQ(max.second, r.maxOk ? "" : "Max less than Min");
        b.d.patternElements.clearRows();
    }
    // The whole-grid check stops at Min.
    XXROW* row = b.d.patternElements.appendRow();
    row->field(0)->setValue("Digit");
    row->field(1)->setValue("5");
    row->field(2)->setValue("2");
    b.d.setVarNames.appendRow()->field(0)->setValue("Digit");
    int32_t r = -1;
    int32_t c = -1;
    XXSTRING message;
    EXPECT_FALSE(b.d.patternElements.checkAll(r, c, message));
    EXPECT_EQ(c, 1);
    EXPECT_EQ(std::string(message.text()), "Min greater than Max");
}

class Runner : public IPXFormRunner {
public:
    const char* narrow = nullptr;
    const char16_t* wide = nullptr;
    bool confirm = true;
    std::string title;
    bool runForm(XXGRID& form) override {
        title = form.title().text();
        if (narrow) form.getCell(0, 0)->setValue(narrow);
        if (wide) form.getCell(0, 0)->setValue(wide);
        return confirm;
    }
};

TEST(PXCheckers, CharacterCodeChoosers) {
    Built b;
    Runner runner;
    XXSTRING caption;
    LIST<XXSTRING> list;
    int32_t help = 0;
    // Without dialogs nothing is offered.
    EXPECT_EQ(b.d.sets8Ranges.listChoices(0, 0, caption, list, help), -1);

    b.d.setFormRunner(&runner);
    runner.narrow = "A";
    EXPECT_EQ(b.d.sets8Ranges.listChoices(1, 2, caption, list, help), 0);
    EXPECT_EQ(runner.title, "Byte value");
    EXPECT_EQ(b.d.sets8Ranges.getCell(1, 2)->getInt(), 65);
    EXPECT_EQ(b.d.byteValHelper.form().sectionFor(0), 1709);
    EXPECT_EQ(std::string(b.d.byteValHelper.form().label(0)), "Or ... Enter any character in the box :");

    runner.narrow = "\xe9";   // a byte above 127 keeps its value
    b.d.sets8Ranges.listChoices(0, 0, caption, list, help);
    EXPECT_EQ(b.d.sets8Ranges.getCell(0, 0)->getInt(), 0xe9);

    runner.narrow = nullptr;
    runner.wide = u"\u03a9";
    EXPECT_EQ(b.d.sets16Ranges.listChoices(0, 0, caption, list, help), 0);
    EXPECT_EQ(runner.title, "Word value");
    EXPECT_EQ(b.d.sets16Ranges.getCell(0, 0)->getInt(), 0x3a9);

    runner.confirm = false;
    runner.wide = u"A";
    EXPECT_EQ(b.d.sets16Ranges.listChoices(0, 0, caption, list, help), -1);
    EXPECT_EQ(b.d.sets16Ranges.getCell(0, 0)->getInt(), 0x3a9);
}

// The action grid stores the kind's label for a label or keyword in any case, and asks the
// new action to re-prompt its parameters; the confirmed parameters replace the row's.
TEST(PXCheckers, ActionGridReactsToANewKind) {
    struct Prompting : CAction {
        using CAction::CAction;
        std::unique_ptr<CAction> clone() const override { return std::make_unique<Prompting>(*this); }
        bool edit(IPXFormRunner* runner) override {
            if (!runner) return false;
            setParm(0, (std::string(parm(0).text()) + "!").c_str(), nullptr);
            return true;
        }
    };
    struct Engine : PXDefinition {
        std::unique_ptr<CAction> makeAction(const PXActionKind& kind) override {
            return std::make_unique<Prompting>(kind.number, kind.label, kind.keyword, kind.hidden);
        }
    } e;
    e.buildSchema();
    ActionGrid& g = e.preRunActions;
    g.setText(1, 0, "Counter");
    g.setText(2, 0, "5");
    EXPECT_TRUE(g.setField(0, 0, XXSTRING("setcounter")));
    EXPECT_STREQ(g.getCell(0, 0)->getText(), "Set counter");
    EXPECT_STREQ(g.getCell(1, 0)->getText(), "Counter");   // no dialogs: parameters stay

    Runner runner;
    e.setFormRunner(&runner);
    EXPECT_TRUE(g.setField(0, 0, XXSTRING("Increment counter")));
    EXPECT_STREQ(g.getCell(0, 0)->getText(), "Increment counter");
    EXPECT_STREQ(g.getCell(1, 0)->getText(), "Counter!");
    EXPECT_STREQ(g.getCell(2, 0)->getText(), "5");

    EXPECT_TRUE(g.setField(0, 0, XXSTRING("Jump")));   // no such kind: stored as typed
    EXPECT_STREQ(g.getCell(0, 0)->getText(), "Jump");
    EXPECT_TRUE(g.setField(1, 0, XXSTRING("Other")));
    EXPECT_STREQ(g.getCell(1, 0)->getText(), "Other");
}

}  // namespace
