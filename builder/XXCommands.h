// The builder's commands, menus, accelerators, window title and Quick Start list.
//
// Everything here is plain data computed from the state of the open definition: the command
// table (number, menu text, what the command does, the grid it edits), the menu bar as a
// list of popups, the Quick Start items and the title. The window layer turns these lists
// into widgets and rebuilds them whenever the state changes; nothing here knows of widgets.
// Tests: tests/builder/CommandsTest.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a command does.
enum class XXCmdKind {
    newDefinition, open, save, saveAs, exit, recentFile,
    editGrid,          // the grid named by `gridId`
    editMasterDetail,  // the grid named by `gridId` with its detail grid
    outputFiles, database, odbcAdmin, nodeGroups,
    newNode, newComment,
    run,               // `inputKind` says which input
    viewOutput, viewLog, mainGraph, viewTrace, defineStringSet,
    toggleQuickStart, stop, toggleTrace, currentDirectory, helpIndex, about,
};

struct XXCommand {
    int32_t id = 0;
    int32_t textId = 0;      // menu text by string number; 0: none
    XXCmdKind kind = XXCmdKind::editGrid;
    int32_t gridId = 0;      // string number of the grid's title or key
    int32_t inputKind = 0;   // for run commands: 0 the definition's own, 1 mail, 2 files, 3 URLs
};

// Command numbers the other layers refer to.
namespace XXCMD {
constexpr int32_t helpIndex = 200;
constexpr int32_t about = 202;
constexpr int32_t toggleTrace = 211;
constexpr int32_t exit = 999;
constexpr int32_t ok = 1001;
constexpr int32_t cancel = 1002;
constexpr int32_t save1003 = 1003;
constexpr int32_t insert = 1004;
constexpr int32_t del = 1005;
constexpr int32_t select = 1006;
constexpr int32_t stop = 1008;
constexpr int32_t open = 1034;
constexpr int32_t save = 1035;
constexpr int32_t run = 1065;
constexpr int32_t viewFirst = 1074;       // ... 1083
constexpr int32_t viewLast = 1083;
constexpr int32_t database = 1088;
constexpr int32_t odbcAdmin = 1090;
constexpr int32_t quickStart = 1094;
constexpr int32_t defineFirst = 1095;     // ... 1114
constexpr int32_t recentFirst = 1104;     // ... 1108
constexpr int32_t recentLast = 1108;
}  // namespace XXCMD

// The whole command table, in menu order.
const std::vector<XXCommand>& commandTable();
// The entry of a fixed command, or null (numbered ranges such as recent files are not in
// the table).
const XXCommand* findCommand(int32_t id);

// One menu or Quick Start entry; command 0 is a separator.
struct XXMenuItem {
    int32_t command = 0;
    std::string text;
    bool operator==(const XXMenuItem&) const = default;
};

struct XXMenu {
    std::string title;
    std::vector<XXMenuItem> items;
};

// What the menus and the Quick Start list depend on.
struct XXMenuState {
    std::vector<std::string> recentFiles;   // most recent first
    bool loaded = false;                    // a definition file is open
    bool traceOn = false;
    bool databaseConfigured = false;
    bool hasFolders = false;
    bool hasURLs = false;
    bool hasInputFiles = false;
    // One entry per output stream row, in order: its tag and its file spec.
    std::vector<std::pair<std::string, std::string>> outputs;
    std::vector<std::string> stringSets;    // tags of the string sets
};

// The menu bar, in bar order.
std::vector<XXMenu> declareMenus(const XXMenuState& state);
// The Quick Start list (at most 20 "Define" items).
std::vector<XXMenuItem> quickStartItems(const XXMenuState& state);

// What a key typed on the Quick Start panel does: "0" hides the panel, "1" to "9" press
// buttons 1 to 9, letters press buttons 10 to 35 ("a" or "A" button 10).
struct XXQuickKey {
    enum Kind { none, hide, press } kind = none;
    int32_t button = 0;   // 1-based
};
XXQuickKey quickStartKey(int32_t ch);

// Keyboard accelerators: key sequence in portable text form ("Ctrl+R") and command.
struct XXAccel {
    const char* keys;
    int32_t command;
};
const std::vector<XXAccel>& acceleratorTable();

// Program title + "   " + file name + "   " + comment (when there is one) + " [" + graph
// name + "]" (when a graph is being edited).
std::string windowTitle(const std::string& appTitle, const std::string& fileName, const std::string& comment,
                        const std::string& graphName);

// The About box's caption and text.
std::string aboutCaption(const std::string& appTitle);
std::string aboutText(const std::string& appTitle, const std::string& version);

// Recent definition files: at most five, most recent first, equal paths ignoring case kept
// once.
class XXRecentFiles {
public:
    static constexpr size_t kMax = 5;
    // Takes the stored list (keeping at most five).
    void assign(const std::vector<std::string>& paths);
    // Puts `path` first, removing an entry equal to it ignoring case.
    void add(const std::string& path);
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};
