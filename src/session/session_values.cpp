#include "session/session_values.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "protocol/utf8_path.h"

namespace kalvex {

namespace {

std::vector<std::string> SplitCommas(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t pos = s.find(',', start);
    out.push_back(s.substr(start, pos - start));
    if (pos == std::string::npos) return out;
    start = pos + 1;
  }
}

bool ParseDouble(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && errno != ERANGE && std::isfinite(out);
}

}  // namespace

std::string CsvRow(double seconds, const GaugeValues& values) {
  std::string row;
  row.reserve(128);
  // to_chars prints as "%.3f" and "%.9g" do, several times faster (replay
  // writes millions of rows).
  char buf[64];
  row.append(buf, std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed, 3).ptr);
  for (Component c : kCsvColumns) {
    row += ',';
    if (const auto& v = values[static_cast<size_t>(c)])
      row.append(buf, std::to_chars(buf, buf + sizeof buf, static_cast<double>(*v),
                                    std::chars_format::general, 9)
                          .ptr);
  }
  row += '\n';
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

bool SessionValues::writeCsv(const std::function<bool(std::string_view)>& write) const {
  // Rows go out in pieces of about 64 KiB: few calls, little memory.
  std::string chunk = std::string(kCsvHeader) + "\n";
  GaugeValues values;
  for (const ValueRow& r : rows_) {
    for (size_t i = 0; i < kComponentCount; ++i) values[i] = r.value(static_cast<Component>(i));
    chunk += CsvRow(static_cast<double>(r.ms) / 1000.0, values);
    if (chunk.size() >= 65536) {
      if (!write(chunk)) return false;
      chunk.clear();
    }
  }
  return chunk.empty() || write(chunk);
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
  const std::vector<std::string> header = SplitCommas(line);
  if (header.empty() || header[0] != "time") {
    error = path + ": the first line is not a header starting with \"time\"";
    return false;
  }
  std::vector<int> component;  // per column after time; -1 for none
  std::array<bool, kComponentCount> columns{};
  for (size_t i = 1; i < header.size(); ++i) {
    const auto c = ComponentByName(header[i]);
    if (!c) {
      error = path + ": unknown column " + header[i];
      return false;
    }
    component.push_back(static_cast<int>(*c));
    columns[static_cast<size_t>(*c)] = true;
  }
  clear();
  columns_ = columns;
  size_t lineNo = 1;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::vector<std::string> cells = SplitCommas(line);
    double t = 0;
    if (cells.size() != header.size() || !ParseDouble(cells[0], t)) {
      error = path + ": line " + std::to_string(lineNo) + " is not a row of " +
              std::to_string(header.size()) + " columns";
      return false;
    }
    GaugeValues values;
    for (size_t i = 1; i < cells.size(); ++i) {
      if (cells[i].empty()) continue;
      double v = 0;
      if (!ParseDouble(cells[i], v)) {
        error = path + ": line " + std::to_string(lineNo) + ": not a number: " + cells[i];
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
