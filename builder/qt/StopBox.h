// StopBox: the small modal box shown while a run goes on, with its "&Stop" button.
//
// It shows the countdown state of the run control (" Working ... ", " Stopping 3 ... "),
// ticks the countdown after Stop (once a second unless the run control says otherwise),
// shows the run's progress in the status bar four times a second, and closes itself when
// the run ends or is given up.
#pragma once

#include <QPoint>

#include <functional>
#include <string>

class PXRunControl;
class QWidget;

namespace StopBox {
// Runs the box modally over `parent`, its top-left corner at `at` (screen), until the run of
// `control` ends or is given up. `status` receives the run's progress line while it goes on.
void run(PXRunControl& control, QWidget* parent, QPoint at, const std::function<void(const std::string&)>& status);
}  // namespace StopBox
