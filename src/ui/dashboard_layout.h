// The fixed set-up of the twelve dashboard components: kind, geometry and
// gauge settings. Pure data, no Qt; which of them are shown is the
// catalogue's visibility rule.
#pragma once

#include <array>

#include "protocol/components.h"
#include "ui/gauge_model.h"

namespace kalvex {

// Page client area the geometry refers to.
// The thermometers share the Russian first line "Температура"; these notes
// tell its translations apart ("Coolant", "Intake air"), for the makers'
// dashboard and the generic one alike.
inline constexpr const char* kCoolantTitleNote = "first line over the coolant temperature";
inline constexpr const char* kIntakeAirTitleNote = "first line over the intake air temperature";

constexpr int kDashboardWidth = 681;
constexpr int kDashboardHeight = 389;

struct ComponentSetup {
  Component component;
  GaugeKind kind;
  int left, top, width, height;
  GaugeSettings settings;
  float startValue;
};

// One row per component, in the order of the Component enum.
const std::array<ComponentSetup, kComponentCount>& DashboardSetup();
const ComponentSetup& SetupOf(Component c);

}  // namespace kalvex
