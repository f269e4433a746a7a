// The window as demo mode opens it: the simulator's port first in the list
// and selected, nothing discovered, nothing written to the settings; the
// pause before each data request as given (the window's default else).
#pragma once

#include "app/demo.h"
#include "app/main_window.h"

namespace kalvex {

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
