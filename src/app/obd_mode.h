// The generic OBD-II mode as the window offers it: its place at the end of
// the make list, the protocols its ECU-type list holds, the dashboard's
// gauges for the standard PIDs and where they go, and the texts its pages
// show. Widget-free, so tests read it as the window does.
#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "adapter/elm327_obd.h"
#include "catalogue/catalogue.h"
#include "obd/obd_text.h"
#include "session/obd_history.h"
#include "session/obd_session.h"
#include "ui/gauge_model.h"

class QDateTime;

namespace kalvex {

// After the 17 makes, so their stored indices keep their meaning.
constexpr int kObdMakeIndex = kMakeCount;
inline bool IsObdMake(int make) { return make == kObdMakeIndex; }

// The ECU-type list in generic mode: automatic search first.
const std::vector<ObdProtocol>& ObdProtocolChoices();
// The protocol of an ECU-type list item; Auto for anything out of range.
ObdProtocol ObdProtocolChoice(int item);

// One gauge of the generic dashboard: the PID it shows, the widget kind,
// its size, and its scale inside the PID's published range.
struct ObdGaugeEntry {
  uint8_t pid;
  GaugeKind kind;
  int width, height;
  const char* name1;  // short captions, marked for translation ("kalvex")
  const char* name2;
  double from, to;      // the scale (clamped to the PID's range)
  double lower, upper;  // alarm limits (-1: none below)
  int steps, subSteps;
  const char* format;
  bool dial;                        // a dial, with its digital read-out above it
  const char* name1Note = nullptr;  // tells a shared first line's translations apart
};
// The standard set in the order the dashboard fills: the dials on the top
// row, the columns below.
const std::vector<ObdGaugeEntry>& ObdGaugeEntries();
// The settings an entry's gauge is built with, the unit in `lang`.
GaugeSettings ObdGaugeSettings(const ObdGaugeEntry& gaugeRow, obd::Lang lang);
GaugeSettings ObdReadoutSettings(const ObdGaugeEntry& gaugeRow, obd::Lang lang);

// Where each shown gauge goes for the PIDs the car supports: the supported
// ones of the standard set, each row packed from the left (no gaps). `readout`
// is the dial's digital read-out (empty for the columns).
struct ObdGaugePlace {
  uint8_t pid;
  QRect gauge;
  QRect readout;
};
std::vector<ObdGaugePlace> ObdDashboardLayout(const std::set<uint8_t>& supported);

// Every PID any ECU supports.
std::set<uint8_t> SupportedPids(const ObdResults& r);

// One line of "Все параметры": the PID of one ECU.
struct ObdParamRow {
  uint32_t ecu;
  uint8_t pid;
  std::string caption, value, min, max, ecuName;
};
// Every supported PID (bitmaps left out) of every ECU, in ECU then PID
// order; values not read yet are empty.
std::vector<ObdParamRow> ObdParamRows(const ObdResults& r, obd::Lang lang);

// "1D4GP00R55B123456_2026-12-08_1405.csv"; without a VIN the makers' name.
QString ObdCsvName(const std::optional<std::string>& vin, const QDateTime& at);
// The first VIN any ECU reported.
std::optional<std::string> ObdVin(const ObdResults& r);

}  // namespace kalvex

namespace kalvex {

// How a Russian name takes "готов": by the gender and number of its first
// word ("Катализатор" готов, "Система EVAP" готова, "Давление наддува"
// готово, "Пропуски воспламенения" готовы).
enum class WordForm { Masculine, Feminine, Neuter, Plural };
WordForm FormOf(const std::string& russianName);

}  // namespace kalvex
