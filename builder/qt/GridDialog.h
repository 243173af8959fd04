// GridDialog: the dialog generated at run time from any XXGRID, and the list dialog.
//
// The dialog is a thin view of XXGRIDD: it places the labels, cells (line edits limited to
// the column's width, check boxes for boolean columns), the scroll bar and the buttons where
// the model's layout says, forwards keys, typed characters, focus changes, clicks and the
// scroll bar to the model, and answers the model's requests (message boxes, the list dialog,
// help). Its result is the model's: -4 .. -1, or the record chosen with Select.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "builder/XXGRIDD.h"

class QPushButton;
class QScrollBar;

class GridDialog : public QDialog, public IXXGridHost {
public:
    using HelpFn = std::function<void(int32_t helpId)>;

    GridDialog(XXGRID& grid, int32_t level, QWidget* parent, HelpFn help);

    // Shows the dialog modally; the model's result (-1 when the grid cannot be shown).
    int32_t run();

    XXGRIDD& model() { return model_; }
    // The control of a cell and the button of a command (tests and the cells use them).
    QWidget* cellWidget(int32_t col, int32_t rowOnPage) const;
    QPushButton* button(int32_t command) const;
    QScrollBar* scrollBar() const { return scroll_; }

    // IXXGridHost
    bool askYesNo(const std::string& text) override;
    void information(const std::string& text) override;
    void error(const std::string& text) override;
    std::string editedText(int32_t col, int32_t rowOnPage) override;
    bool editedCheck(int32_t col, int32_t rowOnPage) override;
    void showValues() override;
    void focus(int32_t col, int32_t rowOnPage) override;
    void end(int32_t result) override;
    int32_t pickFromList(const std::string& caption, const std::vector<std::string>& entries, int32_t preselected,
                         int32_t cellWidth) override;
    void contextHelp(int32_t helpId) override;

    // Metrics of a widget's font, as the layouts use them.
    static XXMetrics metricsFor(const QWidget& widget);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();

    XXGRIDD model_;
    HelpFn help_;
    std::string fault_;
    std::map<std::pair<int32_t, int32_t>, QWidget*> cells_;
    std::map<int32_t, QPushButton*> buttons_;
    QScrollBar* scroll_ = nullptr;
    bool updating_ = false;   // the model is writing into the controls
    bool ended_ = false;
    int32_t result_ = -1;
};

// The list dialog: the index of the chosen entry, or -1.
int32_t pickFromList(QWidget* parent, const std::string& caption, const std::vector<std::string>& entries,
                     int32_t preselected, int32_t cellWidth);
