// MainWindow: the builder's main window and the window layer of its logic.
//
// It owns the application (QuillonApp) and shows what the application decides: the menus
// and the Quick Start panel rebuilt from the application's state, the toolbar (Quick Start,
// Run, Help with icons from the desktop theme), the accelerators, the status bar, the grid
// dialogs, message boxes for the one error path, file choosers, the help window (HTML pages
// shipped beside the program, one anchor per help number), the recent files in QSettings,
// and the outside programs it launches (file viewer, trace, ODBC administrator).
#pragma once

#include <QMainWindow>

#include <memory>

#include "builder/IXXView.h"
#include "builder/QuillonApp.h"
#include "foundation/XXERROR.h"

class DrawingSurface;
class QDockWidget;
class QKeyEvent;
class QPushButton;
class QTextBrowser;
class QWidget;

class MainWindow : public QMainWindow, public IXXView, public IXXSINK {
public:
    // Opens `file` when it is given.
    explicit MainWindow(const char* file = nullptr);
    ~MainWindow() override;

    QuillonApp& app() { return *app_; }
    QDockWidget* quickStartPanel() const { return quickStart_; }
    DrawingSurface* drawingSurface() const { return surface_; }
    // The action of a menu or toolbar command, or null.
    QAction* action(int32_t command) const;

    // IXXView
    int32_t runGridDialog(XXGRID& grid, int32_t level) override;
    bool askYesNo(const std::string& text) override;
    void information(const std::string& text, const std::string& caption) override;
    void error(const std::string& text) override;
    void setStatus(const std::string& text) override;
    void setTitle(const std::string& text) override;
    void menusChanged() override;
    void toggleQuickStart() override;
    std::string chooseFile(bool save, const std::string& caption, const std::string& filter) override;
    bool launch(const std::string& program, const std::string& file) override;
    void odbcAdministrator() override;
    bool configureDataSource(const std::string& dsn, const std::string& driver, const std::string& file) override;
    void showHelp(int32_t helpId) override;
    std::vector<std::string> loadRecentFiles() override;
    void storeRecentFiles(const std::vector<std::string>& paths) override;
    void requestClose() override;
    void runStopBox(PXRunControl& control) override;

    // IXXSINK: message boxes owned by this window.
    void error(const char* text) override;
    void information(const char* text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void rebuildQuickStart();
    // A key on a Quick Start button (focus moves, Enter, digits and letters); true when used.
    bool quickStartKey(QPushButton* from, QKeyEvent* e);
    // Runs `fn` on the window's thread (message boxes may be asked for from a run).
    void onWindowThread(const std::function<void()>& fn);

    std::unique_ptr<QuillonApp> app_;
    IXXSINK* previousSink_ = nullptr;
    DrawingSurface* surface_ = nullptr;
    QDockWidget* quickStart_ = nullptr;
    QTextBrowser* help_ = nullptr;
    std::map<int32_t, QAction*> menuActions_;
    std::map<int32_t, QAction*> toolActions_;
};
