// Quillon: the builder. `Quillon FILE` opens a definition; `Quillon` alone an empty one.
#include <QApplication>
#include <QStringList>

#include <string>
#include <vector>

#include "builder/qt/GridDialog.h"
#include "builder/qt/MainWindow.h"

// The database library lists the data sources and asks the program to choose one.
extern "C" __attribute__((visibility("default"))) int32_t QNDBChooseDataSource(const char* const* names,
                                                                            const char* const* descriptions,
                                                                            int32_t count) {
    std::vector<std::string> entries;
    for (int32_t i = 0; i < count; ++i)
        entries.push_back(std::string(names[i]) + (descriptions && descriptions[i] && *descriptions[i]
                                                       ? std::string("  (") + descriptions[i] + ")"
                                                       : std::string()));
    return pickFromList(QApplication::activeWindow(), "Select DSN", entries, 0, 30);
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Marrowby");
    QApplication::setApplicationName("Quillon");
    const QStringList args = QApplication::arguments();
    const std::string file = args.size() > 1 ? args.at(1).toStdString() : std::string();
    MainWindow window(file.empty() ? nullptr : file.c_str());
    window.show();
    return application.exec();
}
