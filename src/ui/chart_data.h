// What the strip chart draws, without Qt: the quantities and their scales,
// round ticks, time labels, min/max thinning to pixel columns, the rows as
// per-column arrays, filled from a values CSV (kalvex --plot).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/components.h"
#include "protocol/csv_file.h"

namespace kalvex {

// Name and unit of a quantity on the chart ("Обороты", "об/мин").
struct Quantity {
  const char* name;
  const char* unit;
};
Quantity QuantityOf(Component c);

// A lane's default scale: the gauge's range, and where the gauge raises its
// alarm (values below `alarmBelow` or above `alarmAbove`).
struct LaneScale {
  double from = 0;
  double to = 1;
  std::optional<double> alarmBelow;
  std::optional<double> alarmAbove;
  int decimals = 1;  // as the gauge shows its value
};
LaneScale GaugeScaleOf(Component c);

// ---- ticks and labels ---------------------------------------------------------

// The smallest step of 1, 2 or 5 × 10ⁿ that cuts `span` into at most
// `maxTicks` intervals (1 for an empty or broken span).
double NiceStep(double span, int maxTicks);
// The multiples of `step` within lo..hi (at most 1000).
std::vector<double> TickValues(double lo, double hi, double step);
// A tick label: as many decimals as the step needs, powers of ten for the
// very large and very small.
std::string FormatTickValue(double value, double step);
// A value read out with `decimals` decimals; six significant digits for
// the very large and very small.
std::string FormatReadout(double value, int decimals);
// Time steps are 1, 2 or 5 × 10ⁿ of seconds, minutes or hours, whichever
// unit reads best for the span.
double TimeStep(double span, int maxTicks);
// "m:ss" or, with `hours`, "h:mm:ss"; tenths (or finer) when the step is
// under a second. Negative times get a minus sign.
std::string FormatTime(double seconds, double step, bool hours);

// ---- rows ------------------------------------------------------------------------

// One pixel column of a thinned lane: the first and last value in row order
// and the smallest and largest.
struct ColumnExtent {
  float first = 0, last = 0, min = 0, max = 0;
  bool any = false;
};

// Rows as one array per column: the time in seconds and one value per lane
// (NaN where the row holds none).
struct ChartSeries {
  std::vector<double> t;
  std::vector<std::vector<float>> lanes;
  bool sorted = true;  // times never go back
  double tMin = 0;
  double tMax = 0;
  uint64_t generation = 0;  // changes with every change of the rows

  // Every block of kBlockRows rows in order, summarised as it fills: its
  // first and last time and, per lane, the extent of its values. A view of
  // a million rows then thins a block at a time wherever a block falls
  // within one pixel column. Kept by append, reset and dropFront; rows put
  // in t and lanes by hand are simply not summarised (blockRows < size()).
  static constexpr size_t kBlockRows = 64;
  std::vector<double> blockFirstT, blockLastT;
  std::vector<std::vector<ColumnExtent>> blockExtents;  // [lane][block]
  size_t blockRows = 0;                                 // rows the blocks cover

  size_t size() const { return t.size(); }
  // No rows, `laneCount` lanes.
  void reset(size_t laneCount);
  void reserve(size_t rows);
  // `values` holds one value per lane.
  void append(double time, const float* values);
  // The oldest `n` rows go.
  void dropFront(size_t n);
  // The rows that may lie within from..to: found by halving when the times
  // never go back, every row otherwise.
  std::pair<size_t, size_t> rowsWithin(double from, double to) const;
  // The row whose time is nearest to `time`.
  std::optional<size_t> nearestRow(double time) const;
};

// Spreads rows begin..end whose time is within from..to over `columns`
// equal columns; rows without a value (NaN) are skipped.
void DecimateColumns(const double* t, const float* v, size_t begin, size_t end, double from,
                     double to, int columns, std::vector<ColumnExtent>& out);
// The same for several lanes of the same rows: each row's column is worked
// out once.
void DecimateLanes(const double* t, const std::vector<const float*>& lanes, size_t begin,
                   size_t end, double from, double to, int columns,
                   std::vector<std::vector<ColumnExtent>>& out);

// What DecimateLanes gives for the first `laneCount` lanes of `series`
// over its rows within from..to, the same to the bit, but a block of rows at
// a time wherever the series' block summaries allow.
void DecimateSeries(const ChartSeries& series, size_t laneCount, double from, double to,
                    int columns, std::vector<std::vector<ColumnExtent>>& out);

// ---- the values CSV, streamed into a series -----------------------------------

// The largest magnitude a value keeps; larger ones are clipped to it.
inline constexpr double kPlotValueLimit = kCsvValueLimit;

// The values CSV's reader (protocol/csv_file.h) filling `out` (when given)
// with the time and the columns of `lanes`.
class PlotCsvParser : public CsvReader {
 public:
  PlotCsvParser(std::vector<Component> lanes, ChartSeries* out);
};

// Feeds the whole file at `path` to `parser`; errors name the file.
inline bool ParsePlotCsvFile(const std::string& path, PlotCsvParser& parser, std::string& error) {
  return ReadCsvFile(path, parser, error);
}

}  // namespace kalvex
