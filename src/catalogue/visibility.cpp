#include "catalogue/visibility.h"

#include <algorithm>

#include "catalogue/make_registry.h"

namespace kalvex {

Visibility MakeDefaultVisibility(int make) {
  Visibility v = {};
  const MakeEntry* entry = FindMake(make);
  if (!entry) return v;
  v.fill(true);
  v[static_cast<size_t>(Component::VS_TANS)] = entry->visibility.tans;
  v[static_cast<size_t>(Component::VS_MRV)] = entry->visibility.mrv;
  v[static_cast<size_t>(Component::VS_MAP)] = entry->visibility.map;
  return v;
}

// Every rule of a make sets the same group, so the last pick alone decides.
Visibility ApplyEcuTypeVisibility(Visibility current, int make, int ecu) {
  const MakeEntry* entry = FindMake(make);
  if (!entry) return current;
  for (const VisibilityRule& rule : entry->visibility.ecuRules) {
    if (std::find(rule.types.begin(), rule.types.end(), ecu) == rule.types.end()) continue;
    for (const ComponentSetting& s : rule.settings)
      current[static_cast<size_t>(s.component)] = s.shown;
    return current;
  }
  return current;
}

Visibility DashboardVisibility(int make, std::optional<int> ecu) {
  Visibility v = MakeDefaultVisibility(make);
  if (ecu) v = ApplyEcuTypeVisibility(v, make, *ecu);
  return v;
}

}  // namespace kalvex
