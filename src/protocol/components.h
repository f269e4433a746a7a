// The twelve dashboard components, by their component names.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace kalvex {

enum class Component : int {
  VS_Speed,
  VI_Speed,
  VS_Nmot,
  VI_Nmot,
  VS_TOG,
  VS_TANS,
  VS_Ub,
  VI_Ub,
  VS_THR,
  VS_DV,
  VS_MRV,
  VS_MAP,
};

constexpr int kComponentCount = 12;

constexpr std::array<std::string_view, kComponentCount> kComponentNames = {
    "VS_Speed", "VI_Speed", "VS_Nmot", "VI_Nmot", "VS_TOG", "VS_TANS",
    "VS_Ub",    "VI_Ub",    "VS_THR",  "VS_DV",   "VS_MRV", "VS_MAP",
};

constexpr std::string_view ComponentName(Component c) {
  return kComponentNames[static_cast<size_t>(c)];
}

inline std::optional<Component> ComponentByName(std::string_view name) {
  for (size_t i = 0; i < kComponentNames.size(); ++i)
    if (kComponentNames[i] == name) return static_cast<Component>(i);
  return std::nullopt;
}

// Receives gauge values as the reply handling sets them, in order.
class GaugeSink {
 public:
  virtual ~GaugeSink() = default;
  virtual void setGaugeValue(Component c, float value) = 0;
};

}  // namespace kalvex
