#include "protocol/csv_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <utility>

#include "protocol/number_format.h"
#include "protocol/utf8_path.h"

namespace kalvex {

// ---- writing ---------------------------------------------------------------

void AppendCsvRow(std::string& out, double seconds, const GaugeValues& values) {
  AppendFixed3(out, seconds);
  for (Component c : kCsvColumns) {
    out += ',';
    if (const auto& v = values[static_cast<size_t>(c)])
      AppendGeneral9(out, static_cast<double>(*v));
  }
  out += '\n';
}

std::string CsvRow(double seconds, const GaugeValues& values) {
  std::string row;
  row.reserve(128);
  AppendCsvRow(row, seconds, values);
  return row;
}

CsvSink CsvFileSink(std::FILE* out) {
  return [out](std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0 &&
           !std::ferror(out);
  };
}

CsvWriter::CsvWriter(CsvSink sink, size_t piece) : sink_(std::move(sink)), piece_(piece) {
  if (piece_ > 0) held_.reserve(piece_ + 512);
}

bool CsvWriter::header() {
  held_ += kCsvHeader;
  held_ += '\n';
  return written();
}

bool CsvWriter::row(double seconds, const GaugeValues& values) {
  AppendCsvRow(held_, seconds, values);
  return written();
}

bool CsvWriter::written() {
  wrote_ = false;
  if (held_.size() < std::max<size_t>(piece_, 1)) return ok_;
  return flush();
}

bool CsvWriter::flush() {
  if (!ok_ || held_.empty()) return ok_;
  ok_ = sink_(held_);
  held_.clear();
  wrote_ = true;
  return ok_;
}

// ---- reading ---------------------------------------------------------------

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

enum class Number { Ok, Clipped, Bad };

// A decimal number in C notation whatever the locale says.
Number ParseNumber(std::string_view text, double& out) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return Number::Bad;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  if (ptr != end) return Number::Bad;
  if (ec == std::errc::result_out_of_range) {
    // Beyond a double: too small goes to zero, too large to the limit.
    const size_t e = text.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
    out = tiny ? 0.0 : (text.front() == '-' ? -kCsvValueLimit : kCsvValueLimit);
    return tiny ? Number::Ok : Number::Clipped;
  }
  if (ec != std::errc() || !std::isfinite(out)) return Number::Bad;
  if (std::fabs(out) > kCsvValueLimit) {
    out = out < 0 ? -kCsvValueLimit : kCsvValueLimit;
    return Number::Clipped;
  }
  return Number::Ok;
}

template <typename F>
void ForEachCell(std::string_view line, F&& f) {
  size_t i = 0;
  for (;;) {
    const size_t comma = line.find(',', i);
    if (!f(line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i)))
      return;
    if (comma == std::string_view::npos) return;
    i = comma + 1;
  }
}

}  // namespace

CsvReader::CsvReader(std::vector<Component> lanes, RowSink onRow, bool lanesMayLack)
    : lanes_(std::move(lanes)), onRow_(std::move(onRow)), lanesMayLack_(lanesMayLack) {
  row_.assign(lanes_.size(), std::numeric_limits<float>::quiet_NaN());
}

bool CsvReader::feed(const char* data, size_t n, std::string& error) {
  while (n > 0) {
    const auto* nl = static_cast<const char*>(std::memchr(data, '\n', n));
    const size_t len = nl ? static_cast<size_t>(nl - data) : n;
    if (carry_.size() + len > kMaxLine) {
      error = "line " + std::to_string(line_no_ + 1) + " is longer than " +
              std::to_string(kMaxLine) + " bytes";
      return false;
    }
    if (!nl) {
      carry_.append(data, len);
      return true;
    }
    bool ok;
    if (carry_.empty()) {
      ok = line(std::string_view(data, len), error);
    } else {
      carry_.append(data, len);
      ok = line(carry_, error);
      carry_.clear();
    }
    if (!ok) return false;
    data += len + 1;
    n -= len + 1;
  }
  return true;
}

bool CsvReader::finish(std::string& error) {
  if (!carry_.empty()) {
    const std::string last = std::move(carry_);
    carry_.clear();
    if (!line(last, error)) return false;
  }
  if (!header_done_) {
    error = "the file is empty";
    return false;
  }
  return true;
}

bool CsvReader::headerLine(std::string_view text, std::string& error) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  bool first = true, ok = true;
  ForEachCell(text, [&](std::string_view cell) {
    cell = Trim(cell);
    if (first) {
      first = false;
      if (cell != "time") {
        error = "the first line is not a header starting with \"time\"";
        ok = false;
      }
      return ok;
    }
    const auto c = ComponentByName(cell);
    if (!c) {
      error = "unknown column " + std::string(cell.substr(0, 64));
      ok = false;
      return false;
    }
    header_.push_back(*c);
    return true;
  });
  if (!ok) return false;
  // Each lane takes the first column of its name.
  lane_of_column_.assign(header_.size(), -1);
  for (size_t l = 0; l < lanes_.size(); ++l) {
    const auto it = std::find(header_.begin(), header_.end(), lanes_[l]);
    if (it == header_.end()) {
      if (lanesMayLack_) continue;
      error = "no column " + std::string(ComponentName(lanes_[l]));
      return false;
    }
    lane_of_column_[static_cast<size_t>(it - header_.begin())] = static_cast<int>(l);
  }
  header_done_ = true;
  return true;
}

// One cell of a row: the time in column 0, a value after it. False with
// `why` when it is no number.
bool CsvReader::cell(size_t column, std::string_view text, double& time, std::string& why) {
  if (column == 0) {
    if (ParseNumber(text, time) == Number::Ok) return true;
    why = "line " + std::to_string(line_no_) + ": not a time: " + std::string(text.substr(0, 64));
    return false;
  }
  if (Trim(text).empty()) return true;
  const size_t k = column - 1;
  filled_[static_cast<size_t>(header_[k])] = true;
  const int lane = lane_of_column_[k];
  if (!onRow_ || lane < 0) return true;
  double v = 0;
  const Number r = ParseNumber(text, v);
  if (r == Number::Bad) {
    why = "line " + std::to_string(line_no_) + ": not a number: " + std::string(text.substr(0, 64));
    return false;
  }
  if (r == Number::Clipped) ++clipped_;
  row_[static_cast<size_t>(lane)] = static_cast<float>(v);
  return true;
}

bool CsvReader::line(std::string_view text, std::string& error) {
  ++line_no_;
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (!header_done_) {
    if (!headerLine(text, error)) {
      error = "line " + std::to_string(line_no_) + ": " + error;
      return false;
    }
    return true;
  }
  if (Trim(text).empty()) return true;
  size_t column = 0;
  double time = 0;
  bool ok = true;
  std::string why;
  std::fill(row_.begin(), row_.end(), std::numeric_limits<float>::quiet_NaN());
  ForEachCell(text, [&](std::string_view c) {
    ok = column <= header_.size() && cell(column, c, time, why);
    ++column;
    return ok;
  });
  if (ok && column != header_.size() + 1) ok = false;
  if (!ok) {
    error = !why.empty() ? why
                         : "line " + std::to_string(line_no_) + " is not a row of " +
                               std::to_string(header_.size() + 1) + " columns";
    return false;
  }
  ++rows_;
  if (onRow_) onRow_(time, row_.data());
  return true;
}

bool ReadCsvFile(const std::string& path, CsvReader& reader, std::string& error) {
  errno = 0;
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + (errno ? std::strerror(errno) : "cannot open");
    return false;
  }
  std::vector<char> buf(1 << 20);
  for (;;) {
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got > 0 && !reader.feed(buf.data(), got, error)) {
      error = path + ": " + error;
      return false;
    }
    if (!in) break;
  }
  if (in.bad()) {
    error = "cannot read " + path + ": " + (errno ? std::strerror(errno) : "read error");
    return false;
  }
  if (!reader.finish(error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace kalvex
