#include "session/obd_history.h"

#include <algorithm>

#include "obd/pid_table.h"
#include "protocol/number_format.h"

namespace kalvex {

std::vector<ObdColumn> ObdCsvColumns(const std::vector<ObdColumn>& polled) {
  std::vector<ObdColumn> out;
  for (const ObdColumn& c : polled)
    if (const obd::Pid* row = obd::FindPid(c.pid); row && row->kind == obd::PidKind::Number)
      out.push_back(c);
  return out;
}

std::string ObdCsvHeader(const std::vector<ObdColumn>& columns) {
  std::string header = "time";
  for (const ObdColumn& c : columns) header += "," + c.name;
  return header + "\n";
}

void AppendObdCsvRow(std::string& out, Millis sinceStart,
                     const std::vector<std::optional<double>>& cells) {
  AppendFixed3(out, static_cast<double>(sinceStart) / 1000.0);
  for (const std::optional<double>& cell : cells) {
    out += ',';
    if (cell) AppendGeneral9(out, *cell);
  }
  out += '\n';
}

std::string ObdCsvRow(Millis sinceStart, const std::vector<ObdColumn>& columns,
                      const ObdResults& results) {
  std::vector<std::optional<double>> cells;
  cells.reserve(columns.size());
  for (const ObdColumn& c : columns) {
    const auto it = results.values.find({c.ecu.value_or(0), c.pid});
    cells.push_back(it != results.values.end() ? it->second.value : std::nullopt);
  }
  std::string row;
  AppendObdCsvRow(row, sinceStart, cells);
  return row;
}

bool ObdCsvSnapshot::write(const std::function<bool(std::string_view)>& write,
                           const std::function<void(size_t rowsDone)>& progress) const {
  constexpr size_t kPiece = 64 * 1024;
  std::string text = ObdCsvHeader(columns);
  std::vector<std::optional<double>> cells = before;
  cells.resize(columns.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    for (const ObdCell& c : rows[i].cells)
      if (c.column < cells.size()) cells[c.column] = c.value;
    if (rows[i].ms >= 0) AppendObdCsvRow(text, rows[i].ms, cells);
    if (text.size() >= kPiece) {
      if (!write(text)) return false;
      text.clear();
      if (progress) progress(i + 1);
    }
  }
  if (!text.empty() && !write(text)) return false;
  if (progress) progress(rows.size());
  return true;
}

std::string ObdCsvSnapshot::text() const {
  std::string out;
  write([&out](std::string_view piece) {
    out += piece;
    return true;
  });
  return out;
}

void ObdValueHistory::clear() { begin({}); }

void ObdValueHistory::begin(std::vector<ObdColumn> columns) {
  columns_ = std::move(columns);
  before_.assign(columns_.size(), std::nullopt);
  rows_.clear();
  appended_ = 0;
  dropped_ = 0;
  ++sessions_;
}

std::optional<size_t> ObdValueHistory::columnOf(uint32_t ecu, uint8_t pid) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].pid == pid && columns_[i].ecu.value_or(ecu) == ecu) return i;
  return std::nullopt;
}

void ObdValueHistory::append(Millis start, const std::vector<std::pair<uint32_t, uint8_t>>& keys,
                             const ObdResults& results) {
  ObdHistoryRow row{0, {}};
  for (const auto& [ecu, pid] : keys) {
    const auto column = columnOf(ecu, pid);
    const auto it = results.values.find({ecu, pid});
    const obd::Pid* entry = obd::FindPid(pid);
    if (!column || it == results.values.end() || !entry) continue;
    // Decoded again from this answer's bytes: the session keeps the last
    // good number when an answer is too short, and that was not measured now.
    if (const auto v = obd::PidValue(*entry, it->second.bytes)) {
      row.ms = std::max<Millis>(0, it->second.at - start);
      row.cells.push_back({static_cast<uint16_t>(*column), *v});
    }
  }
  if (row.cells.empty()) return;
  rows_.push_back(std::move(row));
  ++appended_;
  if (rows_.size() > capacity_) {
    for (const ObdCell& c : rows_.front().cells) before_[c.column] = c.value;
    rows_.pop_front();
    ++dropped_;
  }
}

std::optional<double> ObdValueHistory::value(size_t i, size_t column) const {
  for (const ObdCell& c : rows_[i].cells)
    if (c.column == column) return c.value;
  return std::nullopt;
}

size_t ObdValueHistory::copyRows(size_t from, size_t max, std::vector<ObdHistoryRow>& out) const {
  if (from >= rows_.size()) return 0;
  const size_t n = std::min(max, rows_.size() - from);
  out.insert(out.end(), rows_.begin() + static_cast<std::ptrdiff_t>(from),
             rows_.begin() + static_cast<std::ptrdiff_t>(from + n));
  return n;
}

std::string ObdValueHistory::csvText() const {
  ObdCsvSnapshot s{columns_, before_, {}};
  copyRows(0, rows_.size(), s.rows);
  return s.text();
}

}  // namespace kalvex
