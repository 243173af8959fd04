// StopBox: the small modal box shown while a run goes on, with its "&Stop" button.
//
// It shows the countdown state of the run control (" Working ... ", " Stopping 3 ... "),
// ticks the countdown once a second after Stop, passes the run's messages to the status
// bar, and closes itself when the run ends or is given up.
#pragma once

#include <functional>
#include <string>

class PXRunControl;
class QWidget;

namespace StopBox {
// Runs the box modally over `parent` until the run of `control` ends or is given up.
// `status` receives the run's messages while it goes on.
void run(PXRunControl& control, QWidget* parent, const std::function<void(const std::string&)>& status);
}  // namespace StopBox
