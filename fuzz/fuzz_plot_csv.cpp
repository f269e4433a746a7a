// The streaming CSV reader of kalvex --plot: whatever the file holds and
// however the reads cut it, the reader neither crashes nor keeps a value
// beyond ±3.4e38, the counting pass and the loading pass agree on the rows,
// and the arrays stay as long as the rows.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/chart_data.h"

using kalvex::ChartSeries;
using kalvex::Component;
using kalvex::PlotCsvParser;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte sets the piece size the reads come in.
  if (size == 0) return 0;
  const size_t piece = data[0] % 64 + 1;
  const auto* text = reinterpret_cast<const char*>(data + 1);
  const size_t n = size - 1;

  PlotCsvParser scan({}, nullptr);
  std::string scanError;
  bool scanOk = true;
  for (size_t i = 0; i < n && scanOk; i += piece)
    scanOk = scan.feed(text + i, std::min(piece, n - i), scanError);
  scanOk = scanOk && scan.finish(scanError);

  // Load every column the header names, in header order.
  std::vector<Component> lanes;
  for (Component c : scan.header())
    if (std::find(lanes.begin(), lanes.end(), c) == lanes.end()) lanes.push_back(c);
  ChartSeries series;
  PlotCsvParser load(lanes, &series);
  std::string loadError;
  bool loadOk = load.feed(text, n, loadError) && load.finish(loadError);

  if (loadOk) {
    // A file that loads also counts, to the same rows.
    if (!scanOk || scan.rows() != load.rows()) __builtin_trap();
    if (series.size() != load.rows() || series.lanes.size() != lanes.size()) __builtin_trap();
    for (const auto& lane : series.lanes) {
      if (lane.size() != series.size()) __builtin_trap();
      for (float v : lane)
        if (!std::isnan(v) && !(std::fabs(v) <= static_cast<float>(kalvex::kPlotValueLimit)))
          __builtin_trap();
    }
    for (double t : series.t)
      if (!std::isfinite(t) || t < series.tMin || t > series.tMax) __builtin_trap();
    std::vector<kalvex::ColumnExtent> columns;
    for (const auto& lane : series.lanes)
      kalvex::DecimateColumns(series.t.data(), lane.data(), 0, series.size(), series.tMin,
                              series.tMax + 1, 17, columns);
  } else if (loadError.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  return 0;
}
