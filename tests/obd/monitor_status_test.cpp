#include "obd/monitor_status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "obd/hex_bytes.h"

namespace kalvex::obd {
namespace {

using test::Hex;

// "Catalyst: supported, not complete" as "Catalyst s-", "+" complete.
std::vector<std::string> Show(const MonitorStatus& s) {
  std::vector<std::string> out;
  for (const Readiness& r : s.monitors)
    out.push_back(std::string(r.name.en) + (r.supported ? " s" : " -") + (r.complete ? "+" : "-"));
  return out;
}

TEST(MonitorStatus, MilAndStoredCount) {
  struct Row {
    const char* bytes;
    bool mil;
    int count;
  };
  const Row rows[] = {{"00 00 00 00", false, 0},
                      {"83 00 00 00", true, 3},
                      {"7F 00 00 00", false, 127},
                      {"80 00 00 00", true, 0},
                      {"FF 00 00 00", true, 127}};
  for (const Row& row : rows) {
    const auto s = DecodeMonitorStatus(Hex(row.bytes));
    ASSERT_TRUE(s) << row.bytes;
    EXPECT_EQ(s->mil, row.mil) << row.bytes;
    EXPECT_EQ(s->storedCount, row.count) << row.bytes;
  }
}

TEST(MonitorStatus, SparkIgnitionSet) {
  // B 07: the three continuous ones supported and complete; C 65: catalyst,
  // EVAP, O2 sensor, O2 heater; D 21: catalyst and O2 sensor not complete.
  const auto s = DecodeMonitorStatus(Hex("83 07 65 21"));
  ASSERT_TRUE(s);
  EXPECT_FALSE(s->compressionIgnition);
  EXPECT_EQ(Show(*s), (std::vector<std::string>{
                          "Misfire s+", "Fuel system s+", "Comprehensive components s+",
                          "Catalyst s-", "Heated catalyst --", "Evaporative system (EVAP) s+",
                          "Secondary air system --", "A/C refrigerant --", "Oxygen sensor s-",
                          "Oxygen sensor heater s+", "EGR/VVT system --"}));
  EXPECT_STREQ(s->monitors[3].name.ru, "Катализатор");
}

TEST(MonitorStatus, ContinuousMonitorsNotComplete) {
  // B 73: misfire and fuel system supported, components not; bits 4-6 say
  // misfire, fuel system and components are not complete.
  const auto s = DecodeMonitorStatus(Hex("00 73 00 00"));
  ASSERT_TRUE(s);
  const std::vector<std::string> shown = Show(*s);
  EXPECT_EQ(
      std::vector<std::string>(shown.begin(), shown.begin() + 3),
      (std::vector<std::string>{"Misfire s-", "Fuel system s-", "Comprehensive components --"}));
}

TEST(MonitorStatus, CompressionIgnitionSet) {
  // B 0F: diesel; C EB: NMHC, NOx/SCR, boost, exhaust sensor, PM filter,
  // EGR/VVT; D 06: NOx/SCR not complete, bit 2 (reserved) ignored.
  const auto s = DecodeMonitorStatus(Hex("00 0F EB 06"));
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->compressionIgnition);
  EXPECT_EQ(Show(*s), (std::vector<std::string>{
                          "Misfire s+", "Fuel system s+", "Comprehensive components s+",
                          "NMHC catalyst s+", "NOx/SCR aftertreatment s-", "Boost pressure s+",
                          "Exhaust gas sensor s+", "PM filter s+", "EGR/VVT system s+"}));
}

TEST(MonitorStatus, UnsupportedIsNeverComplete) {
  const auto s = DecodeMonitorStatus(Hex("00 70 00 FF"));
  ASSERT_TRUE(s);
  for (const Readiness& r : s->monitors) {
    EXPECT_FALSE(r.supported) << r.name.en;
    EXPECT_FALSE(r.complete) << r.name.en;
  }
}

TEST(MonitorStatus, ShortBytes) {
  EXPECT_FALSE(DecodeMonitorStatus(Hex("83 07 65")));
  EXPECT_FALSE(DecodeMonitorStatus({}));
  EXPECT_TRUE(DecodeMonitorStatus(Hex("83 07 65 21 00")));
}

}  // namespace
}  // namespace kalvex::obd
