#include "catalogue/visibility.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"

namespace kalvex {

namespace {

using C = Component;

struct Set {
  C component;
  bool shown;
};
Set Show(C c) { return {c, true}; }
Set Hide(C c) { return {c, false}; }

// Make default of the three components that differ between makes.
struct MakeDefaultRow {
  std::vector<int> makes;
  bool tans, mrv, map;
};

const std::vector<MakeDefaultRow>& MakeDefaults() {
  static const std::vector<MakeDefaultRow> rows = {
      // make                                 VS_TANS VS_MRV VS_MAP
      {{kLada}, false, true, false},
      {{kGeely}, false, true, false},
      {{kGreatWall, kGaz, kUaz, kChery, kZaz, kIzh, kKia}, true, true, false},
      {{kHyundai, kByd, kNissan, kDaewoo, kChevrolet, kCitroen, kPeugeot, kSuzuki},
       true,
       false,
       true},
  };
  return rows;
}

struct EcuTypeRule {
  int make;
  std::vector<int> types;
  std::vector<Set> sets;
};

// Every rule of a make sets the same group, so the last pick alone decides.
// HYUNDAI 4 shows VS_MAP and Chery 5 shows VS_MRV: those are the gauges their
// decoders fill.
const std::vector<EcuTypeRule>& EcuTypeRules() {
  const std::vector<Set> ladaAll = {Show(C::VS_Speed), Show(C::VI_Speed), Show(C::VS_Nmot),
                                    Show(C::VI_Nmot),  Show(C::VS_TOG),   Show(C::VS_Ub),
                                    Show(C::VI_Ub),    Show(C::VS_THR),   Show(C::VS_DV),
                                    Show(C::VS_MRV),   Hide(C::VS_MAP)};
  auto lada = [&](bool tans) {
    std::vector<Set> s = ladaAll;
    s.push_back({C::VS_TANS, tans});
    return s;
  };
  static const std::vector<EcuTypeRule> rules = {
      {kLada, {0, 1, 4}, lada(false)},
      {kLada, {2, 3, 5, 6}, lada(true)},

      {kHyundai,
       {0, 1, 2, 3, 4, 7, 9, 11, 12, 13},
       {Show(C::VS_TOG), Show(C::VS_DV), Show(C::VS_MAP), Hide(C::VS_MRV)}},
      {kHyundai, {5, 6, 8}, {Show(C::VS_TOG), Show(C::VS_DV), Show(C::VS_MRV), Hide(C::VS_MAP)}},
      {kHyundai, {10}, {Hide(C::VS_TOG), Hide(C::VS_DV), Hide(C::VS_MRV), Show(C::VS_MAP)}},

      {kGreatWall, {0, 1, 6}, {Show(C::VS_MAP), Show(C::VS_DV), Hide(C::VS_MRV)}},
      {kGreatWall, {2, 3, 5}, {Show(C::VS_MRV), Show(C::VS_DV), Hide(C::VS_MAP)}},
      {kGreatWall, {4}, {Show(C::VS_MAP), Hide(C::VS_MRV), Hide(C::VS_DV)}},

      {kGeely, {0}, {Show(C::VS_MRV), Show(C::VS_THR), Hide(C::VS_MAP), Hide(C::VS_TANS)}},
      {kGeely, {1}, {Show(C::VS_MAP), Show(C::VS_TANS), Hide(C::VS_MRV), Hide(C::VS_THR)}},

      {kChery,
       {0, 2, 4},
       {Show(C::VS_MAP), Show(C::VS_Speed), Show(C::VS_Ub), Show(C::VI_Speed), Show(C::VI_Ub),
        Hide(C::VS_MRV)}},
      {kChery,
       {1},
       {Show(C::VS_MAP), Hide(C::VS_MRV), Hide(C::VS_Speed), Hide(C::VS_Ub), Hide(C::VI_Speed),
        Hide(C::VI_Ub)}},
      {kChery,
       {3, 5, 6},
       {Show(C::VS_MRV), Show(C::VS_Speed), Show(C::VS_Ub), Show(C::VI_Speed), Show(C::VI_Ub),
        Hide(C::VS_MAP)}},

      {kKia, {0}, {Show(C::VS_TOG), Show(C::VS_DV), Show(C::VS_MRV), Hide(C::VS_MAP)}},
      {kKia, {1}, {Show(C::VS_TOG), Show(C::VS_DV), Show(C::VS_MAP), Hide(C::VS_MRV)}},
  };
  return rules;
}

}  // namespace

Visibility MakeDefaultVisibility(int make) {
  Visibility v = {};
  for (const MakeDefaultRow& row : MakeDefaults()) {
    for (int m : row.makes) {
      if (m != make) continue;
      v.fill(true);
      v[static_cast<size_t>(C::VS_TANS)] = row.tans;
      v[static_cast<size_t>(C::VS_MRV)] = row.mrv;
      v[static_cast<size_t>(C::VS_MAP)] = row.map;
      return v;
    }
  }
  return v;
}

Visibility ApplyEcuTypeVisibility(Visibility current, int make, int ecu) {
  for (const EcuTypeRule& rule : EcuTypeRules()) {
    if (rule.make != make) continue;
    for (int t : rule.types) {
      if (t != ecu) continue;
      for (const Set& s : rule.sets) current[static_cast<size_t>(s.component)] = s.shown;
      return current;
    }
  }
  return current;
}

Visibility DashboardVisibility(int make, std::optional<int> ecu) {
  Visibility v = MakeDefaultVisibility(make);
  if (ecu) v = ApplyEcuTypeVisibility(v, make, *ecu);
  return v;
}

}  // namespace kalvex
