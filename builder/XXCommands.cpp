#include "builder/XXCommands.h"

#include <algorithm>
#include <strings.h>

#include "foundation/XXSTRTABLE.h"

namespace {

using K = XXCmdKind;

// The menus, as command numbers in order (0 a separator).
const std::vector<int32_t> kFileMenu = {1033, 1034, 1035, 1036, 1040, 0, 999};
const std::vector<int32_t> kIOMenu = {1037, 1125, 1038, 0, 1039, 0, 1088, 1090};
const std::vector<int32_t> kDefinitionsMenu = {1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 0, 1041,
                                               1042, 0,    1051, 1053, 1054, 1052, 1055, 0,    1063, 1064};
const std::vector<int32_t> kRunMenu = {1065, 1066, 1127, 1067};
const std::vector<int32_t> kOptionsMenu = {1085, 1086, 1087, 1126};

constexpr size_t kMaxOutputItems = 10;
constexpr size_t kMaxDefineItems = 20;

std::string text(int32_t id) { return loadString(id); }

XXMenuItem item(int32_t command) {
    const XXCommand* c = findCommand(command);
    return {command, c ? text(c->textId) : std::string()};
}

XXMenu menu(int32_t titleId, const std::vector<int32_t>& commands) {
    XXMenu m{text(titleId), {}};
    for (int32_t c : commands) m.items.push_back(c ? item(c) : XXMenuItem{});
    return m;
}

}  // namespace

const std::vector<XXCommand>& commandTable() {
    static const std::vector<XXCommand> table = {
        {1033, 1671, K::newDefinition},
        {1034, 1672, K::open},
        {1035, 1673, K::save},
        {1036, 1675, K::saveAs},
        {1040, 1677, K::editGrid, 1093},
        {999, 1679, K::exit},
        {1037, 1622, K::editGrid, 1040},
        {1125, 2101, K::editGrid, 2204},
        {1038, 1624, K::editGrid, 1291},
        {1039, 1626, K::outputFiles, 1043},
        {1088, 1647, K::database, 1230},
        {1090, 1649, K::odbcAdmin},
        {1043, 1601, K::editMasterDetail, 1057},
        {1044, 1602, K::editMasterDetail, 1060},
        {1045, 1603, K::editMasterDetail, 1270},
        {1046, 1604, K::editMasterDetail, 1238},
        {1047, 1605, K::editGrid, 1292},
        {1048, 1606, K::editGrid, 1296},
        {1049, 1607, K::editGrid, 1217},
        {1050, 1610, K::nodeGroups, 1276},
        {1041, 1628, K::editGrid, 1252},
        {1042, 1629, K::editGrid, 1254},
        {1051, 1630, K::editGrid, 1111},
        {1053, 1631, K::editGrid, 1113},
        {1054, 1632, K::editGrid, 1114},
        {1052, 1633, K::editGrid, 1112},
        {1055, 1634, K::editMasterDetail, 1115},
        {1063, 1608, K::newNode},
        {1064, 1609, K::newComment},
        {1065, 1614, K::run, 0, 0},
        {1066, 1616, K::run, 0, 2},
        {1127, 2103, K::run, 0, 1},
        {1067, 1618, K::run, 0, 3},
        {1085, 1641, K::editGrid, 1225},
        {1086, 1642, K::editGrid, 1226},
        {1087, 1643, K::editGrid, 1227},
        {1126, 2102, K::editGrid, 2109},
        {200, 1682, K::helpIndex},
        {202, 1686, K::about},
        {1069, 1655, K::viewLog},
        {1070, 1656, K::mainGraph},
        {1072, 1659, K::viewTrace},
        {1094, 1661, K::toggleQuickStart},
        {1008, 0, K::stop},
        {211, 0, K::toggleTrace},
        {1068, 0, K::currentDirectory},
    };
    return table;
}

const XXCommand* findCommand(int32_t id) {
    for (const XXCommand& c : commandTable())
        if (c.id == id) return &c;
    return nullptr;
}

std::vector<XXMenu> declareMenus(const XXMenuState& state) {
    std::vector<XXMenu> bar;
    bar.push_back(menu(1670, kFileMenu));
    if (!state.recentFiles.empty()) {
        bar.back().items.push_back({});
        for (size_t i = 0; i < state.recentFiles.size() && i < XXRecentFiles::kMax; ++i)
            bar.back().items.push_back({XXCMD::recentFirst + int32_t(i),
                                        "&" + std::to_string(i + 1) + " " + state.recentFiles[i]});
    }
    bar.push_back(menu(1620, kIOMenu));
    bar.push_back(menu(1600, kDefinitionsMenu));
    bar.push_back(menu(1612, kRunMenu));

    XXMenu view{text(1651), {}};
    for (size_t i = 0; i < state.outputs.size() && i < kMaxOutputItems; ++i) {
        if (state.outputs[i].first.empty()) continue;
        std::string label = state.outputs[i].first;
        if (i == 0) label += "\tCtrl+V";
        view.items.push_back({XXCMD::viewFirst + int32_t(i), label});
    }
    for (int32_t c : {1069, 1070, 1094}) view.items.push_back(item(c));
    if (state.traceOn) view.items.push_back(item(1072));
    bar.push_back(view);

    bar.push_back(menu(1640, kOptionsMenu));
    bar.push_back(menu(1680, {200, 0, 202}));
    return bar;
}

std::vector<XXMenuItem> quickStartItems(const XXMenuState& state) {
    std::vector<XXMenuItem> items;
    items.push_back({XXCMD::open, text(1662)});
    if (!state.loaded) return items;
    if (state.databaseConfigured) {
        items.push_back(item(XXCMD::database));
        items.push_back(item(XXCMD::odbcAdmin));
    }
    items.push_back({state.hasFolders ? 1125 : state.hasURLs ? 1038 : 1037, text(1663)});
    if (!state.outputs.empty()) items.push_back({1039, text(1665)});
    for (size_t i = 0; i < state.stringSets.size() && i < kMaxDefineItems; ++i)
        items.push_back({XXCMD::defineFirst + int32_t(i), "Define " + state.stringSets[i]});
    items.push_back({XXCMD::run, text(1260)});
    for (size_t i = 0; i < state.outputs.size() && i < kMaxOutputItems; ++i)
        if (!state.outputs[i].second.empty())
            items.push_back({XXCMD::viewFirst + int32_t(i), "View " + state.outputs[i].first});
    items.push_back({XXCMD::save, text(120)});
    return items;
}

XXQuickKey quickStartKey(int32_t ch) {
    if (ch == '0') return {XXQuickKey::hide, 0};
    if (ch >= '1' && ch <= '9') return {XXQuickKey::press, ch - '0'};
    if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
    if (ch >= 'A' && ch <= 'Z') return {XXQuickKey::press, 10 + ch - 'A'};
    return {};
}

const std::vector<XXAccel>& acceleratorTable() {
    static const std::vector<XXAccel> table = {
        {"Ctrl+R", 1065}, {"Ctrl+F", 1066}, {"Ctrl+E", 1127}, {"Ctrl+U", 1067},
        {"Ctrl+D", 210},  {"Ctrl+T", 211},  {"Ctrl+Q", 1068}, {"Ctrl+V", 1074},
        {"Ctrl+N", 1063}, {"Ctrl+C", 1064}, {"Esc", 1002},
    };
    return table;
}

std::string windowTitle(const std::string& appTitle, const std::string& fileName, const std::string& comment,
                        const std::string& graphName) {
    std::string title = appTitle + "   " + fileName;
    if (!comment.empty()) title += "   " + comment;
    if (!graphName.empty()) title += " [" + graphName + "]";
    return title;
}

std::string aboutCaption(const std::string& appTitle) { return "About " + appTitle; }

std::string aboutText(const std::string& appTitle, const std::string& version) {
    return appTitle + " " + text(17) + " " + version + "\nMarrowby\n" + text(15);
}

void XXRecentFiles::assign(const std::vector<std::string>& paths) {
    paths_.clear();
    for (const std::string& p : paths) {
        if (paths_.size() == kMax) break;
        if (!p.empty()) paths_.push_back(p);
    }
}

void XXRecentFiles::add(const std::string& path) {
    if (path.empty()) return;
    std::erase_if(paths_, [&](const std::string& p) { return strcasecmp(p.c_str(), path.c_str()) == 0; });
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMax) paths_.resize(kMax);
}
