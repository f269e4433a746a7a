// The window as the tests open it. On a port of the test's own: that port
// alone in the list, nothing discovered, nothing written to the settings,
// errors not in modal dialogs, shown.
//
// The window as demo mode opens it: the simulator's port first in the list
// and selected, nothing discovered, nothing written to the settings; the
// pause before each data request as given (the window's default else).
#pragma once

#include <memory>
#include <string>

#include "app/demo.h"
#include "app/main_window.h"

namespace kalvex {

inline std::unique_ptr<MainWindow> OpenWindowOnPort(const std::string& port) {
  WindowOptions o;
  o.discoverPorts = false;
  o.extraPorts = {port};
  o.writeSettingsOnClose = false;
  auto form = std::make_unique<MainWindow>(o);
  form->setModalErrors(false);
  form->show();
  return form;
}

inline WindowOptions DemoWindowOptions(const DemoSimulator& demo,
                                       Millis requestPause = WindowOptions{}.requestPause) {
  WindowOptions wo;
  wo.requestPause = requestPause;
  wo.leadingPorts = {demo.portPath()};
  wo.leadingPortSelected = true;
  wo.discoverPorts = false;
  wo.writeSettingsOnClose = false;
  return wo;
}

}  // namespace kalvex
