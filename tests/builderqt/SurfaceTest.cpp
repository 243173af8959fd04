// The drawing surface and run control driven with real mouse and key events: a graph drawn,
// linked and filled in on an empty definition, saved, reloaded and run; a long run stopped;
// a run that ignores Stop; the context menus of a node, a link and a comment opened with the
// right button. Screenshots of the bundled example's graphs, a node's context menu, the
// node's actions dialog, the stop box and the progress in the status bar go to the build
// folder's screenshots/.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "builder/qt/DrawingSurface.h"
#include "builder/qt/GridDialog.h"
#include "builder/qt/MainWindow.h"
#include "definitions/PXGraphs.h"
#include "definitions/PXNode.h"
#include "tests/builderqt/QtSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class SurfaceTest : public QtWindowTest {
protected:
    void TearDown() override { fs::current_path(cwd_); }   // opening a definition moves it
    fs::path cwd_ = fs::current_path();
};

// The bundled example (its definition and node group) copied into `dir`; the definition's path.
std::string copyExample(const TempDir& dir) {
    const fs::path source = fs::path(QUILLON_SOURCE_ROOT) / "examples" / "servers";
    for (const char* name : {"Servers.QXD", "Timestamp.QXG"}) fs::copy_file(source / name, dir.path() / name);
    return dir.file("Servers.QXD");
}

// A definition without nodes: a pattern of digits, an output that a post-stream action fills
// with the last match of the node tagged "Num", and one input file.
void writeDefinition(const TempDir& dir, const std::string& input) {
    std::ofstream(dir.file("Ids.QXD")) << "Quillon Version 2.82\n"
                                          "!\"Logname\" \"Run.log\" 0\n"
                                          "!\"Outputstreams\" \"Found\" \"found.txt\" 0\n"
                                          "!\"Inputstreams\" 1 \"input.txt\" 0 0\n"
                                          "!\"Set\" \"Digit\"\n48 57\n"
                                          "!\"Pattern\" \"Number\"\n\"Digit\" 1 10\n"
                                          "!\"Post-streamActions\" \"Append to\" \"Found\" \"\" \"Num\"\n";
    std::ofstream(dir.file("input.txt")) << input;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Chooses the entry `text` of the context menu that the next step opens, after `before`
// (with an empty `text`, only `before`).
void onPopup(const QString& text, std::function<void(QMenu*)> before = {}, int tries = 0) {
    QTimer::singleShot(10, [=] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) {
            if (tries < 300) onPopup(text, before, tries + 1);
            else ADD_FAILURE() << "no context menu for " << text.toStdString();
            return;
        }
        if (before) before(menu);
        if (text.isEmpty()) return;
        for (QAction* a : menu->actions())
            if (a->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return;
            }
        ADD_FAILURE() << "no entry " << text.toStdString();
        menu->close();
    });
}

QPoint centreOf(DrawingSurface* s, const XXNODE* node) {
    XXRECT r;
    s->itemRect(node->id(), r);
    return {r.x + r.width / 2, r.y + r.height / 2};
}

// A right click as the window system delivers it: the press opens the context menu.
void rightClick(QWidget* w, QPoint at) {
    QWidget* top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, w->mapTo(top, at));
}

bool isMessageBox(QWidget* w) { return dynamic_cast<QMessageBox*>(w) != nullptr; }

// Opens the node's menu with a double click and picks `entry`.
void nodeCommand(DrawingSurface* s, const XXNODE* node, const QString& entry, std::function<void(QMenu*)> before = {}) {
    onPopup(entry, before);
    QTest::mouseDClick(s, Qt::LeftButton, {}, centreOf(s, node));
}

// Types into the named line edit of the dialog and presses Enter.
void fillAndConfirm(QWidget* dialog, std::vector<std::pair<const char*, QString>> fields) {
    for (const auto& [name, value] : fields) {
        QLineEdit* edit = dialog->findChild<QLineEdit*>(name);
        if (!edit)
            if (auto* combo = dialog->findChild<QComboBox*>(name)) edit = combo->lineEdit();
        ASSERT_NE(edit, nullptr) << name;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value);
    }
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
}

TEST_F(SurfaceTest, DrawLinkFillInSaveReloadAndRun) {
    TempDir dir;
    writeDefinition(dir, "head id=4711; tail\n");
    MainWindow w(dir.file("Ids.QXD").c_str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    DrawingSurface* s = w.drawingSurface();
    ASSERT_NE(s, nullptr);
    PXGraph* graph = dynamic_cast<PXGraph*>(s->graph());
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->nodeCount(), 0);

    // Three nodes by double clicks on the empty surface, linked with "Link to ...".
    for (QPoint p : {QPoint(30, 40), QPoint(200, 40), QPoint(370, 40)}) QTest::mouseDClick(s, Qt::LeftButton, {}, p);
    ASSERT_EQ(graph->nodeCount(), 3);
    PXNode* a = graph->nodeAt(0);
    PXNode* b = graph->nodeAt(1);
    PXNode* c = graph->nodeAt(2);
    EXPECT_EQ(graph->startNode(), a);
    QString told;
    for (auto [from, to] : {std::pair{a, b}, std::pair{b, c}, std::pair{a, b}}) {
        if (from == a && a->linkCount() == 1)
            onModal(isMessageBox, [&](QWidget* m) {
                told = static_cast<QMessageBox*>(m)->text();
                static_cast<QMessageBox*>(m)->button(QMessageBox::Ok)->click();
            });
        nodeCommand(s, from, "&Link to ...");
        QTest::mouseMove(s, centreOf(s, to));
        QTest::mouseClick(s, Qt::LeftButton, {}, centreOf(s, to));
    }
    EXPECT_EQ(told, "Duplicate link ignored");
    ASSERT_EQ(a->linkCount(), 1);
    ASSERT_EQ(b->linkCount(), 1);
    EXPECT_EQ(b->linkAt(0)->targetId(), c->id());

    // The strings and the pattern with its tag, through the node dialogs.
    onModal(named("NodeString"), [](QWidget* d) { fillAndConfirm(d, {{"Value", "id="}}); });
    nodeCommand(s, a, "&String");
    onModal(named("NodeString"), [](QWidget* d) { fillAndConfirm(d, {{"Value", ";"}}); });
    nodeCommand(s, c, "&String");
    onModal(named("NodeProperties"), [](QWidget* d) { fillAndConfirm(d, {{"Tag", "Num"}, {"Pattern", "Number"}}); });
    nodeCommand(s, b, "&Properties");
    EXPECT_EQ(std::string(a->text().text()), "id=");
    EXPECT_EQ(std::string(b->tag().text()), "Num");
    EXPECT_EQ(std::string(b->refName().text()), "Number");
    EXPECT_TRUE(w.app().modified);

    // Arrow keys and Tab on the focused node.
    QTest::mouseClick(s, Qt::LeftButton, {}, centreOf(s, c));
    const XXRECT before = c->rect();
    QTest::keyClick(s, Qt::Key_Right);
    QTest::keyClick(s, Qt::Key_Right);
    EXPECT_EQ(c->rect().x, before.x + 2);
    QTest::keyClick(s, Qt::Key_Tab);
    EXPECT_EQ(graph->selectedId(), a->id());          // wrapped to the first node

    // Save, and the file holds the graph drawn.
    w.action(1035)->trigger();
    EXPECT_FALSE(w.app().modified);
    const std::string saved = slurp(dir.file("Ids.QXD"));
    EXPECT_NE(saved.find("NodeString 0 \"id=\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("NodePattern 1 \"Number\""), std::string::npos) << saved;

    // Run over the input file: the output holds what the middle node matched.
    w.action(1065)->trigger();
    EXPECT_EQ(slurp(dir.file("found.txt")), "4711");
    EXPECT_EQ(w.app().runControl().state(), PXRunControl::State::idle);
    EXPECT_TRUE(w.app().lastRun().error.empty()) << w.app().lastRun().error;
}

TEST_F(SurfaceTest, StopEndsALongRunWithScanHalted) {
    TempDir dir;
    std::string big;
    for (int i = 0; i < 400000; ++i) big += "line id=" + std::to_string(i) + "; more text here\n";
    writeDefinition(dir, big);
    std::ofstream(dir.file("Ids.QXD"), std::ios::app) << "Node 0 30 40 96 24 1\nLinkColors 0 2\nNodeAttribute 0 Start\n"
                                                         "NodeString 0 \"id=\"\nNode 1 200 40 96 24\nLinkColors 1\n"
                                                         "NodeAttribute 1\nNodePattern 1 \"Number\"\nNodeTag 1 \"Num\"\n";
    MainWindow w(dir.file("Ids.QXD").c_str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_EQ(w.drawingSurface()->graph()->nodeCount(), 2);
    QString shownBefore, shownAfter;
    const QPoint panelCorner = w.quickStartPanel()->mapToGlobal(QPoint(0, 0));
    QPoint boxCorner;
    bool panelShown = true;
    onModal(named("StopBox"), [&](QWidget* box) {
        auto* text = box->findChild<QLabel*>("StopText");
        shownBefore = text->text();
        boxCorner = box->pos();
        panelShown = w.quickStartPanel()->isVisible();
        screenshot(box, "stop-box");
        QTest::mouseClick(box->findChild<QPushButton*>("Stop"), Qt::LeftButton);
        shownAfter = text->text();
        if (box->isVisible()) screenshot(box, "stop-box-stopping");
    });
    w.action(1065)->trigger();
    EXPECT_EQ(shownBefore, " Working ... ");
    EXPECT_EQ(shownAfter, " Stopping ... ");
    EXPECT_EQ(boxCorner, panelCorner + QPoint(2, 2));
    EXPECT_FALSE(panelShown);
    EXPECT_TRUE(w.quickStartPanel()->isVisible());
    const PXRunControl::Outcome& out = w.app().lastRun();
    EXPECT_TRUE(out.halted);
    EXPECT_NE(out.status.find(" - scan halted"), std::string::npos) << out.status;
    EXPECT_EQ(w.statusBar()->currentMessage().toStdString(), out.status);
    EXPECT_LT(slurp(dir.file("found.txt")).size(), std::string("399999").size() + 1);
}

TEST_F(SurfaceTest, ANodeWithNothingToMatchStopsTheRunAndIsSelected) {
    TempDir dir;
    writeDefinition(dir, "id=1;\n");
    MainWindow w(dir.file("Ids.QXD").c_str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    DrawingSurface* s = w.drawingSurface();
    for (QPoint p : {QPoint(30, 40), QPoint(200, 40)}) QTest::mouseDClick(s, Qt::LeftButton, {}, p);
    XXGRAPH* graph = s->graph();
    ASSERT_EQ(graph->nodeCount(), 2);
    onModal(named("NodeString"), [](QWidget* d) { fillAndConfirm(d, {{"Value", "id="}}); });
    nodeCommand(s, graph->nodeAt(1), "&String");                                // only the first lacks one
    QTest::mouseClick(s, Qt::LeftButton, {}, centreOf(s, graph->nodeAt(1)));   // the selection moves away
    ASSERT_EQ(graph->selectedId(), graph->nodeAt(1)->id());
    QStringList boxes;
    std::function<void(QWidget*)> answer = [&](QWidget* m) {
        boxes << static_cast<QMessageBox*>(m)->text();
        static_cast<QMessageBox*>(m)->button(QMessageBox::Ok)->click();
    };
    onModal(isMessageBox, answer);
    w.action(1065)->trigger();
    QApplication::processEvents();
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_TRUE(boxes.first().contains("No pattern / string defined")) << boxes.first().toStdString();
    EXPECT_EQ(graph->selectedId(), graph->nodeAt(0)->id());
    EXPECT_EQ(s->focusedItem(), graph->nodeAt(0)->id());
    EXPECT_EQ(w.app().runControl().state(), PXRunControl::State::idle);
    EXPECT_FALSE(fs::exists(dir.file("found.txt")));
}

// The input is a named pipe that the test feeds: the run reads what it is given, shows its
// progress, then waits in a read for more and so ignores Stop until the pipe is closed.
TEST_F(SurfaceTest, ARunThatIgnoresStopIsGivenUpAsAnInternalFailure) {
    TempDir dir;
    writeDefinition(dir, "");
    std::ofstream(dir.file("Ids.QXD"), std::ios::app) << "Node 0 30 40 96 24\nNodeAttribute 0 Start\nNodeString 0 \"id=\"\n"
                                                         "NodeTag 0 \"Num\"\n";
    fs::remove(dir.file("input.txt"));
    ASSERT_EQ(mkfifo(dir.file("input.txt").c_str(), 0600), 0);
    std::atomic<bool> closePipe{false};
    std::thread writer([&, path = dir.file("input.txt")] {
        const int fd = open(path.c_str(), O_WRONLY);   // waits for the run to open it
        if (fd < 0) return;
        if (closePipe) {   // the run never came: the test let the writer through
            close(fd);
            return;
        }
        const std::string chunk(8192, 'x');
        for (int i = 0; i < 40; ++i) EXPECT_EQ(write(fd, chunk.data(), chunk.size()), ssize_t(chunk.size()));
        while (!closePipe) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        close(fd);
    });
    struct Release {
        std::atomic<bool>& flag;
        std::thread& t;
        std::string path;
        ~Release() {
            flag = true;
            // A run that never opened the pipe is let through with a reader of our own.
            if (const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK); fd >= 0) close(fd);
            t.join();
        }
    };
    // Declared after the window, so the pipe is closed (and the run given up can end) before
    // the window waits for that run, also when an assertion ends the test early.
    MainWindow w(dir.file("Ids.QXD").c_str());
    const Release release{closePipe, writer, dir.file("input.txt")};
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.app().runControl().setStopLimit(300, 50);
    QString progress, failure;
    qint64 stopToFailure = -1;
    QElapsedTimer clock;
    // The files, the bytes, the rate, then the run's message.
    const QRegularExpression shown("^1 file   ([0-9]+)\\.[0-9] KB   [0-9.]+ (bytes|KB|MB)/s    Scanning " +
                                   QRegularExpression::escape(QString::fromStdString(dir.file("input.txt"))) + "$");
    onModal(named("StopBox"), [&](QWidget* box) {
        // The run reads what the pipe holds, then waits for bytes that do not come.
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown.match(w.statusBar()->currentMessage()).hasMatch(); }, 5000));
        QTest::qWait(300);
        progress = w.statusBar()->currentMessage();
        screenshot(&w, "status-bar-progress");
        onModal(isMessageBox, [&](QWidget* m) {
            stopToFailure = clock.elapsed();
            failure = static_cast<QMessageBox*>(m)->text();
            static_cast<QMessageBox*>(m)->button(QMessageBox::Ok)->click();
        });
        clock.start();
        QTest::mouseClick(box->findChild<QPushButton*>("Stop"), Qt::LeftButton);
    });
    w.action(1065)->trigger();
    const QRegularExpressionMatch read = shown.match(progress);
    ASSERT_TRUE(read.hasMatch()) << progress.toStdString();
    // Whole windows of the 320 KB written: more than the first, never more than all.
    EXPECT_GT(read.captured(1).toInt(), 64) << progress.toStdString();
    EXPECT_LE(read.captured(1).toInt(), 320) << progress.toStdString();
    EXPECT_EQ(failure.toStdString(), "Run failed due to internal error.\nRun of " + dir.file("Ids.QXD"));
    // The shortened countdown, not ten seconds (with room for a busy machine).
    EXPECT_GE(stopToFailure, 250);
    EXPECT_LT(stopToFailure, 5000);
    EXPECT_EQ(w.statusBar()->currentMessage(), failure);
    EXPECT_EQ(w.app().runControl().state(), PXRunControl::State::givenUp);

    // The run given up still uses the definition: a new one is refused until it ends.
    QString refused;
    onModal(isMessageBox, [&](QWidget* m) {
        refused = static_cast<QMessageBox*>(m)->text();
        static_cast<QMessageBox*>(m)->button(QMessageBox::Ok)->click();
    });
    w.action(1066)->trigger();
    EXPECT_EQ(refused.toStdString(), "A run is still going on: Run of " + dir.file("Ids.QXD"));

    // Once the pipe closes, the run ends and the next one may start.
    closePipe = true;
    EXPECT_TRUE(w.app().runControl().waitFinished(5000));
    EXPECT_EQ(w.app().runControl().state(), PXRunControl::State::idle);
}

TEST_F(SurfaceTest, ContextMenusOfANodeALinkAndACommentOpenWithTheRightButton) {
    TempDir dir;
    MainWindow w(copyExample(dir).c_str());
    w.resize(1250, 560);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    DrawingSurface* s = w.drawingSurface();
    XXGRAPH* graph = s->graph();

    // A node: "Actions" with a click opens its actions; a kind typed into a new row opens
    // the form of its parameters; OK on both adds the action.
    auto* host = dynamic_cast<PXNode*>(graph->nodeAt(3));
    ASSERT_NE(host, nullptr);
    QString caption, firstRow;
    onModal(named("grid1"), [&](QWidget* dialog) {
        auto* d = static_cast<GridDialog*>(dialog);
        caption = d->windowTitle();
        firstRow = static_cast<QLineEdit*>(d->cellWidget(0, 0))->text();
        onModal(named("grid2"), [](QWidget* form) {
            auto* f = static_cast<GridDialog*>(form);
            QWidget* counter = f->cellWidget(0, 0);
            QTest::mouseClick(counter, Qt::LeftButton);
            QTest::keyClicks(counter, "Events");
            screenshot(f, "action-parameters-form");
            QTest::mouseClick(f->button(1001), Qt::LeftButton);
        });
        QWidget* cell = d->cellWidget(0, 1);
        QTest::mouseClick(cell, Qt::LeftButton);
        QTest::keyClicks(cell, "Increment counter");
        screenshot(d, "node-actions-dialog");
        QTest::mouseClick(d->button(1001), Qt::LeftButton);
    });
    onPopup("&Actions");
    rightClick(s, centreOf(s, host));
    EXPECT_TRUE(caption.startsWith("Actions of node 4")) << caption.toStdString();
    EXPECT_EQ(firstRow, "Send to");
    ASSERT_EQ(host->actions.count(), 2);
    EXPECT_EQ(std::u16string(host->actions.at(1)->summaryText().text()), u"Increment counter Events");
    EXPECT_TRUE(w.app().modified);

    // A link: "Color" chosen with its key, then "Red" in the colour list.
    const XXNODELINK* link = graph->nodeAt(0)->linkAt(1);
    ASSERT_NE(link, nullptr);
    std::array<XXPOINT, 4> points;
    ASSERT_GE(link->path(points), 2);
    const QPoint onLink((points[0].x + points[1].x) / 2, (points[0].y + points[1].y) / 2);
    ASSERT_EQ(s->linkAt(onLink), link->id());
    QStringList linkEntries;
    onPopup({}, [&](QMenu* menu) {
        for (QAction* a : menu->actions()) linkEntries << a->text();
        QTest::keyClick(menu, Qt::Key_C);
    });
    onModal([](QWidget* m) { return dynamic_cast<QInputDialog*>(m) != nullptr; }, [](QWidget* m) {
        auto* input = static_cast<QInputDialog*>(m);
        input->findChild<QComboBox*>()->setCurrentText("Red");
        input->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    rightClick(s, onLink);
    EXPECT_EQ(linkEntries, (QStringList{"&Delete", "&Renumber", "&Color"}));
    EXPECT_EQ(link->color(), 7);

    // A comment: "Text" chosen with Down and Enter, a new text typed.
    XXGRAPHITEM* note = nullptr;
    for (XXGRAPHITEM* item : graph->items())
        if (item->isComment()) note = item;
    ASSERT_NE(note, nullptr);
    const XXRECT r = graph->itemRect(*note);
    onPopup({}, [](QMenu* menu) {
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    onModal([](QWidget* m) { return dynamic_cast<QInputDialog*>(m) != nullptr; }, [](QWidget* m) {
        auto* text = m->findChild<QPlainTextEdit*>();
        text->selectAll();
        QTest::keyClicks(text, "Events of the reports");
        m->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    rightClick(s, QPoint(r.x + 20, r.y + r.height / 2));
    EXPECT_EQ(std::string(note->label().text()), "Events of the reports");
    QApplication::processEvents();
    screenshot(&w, "surface-after-menus");
}

TEST_F(SurfaceTest, ScreenshotsOfTheExampleGraphsAndANodeMenu) {
    TempDir dir;
    MainWindow w(copyExample(dir).c_str());
    w.resize(1250, 560);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    DrawingSurface* s = w.drawingSurface();
    const XXGRAPH* main = s->graph();
    ASSERT_NE(main, nullptr);
    EXPECT_GT(main->nodeCount(), 5);
    QApplication::processEvents();
    screenshot(&w, "surface-main-graph");

    // The node menu, shown at the node as a double click opens it, then closed.
    const XXNODE* first = main->nodeAt(0);
    QStringList entries;
    onPopup({}, [&](QMenu* menu) {
        for (QAction* a : menu->actions()) entries << a->text();
        screenshot(menu, "node-context-menu");
        menu->close();
    });
    QTest::mouseDClick(s, Qt::LeftButton, {}, centreOf(s, first));
    EXPECT_EQ(entries, (QStringList{"&Properties", "&String", "&Wide string", "&Actions", "&Link to ...", "S&tart node",
                                    "&Delete"}));
    EXPECT_EQ(main->nodeCount(), 9);                  // closing the menu deleted nothing

    // The node group on the same surface, named in the title.
    w.app().selectedGraph = 0;
    w.menusChanged();
    EXPECT_NE(s->graph(), main);
    EXPECT_EQ(s->graph()->nodeCount(), 3);
    EXPECT_TRUE(w.windowTitle().endsWith("[Timestamp]")) << w.windowTitle().toStdString();
    QApplication::processEvents();
    screenshot(&w, "surface-node-group");
}

}  // namespace
