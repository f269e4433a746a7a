#include "catalogue/dashboard_setup.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"

namespace kalvex {

namespace {

using C = Component;
using K = GaugeKind;
using namespace colors;

// The signal columns: captions, unit, value format, range, limits, start.
struct Signal {
  const char* name1;
  const char* name2;
  const char* unit;
  const char* format;
  double from, to;
  double lower, upper;
  float start;
};

struct Scale {
  int steps, subSteps;
  const char* format;
  bool baseLine;
  int spacing = 0;
};

enum class Look { Dial, Thermometer, LimeOnBlack };

constexpr unsigned kDial =
    kOptBevelOuter | kOptName1 | kOptName2 | kOptOverflow | kOptLimit | kOptSector;
constexpr unsigned kThermo = kOptValue | kOptName1 | kOptName2 | kOptUnit;
constexpr bool kMinMarker = true;
constexpr bool kNoMinMarker = false;

ComponentSetup Row(C c, K kind, int left, int top, int width, int height, const Signal& sig,
                   unsigned options, const Scale& scale, const Sectors& sectors, Look look,
                   bool minMarker) {
  GaugeSettings s;
  s.name1 = sig.name1;
  s.name2 = sig.name2;
  s.unit = sig.unit;
  s.valueFormat = sig.format;
  s.valueFrom = sig.from;
  s.valueTo = sig.to;
  s.limitLower = sig.lower;
  s.limitUpper = sig.upper;
  s.options = options;
  s.steps = scale.steps;
  s.subSteps = scale.subSteps;
  s.scaleFormat = scale.format;
  s.drawLine = scale.baseLine;
  s.scaleSpacing = scale.spacing;
  s.sectors = sectors;
  s.minVisible = minMarker;
  switch (look) {
    case Look::Dial:
      s.pointerColor = kLime;
      s.scaleColor = kBlack;
      break;
    case Look::Thermometer:
      s.barColor = kBlue;
      s.barBackground = kBtnFace;
      s.valueColor = kBlue;
      s.valueBoxColor = kBtnFace;
      break;
    case Look::LimeOnBlack:
      s.valueColor = kLime;
      s.valueBoxColor = kBlack;
      break;
  }
  return ComponentSetup{c, kind, left, top, width, height, std::move(s), sig.start};
}

constexpr Sectors kSpeedSectors = {Sector{0, 440, kGreen}, Sector{440, 720, kYellow},
                                   Sector{720, 1000, kRed}};
constexpr Sectors kNmotSectors = {Sector{0, 571, kGreen}, Sector{572, 857, kYellow},
                                  Sector{858, 1000, kRed}};
constexpr Scale kNoScale = {5, 2, "##0", true};

std::array<ComponentSetup, kComponentCount> BuildSetup() {
  // clang-format off
  return {{
    Row(C::VS_Speed, K::Meter180, 8, 32, 209, 145,
        {"Скорость,", "км/ч", "км/ч", "##0.0", 0, 250, -1, 180, 0},
        kDial, {5, 2, "##0", true}, kSpeedSectors, Look::Dial, kNoMinMarker),
    Row(C::VI_Speed, K::ValueInd, 80, 8, 72, 20,
        {"SignalName1", "SignalName2", "км/ч", "##0", 0, 250, 10, 90, 0},
        kOptUnit, kNoScale, kDefaultSectors, Look::LimeOnBlack, kMinMarker),
    Row(C::VS_Nmot, K::Meter180, 240, 32, 193, 145,
        {"Обороты КВ,", "*100 об/мин", "%", "##0.0", 0, 70, -1, 50, 0},
        kDial, {7, 5, "##0", true}, kNmotSectors, Look::Dial, kNoMinMarker),
    Row(C::VI_Nmot, K::ValueInd, 264, 8, 105, 20,
        {"SignalName1", "SignalName2", "об/мин", "####0", 0, 10000, 10, 90, 0},
        kOptUnit, kNoScale, kDefaultSectors, Look::LimeOnBlack, kMinMarker),
    Row(C::VS_TOG, K::Thermometer, 448, 184, 105, 201,
        {"Температура", "охлаж. жид.", "°C", "##0.0", -40, 160, 10, 90, -20},
        kThermo, {5, 5, "##0", false, 2}, kDefaultSectors, Look::Thermometer, kNoMinMarker),
    Row(C::VS_TANS, K::Thermometer, 448, 0, 96, 177,
        {"Температура", "воздуха на впуске", "°C", "##0.0", -30, 70, 10, 90, 0},
        kThermo, {5, 5, "##0", false, 2}, kDefaultSectors, Look::Thermometer, kMinMarker),
    Row(C::VS_Ub, K::Meter120, 8, 208, 209, 169,
        {"Напряжение бортовой сети,", "В", "%", "##0.0", 6, 18, 9, 15, 12},
        kDial, {5, 2, "##0", true}, kDefaultSectors, Look::Dial, kMinMarker),
    Row(C::VI_Ub, K::ValueInd, 72, 184, 66, 20,
        {"SignalName1", "SignalName2", "В", "##0.0", 0, 100, 10, 90, 12},
        kOptUnit, kNoScale, kDefaultSectors, Look::LimeOnBlack, kMinMarker),
    Row(C::VS_THR, K::VMeter, 240, 184, 81, 193,
        {"Положение", "дросселя", "%", "##0.0", 0, 100, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptOverflow | kOptLimit | kOptUnit,
        {5, 2, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
    Row(C::VS_DV, K::VMeter, 336, 184, 97, 193,
        {"Время", "впрыска", "мс", "##0.00", 0, 20, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptOverflow | kOptUnit,
        {4, 5, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
    Row(C::VS_MRV, K::VMeter, 560, 0, 105, 385,
        {"Расход", "воздуха", "кг/ч", "##0.0", 0, 100, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptUnit,
        {10, 4, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
    Row(C::VS_MAP, K::VMeter, 560, 0, 105, 385,
        {"Давление на", "впуске", "кПа", "##0.0", 0, 120, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptUnit,
        {10, 4, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
  }};
  // clang-format on
}

// ---- visibility -------------------------------------------------------------

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

const std::array<ComponentSetup, kComponentCount>& DashboardSetup() {
  static const std::array<ComponentSetup, kComponentCount> setup = BuildSetup();
  return setup;
}

const ComponentSetup& SetupOf(Component c) { return DashboardSetup()[static_cast<size_t>(c)]; }

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
