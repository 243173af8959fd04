#include "builder/qt/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QThread>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "builder/qt/DrawingSurface.h"
#include "builder/qt/GridDialog.h"
#include "builder/qt/StopBox.h"
#include "foundation/XXSTRTABLE.h"

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

const char* const kReady = "Press F1 for help";
constexpr int kQuickStartButtonW = 180;
constexpr int kQuickStartButtonH = 20;

// Runs a program to its end; its standard output, or "" when it could not run.
QString runToEnd(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit) return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

}  // namespace

MainWindow::MainWindow(const char* file) {
    setObjectName("Quillon");
    resize(900, 620);
    quickStart_ = new QDockWidget("Quick Start", this);
    quickStart_->setObjectName("QuickStart");
    quickStart_->setFeatures(QDockWidget::DockWidgetClosable);
    addDockWidget(Qt::LeftDockWidgetArea, quickStart_);
    statusBar()->showMessage(kReady);
    previousSink_ = setErrorSink(this);

    app_ = std::make_unique<QuillonApp>(*this);
    buildToolbar();
    for (const XXAccel& a : acceleratorTable()) {
        if (!findCommand(a.command) && a.command != XXCMD::viewFirst) continue;   // Ctrl+D, Escape
        auto* shortcut = new QShortcut(QKeySequence(a.keys), this);
        const int32_t command = a.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { app_->notify(command); });
    }
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (!app_->ui.busy()) showHelp(0);
    });
    app_->start(file);
    setCentralWidget(DrawingSurface::create(*app_, this, &surface_));
}

MainWindow::~MainWindow() {
    setErrorSink(previousSink_);
    delete takeCentralWidget();   // the surface lets go of the graphs before they go
    surface_ = nullptr;
    app_.reset();
}

void MainWindow::buildToolbar() {
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("Tools");
    bar->setMovable(false);
    if (QIcon::themeName().isEmpty()) QIcon::setThemeName("Adwaita");
    const struct {
        int32_t command;
        int32_t tip;
        const char* icon;
        QStyle::StandardPixmap fallback;
    } buttons[] = {
        {XXCMD::quickStart, 1511, "view-list", QStyle::SP_FileDialogListView},
        {XXCMD::run, 1260, "media-playback-start", QStyle::SP_MediaPlay},
        {XXCMD::helpIndex, 1500, "help-browser", QStyle::SP_DialogHelpButton},
    };
    for (const auto& b : buttons) {
        QIcon icon = QIcon::fromTheme(b.icon);
        if (icon.isNull()) icon = style()->standardIcon(b.fallback);
        QAction* a = bar->addAction(icon, loadString(b.tip));
        a->setToolTip(loadString(b.tip));
        const int32_t command = b.command;
        connect(a, &QAction::triggered, this, [this, command] { app_->notify(command); });
        toolActions_[command] = a;
    }
}

QAction* MainWindow::action(int32_t command) const {
    if (auto it = menuActions_.find(command); it != menuActions_.end()) return it->second;
    if (auto it = toolActions_.find(command); it != toolActions_.end()) return it->second;
    return nullptr;
}

void MainWindow::menusChanged() {
    menuBar()->clear();
    menuActions_.clear();
    for (const XXMenu& m : declareMenus(app_->menuState())) {
        QMenu* menu = menuBar()->addMenu(qs(m.title));
        for (const XXMenuItem& item : m.items) {
            if (!item.command) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(qs(item.text));
            const int32_t command = item.command;
            connect(a, &QAction::triggered, this, [this, command] { app_->notify(command); });
            menuActions_[command] = a;
        }
    }
    rebuildQuickStart();
    setWindowTitle(qs(app_->title()));
    if (surface_) surface_->showGraph();
}

void MainWindow::runStopBox(PXRunControl& control) {
    // The box stands just inside the corner where the Quick Start panel is, which it hides.
    const bool panel = quickStart_->isVisible();
    const QPoint at = quickStart_->mapToGlobal(QPoint(2, 2));
    quickStart_->hide();
    StopBox::run(control, this, at, [this](const std::string& text) { statusBar()->showMessage(qs(text)); });
    if (panel) quickStart_->show();
}

namespace {

// A Quick Start button hands the panel's keys to the window.
class QuickStartButton : public QPushButton {
public:
    using KeyFn = std::function<bool(QPushButton*, QKeyEvent*)>;
    QuickStartButton(const QString& text, QWidget* parent, KeyFn onKey) : QPushButton(text, parent), onKey_(std::move(onKey)) {}

protected:
    bool event(QEvent* e) override {
        // Tab and Shift+Tab move along the buttons, not out of the panel.
        if (e->type() == QEvent::KeyPress && onKey_(this, static_cast<QKeyEvent*>(e))) return true;
        return QPushButton::event(e);
    }

private:
    KeyFn onKey_;
};

}  // namespace

bool MainWindow::quickStartKey(QPushButton* from, QKeyEvent* e) {
    const QList<QPushButton*> buttons = quickStart_->widget()->findChildren<QPushButton*>();
    const qsizetype at = buttons.indexOf(from);
    auto focusAt = [&](qsizetype i) { buttons.at((i + buttons.size()) % buttons.size())->setFocus(); };
    switch (e->key()) {
    case Qt::Key_Tab: case Qt::Key_Right: case Qt::Key_Down: focusAt(at + 1); return true;
    case Qt::Key_Backtab: case Qt::Key_Left: case Qt::Key_Up: focusAt(at - 1); return true;
    case Qt::Key_Return: case Qt::Key_Enter: from->click(); return true;
    default: break;
    }
    if (e->text().isEmpty()) return false;
    const XXQuickKey k = ::quickStartKey(e->text().at(0).unicode());
    if (k.kind == XXQuickKey::hide) {
        quickStart_->hide();
    } else if (k.kind == XXQuickKey::press) {
        if (k.button <= buttons.size()) buttons.at(k.button - 1)->click();
        else quickStart_->setWindowTitle(QString("hot=%1").arg(k.button));
    } else {
        return false;
    }
    return true;
}

void MainWindow::rebuildQuickStart() {
    auto* panel = new QWidget;
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, QColor(200, 200, 200));
    panel->setPalette(p);
    const std::vector<XXMenuItem> items = quickStartItems(app_->menuState());
    int y = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        auto* b = new QuickStartButton(qs(items[i].text), panel,
                                       [this](QPushButton* from, QKeyEvent* e) { return quickStartKey(from, e); });
        b->setObjectName(QString::number(1000 + int(i)));
        b->setGeometry(0, y, kQuickStartButtonW, kQuickStartButtonH + 4);
        y += kQuickStartButtonH + 5;
        const int32_t command = items[i].command;
        connect(b, &QPushButton::clicked, this, [this, command] { app_->notify(command); });
    }
    panel->setMinimumSize(kQuickStartButtonW, y);
    quickStart_->setWindowTitle("Quick Start");
    quickStart_->setWidget(panel);   // the old panel is deleted by the dock
}

void MainWindow::toggleQuickStart() { quickStart_->setVisible(!quickStart_->isVisible()); }

// --- dialogs and messages ----------------------------------------------------------------------

int32_t MainWindow::runGridDialog(XXGRID& grid, int32_t level) {
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    GridDialog dialog(grid, level, owner, [this](int32_t id) { showHelp(id); });
    const int32_t result = dialog.run();
    statusBar()->showMessage(kReady);
    return result;
}

bool MainWindow::askYesNo(const std::string& text) {
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    return QMessageBox::question(owner, qs(app_->appTitle.text()), qs(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MainWindow::onWindowThread(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread()) fn();
    else QMetaObject::invokeMethod(this, fn, Qt::BlockingQueuedConnection);
}

void MainWindow::information(const std::string& text, const std::string& caption) {
    onWindowThread([&] {
        QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
        QMessageBox::information(owner, qs(caption.empty() ? loadString(114) : caption), qs(text));
    });
}

void MainWindow::error(const std::string& text) {
    onWindowThread([&] {
        QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
        QMessageBox::critical(owner, loadString(14), qs(text));
    });
}

void MainWindow::error(const char* text) { error(std::string(text ? text : "")); }

void MainWindow::information(const char* text) { information(std::string(text ? text : ""), ""); }

void MainWindow::setStatus(const std::string& text) {
    onWindowThread([&] { statusBar()->showMessage(qs(text)); });
}

void MainWindow::setTitle(const std::string& text) { setWindowTitle(qs(text)); }

std::string MainWindow::chooseFile(bool save, const std::string& caption, const std::string& filter) {
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    const auto options = QFileDialog::DontUseNativeDialog;
    const QString name = save ? QFileDialog::getSaveFileName(owner, qs(caption), QString(), qs(filter), nullptr, options)
                              : QFileDialog::getOpenFileName(owner, qs(caption), QString(), qs(filter), nullptr, options);
    return name.toStdString();
}

// --- outside programs ------------------------------------------------------------------------

bool MainWindow::launch(const std::string& program, const std::string& file) {
    if (!program.empty()) {
        if (QProcess::startDetached(qs(program), {qs(file)})) return true;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(qs(file)).absoluteFilePath()))) return true;
    error(program.empty() ? std::string(loadString(28)) + " " + file : "Unable to execute " + program);
    return false;
}

void MainWindow::odbcAdministrator() {
    if (QProcess::startDetached("ODBCManageDataSourcesQ5", {})) return;
    const QString sources = runToEnd("odbcinst", {"-q", "-s"}).trimmed();
    information(sources.isEmpty() ? "No data sources are configured." : "Data sources:\n" + sources.toStdString(), "");
}

// The data source is registered for the user with unixODBC's odbcinst: removed, then added
// again for the driver with the database file.
bool MainWindow::configureDataSource(const std::string& dsn, const std::string& driver, const std::string& file) {
    QTemporaryFile ini;
    if (!ini.open()) return false;
    ini.write(QString("[%1]\nDriver=%2\nDatabase=%3\n").arg(qs(dsn), qs(driver), qs(file)).toLocal8Bit());
    ini.flush();
    runToEnd("odbcinst", {"-u", "-s", "-h", "-n", qs(dsn)});
    QProcess add;
    add.start("odbcinst", {"-i", "-s", "-h", "-f", ini.fileName()});
    if (!add.waitForFinished(10000) || add.exitCode() != 0) {
        error("Unable to configure data source " + dsn + " for driver " + driver);
        return false;
    }
    return true;
}

void MainWindow::showHelp(int32_t helpId) {
    const QString page = QCoreApplication::applicationDirPath() + "/Quillon.html";
    if (!QFileInfo::exists(page)) {
        error("HtmlHelp 1: " + page.toStdString());
        return;
    }
    if (!help_) {
        auto* window = new QDialog(this);
        window->setObjectName("help");
        window->setWindowTitle(QString(app_->appTitle.text()) + " Help");
        window->resize(560, 480);
        help_ = new QTextBrowser(window);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(help_);
    }
    QUrl url = QUrl::fromLocalFile(page);
    if (helpId > 0) url.setFragment(QString("h%1").arg(helpId));
    help_->setSource(url);
    if (helpId > 0) help_->scrollToAnchor(url.fragment());
    help_->parentWidget()->show();
    help_->parentWidget()->raise();
}

// --- settings and closing ---------------------------------------------------------------------

std::vector<std::string> MainWindow::loadRecentFiles() {
    QSettings settings("Marrowby", "Quillon");
    std::vector<std::string> paths;
    for (int i = 0; settings.contains(QString("File%1").arg(i)); ++i)
        paths.push_back(settings.value(QString("File%1").arg(i)).toString().toStdString());
    return paths;
}

void MainWindow::storeRecentFiles(const std::vector<std::string>& paths) {
    QSettings settings("Marrowby", "Quillon");
    for (int i = 0; settings.contains(QString("File%1").arg(i)); ++i) settings.remove(QString("File%1").arg(i));
    for (size_t i = 0; i < paths.size(); ++i) settings.setValue(QString("File%1").arg(i), qs(paths[i]));
}

void MainWindow::requestClose() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (app_->okToClose()) event->accept();
    else event->ignore();
}
