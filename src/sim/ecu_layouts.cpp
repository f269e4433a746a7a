#include "sim/ecu_layouts.h"

#include <array>

namespace kalvex::sim {

const EcuLayout* EcuLayoutOf(int make, int ecu) {
  using LayoutFn = const EcuLayout* (*)(int);
  static constexpr auto kLayouts = std::to_array<LayoutFn>({
#define KALVEX_LAYOUT_FN(Name) &Name##Layout,
      KALVEX_MAKES(KALVEX_LAYOUT_FN)
#undef KALVEX_LAYOUT_FN
  });
  static_assert(kLayouts.size() == static_cast<size_t>(kMakeCount));
  if (!ValidEcuType(make, ecu)) return nullptr;
  return kLayouts[static_cast<size_t>(make)](ecu);
}

}  // namespace kalvex::sim
