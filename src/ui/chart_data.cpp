#include "ui/chart_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "protocol/translate.h"
#include "ui/dashboard_layout.h"

namespace kalvex {

Quantity QuantityOf(Component c) {
  switch (c) {
    case Component::VS_Speed:
    case Component::VI_Speed:
      return {QT_TRANSLATE_NOOP("kalvex", "Скорость"), QT_TRANSLATE_NOOP("kalvex", "км/ч")};
    case Component::VS_Nmot:
      return {QT_TRANSLATE_NOOP("kalvex", "Обороты"), QT_TRANSLATE_NOOP("kalvex", "×100 об/мин")};
    case Component::VI_Nmot:
      return {QT_TRANSLATE_NOOP("kalvex", "Обороты"), QT_TRANSLATE_NOOP("kalvex", "об/мин")};
    case Component::VS_TOG:
      return {QT_TRANSLATE_NOOP("kalvex", "Температура ОЖ"), "°C"};
    case Component::VS_TANS:
      return {QT_TRANSLATE_NOOP("kalvex", "Температура воздуха"), "°C"};
    case Component::VS_Ub:
    case Component::VI_Ub:
      return {QT_TRANSLATE_NOOP("kalvex", "Напряжение"), QT_TRANSLATE_NOOP("kalvex", "В")};
    case Component::VS_THR:
      return {QT_TRANSLATE_NOOP("kalvex", "Дроссель"), "%"};
    case Component::VS_DV:
      return {QT_TRANSLATE_NOOP("kalvex", "Время впрыска"), QT_TRANSLATE_NOOP("kalvex", "мс")};
    case Component::VS_MRV:
      return {QT_TRANSLATE_NOOP("kalvex", "Расход воздуха"), QT_TRANSLATE_NOOP("kalvex", "кг/ч")};
    case Component::VS_MAP:
      return {QT_TRANSLATE_NOOP("kalvex", "Давление во впуске"),
              QT_TRANSLATE_NOOP("kalvex", "кПа")};
  }
  return {"", ""};
}

LaneScale GaugeScaleOf(Component c) {
  const ComponentSetup& setup = SetupOf(c);
  const GaugeSettings& s = setup.settings;
  LaneScale scale;
  scale.from = s.valueFrom;
  scale.to = s.valueTo > s.valueFrom ? s.valueTo : s.valueFrom + 1;
  // Only the dials and bars alarm, and only with their limits switched on.
  const bool alarms = setup.kind == GaugeKind::Meter180 || setup.kind == GaugeKind::Meter120 ||
                      setup.kind == GaugeKind::VMeter;
  const size_t dot = s.valueFormat.find('.');
  scale.decimals = dot == std::string::npos ? 0 : static_cast<int>(s.valueFormat.size() - dot - 1);
  if (alarms && s.has(kOptLimit)) {
    if (s.limitLower > scale.from) scale.alarmBelow = s.limitLower;
    if (s.limitUpper < scale.to) scale.alarmAbove = s.limitUpper;
  }
  return scale;
}

// ---- ticks and labels ---------------------------------------------------------

namespace {

// The smallest 1, 2 or 5 × 10ⁿ not below x (x > 0).
double RoundUp125(double x) {
  if (!(x > 0) || !std::isfinite(x)) return 1;
  double mag = std::pow(10.0, std::floor(std::log10(x)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * mag >= x * (1 - 1e-12)) return m * mag;
  return 10 * mag;
}

int DecimalsOf(double step) {
  if (!(step > 0)) return 0;
  const int d = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  return std::clamp(d, 0, 9);
}

std::string Printf(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

std::string FormatWithDecimals(double value, int decimals) {
  if (value == 0) value = 0;  // no "-0"
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

}  // namespace

double NiceStep(double span, int maxTicks) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  return RoundUp125(span / std::max(1, maxTicks));
}

std::vector<double> TickValues(double lo, double hi, double step) {
  std::vector<double> out;
  if (!(step > 0) || !std::isfinite(lo) || !std::isfinite(hi) || hi < lo) return out;
  const double first = std::ceil(lo / step - 1e-9);
  for (int i = 0; i < 1000; ++i) {
    double v = (first + i) * step;
    if (v > hi + step * 1e-9) break;
    if (std::fabs(v) < step * 1e-9) v = 0;
    out.push_back(v);
  }
  return out;
}

std::string FormatTickValue(double value, double step) {
  if (std::fabs(value) >= 1e7 || (step < 1e-4 && value != 0)) return Printf("%.3g", value);
  return FormatWithDecimals(value, DecimalsOf(step));
}

std::string FormatReadout(double value, int decimals) {
  if (std::fabs(value) >= 1e7 || (std::fabs(value) < 1e-4 && value != 0))
    return Printf("%.6g", value);
  return FormatWithDecimals(value, std::clamp(decimals, 0, 9));
}

double TimeStep(double span, int maxTicks) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  const double raw = span / std::max(1, maxTicks);
  const double unit = raw <= 20 ? 1 : raw <= 20 * 60 ? 60 : 3600;
  return unit * RoundUp125(raw / unit);
}

std::string FormatTime(double seconds, double step, bool hours) {
  if (!std::isfinite(seconds)) return "?";
  const int decimals = step >= 1 ? 0 : std::min(3, DecimalsOf(step));
  const double scale = std::pow(10.0, decimals);
  const double whole = std::round(std::fabs(seconds) * scale);  // in 10^-decimals s
  if (whole / scale > 1e12) return Printf("%.3g s", seconds);
  const auto units = static_cast<long long>(whole);
  const auto perSecond = static_cast<long long>(scale);
  const long long total = units / perSecond;
  const long long frac = units % perSecond;
  const bool negative = seconds < 0 && units != 0;
  char buf[64];
  const long long h = total / 3600, m = (total / 60) % 60, s = total % 60;
  int n = hours
              ? std::snprintf(buf, sizeof buf, "%s%lld:%02lld:%02lld", negative ? "-" : "", h, m, s)
              : std::snprintf(buf, sizeof buf, "%s%lld:%02lld", negative ? "-" : "", total / 60, s);
  if (decimals > 0 && n > 0)
    std::snprintf(buf + n, sizeof buf - static_cast<size_t>(n), ".%0*lld", decimals, frac);
  return buf;
}

// ---- rows ------------------------------------------------------------------------

namespace {

// Adds `b`, which follows everything in `e` in row order; the comparisons
// are the row-by-row ones, so ties (0 and -0) keep the earlier value alike.
void Merge(ColumnExtent& e, const ColumnExtent& b) {
  if (!b.any) return;
  if (!e.any) {
    e = b;
    return;
  }
  e.last = b.last;
  if (b.min < e.min) e.min = b.min;
  if (b.max > e.max) e.max = b.max;
}

void Add(ColumnExtent& e, float x) {
  if (std::isnan(x)) return;
  if (!e.any) {
    e = {x, x, x, x, true};
  } else {
    e.last = x;
    if (x < e.min) e.min = x;
    if (x > e.max) e.max = x;
  }
}

// Summarises row `i`, the next one after blockRows.
void SummariseRow(ChartSeries& s, size_t i) {
  const size_t block = i / ChartSeries::kBlockRows;
  if (i % ChartSeries::kBlockRows == 0) {
    s.blockFirstT.push_back(s.t[i]);
    s.blockLastT.push_back(s.t[i]);
    for (auto& lane : s.blockExtents) lane.emplace_back();
  }
  s.blockLastT[block] = s.t[i];
  for (size_t l = 0; l < s.blockExtents.size(); ++l) Add(s.blockExtents[l][block], s.lanes[l][i]);
  s.blockRows = i + 1;
}

void ClearBlocks(ChartSeries& s) {
  s.blockFirstT.clear();
  s.blockLastT.clear();
  s.blockExtents.assign(s.lanes.size(), {});
  s.blockRows = 0;
}

}  // namespace

void ChartSeries::reset(size_t laneCount) {
  t.clear();
  lanes.assign(laneCount, {});
  ClearBlocks(*this);
  sorted = true;
  tMin = tMax = 0;
  ++generation;
}

void ChartSeries::reserve(size_t rows) {
  t.reserve(rows);
  for (auto& lane : lanes) lane.reserve(rows);
}

void ChartSeries::append(double time, const float* values) {
  if (t.empty()) {
    tMin = tMax = time;
  } else {
    if (time < t.back()) sorted = false;
    tMin = std::min(tMin, time);
    tMax = std::max(tMax, time);
  }
  t.push_back(time);
  for (size_t i = 0; i < lanes.size(); ++i) lanes[i].push_back(values[i]);
  if (blockRows + 1 == t.size() && blockExtents.size() == lanes.size())
    SummariseRow(*this, blockRows);
  ++generation;
}

void ChartSeries::dropFront(size_t n) {
  n = std::min(n, t.size());
  if (n == 0) return;
  t.erase(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n));
  for (auto& lane : lanes) lane.erase(lane.begin(), lane.begin() + static_cast<std::ptrdiff_t>(n));
  // The blocks start at another row now: summarised afresh (drops come in
  // batches, so this is rare).
  ClearBlocks(*this);
  for (size_t i = 0; i < t.size(); ++i) SummariseRow(*this, i);
  if (t.empty()) {
    tMin = tMax = 0;
    sorted = true;
  } else if (sorted) {
    tMin = t.front();
  } else {
    const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
    tMin = *lo;
    tMax = *hi;
  }
  ++generation;
}

std::pair<size_t, size_t> ChartSeries::rowsWithin(double from, double to) const {
  if (!sorted) return {0, t.size()};
  const auto b = std::lower_bound(t.begin(), t.end(), from);
  const auto e = std::upper_bound(b, t.end(), to);
  return {static_cast<size_t>(b - t.begin()), static_cast<size_t>(e - t.begin())};
}

std::optional<size_t> ChartSeries::nearestRow(double time) const {
  if (t.empty()) return std::nullopt;
  if (sorted) {
    const size_t i = static_cast<size_t>(std::lower_bound(t.begin(), t.end(), time) - t.begin());
    if (i == 0) return 0;
    if (i == t.size()) return i - 1;
    return time - t[i - 1] <= t[i] - time ? i - 1 : i;
  }
  size_t best = 0;
  for (size_t i = 1; i < t.size(); ++i)
    if (std::fabs(t[i] - time) < std::fabs(t[best] - time)) best = i;
  return best;
}

namespace {

// Adds rows begin..end to `out`, which is already sized.
void AccumulateRows(const double* t, const std::vector<const float*>& lanes, size_t begin,
                    size_t end, double from, double to, int columns,
                    std::vector<std::vector<ColumnExtent>>& out) {
  const double scale = columns / (to - from);
  // Rows in blocks: the columns of a block once, then every lane over it.
  constexpr size_t kBlock = 4096;
  int col[kBlock];
  for (size_t b = begin; b < end; b += kBlock) {
    const size_t n = std::min(kBlock, end - b);
    for (size_t k = 0; k < n; ++k) {
      const double ti = t[b + k];
      col[k] = ti >= from && ti <= to ? std::min(columns - 1, static_cast<int>((ti - from) * scale))
                                      : -1;
    }
    for (size_t l = 0; l < lanes.size(); ++l) {
      const float* v = lanes[l] + b;
      ColumnExtent* o = out[l].data();
      for (size_t k = 0; k < n; ++k)
        if (col[k] >= 0) Add(o[col[k]], v[k]);
    }
  }
}

}  // namespace

void DecimateLanes(const double* t, const std::vector<const float*>& lanes, size_t begin,
                   size_t end, double from, double to, int columns,
                   std::vector<std::vector<ColumnExtent>>& out) {
  out.resize(lanes.size());
  for (auto& lane : out) lane.assign(static_cast<size_t>(std::max(0, columns)), ColumnExtent{});
  if (columns <= 0 || !(to > from) || lanes.empty()) return;
  AccumulateRows(t, lanes, begin, end, from, to, columns, out);
}

void DecimateSeries(const ChartSeries& series, size_t laneCount, double from, double to,
                    int columns, std::vector<std::vector<ColumnExtent>>& out) {
  laneCount = std::min(laneCount, series.lanes.size());
  std::vector<const float*> lanes;
  for (size_t l = 0; l < laneCount; ++l) lanes.push_back(series.lanes[l].data());
  const auto [begin, end] = series.rowsWithin(from, to);
  const bool blocks = series.sorted && series.blockRows == series.size() &&
                      series.blockExtents.size() == series.lanes.size();
  if (!blocks || columns <= 0 || !(to > from) || lanes.empty()) {
    DecimateLanes(series.t.data(), lanes, begin, end, from, to, columns, out);
    return;
  }
  out.resize(lanes.size());
  for (auto& lane : out) lane.assign(static_cast<size_t>(columns), ColumnExtent{});
  const double scale = columns / (to - from);
  // As the row-by-row thinning works out a row's column; with the times in
  // order, a block whose first and last rows share a column lies wholly in it.
  auto column = [&](double ti) {
    return std::min(columns - 1, static_cast<int>((ti - from) * scale));
  };
  constexpr size_t kB = ChartSeries::kBlockRows;
  size_t i = begin;
  while (i < end) {
    const size_t block = i / kB;
    const size_t blockEnd = std::min((block + 1) * kB, series.size());
    if (i == block * kB && blockEnd <= end) {
      const int c = column(series.blockFirstT[block]);
      if (c == column(series.blockLastT[block])) {
        for (size_t l = 0; l < lanes.size(); ++l)
          Merge(out[l][static_cast<size_t>(c)], series.blockExtents[l][block]);
        i = blockEnd;
        continue;
      }
    }
    const size_t stop = std::min(blockEnd, end);
    AccumulateRows(series.t.data(), lanes, i, stop, from, to, columns, out);
    i = stop;
  }
}

void DecimateColumns(const double* t, const float* v, size_t begin, size_t end, double from,
                     double to, int columns, std::vector<ColumnExtent>& out) {
  std::vector<std::vector<ColumnExtent>> lanes;
  DecimateLanes(t, {v}, begin, end, from, to, columns, lanes);
  out = std::move(lanes[0]);
}

// ---- the values CSV, streamed into a series -----------------------------------

namespace {

CsvReader::RowSink SeriesSink(ChartSeries* out, size_t lanes) {
  if (!out) return {};
  out->reset(lanes);
  return [out](double seconds, const float* values) { out->append(seconds, values); };
}

}  // namespace

PlotCsvParser::PlotCsvParser(std::vector<Component> lanes, ChartSeries* out)
    : CsvReader(lanes, SeriesSink(out, lanes.size())) {}

}  // namespace kalvex
