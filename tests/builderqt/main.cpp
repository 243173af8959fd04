// The window tests run offscreen, with settings in a folder of their own, under one
// QApplication for the whole program.
#include <QApplication>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TempDir config;
    qputenv("XDG_CONFIG_HOME", config.path().string().c_str());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
