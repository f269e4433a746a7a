#include "obd/trouble_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace kalvex::obd {
namespace {

using namespace std::literals;

TEST(DtcTextTest, BytesGiveLetterAndDigits) {
  const struct {
    uint8_t high, low;
    const char* text;
  } cases[] = {
      {0x01, 0x33, "P0133"}, {0x03, 0x01, "P0301"}, {0x00, 0x00, "P0000"}, {0x14, 0x20, "P1420"},
      {0x21, 0x87, "P2187"}, {0x2A, 0x00, "P2A00"}, {0x3F, 0xFF, "P3FFF"}, {0x40, 0x35, "C0035"},
      {0x5A, 0xbc, "C1ABC"}, {0x6E, 0x0f, "C2E0F"}, {0x80, 0x01, "B0001"}, {0xB0, 0x10, "B3010"},
      {0xC1, 0x00, "U0100"}, {0xD0, 0x01, "U1001"}, {0xE2, 0x9E, "U229E"}, {0xFF, 0xFF, "U3FFF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DtcText(c.high, c.low), c.text) << std::hex << int(c.high) << ' ' << int(c.low);
}

TEST(DtcTextTest, EveryPairGivesADistinctWellFormedCode) {
  std::set<std::string> seen;
  for (int high = 0; high < 256; ++high) {
    for (int low = 0; low < 256; ++low) {
      const std::string text = DtcText(static_cast<uint8_t>(high), static_cast<uint8_t>(low));
      ASSERT_TRUE(IsWellFormedDtc(text)) << text;
      seen.insert(text);
    }
  }
  EXPECT_EQ(seen.size(), 65536u);
}

TEST(DescribeDtcTest, UndescribedGenericCodesGetTheirFamily) {
  const struct {
    const char* code;
    Lang lang;
    const char* line;
  } cases[] = {
      {"P00FF", Lang::Ru,
       "P0 — система питания и подачи воздуха, вспомогательные системы снижения "
       "токсичности, описание неизвестно"},
      {"P01FF", Lang::Ru, "P0 — система питания и подачи воздуха, описание неизвестно"},
      {"P01FF", Lang::En, "P0 — fuel and air metering, no description known"},
      {"P02FF", Lang::Ru,
       "P0 — система питания и подачи воздуха (цепи форсунок), описание неизвестно"},
      {"P0399", Lang::Ru, "P0 — система зажигания, пропуски воспламенения, описание неизвестно"},
      {"P0399", Lang::En, "P0 — ignition system or misfire, no description known"},
      {"P0490", Lang::Ru, "P0 — вспомогательные системы снижения токсичности, описание неизвестно"},
      {"P0599", Lang::En,
       "P0 — vehicle speed, idle control, auxiliary inputs, no description known"},
      {"P06FF", Lang::Ru, "P0 — блок управления и его выходные цепи, описание неизвестно"},
      {"P0799", Lang::Ru, "P0 — трансмиссия, описание неизвестно"},
      {"P0900", Lang::En, "P0 — transmission, no description known"},
      {"P0a80", Lang::Ru, "P0 — гибридная силовая установка, описание неизвестно"},
      {"P0E00", Lang::En, "P0 — subsystem not specified, no description known"},
      {"P2399", Lang::Ru, "P2 — система зажигания, пропуски воспламенения, описание неизвестно"},
      {"P2599", Lang::En, "P2 — auxiliary inputs, no description known"},
      {"P2A99", Lang::En,
       "P2 — fuel and air metering, auxiliary emission controls, no description known"},
      {"P2999", Lang::Ru, "P2 — подсистема стандартом не уточняется, описание неизвестно"},
      {"P3400", Lang::Ru, "P3 — отключение цилиндров, описание неизвестно"},
      {"P3999", Lang::En, "P3 — reserved by the standard, no description known"},
      {"B0001", Lang::Ru, "B0 — кузов, описание неизвестно"},
      {"B3000", Lang::En, "B3 — reserved by the standard, no description known"},
      {"C0035", Lang::Ru, "C0 — шасси, описание неизвестно"},
      {"C0035", Lang::En, "C0 — chassis, no description known"},
      {"U0010", Lang::En, "U0 — network, bus electrical faults, no description known"},
      {"U0199", Lang::Ru, "U0 — сеть, потеря связи с модулем, описание неизвестно"},
      {"U0250", Lang::En, "U0 — network, lost communication with a module, no description known"},
      {"U0300", Lang::Ru, "U0 — сеть, несовместимость программ модулей, описание неизвестно"},
      {"U0401", Lang::En, "U0 — network, invalid data from a module, no description known"},
      {"U3000", Lang::Ru, "U3 — резерв стандарта, описание неизвестно"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindDtcDescription(c.code), nullptr) << c.code;
    EXPECT_EQ(DescribeDtc(c.code, c.lang), c.line) << c.code;
  }
}

TEST(DescribeDtcTest, ManufacturerRangesAreNamedNotDescribed) {
  const char* const maker[] = {"P1000", "P1234", "P1FFF", "P3000", "P33FF", "B1001",
                               "B2000", "C1234", "C2ABC", "U1000", "U2FFF", "u1a2b"};
  for (const char* code : maker) {
    const std::string prefix = std::string(1, static_cast<char>(code[0] & ~0x20)) + code[1];
    EXPECT_TRUE(IsManufacturerDtc(code)) << code;
    EXPECT_EQ(FindDtcDescription(code), nullptr) << code;
    EXPECT_EQ(DescribeDtc(code, Lang::Ru),
              prefix + " — код производителя, описание у производителя автомобиля");
    EXPECT_EQ(DescribeDtc(code, Lang::En),
              prefix + " — manufacturer-specific code, described by the vehicle maker");
  }
  const char* const generic[] = {"P0000", "P2FFF", "P3400", "P0301", "B0000",
                                 "B3FFF", "C0FFF", "U0100", "U3000"};
  for (const char* code : generic) EXPECT_FALSE(IsManufacturerDtc(code)) << code;
}

TEST(DescribeDtcTest, MalformedInputIsAnUnknownCode) {
  const std::string_view inputs[] = {
      "",
      "P",
      "P030",
      "P03011",
      "X0301",
      "P4301",
      "P030G",
      " P0301",
      "P0301 ",
      "P-301",
      "0301P",
      "П0301",
      "\xFF\xFE\x01\x02\x03",
      "P0\0"
      "01"sv,
  };
  for (std::string_view in : inputs) {
    EXPECT_FALSE(IsWellFormedDtc(in)) << in;
    EXPECT_FALSE(IsManufacturerDtc(in)) << in;
    EXPECT_EQ(FindDtcDescription(in), nullptr) << in;
    EXPECT_EQ(DescribeDtc(in, Lang::Ru).rfind("Неизвестный код", 0), 0u) << in;
    EXPECT_EQ(DescribeDtc(in, Lang::En).rfind("Unknown code", 0), 0u) << in;
  }
}

TEST(DescribeDtcTest, LowercaseFindsTheSameRow) {
  EXPECT_EQ(FindDtcDescription("p0301"), FindDtcDescription("P0301"));
  EXPECT_EQ(FindDtcDescription("p2a00"), FindDtcDescription("P2A00"));
  EXPECT_NE(FindDtcDescription("u0100"), nullptr);
}

bool HasCyrillic(std::string_view s) {
  // Basic Russian letters take lead bytes 0xD0 and 0xD1 in UTF-8.
  for (char c : s)
    if (static_cast<unsigned char>(c) == 0xD0 || static_cast<unsigned char>(c) == 0xD1) return true;
  return false;
}

bool NeatlySpaced(std::string_view s) {
  return !s.empty() && s.front() != ' ' && s.back() != ' ' && s.find("  ") == s.npos &&
         s.find(" :") == s.npos && s.back() != ':' && s.back() != ',';
}

TEST(DtcTableTest, EveryRowIsAGenericWellFormedCodeInBothLanguages) {
  const auto rows = DtcDescriptions();
  EXPECT_GE(rows.size(), 400u);
  std::string_view previous;
  for (const DtcDescription& row : rows) {
    SCOPED_TRACE(std::string(row.code));
    EXPECT_TRUE(IsWellFormedDtc(row.code));
    EXPECT_FALSE(IsManufacturerDtc(row.code));
    EXPECT_EQ(row.code.find_first_of("abcdefpu"), row.code.npos);
    EXPECT_LT(previous, row.code);  // ascending, so no code twice
    previous = row.code;

    const std::string_view ru = row.text.ru, en = row.text.en;
    EXPECT_TRUE(NeatlySpaced(ru)) << ru;
    EXPECT_TRUE(NeatlySpaced(en)) << en;
    EXPECT_TRUE(HasCyrillic(ru)) << ru;
    EXPECT_FALSE(HasCyrillic(en)) << en;

    const Text* found = FindDtcDescription(row.code);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ru, row.text.ru);
    EXPECT_EQ(DescribeDtc(row.code, Lang::En), en);
  }
}

TEST(DtcTableTest, MainFamiliesAreCovered) {
  const char* const families[] = {"P00", "P01", "P02", "P03", "P04", "P05", "P06",
                                  "P07", "P20", "P21", "P22", "P23", "P24", "U01"};
  for (const char* family : families) {
    int count = 0;
    for (const DtcDescription& row : DtcDescriptions()) count += row.code.starts_with(family);
    EXPECT_GE(count, 8) << family;
  }
}

TEST(DtcTableTest, WellKnownCodes) {
  const struct {
    const char* code;
    const char* ru;
    const char* en;
  } cases[] = {
      {"P0300", "Случайные или множественные пропуски воспламенения",
       "Random or multiple cylinder misfire detected"},
      {"P0301", "Пропуски воспламенения в цилиндре 1", "Cylinder 1 misfire detected"},
      {"P0312", "Пропуски воспламенения в цилиндре 12", "Cylinder 12 misfire detected"},
      {"P0420", "Катализатор, банк 1: эффективность ниже порога",
       "Catalyst, bank 1: efficiency below threshold"},
      {"P0430", "Катализатор, банк 2: эффективность ниже порога",
       "Catalyst, bank 2: efficiency below threshold"},
      {"P0171", "Слишком бедная смесь, банк 1", "System too lean, bank 1"},
      {"P0175", "Слишком богатая смесь, банк 2", "System too rich, bank 2"},
      {"P0101",
       "Датчик массового расхода воздуха: сигнал вне допустимого диапазона или недостоверен",
       "Mass air flow sensor: signal out of range or implausible"},
      {"P0118", "Датчик температуры охлаждающей жидкости: высокий уровень сигнала",
       "Engine coolant temperature sensor: signal high"},
      {"P0135", "Кислородный датчик, банк 1, датчик 1: неисправность цепи подогрева",
       "Oxygen sensor, bank 1 sensor 1: heater circuit fault"},
      {"P0167", "Кислородный датчик, банк 2, датчик 3: неисправность цепи подогрева",
       "Oxygen sensor, bank 2 sensor 3: heater circuit fault"},
      {"P0212", "Форсунка цилиндра 12: обрыв или неисправность цепи",
       "Cylinder 12 injector: circuit open or faulty"},
      {"P0296", "Форсунка цилиндра 12: отклонение производительности от остальных (баланс)",
       "Cylinder 12 injector: contribution/balance fault"},
      {"P0362", "Катушка зажигания «L»: неисправность цепи первичной или вторичной обмотки",
       "Ignition coil L: primary/secondary circuit fault"},
      {"P0455", "Система улавливания паров топлива (EVAP): обнаружена большая утечка",
       "Evaporative emission system: large leak detected"},
      {"P0562", "Низкое напряжение бортовой сети", "System voltage low"},
      {"P2188", "На холостом ходу: слишком богатая смесь, банк 1",
       "At idle: system too rich, bank 1"},
      {"P2335", "Катушка зажигания «L»: неисправность цепи вторичной обмотки",
       "Ignition coil L: secondary circuit fault"},
      {"P2A05", "Кислородный датчик, банк 2, датчик 3: параметры цепи вне нормы",
       "Oxygen sensor, bank 2 sensor 3: circuit range/performance"},
      {"U0100", "Нет связи с блоком управления двигателем «A»",
       "Lost communication with the engine control module A"},
      {"U0101", "Нет связи с блоком управления коробкой передач",
       "Lost communication with the transmission control module"},
  };
  for (const auto& c : cases) {
    const Text* t = FindDtcDescription(c.code);
    ASSERT_NE(t, nullptr) << c.code;
    EXPECT_STREQ(t->ru, c.ru);
    EXPECT_STREQ(t->en, c.en);
    EXPECT_EQ(DescribeDtc(c.code, Lang::Ru), c.ru);
  }
}

}  // namespace
}  // namespace kalvex::obd
