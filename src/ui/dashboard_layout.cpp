#include "ui/dashboard_layout.h"

#include <string_view>

#include "protocol/translate.h"

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

// The first line of a caption whose English reads the other way round
// ("Температура / охлаж. жид." is "Coolant / temperature").
struct NotedText {
  const char* text;
  const char* note;
};
constexpr NotedText kCoolantTitle =
    QT_TRANSLATE_NOOP3("kalvex", "Температура", "first line over the coolant temperature");
constexpr NotedText kIntakeAirTitle =
    QT_TRANSLATE_NOOP3("kalvex", "Температура", "first line over the intake air temperature");
static_assert(std::string_view(kCoolantTitle.note) == kCoolantTitleNote);
static_assert(std::string_view(kIntakeAirTitle.note) == kIntakeAirTitleNote);

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
        {QT_TRANSLATE_NOOP("kalvex", "Скорость,"), QT_TRANSLATE_NOOP("kalvex", "км/ч"), QT_TRANSLATE_NOOP("kalvex", "км/ч"), "##0.0", 0, 250, -1, 180, 0},
        kDial, {5, 2, "##0", true}, kSpeedSectors, Look::Dial, kNoMinMarker),
    Row(C::VI_Speed, K::ValueInd, 80, 8, 72, 20,
        {"SignalName1", "SignalName2", QT_TRANSLATE_NOOP("kalvex", "км/ч"), "##0", 0, 250, 10, 90, 0},
        kOptUnit, kNoScale, kDefaultSectors, Look::LimeOnBlack, kMinMarker),
    Row(C::VS_Nmot, K::Meter180, 240, 32, 193, 145,
        {QT_TRANSLATE_NOOP("kalvex", "Обороты КВ,"), QT_TRANSLATE_NOOP("kalvex", "*100 об/мин"), "%", "##0.0", 0, 70, -1, 50, 0},
        kDial, {7, 5, "##0", true}, kNmotSectors, Look::Dial, kNoMinMarker),
    Row(C::VI_Nmot, K::ValueInd, 264, 8, 105, 20,
        {"SignalName1", "SignalName2", QT_TRANSLATE_NOOP("kalvex", "об/мин"), "####0", 0, 10000, 10, 90, 0},
        kOptUnit, kNoScale, kDefaultSectors, Look::LimeOnBlack, kMinMarker),
    Row(C::VS_TOG, K::Thermometer, 448, 184, 105, 201,
        {kCoolantTitle.text, QT_TRANSLATE_NOOP("kalvex", "охлаж. жид."), "°C", "##0.0", -40, 160, 10, 90, -20},
        kThermo, {5, 5, "##0", false, 2}, kDefaultSectors, Look::Thermometer, kNoMinMarker),
    Row(C::VS_TANS, K::Thermometer, 448, 0, 96, 177,
        {kIntakeAirTitle.text, QT_TRANSLATE_NOOP("kalvex", "воздуха на впуске"), "°C", "##0.0", -30, 70, 10, 90, 0},
        kThermo, {5, 5, "##0", false, 2}, kDefaultSectors, Look::Thermometer, kMinMarker),
    Row(C::VS_Ub, K::Meter120, 8, 208, 209, 169,
        {QT_TRANSLATE_NOOP("kalvex", "Напряжение бортовой сети,"), QT_TRANSLATE_NOOP("kalvex", "В"), "%", "##0.0", 6, 18, 9, 15, 12},
        kDial, {5, 2, "##0", true}, kDefaultSectors, Look::Dial, kMinMarker),
    Row(C::VI_Ub, K::ValueInd, 72, 184, 66, 20,
        {"SignalName1", "SignalName2", QT_TRANSLATE_NOOP("kalvex", "В"), "##0.0", 0, 100, 10, 90, 12},
        kOptUnit, kNoScale, kDefaultSectors, Look::LimeOnBlack, kMinMarker),
    Row(C::VS_THR, K::VMeter, 240, 184, 81, 193,
        {QT_TRANSLATE_NOOP("kalvex", "Положение"), QT_TRANSLATE_NOOP("kalvex", "дросселя"), "%", "##0.0", 0, 100, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptOverflow | kOptLimit | kOptUnit,
        {5, 2, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
    Row(C::VS_DV, K::VMeter, 336, 184, 97, 193,
        {QT_TRANSLATE_NOOP("kalvex", "Время"), QT_TRANSLATE_NOOP("kalvex", "впрыска"), QT_TRANSLATE_NOOP("kalvex", "мс"), "##0.00", 0, 20, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptOverflow | kOptUnit,
        {4, 5, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
    Row(C::VS_MRV, K::VMeter, 560, 0, 105, 385,
        {QT_TRANSLATE_NOOP("kalvex", "Расход"), QT_TRANSLATE_NOOP("kalvex", "воздуха"), QT_TRANSLATE_NOOP("kalvex", "кг/ч"), "##0.0", 0, 100, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptUnit,
        {10, 4, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
    Row(C::VS_MAP, K::VMeter, 560, 0, 105, 385,
        {QT_TRANSLATE_NOOP("kalvex", "Давление на"), QT_TRANSLATE_NOOP("kalvex", "впуске"), QT_TRANSLATE_NOOP("kalvex", "кПа"), "##0.0", 0, 120, -1, 90, 0},
        kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptUnit,
        {10, 4, "##0", true}, kDefaultSectors, Look::LimeOnBlack, kNoMinMarker),
  }};
  // clang-format on
}

}  // namespace

const std::array<ComponentSetup, kComponentCount>& DashboardSetup() {
  static const std::array<ComponentSetup, kComponentCount> setup = [] {
    auto rows = BuildSetup();
    rows[static_cast<size_t>(C::VS_TOG)].settings.name1Note = kCoolantTitle.note;
    rows[static_cast<size_t>(C::VS_TANS)].settings.name1Note = kIntakeAirTitle.note;
    return rows;
  }();
  return setup;
}

const ComponentSetup& SetupOf(Component c) { return DashboardSetup()[static_cast<size_t>(c)]; }

}  // namespace kalvex
