// The generic session's values over time, for the chart and the CSV: one
// row per poll answer holding only the values that answer measured, the
// oldest rows let go of past a bound. The CSV (kalvex-cli monitor --obd's
// layout) repeats each column's last value in every row, as the command
// line writes it; the rows keep what was measured when, so the chart draws
// no value that was not read. GUI-free; the user-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/clock.h"
#include "session/obd_session.h"

namespace kalvex {

// The CSV of a generic session: a header of "time" and the columns' names,
// then a row per poll answer, the time in seconds since the start and each
// column's value where it has one.
std::string ObdCsvHeader(const std::vector<ObdColumn>& columns);
// One row of `cells` (one per column, empty where no value was read yet).
void AppendObdCsvRow(std::string& out, Millis sinceStart,
                     const std::vector<std::optional<double>>& cells);
// The row of the values `results` holds now.
std::string ObdCsvRow(Millis sinceStart, const std::vector<ObdColumn>& columns,
                      const ObdResults& results);
// The window polls the PIDs told in words too (for the table); the CSV and
// the chart keep the columns with a number, as the command line polls them.
std::vector<ObdColumn> ObdCsvColumns(const std::vector<ObdColumn>& polled);

// One value measured: its column and the number.
struct ObdCell {
  uint16_t column = 0;
  double value = 0;
};
struct ObdHistoryRow {
  Millis ms = -1;  // since the start; -1: no row of its own, only values carried over
  std::vector<ObdCell> cells;
};

// A copy of rows to be written as CSV on any thread: the value each column
// had before the first row, then the rows.
struct ObdCsvSnapshot {
  std::vector<ObdColumn> columns;
  std::vector<std::optional<double>> before;
  std::vector<ObdHistoryRow> rows;

  // The header and the rows in pieces of about 64 KiB to `write`; false as
  // soon as `write` fails. `progress` (may be empty) hears the rows done.
  bool write(const std::function<bool(std::string_view)>& write,
             const std::function<void(size_t rowsDone)>& progress = {}) const;
  std::string text() const;
};

class ObdValueHistory {
 public:
  // About ten hours at ten answers a second.
  static constexpr size_t kDefaultCapacity = 360'000;

  explicit ObdValueHistory(size_t capacity = kDefaultCapacity)
      : capacity_(capacity ? capacity : 1) {}

  // A new session: no columns, no rows.
  void clear();
  // The polled columns are known: rows start over with them.
  void begin(std::vector<ObdColumn> columns);
  // One poll answer: the numbers of `keys` (ECU and PID) as `results`
  // decoded them from this answer's bytes, at the time it was read, counted
  // from `start`. Keys without a column or without a number make no cell;
  // an answer without any makes no row. Past the capacity the oldest row goes.
  void append(Millis start, const std::vector<std::pair<uint32_t, uint8_t>>& keys,
              const ObdResults& results);

  const std::vector<ObdColumn>& columns() const { return columns_; }
  // The column of `pid` as `ecu` answers it.
  std::optional<size_t> columnOf(uint32_t ecu, uint8_t pid) const;
  size_t size() const { return rows_.size(); }
  size_t capacity() const { return capacity_; }
  uint64_t appended() const { return appended_; }
  uint64_t dropped() const { return dropped_; }
  // Counts begin() and clear(): a copy taken across it is of another session.
  uint64_t sessions() const { return sessions_; }
  const ObdHistoryRow& operator[](size_t i) const { return rows_[i]; }
  // The value `column` measured in row `i`, if it did.
  std::optional<double> value(size_t i, size_t column) const;

  // What the columns held before the oldest row still kept.
  const std::vector<std::optional<double>>& before() const { return before_; }
  // Up to `max` rows from position `from` on, appended to `out`; how many.
  size_t copyRows(size_t from, size_t max, std::vector<ObdHistoryRow>& out) const;
  // Every row kept, as CSV.
  std::string csvText() const;

 private:
  size_t capacity_;
  std::vector<ObdColumn> columns_;
  std::vector<std::optional<double>> before_;
  std::deque<ObdHistoryRow> rows_;
  uint64_t appended_ = 0;
  uint64_t dropped_ = 0;
  uint64_t sessions_ = 0;
};

}  // namespace kalvex
