// IXXView: what the builder's logic asks of its window layer.
//
// The application logic (QuillonApp, PXCfg, XXUI) never touches a widget: dialogs, message
// boxes, choosers, the status text, the title, launching programs and the stored settings all
// go through this interface. The Qt main window implements it; the logic tests implement it
// with scripted answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder/PXRunControl.h"

class XXGRID;

class IXXView {
public:
    virtual ~IXXView() = default;

    // Runs the grid dialog over `grid` (its rows are the copy being edited) at nesting
    // level 1 or 2, modally; the dialog's result (-4 .. -1, or a record chosen with Select).
    virtual int32_t runGridDialog(XXGRID& grid, int32_t level) = 0;

    virtual bool askYesNo(const std::string& text) = 0;
    // An information box; the caption is "Information" when empty.
    virtual void information(const std::string& text, const std::string& caption) = 0;
    virtual void error(const std::string& text) = 0;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setTitle(const std::string& text) = 0;
    // The menus, the Quick Start list or the title depend on something that changed.
    virtual void menusChanged() = 0;
    virtual void toggleQuickStart() = 0;

    // A file name from the open (`save` false) or save dialog; "" when cancelled. `filter`
    // is "QXD Files (*.QXD)" style.
    virtual std::string chooseFile(bool save, const std::string& caption, const std::string& filter) = 0;
    // Runs `program` with `file` as its argument, or opens the file with the desktop's
    // program when `program` is empty; false after reporting when neither worked.
    virtual bool launch(const std::string& program, const std::string& file) = 0;
    // Starts the ODBC administrator, or lists the data sources when there is none.
    virtual void odbcAdministrator() = 0;
    // Registers the data source `dsn` for `driver` with the database file `file`; false after
    // reporting.
    virtual bool configureDataSource(const std::string& dsn, const std::string& driver, const std::string& file) = 0;
    // Help contents (0) or the help of a help context number.
    virtual void showHelp(int32_t helpId) = 0;

    virtual std::vector<std::string> loadRecentFiles() = 0;
    virtual void storeRecentFiles(const std::vector<std::string>& paths) = 0;
    // Closes the main window (it asks the application first).
    virtual void requestClose() = 0;

    // Shows the stop box over the main window until the run of `control` ends or is given
    // up; its Stop button calls control.stop() and its timer control.tick(). Without a box
    // the run is waited for.
    virtual void runStopBox(PXRunControl& control) {
        while (!control.waitFinished(1000)) {}
    }
};
