// Test support of the window tests: screenshots into the build folder, and actions on modal
// windows once they are shown.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

inline void screenshot(QWidget* w, const char* name) {
    const QString dir = QUILLON_SCREENSHOT_DIR;
    QDir().mkpath(dir);
    EXPECT_TRUE(w->grab().save(dir + "/" + name + ".png")) << name;
}

// Runs `fn` on the first modal window that `match` accepts, once it is shown. A window
// that never comes fails the test; QtWindowTest's watchdog ends a test that would wait forever.
inline void onModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> fn, int tries = 0) {
    QTimer::singleShot(10, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && match(w) && w->isVisible()) {
            // The window manager gives a new dialog the keyboard; offscreen, the test does.
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w, 2000));
            fn(w);
        } else if (tries < 500) {
            onModal(match, fn, tries + 1);
        } else {
            ADD_FAILURE() << "the expected dialog did not open";
        }
    });
}

inline std::function<bool(QWidget*)> named(const char* name) {
    return [name](QWidget* w) { return w->objectName() == name; };
}

// Ends a test that waits forever for a dialog: the dialogs left open are closed.
class QtWindowTest : public testing::Test {
protected:
    void SetUp() override {
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, [] {
            ADD_FAILURE() << "a dialog was left open";
            while (QWidget* w = QApplication::activeModalWidget()) w->close(), w->hide(), static_cast<QDialog*>(w)->done(0);
        });
        watchdog_.start(60000);
    }
    QTimer watchdog_;
};
