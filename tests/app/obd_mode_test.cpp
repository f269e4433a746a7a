// The generic mode's pieces the window is made of, without a window: the
// dashboard's arrangement, the words of readiness, the table's rows, the
// CSV and its file name.
#include "app/obd_mode.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <algorithm>
#include <array>

namespace kalvex {
namespace {

constexpr int kPageWidth = 681, kPageHeight = 389;

// The supported set → the gauges shown, in the order they fill their rows.
struct LayoutCase {
  const char* name;
  std::set<uint8_t> supported;
  std::vector<uint8_t> shown;
};

TEST(ObdDashboardLayout, ShowsExactlyTheSupportedStandardPidsClosedUp) {
  const std::vector<LayoutCase> cases = {
      {"nothing known yet", {}, {}},
      {"all ten",
       {0x04, 0x05, 0x0B, 0x0C, 0x0D, 0x0F, 0x10, 0x11, 0x2F, 0x42},
       {0x0C, 0x0D, 0x42, 0x05, 0x0F, 0x04, 0x11, 0x0B, 0x10, 0x2F}},
      {"no vehicle speed: the voltage moves up", {0x0C, 0x42, 0x05}, {0x0C, 0x42, 0x05}},
      {"columns only", {0x11, 0x2F, 0x04}, {0x04, 0x11, 0x2F}},
      {"PIDs outside the standard set make no gauge", {0x01, 0x06, 0x1F, 0x0C, 0x51}, {0x0C}},
      {"a MAP car without MAF and fuel level",
       {0x0B, 0x0C, 0x0D, 0x05, 0x0F, 0x11},
       {0x0C, 0x0D, 0x05, 0x0F, 0x11, 0x0B}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<ObdGaugePlace> places = ObdDashboardLayout(c.supported);
    std::vector<uint8_t> shown;
    for (const ObdGaugePlace& p : places) shown.push_back(p.pid);
    EXPECT_EQ(shown, c.shown);
    // Each row starts at the left edge and every next gauge follows the
    // previous one at a small, even gap: no hole where a gauge is missing.
    std::map<int, std::vector<QRect>> rows;
    for (const ObdGaugePlace& p : places) rows[p.gauge.top()].push_back(p.gauge);
    EXPECT_LE(rows.size(), 2u);
    for (const auto& [top, rects] : rows) {
      EXPECT_LE(rects.front().left(), 10);
      for (size_t i = 1; i < rects.size(); ++i) {
        const int gap = rects[i].left() - rects[i - 1].right() - 1;
        EXPECT_GE(gap, 4);
        EXPECT_LE(gap, 16);
      }
    }
    // Everything on the page, nothing over anything else.
    std::vector<QRect> all;
    for (const ObdGaugePlace& p : places) {
      all.push_back(p.gauge);
      if (!p.readout.isNull()) all.push_back(p.readout);
    }
    for (size_t i = 0; i < all.size(); ++i) {
      EXPECT_TRUE(QRect(0, 20, kPageWidth, kPageHeight - 20).contains(all[i]));
      for (size_t j = i + 1; j < all.size(); ++j) EXPECT_FALSE(all[i].intersects(all[j]));
    }
  }
}

TEST(ObdDashboardLayout, ScalesStayInsideWhatThePidCarries) {
  // The PID table's published ranges (SAE J1979), written out here.
  const std::map<uint8_t, std::pair<double, double>> published = {
      {0x04, {0, 100}}, {0x05, {-40, 215}},  {0x0B, {0, 255}},    {0x0C, {0, 16383.75}},
      {0x0D, {0, 255}}, {0x0F, {-40, 215}},  {0x10, {0, 655.35}}, {0x11, {0, 100}},
      {0x2F, {0, 100}}, {0x42, {0, 65.535}},
  };
  ASSERT_EQ(ObdGaugeEntries().size(), published.size());
  for (const ObdGaugeEntry& gaugeRow : ObdGaugeEntries()) {
    SCOPED_TRACE(gaugeRow.pid);
    const auto range = published.at(gaugeRow.pid);
    for (obd::Lang lang : {obd::Lang::Ru, obd::Lang::En}) {
      const GaugeSettings s = ObdGaugeSettings(gaugeRow, lang);
      EXPECT_GE(s.valueFrom, range.first);
      EXPECT_LE(s.valueTo, range.second);
      EXPECT_LT(s.valueFrom, s.valueTo);
      EXPECT_FALSE(s.unit.empty());
    }
  }
  EXPECT_EQ(ObdGaugeSettings(ObdGaugeEntries()[0], obd::Lang::Ru).unit, "об/мин");
  EXPECT_EQ(ObdGaugeSettings(ObdGaugeEntries()[0], obd::Lang::En).unit, "rpm");
}

TEST(ObdReadinessWords, TheWordAgreesWithTheName) {
  const std::vector<std::pair<const char*, WordForm>> cases = {
      {"Катализатор", WordForm::Masculine},
      {"Подогрев катализатора", WordForm::Masculine},
      {"Датчик кислорода", WordForm::Masculine},
      {"Комплексный контроль компонентов", WordForm::Masculine},
      {"Сажевый фильтр", WordForm::Masculine},
      {"Система EGR/VVT", WordForm::Feminine},
      {"Топливная система", WordForm::Feminine},
      {"Система улавливания паров топлива (EVAP)", WordForm::Feminine},
      {"Нейтрализация NOx/SCR", WordForm::Feminine},
      {"Давление наддува", WordForm::Neuter},
      {"Пропуски воспламенения", WordForm::Plural},
  };
  for (const auto& [name, form] : cases) EXPECT_EQ(FormOf(name), form) << name;
}

TEST(ObdProtocolChoice, ItemsMapToTheAdaptersProtocols) {
  const std::vector<std::pair<int, ObdProtocol>> cases = {
      {0, ObdProtocol::Auto},      {1, ObdProtocol::Can11_500}, {2, ObdProtocol::Can29_500},
      {3, ObdProtocol::Can11_250}, {4, ObdProtocol::Can29_250}, {5, ObdProtocol::KwpFast},
      {6, ObdProtocol::Kwp5Baud},  {7, ObdProtocol::Iso9141},   {8, ObdProtocol::Auto},
      {-1, ObdProtocol::Auto},
  };
  for (const auto& [item, protocol] : cases) EXPECT_EQ(ObdProtocolChoice(item), protocol) << item;
}

TEST(ObdCsv, NameAndRowsAsTheCommandLineWritesThem) {
  const QDateTime at(QDate(2026, 12, 8), QTime(14, 5, 31));
  const std::vector<std::pair<std::optional<std::string>, QString>> names = {
      {std::string("1D4GP00R55B123456"), "1D4GP00R55B123456_2026-12-08_1405.csv"},
      {std::nullopt, "OBD-II_2026-12-08_1405.csv"},
      {std::string(""), "OBD-II_2026-12-08_1405.csv"},
      {std::string("../1D4 GP\\00:*"), "1D4GP00_2026-12-08_1405.csv"},  // no path in a name
  };
  for (const auto& [vin, name] : names) EXPECT_EQ(ObdCsvName(vin, at), name);

  ObdResults r;
  auto value = [&r](uint32_t ecu, uint8_t pid, double v) {
    ObdValue& x = r.values[{ecu, pid}];
    x.ecu = ecu;
    x.pid = pid;
    x.value = v;
  };
  value(0x7E8, 0x0C, 1726.5);
  value(0x7E8, 0x0D, 62);
  value(0x7E9, 0x0D, 61);
  const std::vector<ObdColumn> columns = {{0x0C, 0x7E8, "OBD_0C"},
                                          {0x0D, 0x7E8, "OBD_0D_7E8"},
                                          {0x0D, 0x7E9, "OBD_0D_7E9"},
                                          {0x05, 0x7E8, "OBD_05"}};
  EXPECT_EQ(ObdCsvHeader(columns), "time,OBD_0C,OBD_0D_7E8,OBD_0D_7E9,OBD_05\n");
  EXPECT_EQ(ObdCsvRow(1234, columns, r), "1.234,1726.5,62,61,\n");
  EXPECT_EQ(ObdCsvHeader({}), "time\n");
  // Only the columns with a number: the monitor status and the fuel system
  // status, told in words, stay out.
  const std::vector<ObdColumn> polled = {{0x01, 0x7E8, "OBD_01"},
                                         {0x03, 0x7E8, "OBD_03"},
                                         {0x0C, 0x7E8, "OBD_0C"},
                                         {0x2F, 0x7E8, "OBD_2F"}};
  EXPECT_EQ(ObdCsvHeader(ObdCsvColumns(polled)), "time,OBD_0C,OBD_2F\n");
}

TEST(ObdParamRows, EverySupportedPidOfEveryEcuBitmapsLeftOut) {
  ObdResults r;
  ObdEcu engine, gearbox;
  engine.id = 0x7E8;
  gearbox.id = 0x7E9;
  // Engine: 01 03 05 0C 0D, and the next bitmap (0x20); gearbox: 05 0D.
  const std::array<uint8_t, 4> engineBits = {0xA8, 0x18, 0x00, 0x01};
  const std::array<uint8_t, 4> gearboxBits = {0x08, 0x08, 0x00, 0x00};
  engine.pids.addBitmap(0x00, engineBits);
  gearbox.pids.addBitmap(0x00, gearboxBits);
  r.ecus = {engine, gearbox};
  ObdValue rpm;
  rpm.ecu = 0x7E8;
  rpm.pid = 0x0C;
  rpm.bytes = {0x1A, 0xF8};
  rpm.value = 1726;
  rpm.min = 800;
  rpm.max = 3000;
  r.values[{0x7E8, 0x0C}] = rpm;

  const auto rows = ObdParamRows(r, obd::Lang::Ru);
  std::vector<std::pair<uint32_t, uint8_t>> keys;
  for (const ObdParamRow& row : rows) keys.emplace_back(row.ecu, row.pid);
  const std::vector<std::pair<uint32_t, uint8_t>> expected = {
      {0x7E8, 0x01}, {0x7E8, 0x03}, {0x7E8, 0x05}, {0x7E8, 0x0C},
      {0x7E8, 0x0D}, {0x7E9, 0x05}, {0x7E9, 0x0D}};
  EXPECT_EQ(keys, expected);
  const ObdParamRow& r0C = rows[3];
  EXPECT_EQ(r0C.caption, "Частота вращения двигателя");
  EXPECT_EQ(r0C.value, "1726 об/мин");
  EXPECT_EQ(r0C.min, "800 об/мин");
  EXPECT_EQ(r0C.max, "3000 об/мин");
  EXPECT_EQ(rows[6].ecuName.find("7E9") != std::string::npos, true);
  EXPECT_TRUE(rows[0].value.empty());  // not read yet
  const auto english = ObdParamRows(r, obd::Lang::En);
  EXPECT_EQ(english[3].caption, "Engine speed");
  EXPECT_EQ(english[3].value, "1726 rpm");
}

}  // namespace
}  // namespace kalvex
