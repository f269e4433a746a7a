// The fixed set-up of the twelve dashboard components and which of them the
// chosen make and ECU type show. Pure data and pure functions, no Qt.
#pragma once

#include <array>
#include <optional>

#include "catalogue/components.h"
#include "ui/gauge_model.h"

namespace kalvex {

// Page client area the geometry refers to.
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

// Visibility flags, indexed by Component.
using Visibility = std::array<bool, kComponentCount>;

inline bool Shown(const Visibility& v, Component c) { return v[static_cast<size_t>(c)]; }

// Make default (the make list's change handler): sets all twelve. A make
// outside 0..16 (nothing chosen) hides everything.
Visibility MakeDefaultVisibility(int make);

// ECU-type set-up (the ECU-type list's change handler): changes only the
// components the make's rule names; other makes, or a type without a rule,
// leave `current` as it is.
Visibility ApplyEcuTypeVisibility(Visibility current, int make, int ecu);

// The make default, followed by the ECU-type set-up of `ecu` when given.
Visibility DashboardVisibility(int make, std::optional<int> ecu);

}  // namespace kalvex
