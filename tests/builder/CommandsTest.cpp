// The command table, the menus, the Quick Start list, the title and the recent files.
#include <gtest/gtest.h>

#include <set>

#include "builder/XXCommands.h"

namespace {

std::vector<int32_t> commandsOf(const XXMenu& menu) {
    std::vector<int32_t> ids;
    for (const XXMenuItem& i : menu.items) ids.push_back(i.command);
    return ids;
}

TEST(Commands, TableNumbersAreUniqueAndEveryMenuItemHasText) {
    std::set<int32_t> seen;
    for (const XXCommand& c : commandTable()) EXPECT_TRUE(seen.insert(c.id).second) << c.id;
    for (const XXMenu& m : declareMenus({})) {
        SCOPED_TRACE(m.title);
        EXPECT_FALSE(m.title.empty());
        for (const XXMenuItem& i : m.items)
            if (i.command) EXPECT_FALSE(i.text.empty()) << i.command;
    }
    for (const XXAccel& a : acceleratorTable())
        if (a.command != 210 && a.command != 1074 && a.command != XXCMD::cancel) EXPECT_NE(findCommand(a.command), nullptr) << a.keys;
}

TEST(Commands, MenusFollowTheDefinitionState) {
    XXMenuState s;
    std::vector<XXMenu> bar = declareMenus(s);
    ASSERT_EQ(bar.size(), 7u);
    EXPECT_EQ(bar[0].title, "Definition &File");
    EXPECT_EQ(commandsOf(bar[0]), (std::vector<int32_t>{1033, 1034, 1035, 1036, 1040, 0, 999}));
    EXPECT_EQ(commandsOf(bar[3]), (std::vector<int32_t>{1065, 1066, 1127, 1067}));
    EXPECT_EQ(bar[3].items[0].text, "&Run\tCtrl+R");
    EXPECT_EQ(commandsOf(bar[4]), (std::vector<int32_t>{1069, 1070, 1094}));

    s.recentFiles = {"/d/A.QXD", "/d/B.QXD"};
    s.outputs = {{"EventFile", "out/*.csv"}, {"Summary", "summary.txt"}};
    s.traceOn = true;
    bar = declareMenus(s);
    EXPECT_EQ(bar[0].items.back(), (XXMenuItem{1105, "&2 /d/B.QXD"}));
    EXPECT_EQ(commandsOf(bar[4]), (std::vector<int32_t>{1074, 1075, 1069, 1070, 1094, 1072}));
    EXPECT_EQ(bar[4].items[0].text, "EventFile\tCtrl+V");
    EXPECT_EQ(bar[4].items[1].text, "Summary");
}

TEST(Commands, QuickStartListsAtMostTwentyStringSets) {
    XXMenuState s;
    EXPECT_EQ(quickStartItems(s), (std::vector<XXMenuItem>{{1034, "Find a solution"}}));
    s.loaded = true;
    s.hasURLs = true;
    s.outputs = {{"EventFile", "out/*.csv"}, {"NoFile", ""}};
    for (int i = 0; i < 25; ++i) s.stringSets.push_back("S" + std::to_string(i));
    const std::vector<XXMenuItem> items = quickStartItems(s);
    int defines = 0;
    for (const XXMenuItem& i : items) defines += i.text.rfind("Define S", 0) == 0;
    EXPECT_EQ(defines, 20);
    EXPECT_EQ(items[1], (XXMenuItem{1038, "Define input"}));
    EXPECT_EQ(items[2], (XXMenuItem{1039, "Define output"}));
    EXPECT_EQ(items[3], (XXMenuItem{1095, "Define S0"}));
    EXPECT_EQ(items[22], (XXMenuItem{1114, "Define S19"}));
    EXPECT_EQ(items[23], (XXMenuItem{1065, "Run"}));
    EXPECT_EQ(items[24], (XXMenuItem{1074, "View EventFile"}));
    EXPECT_EQ(items.back(), (XXMenuItem{1035, "Save"}));
    EXPECT_EQ(items.size(), 26u);

    s.hasFolders = true;
    s.databaseConfigured = true;
    const std::vector<XXMenuItem> withDb = quickStartItems(s);
    EXPECT_EQ(withDb[1].command, 1088);
    EXPECT_EQ(withDb[2].command, 1090);
    EXPECT_EQ(withDb[3], (XXMenuItem{1125, "Define input"}));
}

TEST(Commands, QuickStartKeysPressButtonsByDigitOrLetter) {
    const struct {
        int32_t ch;
        XXQuickKey::Kind kind;
        int32_t button;
    } table[] = {{'0', XXQuickKey::hide, 0}, {'1', XXQuickKey::press, 1}, {'9', XXQuickKey::press, 9},
                 {'a', XXQuickKey::press, 10}, {'c', XXQuickKey::press, 12}, {'C', XXQuickKey::press, 12},
                 {'z', XXQuickKey::press, 35}, {'-', XXQuickKey::none, 0}, {' ', XXQuickKey::none, 0}};
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(1, char(row.ch)));
        const XXQuickKey k = quickStartKey(row.ch);
        EXPECT_EQ(k.kind, row.kind);
        EXPECT_EQ(k.button, row.button);
    }
}

TEST(Commands, RecentFilesKeepFiveWithoutDuplicates) {
    XXRecentFiles r;
    r.assign({"/a/1.QXD", "/a/2.QXD", "/a/3.QXD", "/a/4.QXD", "/a/5.QXD", "/a/6.QXD"});
    EXPECT_EQ(r.paths().size(), 5u);
    r.add("/a/new.QXD");
    EXPECT_EQ(r.paths(), (std::vector<std::string>{"/a/new.QXD", "/a/1.QXD", "/a/2.QXD", "/a/3.QXD", "/a/4.QXD"}));
    r.add("/A/3.qxd");
    EXPECT_EQ(r.paths(), (std::vector<std::string>{"/A/3.qxd", "/a/new.QXD", "/a/1.QXD", "/a/2.QXD", "/a/4.QXD"}));
}

TEST(Commands, TitleNamesFileCommentAndGraph) {
    EXPECT_EQ(windowTitle("Quillon", "", "", ""), "Quillon   ");
    EXPECT_EQ(windowTitle("Quillon", "S.QXD", "Logs", "Timestamp"), "Quillon   S.QXD   Logs [Timestamp]");
    EXPECT_EQ(aboutText("Quillon", "2.82").substr(0, 20), "Quillon Version 2.82");
}

}  // namespace
