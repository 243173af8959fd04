// QuillonApp: the builder application's logic behind its main window.
//
// It answers the commands of the menus, the toolbar, the accelerators and the Quick Start
// list (notify), keeps the open definition's file name and the recent files, builds the
// window title and the state the menus are built from, and asks before changes are lost.
// The window layer (IXXView) shows what it decides.
// Tests: tests/builder/AppTest.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "builder/PXCfg.h"
#include "builder/PXRunControl.h"
#include "builder/XXDrawModel.h"
#include "builder/XXCommands.h"

class QuillonApp : public PXCfg {
public:
    explicit QuillonApp(IXXView& view);

    // Start-up: settings, then the definition named on the command line (may be null).
    void start(const char* file);
    // A command (menu, toolbar, accelerator, Quick Start button).
    void notify(int32_t command);
    // Whether the window may close ("OK to lose changes?" when modified).
    bool okToClose();
    // During a run the worker's messages become the status text of the stop box's ticks.
    void message(const char* text) override;
    // The drawing surface showing the graph being edited (null without a window).
    XXDrawModel* surface = nullptr;

    // Run control (Run, File / E-mail / URL input) and its last outcome.
    PXRunControl& runControl() { return runControl_; }
    const PXRunControl::Outcome& lastRun() const { return lastRun_; }

    // Opens a definition (after no question); true when it was read.
    bool openFile(const std::string& path);
    // Saves under `path`; true when written.
    bool saveTo(const std::string& path);

    std::string title() const;
    XXMenuState menuState() const;
    const XXRecentFiles& recentFiles() const { return recent_; }
    const std::string& path() const { return path_; }
    // The definition file filter: "QXD Files (*.QXD)".
    static std::string fileFilter();

private:
    bool okToLoseChanges();
    void newDefinition();
    void open();
    void save(bool askName);
    void openRecent(int32_t index);
    void editOutputs(int32_t gridId);
    void editDatabase();
    void viewOutput(int32_t index);
    void viewFile(const std::string& file);
    void run(int32_t inputKind);
    // Edits the node groups; a group chosen with Select becomes the graph being edited.
    void editNodeGroups();
    void toggleTrace();
    void showCurrentDirectory();
    void addRecent(const std::string& path);
    // Text of column `col` of row `row` of the grid named `name`, "" when there is none.
    std::string cellText(const char* name, int32_t row, int32_t col) const;

    // What the stop box and the failure texts name: the definition and the input kind.
    std::string runDescription(int32_t inputKind) const;

    std::string path_;
    XXRecentFiles recent_;
    PXRunControl::Outcome lastRun_;
    // Last, so that a run still going on is waited for before the client goes.
    PXRunControl runControl_;
};
