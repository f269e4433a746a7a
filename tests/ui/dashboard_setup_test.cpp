#include <gtest/gtest.h>

#include <random>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/visibility.h"
#include "ui/dashboard_layout.h"

namespace kalvex {
namespace {

using C = Component;
using K = GaugeKind;

// The component tables of the dashboard, column by column.
struct Expected {
  C c;
  K kind;
  int left, top, width, height;
  const char *name1, *name2, *unit, *format;
  double from, to, lower, upper;
  float start;
  unsigned options;
  int steps, subSteps;
  bool baseLine;
  bool minMarker;
};

constexpr unsigned kDial =
    kOptBevelOuter | kOptName1 | kOptName2 | kOptOverflow | kOptLimit | kOptSector;
constexpr unsigned kThermo = kOptValue | kOptName1 | kOptName2 | kOptUnit;
constexpr unsigned kVBase = kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptUnit;

// clang-format off
const Expected kExpected[] = {
  {C::VS_Speed, K::Meter180, 8, 32, 209, 145, "Скорость,", "км/ч", "км/ч", "##0.0", 0, 250, -1, 180, 0, kDial, 5, 2, true, false},
  {C::VI_Speed, K::ValueInd, 80, 8, 72, 20, "SignalName1", "SignalName2", "км/ч", "##0", 0, 250, 10, 90, 0, kOptUnit, 5, 2, true, true},
  {C::VS_Nmot, K::Meter180, 240, 32, 193, 145, "Обороты КВ,", "*100 об/мин", "%", "##0.0", 0, 70, -1, 50, 0, kDial, 7, 5, true, false},
  {C::VI_Nmot, K::ValueInd, 264, 8, 105, 20, "SignalName1", "SignalName2", "об/мин", "####0", 0, 10000, 10, 90, 0, kOptUnit, 5, 2, true, true},
  {C::VS_TOG, K::Thermometer, 448, 184, 105, 201, "Температура", "охлаж. жид.", "°C", "##0.0", -40, 160, 10, 90, -20, kThermo, 5, 5, false, false},
  {C::VS_TANS, K::Thermometer, 448, 0, 96, 177, "Температура", "воздуха на впуске", "°C", "##0.0", -30, 70, 10, 90, 0, kThermo, 5, 5, false, true},
  {C::VS_Ub, K::Meter120, 8, 208, 209, 169, "Напряжение бортовой сети,", "В", "%", "##0.0", 6, 18, 9, 15, 12, kDial, 5, 2, true, true},
  {C::VI_Ub, K::ValueInd, 72, 184, 66, 20, "SignalName1", "SignalName2", "В", "##0.0", 0, 100, 10, 90, 12, kOptUnit, 5, 2, true, true},
  {C::VS_THR, K::VMeter, 240, 184, 81, 193, "Положение", "дросселя", "%", "##0.0", 0, 100, -1, 90, 0, kVBase | kOptOverflow | kOptLimit, 5, 2, true, false},
  {C::VS_DV, K::VMeter, 336, 184, 97, 193, "Время", "впрыска", "мс", "##0.00", 0, 20, -1, 90, 0, kVBase | kOptOverflow, 4, 5, true, false},
  {C::VS_MRV, K::VMeter, 560, 0, 105, 385, "Расход", "воздуха", "кг/ч", "##0.0", 0, 100, -1, 90, 0, kVBase, 10, 4, true, false},
  {C::VS_MAP, K::VMeter, 560, 0, 105, 385, "Давление на", "впуске", "кПа", "##0.0", 0, 120, -1, 90, 0, kVBase, 10, 4, true, false},
};
// clang-format on

TEST(DashboardSetup, EveryComponentAsTabled) {
  ASSERT_EQ(std::size(kExpected), static_cast<size_t>(kComponentCount));
  for (const Expected& e : kExpected) {
    const ComponentSetup& s = SetupOf(e.c);
    const GaugeSettings& g = s.settings;
    SCOPED_TRACE(std::string(ComponentName(e.c)));
    EXPECT_EQ(s.component, e.c);
    EXPECT_EQ(s.kind, e.kind);
    EXPECT_EQ(s.left, e.left);
    EXPECT_EQ(s.top, e.top);
    EXPECT_EQ(s.width, e.width);
    EXPECT_EQ(s.height, e.height);
    EXPECT_LE(s.left + s.width, kDashboardWidth);
    EXPECT_LE(s.top + s.height, kDashboardHeight);
    EXPECT_EQ(g.name1, e.name1);
    EXPECT_EQ(g.name2, e.name2);
    EXPECT_EQ(g.unit, e.unit);
    EXPECT_EQ(g.valueFormat, e.format);
    EXPECT_EQ(g.valueFrom, e.from);
    EXPECT_EQ(g.valueTo, e.to);
    EXPECT_EQ(g.limitLower, e.lower);
    EXPECT_EQ(g.limitUpper, e.upper);
    EXPECT_EQ(s.startValue, e.start);
    EXPECT_EQ(g.options, e.options);
    EXPECT_EQ(g.steps, e.steps);
    EXPECT_EQ(g.subSteps, e.subSteps);
    EXPECT_EQ(g.scaleFormat, "##0");
    EXPECT_EQ(g.drawLine, e.baseLine);
    EXPECT_EQ(g.minVisible, e.minMarker);
    EXPECT_TRUE(g.maxVisible);
  }
}

TEST(DashboardSetup, SectorsAndColours) {
  using namespace colors;
  const Sectors speed = {Sector{0, 440, kGreen}, Sector{440, 720, kYellow},
                         Sector{720, 1000, kRed}};
  const Sectors nmot = {Sector{0, 571, kGreen}, Sector{572, 857, kYellow}, Sector{858, 1000, kRed}};
  EXPECT_EQ(SetupOf(C::VS_Speed).settings.sectors, speed);
  EXPECT_EQ(SetupOf(C::VS_Nmot).settings.sectors, nmot);
  EXPECT_EQ(SetupOf(C::VS_Ub).settings.sectors, kDefaultSectors);
  for (C c : {C::VS_Speed, C::VS_Nmot, C::VS_Ub}) {
    EXPECT_EQ(SetupOf(c).settings.pointerColor, kLime);
    EXPECT_EQ(SetupOf(c).settings.scaleColor, kBlack);
  }
  for (C c : {C::VS_TOG, C::VS_TANS}) {
    const GaugeSettings& g = SetupOf(c).settings;
    EXPECT_EQ(g.barColor, kBlue);
    EXPECT_EQ(g.barBackground, kBtnFace);
    EXPECT_EQ(g.valueColor, kBlue);
    EXPECT_EQ(g.scaleSpacing, 2);
  }
  for (C c : {C::VS_THR, C::VS_DV, C::VS_MRV, C::VS_MAP, C::VI_Speed, C::VI_Nmot, C::VI_Ub}) {
    EXPECT_EQ(SetupOf(c).settings.valueColor, kLime);
    EXPECT_EQ(SetupOf(c).settings.valueBoxColor, kBlack);
  }
}

// ---- visibility -------------------------------------------------------------------

Visibility Of(std::initializer_list<C> shown) {
  Visibility v = {};
  for (C c : shown) v[static_cast<size_t>(c)] = true;
  return v;
}

// The nine components every make shows.
const std::initializer_list<C> kCommon = {C::VS_Speed, C::VI_Speed, C::VS_Nmot,
                                          C::VI_Nmot,  C::VS_TOG,   C::VS_Ub,
                                          C::VI_Ub,    C::VS_THR,   C::VS_DV};

Visibility Common(std::initializer_list<C> extra) {
  Visibility v = Of(kCommon);
  for (C c : extra) v[static_cast<size_t>(c)] = true;
  return v;
}

Visibility With(Visibility v, std::initializer_list<C> show, std::initializer_list<C> hide) {
  for (C c : show) v[static_cast<size_t>(c)] = true;
  for (C c : hide) v[static_cast<size_t>(c)] = false;
  return v;
}

std::string Names(const Visibility& v) {
  std::string s;
  for (int i = 0; i < kComponentCount; ++i)
    if (v[static_cast<size_t>(i)]) s += std::string(kComponentNames[static_cast<size_t>(i)]) + " ";
  return s;
}

TEST(DashboardVisibility, MakeDefaults) {
  const Visibility mrv = Common({C::VS_MRV});
  const Visibility tansMrv = Common({C::VS_TANS, C::VS_MRV});
  const Visibility tansMap = Common({C::VS_TANS, C::VS_MAP});
  const Visibility expected[kMakeCount] = {
      mrv,     tansMap, tansMrv, tansMrv, tansMrv, tansMap, mrv,     tansMrv, tansMrv,
      tansMrv, tansMap, tansMrv, tansMap, tansMap, tansMap, tansMap, tansMap,
  };
  for (int make = 0; make < kMakeCount; ++make)
    EXPECT_EQ(Names(MakeDefaultVisibility(make)), Names(expected[make])) << "make " << make;
  EXPECT_EQ(MakeDefaultVisibility(-1), Visibility{});
  EXPECT_EQ(MakeDefaultVisibility(kMakeCount), Visibility{});
}

TEST(DashboardVisibility, EcuTypeSetUp) {
  struct Case {
    int make, ecu;
    Visibility expected;
  };
  const Visibility ladaNoTans = Common({C::VS_MRV});
  const Visibility ladaTans = Common({C::VS_MRV, C::VS_TANS});
  const Visibility hyMap = Common({C::VS_TANS, C::VS_MAP});
  const Visibility hyMrv = Common({C::VS_TANS, C::VS_MRV});
  const Visibility gw = Common({C::VS_TANS, C::VS_MRV});  // make default
  const Visibility chery = Common({C::VS_TANS, C::VS_MRV});
  const Case cases[] = {
      {kLada, 0, ladaNoTans},
      {kLada, 1, ladaNoTans},
      {kLada, 2, ladaTans},
      {kLada, 3, ladaTans},
      {kLada, 4, ladaNoTans},
      {kLada, 5, ladaTans},
      {kLada, 6, ladaTans},
      {kHyundai, 0, hyMap},
      {kHyundai, 3, hyMap},
      {kHyundai, 4, hyMap},  // its decoder fills VS_MAP
      {kHyundai, 5, hyMrv},
      {kHyundai, 6, hyMrv},
      {kHyundai, 8, hyMrv},
      {kHyundai, 9, hyMap},
      {kHyundai, 10, With(hyMap, {}, {C::VS_TOG, C::VS_DV})},
      {kHyundai, 11, hyMap},
      {kHyundai, 13, hyMap},
      {kGreatWall, 0, With(gw, {C::VS_MAP}, {C::VS_MRV})},
      {kGreatWall, 2, gw},
      {kGreatWall, 4, With(gw, {C::VS_MAP}, {C::VS_MRV, C::VS_DV})},
      {kGreatWall, 6, With(gw, {C::VS_MAP}, {C::VS_MRV})},
      {kGeely, 0, Common({C::VS_MRV})},
      {kGeely, 1, With(Common({C::VS_MAP, C::VS_TANS}), {}, {C::VS_THR})},
      {kChery, 0, With(chery, {C::VS_MAP}, {C::VS_MRV})},
      {kChery, 1,
       With(chery, {C::VS_MAP}, {C::VS_MRV, C::VS_Speed, C::VI_Speed, C::VS_Ub, C::VI_Ub})},
      {kChery, 3, chery},
      {kChery, 4, With(chery, {C::VS_MAP}, {C::VS_MRV})},
      {kChery, 5, chery},  // its decoder fills VS_MRV
      {kChery, 6, chery},
      {kKia, 0, Common({C::VS_TANS, C::VS_MRV})},
      {kKia, 1, Common({C::VS_TANS, C::VS_MAP})},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(Names(DashboardVisibility(k.make, k.ecu)), Names(k.expected))
        << "make " << k.make << " type " << k.ecu;
  }
}

TEST(DashboardVisibility, OtherMakesKeepTheirDefaultForEveryType) {
  for (int make :
       {kGaz, kUaz, kByd, kZaz, kIzh, kNissan, kDaewoo, kChevrolet, kCitroen, kPeugeot, kSuzuki}) {
    for (int ecu = 0; ValidEcuType(make, ecu); ++ecu)
      EXPECT_EQ(DashboardVisibility(make, ecu), MakeDefaultVisibility(make)) << make << "/" << ecu;
  }
  // A type without a row changes nothing either.
  const Visibility lada = MakeDefaultVisibility(kLada);
  EXPECT_EQ(ApplyEcuTypeVisibility(lada, kLada, 7), lada);
  EXPECT_EQ(ApplyEcuTypeVisibility(lada, kLada, -1), lada);
  EXPECT_EQ(ApplyEcuTypeVisibility(lada, -1, 0), lada);
}

// The window: a make choice applies the default and then type 0; a type pick
// applies that type. Whatever the sequence, the dashboard equals the make's
// default plus the last pick, and never shows VS_MRV with VS_MAP.
TEST(DashboardVisibility, AnySequenceOfChoices) {
  std::mt19937 rng(12345);
  Visibility v = {};
  int make = -1;
  int lastEcu = -1;
  for (int step = 0; step < 5000; ++step) {
    if (make < 0 || rng() % 3 == 0) {
      make = static_cast<int>(rng() % kMakeCount);
      v = MakeDefaultVisibility(make);
      v = ApplyEcuTypeVisibility(v, make, 0);
      lastEcu = 0;
    } else {
      const int count = static_cast<int>(EcuTypesOf(make).size());
      lastEcu = static_cast<int>(rng() % static_cast<unsigned>(count));
      v = ApplyEcuTypeVisibility(v, make, lastEcu);
    }
    ASSERT_FALSE(Shown(v, C::VS_MRV) && Shown(v, C::VS_MAP)) << make << "/" << lastEcu;
    ASSERT_EQ(v, DashboardVisibility(make, lastEcu)) << make << "/" << lastEcu;
  }
}

TEST(DashboardVisibility, ExactlyOneOfAirFlowAndPressureForEveryType) {
  for (int make = 0; make < kMakeCount; ++make) {
    for (int ecu = 0; ValidEcuType(make, ecu); ++ecu) {
      const Visibility v = DashboardVisibility(make, ecu);
      EXPECT_NE(Shown(v, C::VS_MRV), Shown(v, C::VS_MAP)) << make << "/" << ecu;
    }
  }
}

TEST(DashboardVisibility, HyundaiToLadaAppliesTheLadaDefault) {
  Visibility v = DashboardVisibility(kHyundai, 5);  // shows VS_MRV
  v = ApplyEcuTypeVisibility(v, kHyundai, 10);
  v = MakeDefaultVisibility(kLada);
  EXPECT_EQ(v, Common({C::VS_MRV}));
}

}  // namespace
}  // namespace kalvex
