#include "ui/gauge_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "catalogue/visibility.h"
#include "ui/dashboard_layout.h"

namespace kalvex {
namespace {

GaugeModel ModelOf(Component c) {
  const ComponentSetup& s = SetupOf(c);
  return GaugeModel(s.kind, s.settings);
}

TEST(GaugePosition, RoundsInExtendedPrecisionTiesToEven) {
  struct Case {
    Component c;
    float value;
    int64_t raw;
  };
  const Case cases[] = {
      {Component::VS_THR, 12.25f, 122},  // 122.5 -> even
      {Component::VS_THR, 33.35f, 333},  // float 33.3499985 -> 333.499985
      {Component::VS_THR, 0.25f, 2},     // 2.5 -> even
      {Component::VS_THR, 0.75f, 8},     // 7.5 -> even
      {Component::VS_THR, 12.35f, 124},  // float 12.3500004 -> 123.500004
      {Component::VS_THR, 100.0f, 1000},   {Component::VS_Speed, 180.0f, 720},
      {Component::VS_Speed, 300.0f, 1200}, {Component::VS_Ub, 12.0f, 500},  // 6 x (1000/12)
      {Component::VS_Ub, 6.0f, 0},         {Component::VS_Ub, 18.0f, 1000},
      {Component::VS_TOG, -48.0f, -40},    {Component::VS_TOG, 90.0f, 650},
      {Component::VS_Nmot, 8.0f, 114},  // 114.28...
      {Component::VI_Nmot, 800.0f, 80},
  };
  for (const Case& k : cases) {
    const GaugeSettings& s = SetupOf(k.c).settings;
    EXPECT_EQ(RawPosition(k.value, s.valueFrom, s.valueTo), k.raw)
        << ComponentName(k.c) << " " << k.value;
  }
}

TEST(GaugePosition, SurvivesValuesNoScaleCanShow) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_GT(RawPosition(3e38f, 0, 100), 1000);
  EXPECT_GT(RawPosition(inf, 0, 100), 1000);
  EXPECT_LT(RawPosition(-inf, 0, 100), 0);
  EXPECT_LT(RawPosition(std::nanf(""), 0, 100), 0);
  EXPECT_EQ(RawPosition(5.0f, 10, 10), 0);  // empty range: no division by zero

  GaugeModel m = ModelOf(Component::VS_Speed);
  m.setValue(std::nanf(""), 1);
  EXPECT_EQ(m.position(), 0);
  EXPECT_EQ(m.valueText(), "NAN");
  m.setValue(inf, 2);
  EXPECT_EQ(m.position(), 1000);
  EXPECT_TRUE(m.inAlarm());
}

TEST(GaugeFormat, PictureFormats) {
  struct Case {
    const char* format;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {"##0.0", -48.0, "-48.0"},
      {"##0.0", -0.04, "0.0"},  // no "-0.0"
      {"##0.0", -0.05, "-0.1"},
      {"##0.0", 0.0, "0.0"},
      {"##0.0", 14.2f, "14.2"},
      {"##0.0", 33.35f, "33.3"},  // the float is just below 33.35
      {"##0.0", 0.25, "0.3"},     // halves away from zero
      {"##0.0", 1234.56, "1234.6"},
      {"####0", 800.0, "800"},
      {"####0", 0.4, "0"},
      {"####0", 12345.5, "12346"},
      {"##0.00", 2.5, "2.50"},
      {"##0.00", 0.004, "0.00"},
      {"##0", 12.5, "13"},
      {"##0", 8.4, "8"},
      {"##0", -40.0, "-40"},
      {"0.##", 1.5, "1.5"},
      {"00.0", 3.0, "03.0"},
      {"##0.0;(##0.0)", -3.0, "(3.0)"},
      {"##0.0 V", 3.0, "3.0 V"},
      {"##0.0", std::numeric_limits<double>::infinity(), "INF"},
      {"##0.0", -std::numeric_limits<double>::infinity(), "-INF"},
      {"##0.0", std::nan(""), "NAN"},
  };
  for (const Case& k : cases) EXPECT_EQ(FormatValue(k.value, k.format), k.text) << k.format;
  EXPECT_EQ(FormatValue(3e38, "##0.0").size(), 41u);
}

TEST(GaugeFormat, WidestTextOfFormat) {
  EXPECT_EQ(WidestFormatText("##0.0"), "888.8");
  EXPECT_EQ(WidestFormatText("####0"), "88888");
  EXPECT_EQ(WidestFormatText("##0"), "888");
  EXPECT_EQ(WidestFormatText("##0;(####0.0)"), "(88888.8)");
}

// The limit and overflow edges of the dashboard's gauges.
TEST(GaugeState, LimitOverflowAndAlarmEdges) {
  struct Case {
    Component c;
    float value;
    bool lower, upper, overflow, alarm;
    int position;
  };
  const Case cases[] = {
      {Component::VS_Speed, 180.0f, false, false, false, false, 720},
      {Component::VS_Speed, 180.5f, false, true, false, true, 722},
      {Component::VS_Speed, 300.0f, false, true, true, true, 1000},
      {Component::VS_Speed, -1.0f, false, false, true, true, 0},  // overflow below 0
      {Component::VS_Ub, 8.9f, true, false, false, true, 242},
      {Component::VS_Ub, 9.0f, false, false, false, false, 250},
      {Component::VS_Ub, 15.0f, false, false, false, false, 750},
      {Component::VS_Ub, 15.1f, false, true, false, true, 758},
      {Component::VS_DV, 25.0f, false, false, true, true, 1000},  // overflow option only
      {Component::VS_DV, 20.0f, false, false, false, false, 1000},
      {Component::VS_MRV, 150.0f, false, true, true, false, 1000},  // neither option
      {Component::VS_MAP, -5.0f, true, false, true, false, 0},
      {Component::VS_THR, 90.5f, false, true, false, true, 905},
      {Component::VS_THR, 90.0f, false, false, false, false, 900},
      {Component::VS_TOG, -48.0f, true, false, true, false, 0},  // thermometers never alarm
      {Component::VS_TANS, 80.0f, false, false, true, false, 1000},
      {Component::VI_Speed, 120.0f, false, true, false, false, 480},  // nor numeric boxes
  };
  for (const Case& k : cases) {
    GaugeModel m = ModelOf(k.c);
    m.setValue(k.value, 1);
    SCOPED_TRACE(std::string(ComponentName(k.c)) + " " + std::to_string(k.value));
    EXPECT_EQ(m.lowerExceeded(), k.lower);
    EXPECT_EQ(m.upperExceeded(), k.upper);
    EXPECT_EQ(m.overflow(), k.overflow);
    EXPECT_EQ(m.inAlarm(), k.alarm);
    EXPECT_EQ(m.position(), k.position);
  }
  GaugeModel tog = ModelOf(Component::VS_TOG);
  tog.setValue(-48.0f, 1);
  EXPECT_EQ(tog.valueText(), "-48.0");
}

TEST(GaugeState, SectorStateLastMatchWins) {
  GaugeModel m = ModelOf(Component::VS_Speed);  // green 0-440, yellow 440-720, red 720-1000
  m.setValue(110.0f, 1);                        // 440: in green and yellow
  EXPECT_TRUE(m.inSector(0));
  EXPECT_TRUE(m.inSector(1));
  EXPECT_EQ(m.sectorColor(), colors::kYellow);
  m.setValue(300.0f, 2);  // raw 1200: in no sector
  EXPECT_FALSE(m.hasSectorColor());
  EXPECT_EQ(m.markerColor(1000, true), colors::kRed);
  GaugeSettings plain;
  plain.useSectorColor = false;
  EXPECT_EQ(GaugeModel(GaugeKind::VMeter, plain).markerColor(500, true), colors::kAqua);
}

TEST(GaugeState, EqualValueChangesNothing) {
  GaugeModel m = ModelOf(Component::VS_Speed);
  EXPECT_FALSE(m.hasMin());
  EXPECT_FALSE(m.hasMax());
  EXPECT_FALSE(m.setValue(0.0f, 5).changed);  // equals the built value
  EXPECT_FALSE(m.hasMax());

  EXPECT_TRUE(m.setValue(50.0f, 10).changed);
  EXPECT_EQ(m.maxTimeMs(), 10);
  EXPECT_EQ(m.minTimeMs(), 10);
  const GaugeChange again = m.setValue(50.0f, 20);
  EXPECT_FALSE(again.changed);
  EXPECT_FALSE(again.alarmChanged);
  EXPECT_EQ(m.maxTimeMs(), 10);
  EXPECT_EQ(m.minTimeMs(), 10);

  m.setValue(40.0f, 30);
  EXPECT_FLOAT_EQ(m.minValue(), 40.0f);
  EXPECT_EQ(m.minTimeMs(), 30);
  EXPECT_FLOAT_EQ(m.maxValue(), 50.0f);
  EXPECT_EQ(m.maxTimeMs(), 10);
  m.setValue(45.0f, 40);  // neither a new minimum nor a new maximum
  EXPECT_EQ(m.minTimeMs(), 30);
  EXPECT_EQ(m.maxTimeMs(), 10);

  // In alarm, an equal value does not restart the flash from red.
  m.setValue(200.0f, 50);
  ASSERT_TRUE(m.flash());
  EXPECT_EQ(m.pointerFill(), colors::kYellow);
  EXPECT_FALSE(m.setValue(200.0f, 60).changed);
  EXPECT_EQ(m.pointerFill(), colors::kYellow);
}

TEST(GaugeAlarm, FlashesRedYellowEveryFourthTick) {
  GaugeModel speed = ModelOf(Component::VS_Speed);
  GaugeModel tog = ModelOf(Component::VS_TOG);
  FlashTicker ticker;
  auto run = [&](int ticks) {
    for (int i = 0; i < ticks; ++i) {
      if (ticker.tick()) {
        speed.flash();
        tog.flash();
      }
    }
  };
  EXPECT_EQ(speed.pointerFill(), colors::kLime);
  EXPECT_TRUE(speed.setValue(190.0f, 1).alarmChanged);
  EXPECT_EQ(speed.pointerFill(), colors::kRed);  // red at once
  run(3);
  EXPECT_EQ(speed.pointerFill(), colors::kRed);
  run(1);  // 200 ms
  EXPECT_EQ(speed.pointerFill(), colors::kYellow);
  run(4);
  EXPECT_EQ(speed.pointerFill(), colors::kRed);
  run(4);
  EXPECT_EQ(speed.pointerFill(), colors::kYellow);

  // Moving within the alarm keeps the phase; leaving restores lime.
  EXPECT_FALSE(speed.setValue(200.0f, 2).alarmChanged);
  EXPECT_EQ(speed.pointerFill(), colors::kYellow);
  EXPECT_TRUE(speed.setValue(100.0f, 3).alarmChanged);
  EXPECT_EQ(speed.pointerFill(), colors::kLime);
  run(4);
  EXPECT_EQ(speed.pointerFill(), colors::kLime);
  EXPECT_TRUE(speed.setValue(250.5f, 4).alarmChanged);
  EXPECT_EQ(speed.pointerFill(), colors::kRed);

  tog.setValue(500.0f, 1);
  EXPECT_FALSE(tog.inAlarm());
  EXPECT_FALSE(tog.flash());
}

TEST(GaugeAlarm, VoltageStartsOutsideItsScaleUntilTheStartValue) {
  // Built at 0, VS_Ub (6..18) is below its scale; its start value 12 clears it.
  GaugeModel ub = ModelOf(Component::VS_Ub);
  EXPECT_TRUE(ub.inAlarm());
  EXPECT_TRUE(ub.setValue(SetupOf(Component::VS_Ub).startValue, 1).alarmChanged);
  EXPECT_FALSE(ub.inAlarm());
  EXPECT_TRUE(ub.hasMin());
  EXPECT_EQ(ub.minPosition(), 500);
  EXPECT_EQ(ub.maxPosition(), 500);
}

}  // namespace
}  // namespace kalvex
