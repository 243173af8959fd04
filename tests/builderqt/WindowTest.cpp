// The builder's windows driven with real key and mouse events: the main window with the
// bundled example, master-detail editing of the 8-bit sets, typing, OK and Cancel in a
// table dialog, F2 on a lookup cell with the list dialog and a value form, save and reopen.
// Screenshots of each window go to the build folder's screenshots/.
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "builder/qt/GridDialog.h"
#include "builder/qt/MainWindow.h"
#include "foundation/XXGRID.h"
#include "tests/builderqt/QtSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

bool isMessageBox(QWidget* w) { return dynamic_cast<QMessageBox*>(w) != nullptr; }

GridDialog* grid(QWidget* w) { return dynamic_cast<GridDialog*>(w); }

// Gives a cell the focus with a mouse click, as a user would.
QWidget* clickCell(GridDialog* d, int32_t col, int32_t row) {
    QWidget* cell = d->cellWidget(col, row);
    EXPECT_NE(cell, nullptr);
    QTest::mouseClick(cell, Qt::LeftButton);
    return cell;
}

QString text(GridDialog* d, int32_t col, int32_t row) {
    auto* edit = dynamic_cast<QLineEdit*>(d->cellWidget(col, row));
    return edit ? edit->text() : QString("<no cell>");
}

class ExampleCopy {
public:
    ExampleCopy() {
        const fs::path source = fs::path(QUILLON_SOURCE_ROOT) / "examples" / "servers";
        for (const char* name : {"Servers.QXD", "Timestamp.QXG"}) fs::copy_file(source / name, dir.path() / name);
    }
    std::string definition() const { return dir.file("Servers.QXD"); }
    TempDir dir;
};

class WindowTest : public QtWindowTest {};

TEST_F(WindowTest, MainWindowShowsTheBundledExample) {
    ExampleCopy example;
    MainWindow w(example.definition().c_str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(w.windowTitle().startsWith("Quillon   Servers.QXD   Warnings and errors"));
    EXPECT_EQ(w.statusBar()->currentMessage(), "Press F1 for help");
    QStringList menus;
    for (QAction* a : w.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Definition &File", "&Input/Output", "&Definitions", "&Run", "&View", "&Options",
                                  "&Help"}));
    auto* tools = w.findChild<QToolBar*>("Tools");
    ASSERT_NE(tools, nullptr);
    QStringList tips;
    for (QAction* a : tools->actions()) {
        tips << a->toolTip();
        EXPECT_FALSE(a->icon().isNull());
    }
    EXPECT_EQ(tips, (QStringList{"Show / hide the Quick Start menu", "Run", "Program help"}));
    QStringList buttons;
    for (QPushButton* b : w.quickStartPanel()->widget()->findChildren<QPushButton*>()) buttons << b->text();
    EXPECT_TRUE(buttons.contains("Define Severity"));
    EXPECT_TRUE(buttons.contains("View EventFile"));
    EXPECT_NE(w.action(1074), nullptr);   // the View menu lists the outputs
    QApplication::processEvents();
    screenshot(&w, "main-window");

    // Keys on the Quick Start panel: arrows move along the buttons, a letter past the last
    // button is shown in the title, "0" hides the panel; the toolbar button shows it again.
    const QList<QPushButton*> panel = w.quickStartPanel()->widget()->findChildren<QPushButton*>();
    ASSERT_EQ(panel.size(), 10);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    panel.first()->setFocus();
    QTest::keyClick(panel.first(), Qt::Key_Up);
    EXPECT_EQ(w.focusWidget(), panel.last());
    QTest::keyClick(panel.last(), Qt::Key_C);
    EXPECT_EQ(w.quickStartPanel()->windowTitle(), "hot=12");
    QTest::keyClick(panel.last(), Qt::Key_0);
    EXPECT_FALSE(w.quickStartPanel()->isVisible());
    tools->actions().at(0)->trigger();
    EXPECT_TRUE(w.quickStartPanel()->isVisible());
}

TEST_F(WindowTest, SetsAreEditedMasterAndDetailWithKeysAndMouse) {
    ExampleCopy example;
    MainWindow w(example.definition().c_str());
    w.show();
    onModal(named("grid1"), [](QWidget* sets) {
        GridDialog* d = grid(sets);
        EXPECT_EQ(text(d, 0, 2), "Colon");
        onModal(named("grid2"), [](QWidget* ranges) {
            GridDialog* r = grid(ranges);
            EXPECT_TRUE(r->windowTitle().startsWith("Colon"));
            QTest::keyClicks(clickCell(r, 0, 1), "59");
            QTest::keyClick(r->cellWidget(0, 1), Qt::Key_Tab);
            EXPECT_EQ(r->focusWidget(), r->cellWidget(1, 1));
            screenshot(r, "table-grid-dialog");
            onModal(named("grid1"), [](QWidget* again) { QTest::mouseClick(grid(again)->button(1001), Qt::LeftButton); });
            QTest::mouseClick(r->button(1001), Qt::LeftButton);
        });
        QTest::keyClick(clickCell(d, 0, 2), Qt::Key_Return);
    });
    w.action(1043)->trigger();
    const XXGRID* sets = w.app().findGrid("Sets (8-bit)");
    const XXROWLIST* ranges = sets->getCell(0, 2)->subRows();
    ASSERT_NE(ranges, nullptr);
    ASSERT_EQ(ranges->count(), 2);
    EXPECT_EQ(ranges->at(1)->field(0)->getInt(), 59);
    EXPECT_TRUE(w.app().modified);
}

TEST_F(WindowTest, TypingOkWithABlankRequiredCellAndCancelWithChanges) {
    ExampleCopy example;
    MainWindow w(example.definition().c_str());
    w.show();
    bool checkedFocus = false;
    onModal(named("grid1"), [&](QWidget* counters) {
        GridDialog* d = grid(counters);
        QTest::keyClicks(clickCell(d, 1, 2), "1a2");   // the letter is dropped
        EXPECT_EQ(text(d, 1, 2), "12");
        onModal(isMessageBox, [&, d](QWidget* box) {
            EXPECT_EQ(static_cast<QMessageBox*>(box)->text(), "Invalid input:  blank");
            QTimer::singleShot(20, [&, d] {
                // The failing cell has the focus; a change then Escape asks before losing it.
                EXPECT_EQ(d->focusWidget(), d->cellWidget(0, 2));
                checkedFocus = true;
                QTest::keyClicks(d->cellWidget(0, 2), "Lines");
                onModal(isMessageBox, [d](QWidget* question) {
                    EXPECT_EQ(static_cast<QMessageBox*>(question)->text(), "OK to lose changes?");
                    onModal(isMessageBox, [](QWidget* again) { static_cast<QMessageBox*>(again)->button(QMessageBox::Yes)->click(); });
                    QTimer::singleShot(0, [d] {
                        EXPECT_TRUE(d->isVisible());   // No kept the dialog
                        QTest::keyClick(d->cellWidget(0, 2), Qt::Key_Escape);
                    });
                    static_cast<QMessageBox*>(question)->button(QMessageBox::No)->click();
                });
                QTest::keyClick(d->cellWidget(0, 2), Qt::Key_Escape);
            });
            static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(d->button(1001), Qt::LeftButton);
    });
    w.action(1049)->trigger();
    EXPECT_TRUE(checkedFocus);
    EXPECT_EQ(w.app().findGrid("Counters")->rowCount(), 2);
    EXPECT_FALSE(w.app().modified);
}

TEST_F(WindowTest, F2OnALookupCellThenAValueFormThenSaveAndReopen) {
    ExampleCopy example;
    {
        MainWindow w(example.definition().c_str());
        w.show();
        onModal(named("grid1"), [](QWidget* variables) {
            GridDialog* d = grid(variables);
            QTest::keyClicks(clickCell(d, 0, 2), "Level");
            onModal(named("list"), [](QWidget* list) {
                auto* entries = list->findChild<QListWidget*>();
                ASSERT_NE(entries, nullptr);
                EXPECT_EQ(entries->count(), 3);
                screenshot(list, "list-dialog");
                entries->setCurrentItem(entries->findItems("String", Qt::MatchExactly).value(0));
                onModal(named("grid2"), [](QWidget* form) {
                    GridDialog* f = grid(form);
                    EXPECT_TRUE(f->model().form());
                    QTest::keyClicks(clickCell(f, 0, 0), "web-01");
                    screenshot(form, "form-dialog");
                    QTest::mouseClick(f->button(1001), Qt::LeftButton);
                });
                QTest::mouseClick(list->findChildren<QPushButton*>().value(0), Qt::LeftButton);
            });
            QTest::keyClick(clickCell(d, 1, 2), Qt::Key_F2);
            EXPECT_EQ(text(d, 1, 2), "String");
            QTest::mouseClick(d->button(1001), Qt::LeftButton);
        });
        w.action(1047)->trigger();
        w.action(1035)->trigger();   // Save
        EXPECT_TRUE(w.statusBar()->currentMessage().startsWith("Saved "));
    }
    MainWindow reopened(example.definition().c_str());
    const XXGRID* variables = reopened.app().findGrid("Variables");
    ASSERT_EQ(variables->rowCount(), 3);
    EXPECT_STREQ(variables->getCell(0, 2)->getText(), "Level");
    EXPECT_STREQ(variables->getCell(1, 2)->getText(), "String");
    EXPECT_STREQ(variables->getCell(2, 2)->getText(), "web-01");
}

TEST_F(WindowTest, F1OnACellOpensTheHelpAtItsAnchor) {
    ExampleCopy example;
    MainWindow w(example.definition().c_str());
    w.show();
    QStringList anchors;
    onModal(named("grid1"), [&](QWidget* counters) {
        GridDialog* d = grid(counters);
        for (int32_t col : {1, 0}) {
            QTest::keyClick(clickCell(d, col, 0), Qt::Key_F1);
            auto* help = w.findChild<QTextBrowser*>();
            ASSERT_NE(help, nullptr);
            EXPECT_TRUE(help->isVisible());
            anchors << help->source().fragment();
        }
        EXPECT_TRUE(d->isVisible());   // help leaves the dialog as it was
        QTest::mouseClick(d->button(1002), Qt::LeftButton);
    });
    w.action(1049)->trigger();
    EXPECT_EQ(anchors, (QStringList{"h4004", "h4035"}));
}

}  // namespace
