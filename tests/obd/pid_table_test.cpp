#include "obd/pid_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "obd/hex_bytes.h"

namespace kalvex::obd {
namespace {

using test::Hex;

// Each Number PID at the two ends of its published range and one value in
// between, worked out by hand from the standard's scaling. `tol` covers the
// ends the standard rounds when it publishes them (99.2 for 99.21875, 2 for
// 65535/32768).
struct RangeRow {
  int pid;
  const char* minBytes;
  double min;
  const char* maxBytes;
  double max;
  const char* midBytes;
  double mid;
  double tol = 1e-6;
};

std::vector<RangeRow> PublishedRanges() {
  std::vector<RangeRow> rows = {
      {0x04, "00", 0, "FF", 100, "80", 50.19607843137255},
      {0x05, "00", -40, "FF", 215, "7B", 83},
      {0x0A, "00", 0, "FF", 765, "64", 300},
      {0x0B, "00", 0, "FF", 255, "65", 101},
      {0x0C, "00 00", 0, "FF FF", 16383.75, "1A F8", 1726},
      {0x0D, "00", 0, "FF", 255, "32", 50},
      {0x0E, "00", -64, "FF", 63.5, "80", 0},
      {0x0F, "00", -40, "FF", 215, "3C", 20},
      {0x10, "00 00", 0, "FF FF", 655.35, "01 F4", 5},
      {0x11, "00", 0, "FF", 100, "33", 20},
      {0x1F, "00 00", 0, "FF FF", 65535, "01 02", 258},
      {0x21, "00 00", 0, "FF FF", 65535, "00 0A", 10},
      {0x22, "00 00", 0, "FF FF", 5177.265, "01 00", 20.224},
      {0x23, "00 00", 0, "FF FF", 655350, "00 01", 10},
      {0x2C, "00", 0, "FF", 100, "80", 50.19607843137255},
      {0x2D, "00", -100, "FF", 99.2, "80", 0, 0.02},
      {0x2E, "00", 0, "FF", 100, "66", 40},
      {0x2F, "00", 0, "FF", 100, "CC", 80},
      {0x30, "00", 0, "FF", 255, "07", 7},
      {0x31, "00 00", 0, "FF FF", 65535, "27 10", 10000},
      {0x32, "80 00", -8192, "7F FF", 8191.75, "FF FC", -1},
      {0x33, "00", 0, "FF", 255, "64", 100},
      {0x42, "00 00", 0, "FF FF", 65.535, "33 90", 13.2},
      {0x43, "00 00", 0, "FF FF", 25700, "00 FF", 100},
      {0x44, "00 00", 0, "FF FF", 2, "80 00", 1, 1e-4},
      {0x46, "00", -40, "FF", 215, "28", 0},
      {0x4D, "00 00", 0, "FF FF", 65535, "00 3C", 60},
      {0x4E, "00 00", 0, "FF FF", 65535, "05 A0", 1440},
      {0x4F, "00 00 00 00", 0, "FF 00 00 00", 255, "02 FF FF FF", 2},
      {0x50, "00 00 00 00", 0, "FF 00 00 00", 2550, "0A 00 00 00", 100},
      {0x52, "00", 0, "FF", 100, "33", 20},
      {0x53, "00 00", 0, "FF FF", 327.675, "4E 20", 100},
      {0x54, "80 00", -32768, "7F FF", 32767, "FF FF", -1},
      {0x59, "00 00", 0, "FF FF", 655350, "00 64", 1000},
      {0x5C, "00", -40, "FF", 215, "7B", 83},
      {0x5D, "00 00", -210, "FF FF", 301.992, "69 00", 0, 1e-3},
      {0x5E, "00 00", 0, "FF FF", 3276.75, "00 64", 5},  // 0.05 L/h a bit
      {0x61, "00", -125, "FF", 130, "7D", 0},
      {0x62, "00", -125, "FF", 130, "E1", 100},
      {0x63, "00 00", 0, "FF FF", 65535, "01 90", 400},
      {0x64, "00 FF FF FF FF", -125, "FF 00 00 00 00", 130, "7D 00 00 00 00", 0},
      {0xA6, "00 00 00 00", 0, "FF FF FF FF", 429496729.5, "00 01 86 A0", 10000},
  };
  // Fuel trims: bank 1/2 short and long, and the secondary O2 trims (A is bank 1 or 2).
  for (int pid : {0x06, 0x07, 0x08, 0x09})
    rows.push_back({pid, "00", -100, "FF", 99.2, "80", 0, 0.02});
  for (int pid = 0x55; pid <= 0x58; ++pid)
    rows.push_back({pid, "00 80", -100, "FF 80", 99.2, "C0 00", 50, 0.02});
  // Percent of 255: throttles, pedals, actuator, relative pedal, hybrid battery.
  for (int pid : {0x45, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x5A, 0x5B})
    rows.push_back({pid, "00", 0, "FF", 100, "80", 50.19607843137255});
  // O2 sensors 1-8: voltage A/200 (B is the trim, not the number).
  for (int pid = 0x14; pid <= 0x1B; ++pid)
    rows.push_back({pid, "00 FF", 0, "FF 80", 1.275, "5A 80", 0.45});
  // Wide-range O2 sensors 1-8: lambda from AB (CD is voltage or current).
  for (int pid = 0x24; pid <= 0x2B; ++pid)
    rows.push_back({pid, "00 00 FF FF", 0, "FF FF 00 00", 2, "80 00 12 34", 1, 1e-4});
  for (int pid = 0x34; pid <= 0x3B; ++pid)
    rows.push_back({pid, "00 00 80 00", 0, "FF FF 80 00", 2, "73 33 80 00", 0.89999389648, 1e-4});
  // Catalyst temperatures.
  for (int pid = 0x3C; pid <= 0x3F; ++pid)
    rows.push_back({pid, "00 00", -40, "FF FF", 6513.5, "0F A0", 360});
  return rows;
}

TEST(PidTable, NumberPidsMatchThePublishedRanges) {
  std::set<int> checked;
  for (const RangeRow& row : PublishedRanges()) {
    SCOPED_TRACE(testing::Message() << "PID 0x" << std::hex << row.pid);
    const Pid* pid = FindPid(static_cast<uint8_t>(row.pid));
    ASSERT_NE(pid, nullptr);
    ASSERT_EQ(pid->kind, PidKind::Number);
    EXPECT_NEAR(pid->min, row.min, row.tol);
    EXPECT_NEAR(pid->max, row.max, row.tol);
    EXPECT_NEAR(PidValue(*pid, Hex(row.minBytes)).value(), row.min, row.tol);
    EXPECT_NEAR(PidValue(*pid, Hex(row.maxBytes)).value(), row.max, row.tol);
    EXPECT_NEAR(PidValue(*pid, Hex(row.midBytes)).value(), row.mid, 1e-6);
    EXPECT_EQ(Hex(row.minBytes).size(), pid->length);
    checked.insert(row.pid);
  }
  // No Number PID goes untested.
  for (const Pid& pid : AllPids()) {
    if (pid.kind == PidKind::Number) {
      EXPECT_TRUE(checked.count(pid.pid)) << std::hex << +pid.pid;
    }
  }
}

TEST(PidTable, CoversTheServiceOnePids) {
  for (int pid = 0x00; pid <= 0x64; ++pid)
    EXPECT_NE(FindPid(static_cast<uint8_t>(pid)), nullptr) << pid;
  EXPECT_NE(FindPid(0xA6), nullptr);
  for (int pid : {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0}) {
    const Pid* p = FindPid(static_cast<uint8_t>(pid));
    ASSERT_NE(p, nullptr) << pid;
    EXPECT_EQ(p->kind, PidKind::Bitmap);
    EXPECT_EQ(p->length, 4);
  }
  for (int pid : {0x01, 0x02, 0x03, 0x12, 0x13, 0x1C, 0x1D, 0x1E, 0x41, 0x51})
    EXPECT_EQ(FindPid(static_cast<uint8_t>(pid))->kind, PidKind::Words) << pid;
  EXPECT_EQ(FindPid(0x65), nullptr);
  EXPECT_EQ(FindPid(0xFF), nullptr);
}

TEST(PidTable, RowsAreWellFormed) {
  std::set<std::string> names;
  int previous = -1;
  for (const Pid& pid : AllPids()) {
    SCOPED_TRACE(pid.name);
    EXPECT_GT(pid.pid, previous);
    previous = pid.pid;
    EXPECT_EQ(FindPid(pid.pid), &pid);
    EXPECT_TRUE(names.insert(pid.name).second);
    EXPECT_NE(*pid.caption.ru, '\0');
    EXPECT_NE(*pid.caption.en, '\0');
    EXPECT_GE(pid.length, 1);
    EXPECT_LE(pid.length, 5);
    EXPECT_EQ(pid.formula != nullptr, pid.kind == PidKind::Number);
  }
}

TEST(PidTable, LengthsOfTheMultiValuePids) {
  const std::vector<std::pair<int, int>> lengths = {
      {0x01, 4}, {0x02, 2}, {0x03, 2}, {0x14, 2}, {0x1B, 2}, {0x24, 4}, {0x2B, 4}, {0x34, 4},
      {0x3B, 4}, {0x41, 4}, {0x4F, 4}, {0x50, 4}, {0x55, 2}, {0x58, 2}, {0x64, 5}, {0xA6, 4}};
  for (const auto& [pid, length] : lengths)
    EXPECT_EQ(FindPid(static_cast<uint8_t>(pid))->length, length) << pid;
}

TEST(PidTable, ShortBytesGiveNothing) {
  const Pid& rpm = *FindPid(0x0C);
  EXPECT_FALSE(PidValue(rpm, Hex("1A")).has_value());
  EXPECT_FALSE(PidValue(rpm, {}).has_value());
  EXPECT_EQ(FormatPidValue(rpm, Hex("1A"), Lang::En), "");
  EXPECT_EQ(PidWords(*FindPid(0x03), Hex("02"), Lang::En), "");
  EXPECT_EQ(FormatPidValue(*FindPid(0x00), Hex("BE 1F A8"), Lang::En), "");
  // Extra bytes are not read.
  EXPECT_DOUBLE_EQ(PidValue(rpm, Hex("1A F8 FF")).value(), 1726);
  // Words and bitmaps have no number.
  EXPECT_FALSE(PidValue(*FindPid(0x03), Hex("02 00")).has_value());
  EXPECT_FALSE(PidValue(*FindPid(0x00), Hex("BE 1F A8 13")).has_value());
}

TEST(PidTable, FormattedValues) {
  struct Row {
    int pid;
    const char* bytes;
    const char* ru;
    const char* en;
  };
  const Row rows[] = {
      {0x0C, "1A F8", "1726 об/мин", "1726 rpm"},
      {0x05, "00", "-40 °C", "-40 °C"},
      {0x0D, "32", "50 км/ч", "50 km/h"},
      {0x06, "7F", "-0.8 %", "-0.8 %"},
      {0x06, "80", "0.0 %", "0.0 %"},
      {0x10, "01 F4", "5.00 г/с", "5.00 g/s"},
      {0x44, "80 00", "1.000", "1.000"},
      {0x42, "33 90", "13.20 В", "13.20 V"},
      {0x00, "BE 1F A8 13", "BE 1F A8 13", "BE 1F A8 13"},
      {0x02, "03 01", "P0301", "P0301"},
  };
  for (const Row& row : rows) {
    const Pid& pid = *FindPid(static_cast<uint8_t>(row.pid));
    EXPECT_EQ(FormatPidValue(pid, Hex(row.bytes), Lang::Ru), row.ru) << row.pid;
    EXPECT_EQ(FormatPidValue(pid, Hex(row.bytes), Lang::En), row.en) << row.pid;
  }
}

TEST(PidTable, ColumnNames) {
  EXPECT_EQ(PidColumnName(*FindPid(0x0C)), "OBD_0C");
  EXPECT_EQ(PidColumnName(*FindPid(0xA6)), "OBD_A6");
  EXPECT_EQ(PidColumnName(*FindPid(0x05)), "OBD_05");
}

// Bit-field and enumerated PIDs told in words.
TEST(PidTable, Words) {
  struct Row {
    int pid;
    const char* bytes;
    const char* ru;
    const char* en;
  };
  const Row rows[] = {
      // Fuel system status, system 2 absent or present; a value with two bits is no state.
      {0x03, "02 00", "система 1: замкнутый контур по датчику кислорода",
       "system 1: closed loop on the oxygen sensor"},
      {0x03, "01 04",
       "система 1: разомкнутый контур: двигатель не прогрет; система 2: разомкнутый контур: "
       "нагрузка или отсечка топлива",
       "system 1: open loop: engine not yet warm; system 2: open loop: engine load or fuel cut"},
      {0x03, "08 10",
       "система 1: разомкнутый контур: неисправность системы; система 2: замкнутый контур, "
       "неисправна обратная связь",
       "system 1: open loop: system fault; system 2: closed loop, feedback fault"},
      {0x03, "03 00", "система 1: код 3", "system 1: code 3"},
      {0x03, "00 00", "нет активной топливной системы", "no fuel system active"},
      // Commanded secondary air.
      {0x12, "01", "перед катализатором", "upstream of the catalyst"},
      {0x12, "02", "после катализатора", "downstream of the catalyst"},
      {0x12, "04", "в атмосферу или выключен", "to the atmosphere or off"},
      {0x12, "08", "насос включён для проверки", "pump on for diagnostics"},
      {0x12, "03", "код 3", "code 3"},
      // O2 sensors present: two banks of four, or four banks of two.
      {0x13, "33", "B1S1, B1S2, B2S1, B2S2", "B1S1, B1S2, B2S1, B2S2"},
      {0x13, "88", "B1S4, B2S4", "B1S4, B2S4"},
      {0x13, "00", "нет", "none"},
      {0x1D, "33", "B1S1, B1S2, B3S1, B3S2", "B1S1, B1S2, B3S1, B3S2"},
      {0x1D, "C0", "B4S1, B4S2", "B4S1, B4S2"},
      // OBD standard.
      {0x1C, "01", "OBD-II (CARB)", "OBD-II (CARB)"},
      {0x1C, "03", "OBD и OBD-II", "OBD and OBD-II"},
      {0x1C, "05", "не соответствует OBD", "not OBD compliant"},
      {0x1C, "06", "EOBD (Европа)", "EOBD (Europe)"},
      {0x1C, "07", "EOBD и OBD-II", "EOBD and OBD-II"},
      {0x1C, "0D", "JOBD, EOBD и OBD-II", "JOBD, EOBD and OBD-II"},
      {0x1C, "0E", "код 14", "code 14"},
      {0x1C, "00", "код 0", "code 0"},
      {0x1C, "FF", "код 255", "code 255"},
      // Power take-off.
      {0x1E, "01", "отбор мощности включён", "power take-off active"},
      {0x1E, "FE", "отбор мощности выключен", "power take-off inactive"},
      // Fuel type.
      {0x51, "01", "бензин", "gasoline"},
      {0x51, "04", "дизель", "diesel"},
      {0x51, "05", "сжиженный газ (LPG)", "LPG"},
      {0x51, "08", "электричество", "electric"},
      {0x51, "09", "два топлива, сейчас бензин", "bifuel running gasoline"},
      {0x51, "18", "код 24", "code 24"},
      // The code that stored the freeze frame.
      {0x02, "01 33", "P0133", "P0133"},
      {0x02, "C1 00", "U0100", "U0100"},
      {0x02, "00 00", "нет", "none"},
      // Monitor status: MIL, count, the supported monitors not yet complete.
      {0x01, "83 07 65 21", "MIL горит, кодов: 3; не готовы: Катализатор, Датчик кислорода",
       "MIL on, codes: 3; not ready: Catalyst, Oxygen sensor"},
      {0x01, "00 07 65 00", "MIL не горит, кодов: 0; все мониторы готовы",
       "MIL off, codes: 0; all monitors ready"},
      {0x41, "00 07 65 00", "все мониторы завершены", "all monitors complete"},
      {0x41, "00 17 00 00", "не завершены: Пропуски воспламенения", "incomplete: Misfire"},
      {0x5F, "05", "код 0x05", "code 0x05"},
  };
  for (const Row& row : rows) {
    const Pid& pid = *FindPid(static_cast<uint8_t>(row.pid));
    EXPECT_EQ(PidWords(pid, Hex(row.bytes), Lang::Ru), row.ru) << row.pid << " " << row.bytes;
    EXPECT_EQ(PidWords(pid, Hex(row.bytes), Lang::En), row.en) << row.pid << " " << row.bytes;
  }
}

}  // namespace
}  // namespace kalvex::obd
