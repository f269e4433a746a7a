// The chart's pure parts: round ticks, time labels, min/max thinning, rows
// whose times go back, and the streaming CSV reader of kalvex --plot (golden
// files under tests/data/plot, also the seeds of its fuzz target).
#include "ui/chart_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace kalvex {
namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

std::string DataFile(const std::string& name) {
  const char* dir = std::getenv("KALVEX_TEST_DATA");
  return std::string(dir ? dir : "tests/data") + "/plot/" + name;
}

TEST(ChartTicks, StepsAreOneTwoOrFiveTimesAPowerOfTen) {
  struct Case {
    double span;
    int maxTicks;
    double step;
  } const cases[] = {
      {10, 5, 2},
      {7, 5, 2},
      {100, 4, 50},
      {4180, 5, 1000},
      {0.3, 3, 0.1},
      {200, 4, 50},
      {6.8e38, 4, 2e38},
      {1, 1, 1},
      {3, 1, 5},
      {0.0004, 2, 2e-4},
      {0, 5, 1},
      {-3, 5, 1},
      {std::numeric_limits<double>::quiet_NaN(), 5, 1},
      {std::numeric_limits<double>::infinity(), 5, 1},
  };
  for (const Case& c : cases) {
    const double step = NiceStep(c.span, c.maxTicks);
    EXPECT_NEAR(step, c.step, c.step * 1e-9) << c.span << " / " << c.maxTicks;
    // The step is round and no finer than asked.
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-12));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                std::fabs(mantissa - 5) < 1e-9)
        << step;
    if (c.span > 0 && std::isfinite(c.span)) {
      EXPECT_LE(c.span / step, c.maxTicks + 1e-9);
    }
  }
}

TEST(ChartTicks, TickValuesAndLabels) {
  struct Case {
    double lo, hi, step;
    std::vector<std::string> labels;
  } const cases[] = {
      {-40, 160, 50, {"0", "50", "100", "150"}},
      {0, 10000, 2000, {"0", "2000", "4000", "6000", "8000", "10000"}},
      {0.1, 0.35, 0.1, {"0.1", "0.2", "0.3"}},
      {-1, 1, 0.5, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
      {6, 18, 5, {"10", "15"}},
      {-3.4e38, 3.4e38, 2e38, {"-2e+38", "0", "2e+38"}},
      {5, 4, 1, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> labels;
    for (double v : TickValues(c.lo, c.hi, c.step)) labels.push_back(FormatTickValue(v, c.step));
    EXPECT_EQ(labels, c.labels) << c.lo << ".." << c.hi;
  }
  EXPECT_EQ(FormatReadout(2100, 0), "2100");
  EXPECT_EQ(FormatReadout(13.849, 1), "13.8");
  EXPECT_EQ(FormatReadout(-0.01, 1), "0.0");
  EXPECT_EQ(FormatReadout(3.4e38, 1), "3.4e+38");
}

TEST(ChartTicks, TimeStepsAndLabels) {
  struct Step {
    double span;
    int maxTicks;
    double step;
  } const steps[] = {
      {300, 8, 60},   {300, 4, 120},    {30, 6, 5},        {2, 5, 0.5},          {200, 8, 30},
      {1200, 8, 300}, {20000, 8, 3600}, {86400, 6, 18000}, {4e6, 4, 3600 * 500},
  };
  for (const Step& s : steps)
    EXPECT_DOUBLE_EQ(TimeStep(s.span, s.maxTicks), s.step) << s.span << " / " << s.maxTicks;

  struct Label {
    double seconds, step;
    bool hours;
    const char* text;
  } const labels[] = {
      {0, 60, false, "0:00"},          {75, 5, false, "1:15"},
      {3725, 60, true, "1:02:05"},     {3599.96, 0.1, false, "60:00.0"},
      {59.96, 0.1, false, "1:00.0"},   {-5, 1, false, "-0:05"},
      {-0.01, 1, false, "0:00"},       {12.25, 0.5, false, "0:12.3"},
      {90000, 3600, true, "25:00:00"},
  };
  for (const Label& l : labels)
    EXPECT_EQ(FormatTime(l.seconds, l.step, l.hours), l.text) << l.seconds;
}

// Every pixel column keeps the smallest and largest value of the rows that
// fall into it, whatever their order; rows outside the view or without a
// value count for nothing.
TEST(ChartDecimation, EachColumnKeepsItsMinimumAndMaximum) {
  struct Case {
    const char* name;
    std::vector<double> t;
    std::vector<float> v;
    double from, to;
    int columns;
  };
  std::vector<Case> cases = {
      {"one row a column", {0, 1, 2, 3}, {5, 6, 7, 8}, 0, 4, 4},
      {"spike inside a column", {0, 0.1, 0.2, 0.3, 0.4}, {1, 100, 2, -50, 3}, 0, 1, 2},
      {"gaps and NaN", {0, 1, 2, 3, 4, 5}, {1, kNone, 3, kNone, kNone, 9}, 0, 6, 3},
      {"outside the view", {-5, 0, 1, 2, 50}, {1000, 1, 2, 3, -1000}, 0, 2, 2},
      {"times going back", {10, 2, 8, 1, 9, 3}, {1, 2, 3, 4, 5, 6}, 0, 12, 3},
  };
  // A long noisy series thinned to few columns.
  Case noisy{"million-ish noise", {}, {}, 0, 1000, 7};
  unsigned x = 12345;
  for (int i = 0; i < 20000; ++i) {
    x = x * 1103515245u + 12345u;
    noisy.t.push_back(i * 0.05);
    noisy.v.push_back(static_cast<float>(static_cast<int>(x >> 8) % 2001 - 1000));
  }
  cases.push_back(noisy);

  for (const Case& c : cases) {
    std::vector<ColumnExtent> out;
    DecimateColumns(c.t.data(), c.v.data(), 0, c.t.size(), c.from, c.to, c.columns, out);
    ASSERT_EQ(out.size(), static_cast<size_t>(c.columns)) << c.name;
    for (int col = 0; col < c.columns; ++col) {
      const double lo = c.from + (c.to - c.from) * col / c.columns;
      const double hi = c.from + (c.to - c.from) * (col + 1) / c.columns;
      bool any = false;
      float mn = 0, mx = 0;
      for (size_t i = 0; i < c.t.size(); ++i) {
        const bool in = c.t[i] >= lo && (c.t[i] < hi || (col == c.columns - 1 && c.t[i] <= c.to));
        if (!in || std::isnan(c.v[i])) continue;
        mn = any ? std::min(mn, c.v[i]) : c.v[i];
        mx = any ? std::max(mx, c.v[i]) : c.v[i];
        any = true;
      }
      const ColumnExtent& e = out[static_cast<size_t>(col)];
      ASSERT_EQ(e.any, any) << c.name << " column " << col;
      if (!any) continue;
      EXPECT_EQ(e.min, mn) << c.name << " column " << col;
      EXPECT_EQ(e.max, mx) << c.name << " column " << col;
      EXPECT_GE(e.first, e.min);
      EXPECT_LE(e.last, e.max);
    }
  }
}

TEST(ChartSeries, TimesThatGoBackSpanTheWholeRange) {
  ChartSeries s;
  s.reset(1);
  for (double t : {3598.0, 3599.0, 3600.0, 5.0, 6.0}) {
    const float v = static_cast<float>(t);
    s.append(t, &v);
  }
  EXPECT_FALSE(s.sorted);
  EXPECT_EQ(s.tMin, 5.0);
  EXPECT_EQ(s.tMax, 3600.0);
  EXPECT_EQ(s.rowsWithin(0, 10), (std::pair<size_t, size_t>{0, 5}));
  EXPECT_EQ(s.nearestRow(7.0), 4u);
  EXPECT_EQ(s.nearestRow(3598.4), 0u);
  s.dropFront(3);
  EXPECT_EQ(s.tMin, 5.0);
  EXPECT_EQ(s.tMax, 6.0);

  ChartSeries sorted;
  sorted.reset(0);
  for (double t : {0.0, 1.0, 2.0, 3.0}) sorted.append(t, nullptr);
  EXPECT_TRUE(sorted.sorted);
  EXPECT_EQ(sorted.rowsWithin(0.5, 2.0), (std::pair<size_t, size_t>{1, 3}));
  EXPECT_EQ(sorted.nearestRow(1.6), 2u);
  EXPECT_EQ(sorted.nearestRow(-9), 0u);
}

struct FileCase {
  const char* file;
  std::vector<Component> lanes;
  bool ok;
  size_t rows;
  double tMin, tMax;
  size_t clipped;
  std::vector<std::vector<float>> values;  // per lane, all rows (when given)
  const char* error;                       // part of the error text
};

TEST(PlotCsv, GoldenFiles) {
  const float L = static_cast<float>(kPlotValueLimit);
  const FileCase cases[] = {
      {"bom.csv",
       {Component::VS_TOG, Component::VI_Nmot},
       true,
       3,
       0,
       0.5,
       0,
       {{20.5f, 20.5f, kNone}, {800, 850, 900}},
       ""},
      {"crlf_no_last_newline.csv", {Component::VS_THR}, true, 3, 1, 3, 0, {{5, 7.5f, 9}}, ""},
      {"clock_goes_back.csv",
       {Component::VI_Nmot},
       true,
       5,
       5,
       3600,
       0,
       {{900, 910, 920, 930, 940}},
       ""},
      {"huge_values.csv",
       {Component::VS_MAP, Component::VS_DV},
       true,
       5,
       0,
       4,
       3,
       {{L, -L, L, 3.4e38f, 12}, {2, 3, 4, 0, 5}},
       ""},
      {"bad_number.csv", {Component::VI_Nmot}, false, 0, 0, 0, 0, {}, "line 3: not a number: 8o0"},
      {"bad_time.csv", {Component::VI_Nmot}, false, 0, 0, 0, 0, {}, "line 3: not a time: nan"},
      {"short_row.csv", {}, false, 0, 0, 0, 0, {}, "line 3 is not a row of 3 columns"},
      {"unknown_column.csv", {}, false, 0, 0, 0, 0, {}, "line 1: unknown column VS_Oil"},
      {"no_time_first.csv", {}, false, 0, 0, 0, 0, {}, "header starting with \"time\""},
      {"empty.csv", {}, false, 0, 0, 0, 0, {}, "empty"},
      {"bom.csv", {Component::VS_MAP}, false, 0, 0, 0, 0, {}, "no column VS_MAP"},
      {"no-such-file.csv", {}, false, 0, 0, 0, 0, {}, "cannot read "},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = DataFile(c.file);
    ChartSeries series;
    PlotCsvParser parser(c.lanes, &series);
    std::string error;
    ASSERT_EQ(ParsePlotCsvFile(path, parser, error), c.ok) << error;
    if (!c.ok) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      EXPECT_NE(error.find(c.file), std::string::npos) << error;  // names the file
      continue;
    }
    EXPECT_EQ(parser.rows(), c.rows);
    ASSERT_EQ(series.size(), c.rows);
    EXPECT_EQ(series.tMin, c.tMin);
    EXPECT_EQ(series.tMax, c.tMax);
    EXPECT_EQ(parser.clipped(), c.clipped);
    ASSERT_EQ(series.lanes.size(), c.values.size());
    for (size_t l = 0; l < c.values.size(); ++l)
      for (size_t i = 0; i < c.rows; ++i) {
        if (std::isnan(c.values[l][i]))
          EXPECT_TRUE(std::isnan(series.lanes[l][i])) << l << "," << i;
        else
          EXPECT_EQ(series.lanes[l][i], c.values[l][i]) << l << "," << i;
      }
  }
}

// The counting pass sees the same rows and notes the columns with values,
// and the result does not depend on how the bytes are cut into pieces.
TEST(PlotCsv, PiecesOfAnySizeGiveTheSameRows) {
  const std::string text =
      "\xEF\xBB\xBFtime,VI_Nmot,VS_TOG,VS_MAP\r\n0,800,,\n0.5,810,20,\r\n\n1.0,820,21,\n2,830,22,";
  ChartSeries whole;
  {
    PlotCsvParser p({Component::VS_TOG, Component::VI_Nmot}, &whole);
    std::string error;
    ASSERT_TRUE(p.feed(text.data(), text.size(), error) && p.finish(error)) << error;
  }
  ASSERT_EQ(whole.size(), 4u);
  for (size_t piece : {1u, 2u, 3u, 7u, 16u}) {
    ChartSeries s;
    PlotCsvParser p({Component::VS_TOG, Component::VI_Nmot}, &s);
    PlotCsvParser scan({}, nullptr);
    std::string error;
    for (size_t i = 0; i < text.size(); i += piece) {
      const size_t n = std::min(piece, text.size() - i);
      ASSERT_TRUE(p.feed(text.data() + i, n, error)) << error;
      ASSERT_TRUE(scan.feed(text.data() + i, n, error)) << error;
    }
    ASSERT_TRUE(p.finish(error) && scan.finish(error)) << error;
    EXPECT_EQ(scan.rows(), 4u);
    EXPECT_TRUE(scan.filled()[static_cast<size_t>(Component::VS_TOG)]);
    EXPECT_TRUE(scan.filled()[static_cast<size_t>(Component::VI_Nmot)]);
    EXPECT_FALSE(scan.filled()[static_cast<size_t>(Component::VS_MAP)]);
    ASSERT_EQ(s.size(), whole.size()) << piece;
    EXPECT_EQ(s.t, whole.t);
    EXPECT_EQ(s.lanes[1], whole.lanes[1]);
  }
  // A line with no end is refused rather than held without bound.
  PlotCsvParser p({}, nullptr);
  std::string error;
  const std::string big(PlotCsvParser::kMaxLine + 1, '1');
  EXPECT_FALSE(p.feed(big.data(), big.size(), error));
  EXPECT_NE(error.find("line 1 is longer than"), std::string::npos) << error;
}

TEST(LaneScales, GaugeRangeAndAlarmZone) {
  const LaneScale ub = GaugeScaleOf(Component::VS_Ub);
  EXPECT_EQ(ub.from, 6);
  EXPECT_EQ(ub.to, 18);
  EXPECT_EQ(ub.alarmBelow, 9);
  EXPECT_EQ(ub.alarmAbove, 15);
  EXPECT_EQ(ub.decimals, 1);
  const LaneScale rpm = GaugeScaleOf(Component::VI_Nmot);  // a read-out: no alarm
  EXPECT_EQ(rpm.to, 10000);
  EXPECT_FALSE(rpm.alarmBelow || rpm.alarmAbove);
  EXPECT_EQ(rpm.decimals, 0);
  const LaneScale thr = GaugeScaleOf(Component::VS_THR);  // lower limit below the range
  EXPECT_FALSE(thr.alarmBelow);
  EXPECT_EQ(thr.alarmAbove, 90);
}

// Thinning a block of rows at a time must give what thinning row by row
// gives, bit for bit: whole views and narrow ones, column counts that cut
// blocks anywhere, NaN gaps, equal values of both signs, rows appended after
// a view and rows dropped from the front.
TEST(ChartData, BlockThinningIsRowThinning) {
  auto same = [](const std::vector<std::vector<ColumnExtent>>& a,
                 const std::vector<std::vector<ColumnExtent>>& b) {
    if (a.size() != b.size()) return false;
    for (size_t l = 0; l < a.size(); ++l) {
      if (a[l].size() != b[l].size()) return false;
      for (size_t c = 0; c < a[l].size(); ++c) {
        const ColumnExtent& x = a[l][c];
        const ColumnExtent& y = b[l][c];
        if (x.any != y.any) return false;
        if (!x.any) continue;
        for (auto [p, q] :
             {std::pair{x.first, y.first}, {x.last, y.last}, {x.min, y.min}, {x.max, y.max}})
          if (std::signbit(p) != std::signbit(q) || !(p == q)) return false;
      }
    }
    return true;
  };
  ChartSeries s;
  s.reset(3);
  unsigned x = 2718;
  auto next = [&] { return x = x * 1103515245u + 12345u; };
  auto addRows = [&](int n) {
    for (int i = 0; i < n; ++i) {
      const double t = s.size() == 0 ? 0.0 : s.t.back() + 0.02 * (next() % 3);  // equal times too
      const float v[3] = {static_cast<float>(static_cast<int>(next() >> 8) % 2001 - 1000),
                          next() % 7 == 0 ? kNone : static_cast<float>(next() % 5),
                          next() % 2 ? 0.0f : -0.0f};
      s.append(t, v);
    }
  };
  auto check = [&](const char* what) {
    const double lo = s.tMin, hi = s.tMax;
    const double views[][2] = {{lo, hi},
                               {lo, lo + (hi - lo) / 3},
                               {lo + (hi - lo) * 0.41, hi},
                               {lo - 5, hi + 5},
                               {lo + 1.001, lo + 1.002}};
    for (const auto& v : views) {
      for (int columns : {1, 7, 64, 681, 5000}) {
        for (size_t lanes : {size_t{1}, size_t{3}}) {
          std::vector<const float*> raw;
          for (size_t l = 0; l < lanes; ++l) raw.push_back(s.lanes[l].data());
          const auto [b, e] = s.rowsWithin(v[0], v[1]);
          std::vector<std::vector<ColumnExtent>> rows, blocks;
          DecimateLanes(s.t.data(), raw, b, e, v[0], v[1], columns, rows);
          DecimateSeries(s, lanes, v[0], v[1], columns, blocks);
          ASSERT_TRUE(same(rows, blocks))
              << what << ": view " << v[0] << ".." << v[1] << ", " << columns << " columns";
        }
      }
    }
  };
  addRows(20'000);
  check("filled");
  addRows(1'237);  // a block half full
  check("appended");
  s.dropFront(1'000);
  check("dropped");
  addRows(33);
  check("appended after the drop");
  EXPECT_EQ(s.blockRows, s.size());
}

}  // namespace
}  // namespace kalvex
