#include "session/session_values.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace kalvex {

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

bool SessionValues::writeCsv(std::FILE* out) const { return writeCsv(CsvFileSink(out)); }

namespace {

template <typename Rows>
bool WriteRowsAsCsv(const Rows& rows, const CsvSink& write,
                    const std::function<void(size_t)>& progress) {
  // Rows go out in pieces of about 64 KiB: few calls, little memory.
  CsvWriter csv(write);
  if (!csv.header()) return false;
  GaugeValues values;
  size_t done = 0;
  for (const ValueRow& r : rows) {
    for (size_t i = 0; i < kComponentCount; ++i) values[i] = r.value(static_cast<Component>(i));
    if (!csv.row(static_cast<double>(r.ms) / 1000.0, values)) return false;
    ++done;
    if (csv.wrote() && progress) progress(done);
  }
  return csv.flush();
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
  std::vector<Component> all;
  for (size_t i = 0; i < kComponentCount; ++i) all.push_back(static_cast<Component>(i));
  SessionValues read(capacity_);
  CsvReader reader(
      all,
      [&read](double seconds, const float* lane) {
        GaugeValues values;
        for (size_t i = 0; i < kComponentCount; ++i)
          if (!std::isnan(lane[i])) values[i] = lane[i];
        read.append(static_cast<Millis>(std::llround(seconds * 1000.0)), values);
      },
      /*lanesMayLack=*/true);
  if (!ReadCsvFile(path, reader, error)) return false;
  read.columns_.fill(false);
  for (Component c : reader.header()) read.columns_[static_cast<size_t>(c)] = true;
  *this = std::move(read);
  return true;
}

}  // namespace kalvex
