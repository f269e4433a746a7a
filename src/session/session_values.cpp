#include "session/session_values.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#include "protocol/number_format.h"
#include "protocol/text.h"
#include "protocol/utf8_path.h"

namespace kalvex {

namespace {

// The cells of a CSV line, as views into it.
void SplitCommas(std::string_view s, std::vector<std::string_view>& out) {
  out.clear();
  for (;;) {
    const size_t pos = s.find(',');
    out.push_back(s.substr(0, pos));
    if (pos == std::string_view::npos) return;
    s.remove_prefix(pos + 1);
  }
}

// As strtod took them before: leading blanks and a plus sign are allowed.
bool ParseDouble(std::string_view text, double& out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  const auto v = ParseDecimalNumber(text);
  if (v) out = *v;
  return v.has_value();
}

}  // namespace

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

void SessionValues::clear() {
  rows_.clear();
  dropped_ = 0;
  appended_ = 0;
  columns_.fill(true);
}

void SessionValues::append(Millis ms, const GaugeValues& values) {
  if (rows_.size() >= capacity_) {
    rows_.pop_front();
    ++dropped_;
  }
  ValueRow& r = rows_.emplace_back();
  r.ms = ms;
  for (size_t i = 0; i < kComponentCount; ++i) {
    if (!values[i]) continue;
    r.v[i] = *values[i];
    r.set = static_cast<uint16_t>(r.set | (1u << i));
  }
  ++appended_;
}

bool SessionValues::writeCsv(std::FILE* out) const {
  return writeCsv([out](std::string_view text) {
           return std::fwrite(text.data(), 1, text.size(), out) == text.size();
         }) &&
         std::fflush(out) == 0 && !std::ferror(out);
}

namespace {

template <typename Rows>
bool WriteRowsAsCsv(const Rows& rows, const std::function<bool(std::string_view)>& write,
                    const std::function<void(size_t)>& progress) {
  // Rows go out in pieces of about 64 KiB: few calls, little memory.
  std::string chunk = std::string(kCsvHeader) + "\n";
  chunk.reserve(65536 + 512);
  GaugeValues values;
  size_t done = 0;
  for (const ValueRow& r : rows) {
    for (size_t i = 0; i < kComponentCount; ++i) values[i] = r.value(static_cast<Component>(i));
    AppendCsvRow(chunk, static_cast<double>(r.ms) / 1000.0, values);
    ++done;
    if (chunk.size() >= 65536) {
      if (!write(chunk)) return false;
      chunk.clear();
      if (progress) progress(done);
    }
  }
  return chunk.empty() || write(chunk);
}

}  // namespace

bool WriteCsvRows(const std::vector<ValueRow>& rows,
                  const std::function<bool(std::string_view)>& write,
                  const std::function<void(size_t)>& progress) {
  return WriteRowsAsCsv(rows, write, progress);
}

bool SessionValues::writeCsv(const std::function<bool(std::string_view)>& write) const {
  return WriteRowsAsCsv(rows_, write, {});
}

size_t SessionValues::copyRows(size_t from, size_t max, std::vector<ValueRow>& out) const {
  if (from >= rows_.size()) return 0;
  const size_t n = std::min(max, rows_.size() - from);
  const auto first = rows_.begin() + static_cast<std::ptrdiff_t>(from);
  out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(n));
  return n;
}

bool SessionValues::readCsv(const std::string& path, std::string& error) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  if (!std::getline(in, line)) {
    error = path + " is empty";
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string_view> header;
  SplitCommas(line, header);
  if (header.empty() || header[0] != "time") {
    error = path + ": the first line is not a header starting with \"time\"";
    return false;
  }
  std::vector<int> component;  // per column after time; -1 for none
  std::array<bool, kComponentCount> columns{};
  for (size_t i = 1; i < header.size(); ++i) {
    const auto c = ComponentByName(header[i]);
    if (!c) {
      error = path + ": unknown column " + std::string(header[i]);
      return false;
    }
    component.push_back(static_cast<int>(*c));
    columns[static_cast<size_t>(*c)] = true;
  }
  const size_t columnCount = header.size();
  clear();
  columns_ = columns;
  std::vector<std::string_view> cells;
  size_t lineNo = 1;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    SplitCommas(line, cells);
    double t = 0;
    if (cells.size() != columnCount || !ParseDouble(cells[0], t)) {
      error = path + ": line " + std::to_string(lineNo) + " is not a row of " +
              std::to_string(columnCount) + " columns";
      return false;
    }
    GaugeValues values;
    for (size_t i = 1; i < cells.size(); ++i) {
      if (cells[i].empty()) continue;
      double v = 0;
      if (!ParseDouble(cells[i], v)) {
        error =
            path + ": line " + std::to_string(lineNo) + ": not a number: " + std::string(cells[i]);
        return false;
      }
      values[static_cast<size_t>(component[i - 1])] = static_cast<float>(v);
    }
    append(static_cast<Millis>(std::llround(t * 1000.0)), values);
  }
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

}  // namespace kalvex
