// The values CSV: what kalvex-cli monitor and replay print, the window's
// save writes and `kalvex --plot` reads back. A header "time,NAME,..." and
// one row per accepted reply that set values: the seconds since the start
// and the twelve gauge values, each empty until a decoder has set it.
// The writer and the streaming reader side by side, so the two can only
// change together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/components.h"

namespace kalvex {

// Gauge values by Component; empty until set in this run.
using GaugeValues = std::array<std::optional<float>, kComponentCount>;

// Column order after "time".
inline constexpr std::array<Component, kComponentCount> kCsvColumns = {
    Component::VS_Speed, Component::VI_Speed, Component::VS_Nmot, Component::VI_Nmot,
    Component::VS_TOG,   Component::VS_Ub,    Component::VI_Ub,   Component::VS_TANS,
    Component::VS_THR,   Component::VS_MRV,   Component::VS_DV,   Component::VS_MAP,
};
inline constexpr const char* kCsvHeader =
    "time,VS_Speed,VI_Speed,VS_Nmot,VI_Nmot,VS_TOG,VS_Ub,VI_Ub,VS_TANS,VS_THR,VS_MRV,VS_DV,VS_MAP";

// ---- writing ---------------------------------------------------------------

// One row with its line feed: seconds with three decimals, then the values
// as "%.9g" (enough digits to give the float back), empty when unset.
std::string CsvRow(double seconds, const GaugeValues& values);
// The same row appended to `out`, without a string of its own.
void AppendCsvRow(std::string& out, double seconds, const GaugeValues& values);

// Where text goes: false when it could not be written.
using CsvSink = std::function<bool(std::string_view)>;
// A sink writing to `out` and flushing each piece, so a reader on a pipe
// sees it at once and Ctrl-C loses nothing; false (errno set) on an error.
CsvSink CsvFileSink(std::FILE* out);

// The header and rows to a sink, in pieces of about `piece` bytes (0: each
// header and row at once).
class CsvWriter {
 public:
  static constexpr size_t kPiece = 65536;

  explicit CsvWriter(CsvSink sink, size_t piece = kPiece);

  // Each false once a write failed (and ever after).
  bool header();
  bool row(double seconds, const GaugeValues& values);
  // Whatever is still held.
  bool flush();
  // True when the last header() or row() sent a piece to the sink.
  bool wrote() const { return wrote_; }

 private:
  bool written();

  CsvSink sink_;
  size_t piece_;
  std::string held_;
  bool ok_ = true;
  bool wrote_ = false;
};

// ---- reading ---------------------------------------------------------------

// The largest magnitude a value keeps; larger ones are clipped to it.
inline constexpr double kCsvValueLimit = 3.4e38;

// Takes a CSV in pieces of any size: a header "time,NAME,..." (an UTF-8 BOM
// before it is skipped, the names in any order and subset), then rows of as
// many cells. Without a row sink it only counts rows and notes which
// columns hold a value; with one it also hands on each row's time and the
// values of `lanes` (the first column of each name; NaN where the row has
// none). A lane without a column fails the header, unless `lanesMayLack`:
// then its values are all NaN.
class CsvReader {
 public:
  static constexpr size_t kMaxLine = 1 << 20;
  using RowSink = std::function<void(double seconds, const float* laneValues)>;

  explicit CsvReader(std::vector<Component> lanes, RowSink onRow = {}, bool lanesMayLack = false);

  // False with `error` ("line N: ...") at the first line that is not right.
  bool feed(const char* data, size_t n, std::string& error);
  // The last line without its line feed.
  bool finish(std::string& error);

  bool sawHeader() const { return header_done_; }
  const std::vector<Component>& header() const { return header_; }
  const std::array<bool, kComponentCount>& filled() const { return filled_; }
  size_t rows() const { return rows_; }
  // Values beyond ±kCsvValueLimit, clipped.
  size_t clipped() const { return clipped_; }

 private:
  bool line(std::string_view text, std::string& error);
  bool headerLine(std::string_view text, std::string& error);
  bool cell(size_t column, std::string_view text, double& time, std::string& why);

  std::vector<Component> lanes_;
  RowSink onRow_;
  bool lanesMayLack_;
  std::string carry_;
  size_t line_no_ = 0;
  bool header_done_ = false;
  std::vector<Component> header_;
  std::vector<int> lane_of_column_;  // per column after time: lane index or -1
  std::vector<float> row_;
  std::array<bool, kComponentCount> filled_{};
  size_t rows_ = 0;
  size_t clipped_ = 0;
};

// Feeds the whole file at `path` (UTF-8) to `reader`; errors name the file.
bool ReadCsvFile(const std::string& path, CsvReader& reader, std::string& error);

}  // namespace kalvex
