// Which of the twelve dashboard components the chosen make and ECU type
// show. Pure data and pure functions.
#pragma once

#include <array>
#include <optional>

#include "protocol/components.h"

namespace kalvex {

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
