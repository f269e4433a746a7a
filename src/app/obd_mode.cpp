#include "app/obd_mode.h"

#include <QDateTime>
#include <algorithm>
#include <cstdio>

#include "obd/ecu_name.h"
#include "obd/pid_table.h"
#include "protocol/translate.h"
#include "ui/dashboard_layout.h"

namespace kalvex {

namespace {

using K = GaugeKind;

// The dashboard's page: an identity line on top, the dials with their
// read-outs below it, the columns under them.
constexpr int kLeft = 8;
constexpr int kDialGap = 16;
constexpr int kColumnGap = 8;
constexpr int kReadoutTop = 22;
constexpr int kReadoutHeight = 20;
constexpr int kReadoutWidth = 90;
constexpr int kDialTop = kReadoutTop + kReadoutHeight + 2;
constexpr int kColumnTop = 194;

}  // namespace

const std::vector<ObdProtocol>& ObdProtocolChoices() {
  static const std::vector<ObdProtocol> choices = {
      ObdProtocol::Auto,      ObdProtocol::Can11_500, ObdProtocol::Can29_500,
      ObdProtocol::Can11_250, ObdProtocol::Can29_250, ObdProtocol::KwpFast,
      ObdProtocol::Kwp5Baud,  ObdProtocol::Iso9141,
  };
  return choices;
}

ObdProtocol ObdProtocolChoice(int item) {
  const auto& c = ObdProtocolChoices();
  return item >= 0 && item < static_cast<int>(c.size()) ? c[static_cast<size_t>(item)]
                                                        : ObdProtocol::Auto;
}

const std::vector<ObdGaugeEntry>& ObdGaugeEntries() {
  // The scales span what an engine shows in use, inside the standard's range
  // (engine speed runs to 16383 there, the module voltage to 65 V); the
  // alarm limits are those of the makers' dashboard where it has the gauge.
  // clang-format off
  static const std::vector<ObdGaugeEntry> gaugeRows = {
    {0x0C, K::Meter180, 209, 145, QT_TRANSLATE_NOOP("kalvex", "Обороты двигателя,"), QT_TRANSLATE_NOOP("kalvex", "об/мин"), 0, 8000, -1, 6500, 4, 4, "####0", true},
    {0x0D, K::Meter180, 209, 145, QT_TRANSLATE_NOOP("kalvex", "Скорость,"), QT_TRANSLATE_NOOP("kalvex", "км/ч"), 0, 240, -1, 180, 6, 2, "##0", true},
    {0x42, K::Meter120, 209, 145, QT_TRANSLATE_NOOP("kalvex", "Напряжение бортовой сети,"), QT_TRANSLATE_NOOP("kalvex", "В"), 6, 18, 9, 15, 6, 2, "##0.0", true},
    {0x05, K::Thermometer, 96, 192, QT_TRANSLATE_NOOP("kalvex", "Температура"), QT_TRANSLATE_NOOP("kalvex", "охлаж. жид."), -40, 160, -1, 200, 5, 5, "##0", false, kCoolantTitleNote},
    {0x0F, K::Thermometer, 96, 192, QT_TRANSLATE_NOOP("kalvex", "Температура"), QT_TRANSLATE_NOOP("kalvex", "воздуха на впуске"), -40, 80, -1, 200, 6, 4, "##0", false, kIntakeAirTitleNote},
    {0x04, K::VMeter, 81, 192, QT_TRANSLATE_NOOP("kalvex", "Расчётная"), QT_TRANSLATE_NOOP("kalvex", "нагрузка"), 0, 100, -1, 200, 5, 2, "##0.0", false},
    {0x11, K::VMeter, 81, 192, QT_TRANSLATE_NOOP("kalvex", "Положение"), QT_TRANSLATE_NOOP("kalvex", "дросселя"), 0, 100, -1, 90, 5, 2, "##0.0", false},
    {0x0B, K::VMeter, 81, 192, QT_TRANSLATE_NOOP("kalvex", "Давление на"), QT_TRANSLATE_NOOP("kalvex", "впуске"), 0, 200, -1, 400, 4, 5, "##0", false},
    {0x10, K::VMeter, 81, 192, QT_TRANSLATE_NOOP("kalvex", "Расход"), QT_TRANSLATE_NOOP("kalvex", "воздуха"), 0, 250, -1, 500, 5, 5, "##0.0", false},
    {0x2F, K::VMeter, 81, 192, QT_TRANSLATE_NOOP("kalvex", "Уровень"), QT_TRANSLATE_NOOP("kalvex", "топлива"), 0, 100, 10, 200, 5, 2, "##0", false},
  };
  // clang-format on
  return gaugeRows;
}

namespace {

std::string UnitOf(uint8_t pid, obd::Lang lang) {
  const obd::Pid* row = obd::FindPid(pid);
  return row ? obd::Pick(row->unit, lang) : "";
}

// The scale, kept inside what the PID can carry.
void ClampToPid(const ObdGaugeEntry& gaugeRow, GaugeSettings& s) {
  if (const obd::Pid* row = obd::FindPid(gaugeRow.pid)) {
    s.valueFrom = std::max(gaugeRow.from, row->min);
    s.valueTo = std::min(gaugeRow.to, row->max);
  }
}

Sectors DialSectors(const ObdGaugeEntry& gaugeRow) {
  // Green up to the alarm, yellow for the last stretch before it, red above.
  const double span = gaugeRow.to - gaugeRow.from;
  const int alarm =
      std::clamp(static_cast<int>((gaugeRow.upper - gaugeRow.from) / span * 1000), 0, 1000);
  const int warn = std::max(0, alarm - 150);
  return {Sector{0, warn, colors::kGreen}, Sector{warn + 1, alarm, colors::kYellow},
          Sector{alarm + 1, 1000, colors::kRed}};
}

}  // namespace

GaugeSettings ObdGaugeSettings(const ObdGaugeEntry& gaugeRow, obd::Lang lang) {
  GaugeSettings s;
  s.name1 = gaugeRow.name1;
  if (gaugeRow.name1Note) s.name1Note = gaugeRow.name1Note;
  s.name2 = gaugeRow.name2;
  s.unit = UnitOf(gaugeRow.pid, lang);
  s.valueFormat = gaugeRow.format;
  s.valueFrom = gaugeRow.from;
  s.valueTo = gaugeRow.to;
  ClampToPid(gaugeRow, s);
  s.limitLower = gaugeRow.lower;
  s.limitUpper = gaugeRow.upper;
  s.steps = gaugeRow.steps;
  s.subSteps = gaugeRow.subSteps;
  s.scaleFormat = "##0";
  const bool alarms = gaugeRow.upper < gaugeRow.to || gaugeRow.lower > gaugeRow.from;
  if (gaugeRow.dial) {
    s.options = kOptBevelOuter | kOptName1 | kOptName2 | kOptOverflow | kOptSector |
                (alarms ? kOptLimit : 0u);
    s.sectors = DialSectors(gaugeRow);
    s.pointerColor = colors::kLime;
    s.scaleColor = colors::kBlack;
    s.minVisible = false;
  } else if (gaugeRow.kind == GaugeKind::Thermometer) {
    s.options = kOptValue | kOptName1 | kOptName2 | kOptUnit;
    s.drawLine = false;
    s.scaleSpacing = 2;
    s.barColor = colors::kBlue;
    s.barBackground = colors::kBtnFace;
    s.valueColor = colors::kBlue;
    s.valueBoxColor = colors::kBtnFace;
  } else {
    s.options = kOptBevelOuter | kOptValue | kOptName1 | kOptName2 | kOptUnit |
                (alarms ? kOptLimit | kOptOverflow : 0u);
    s.minVisible = false;
  }
  return s;
}

GaugeSettings ObdReadoutSettings(const ObdGaugeEntry& gaugeRow, obd::Lang lang) {
  GaugeSettings s;
  s.unit = UnitOf(gaugeRow.pid, lang);
  s.valueFormat = gaugeRow.format;
  s.valueFrom = gaugeRow.from;
  s.valueTo = gaugeRow.to;
  s.options = kOptUnit;
  s.valueColor = colors::kLime;
  s.valueBoxColor = colors::kBlack;
  return s;
}

std::vector<ObdGaugePlace> ObdDashboardLayout(const std::set<uint8_t>& supported) {
  std::vector<ObdGaugePlace> out;
  int dialX = kLeft, columnX = kLeft;
  for (const ObdGaugeEntry& s : ObdGaugeEntries()) {
    if (!supported.count(s.pid)) continue;
    if (s.dial) {
      const QRect gauge(dialX, kDialTop, s.width, s.height);
      const QRect readout(gauge.center().x() - kReadoutWidth / 2 + 1, kReadoutTop, kReadoutWidth,
                          kReadoutHeight);
      out.push_back({s.pid, gauge, readout});
      dialX += s.width + kDialGap;
    } else {
      out.push_back({s.pid, QRect(columnX, kColumnTop, s.width, s.height), QRect()});
      columnX += s.width + kColumnGap;
    }
  }
  return out;
}

std::set<uint8_t> SupportedPids(const ObdResults& r) {
  std::set<uint8_t> pids;
  for (const ObdEcu& e : r.ecus)
    for (uint8_t pid : e.pids.list()) pids.insert(pid);
  return pids;
}

namespace {

std::string Number(const obd::Pid& row, double v, obd::Lang lang) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", static_cast<int>(row.decimals), v);
  std::string out = text;
  const std::string unit = obd::Pick(row.unit, lang);
  if (!unit.empty()) out += " " + unit;
  return out;
}

}  // namespace

std::vector<ObdParamRow> ObdParamRows(const ObdResults& r, obd::Lang lang) {
  std::vector<ObdParamRow> rows;
  for (const ObdEcu& e : r.ecus) {
    for (uint8_t pid : e.pids.list()) {
      const obd::Pid* row = obd::FindPid(pid);
      if (row && row->kind == obd::PidKind::Bitmap) continue;
      ObdParamRow out{e.id, pid, {}, {}, {}, {}, obd::EcuName(e.id, lang)};
      char hex[16];
      std::snprintf(hex, sizeof hex, "PID %02X", pid);
      out.caption = row ? obd::Pick(row->caption, lang) : hex;
      const auto v = r.values.find({e.id, pid});
      if (row && v != r.values.end()) {
        out.value = obd::FormatPidValue(*row, v->second.bytes, lang);
        if (v->second.value) {
          out.min = Number(*row, v->second.min, lang);
          out.max = Number(*row, v->second.max, lang);
        }
      }
      rows.push_back(std::move(out));
    }
  }
  return rows;
}

std::optional<std::string> ObdVin(const ObdResults& r) {
  for (const ObdEcu& e : r.ecus)
    if (e.vin && !e.vin->empty()) return e.vin;
  return std::nullopt;
}

QString ObdCsvName(const std::optional<std::string>& vin, const QDateTime& at) {
  // Only the characters a VIN may hold go into a file name.
  QString head;
  if (vin)
    for (char c : *vin)
      if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) head += c;
  if (head.isEmpty()) head = "OBD-II";
  return head + at.toString("_yyyy-MM-dd_HHmm") + ".csv";
}

}  // namespace kalvex

namespace kalvex {

WordForm FormOf(const std::string& russianName) {
  const std::string first = russianName.substr(0, russianName.find(' '));
  auto ends = [&first](const char* tail) {
    const std::string t = tail;
    return first.size() >= t.size() && first.compare(first.size() - t.size(), t.size(), t) == 0;
  };
  if (ends("ые") || ends("и") || ends("ы")) return WordForm::Plural;
  if (ends("а") || ends("я")) return WordForm::Feminine;
  if (ends("е") || ends("о")) return WordForm::Neuter;
  return WordForm::Masculine;
}

}  // namespace kalvex
