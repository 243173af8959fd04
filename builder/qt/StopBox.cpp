// The stop box on Qt widgets.
#include "builder/qt/StopBox.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "builder/PXRunControl.h"

namespace {

// How often the box looks whether the run has ended, and how often it shows the progress.
constexpr int kPollMs = 50;
constexpr int kProgressMs = 250;

// Escape and the window's close button mean Stop: the box only ends with the run.
class Box : public QDialog {
public:
    using QDialog::QDialog;
    std::function<void()> onReject;
    void reject() override {
        if (onReject) onReject();
    }
};

}  // namespace

namespace StopBox {

void run(PXRunControl& control, QWidget* parent, QPoint at, const std::function<void(const std::string&)>& status) {
    if (control.finished()) return;
    Box box(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box.setObjectName("StopBox");
    box.setWindowTitle("Quillon");
    box.setModal(true);
    auto* text = new QLabel(QString::fromStdString(control.box().text()));
    text->setObjectName("StopText");
    text->setMinimumWidth(150);
    text->setStyleSheet("color: rgb(102, 0, 51);");
    auto* stop = new QPushButton("&Stop");
    stop->setObjectName("Stop");
    stop->setDefault(true);
    auto* layout = new QHBoxLayout(&box);
    layout->addWidget(text);
    layout->addWidget(stop);

    QTimer countdown;
    countdown.setInterval(control.box().stepMs());
    QObject::connect(stop, &QPushButton::clicked, &box, [&] {
        control.stop();
        text->setText(QString::fromStdString(control.box().text()));
        countdown.start();
    });
    QObject::connect(&countdown, &QTimer::timeout, &box, [&] {
        if (control.tick()) {
            countdown.stop();
            box.accept();
            return;
        }
        text->setText(QString::fromStdString(control.box().text()));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (control.finished()) box.accept();
    });
    poll.start(kPollMs);
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, &box, [&] {
        if (status) status(control.progress());
    });
    progress.start(kProgressMs);
    box.onReject = [stop] { stop->click(); };
    box.move(at);
    box.exec();
}

}  // namespace StopBox
