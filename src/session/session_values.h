// The values of a session as rows: one row per accepted reply, the time since
// the start and the twelve gauge values (each empty until a decoder has set
// it in this run). The window keeps the rows in memory and saves them in
// the values CSV (protocol/csv_file.h), as kalvex-cli monitor writes it.
// GUI-free; not thread-safe (the user-interface thread only).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/clock.h"
#include "protocol/components.h"
#include "protocol/csv_file.h"

namespace kalvex {

struct ValueRow {
  Millis ms = 0;  // since the start of the session
  std::array<float, kComponentCount> v{};
  uint16_t set = 0;  // bit per Component

  std::optional<float> value(Component c) const {
    const auto i = static_cast<size_t>(c);
    if (!(set & (1u << i))) return std::nullopt;
    return v[i];
  }
};

// The header and `rows` as CSV text, in pieces of about 64 KiB to `write`;
// false as soon as `write` fails. `progress` (may be empty) hears how many
// rows are done after each piece. Touches nothing but its arguments, so a
// copy of the rows can be written on any thread.
bool WriteCsvRows(const std::vector<ValueRow>& rows,
                  const std::function<bool(std::string_view)>& write,
                  const std::function<void(size_t rowsDone)>& progress = {});

class SessionValues {
 public:
  static constexpr size_t kDefaultCapacity = 1'000'000;  // a day at five replies a second

  explicit SessionValues(size_t capacity = kDefaultCapacity) : capacity_(capacity ? capacity : 1) {
    columns_.fill(true);
  }

  // A new session: no rows, nothing dropped.
  void clear();
  // Past the capacity the oldest row goes.
  void append(Millis ms, const GaugeValues& values);

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const ValueRow& operator[](size_t i) const { return rows_[i]; }
  const ValueRow& back() const { return rows_.back(); }
  size_t capacity() const { return capacity_; }
  // Rows dropped at the front since clear(), and rows appended in all.
  uint64_t dropped() const { return dropped_; }
  uint64_t appended() const { return appended_; }

  // The header and every row. False (errno set) when the file could not be
  // written completely.
  bool writeCsv(std::FILE* out) const;
  // The same text in pieces to `write`; false as soon as `write` fails.
  bool writeCsv(const std::function<bool(std::string_view)>& write) const;

  // Up to `max` rows from position `from` on, appended to `out` (a save's
  // copy, taken a piece at a time so the window never waits long); returns
  // how many.
  size_t copyRows(size_t from, size_t max, std::vector<ValueRow>& out) const;

  // Reads a values CSV through the streaming reader that `kalvex --plot`
  // uses. Replaces the rows held, but only when the whole file was read:
  // false with `error` (one line) and the rows as they were when the file
  // cannot be read or a line is not such a row.
  bool readCsv(const std::string& path, std::string& error);
  // The components the last readCsv had columns for (all, after append()).
  const std::array<bool, kComponentCount>& columns() const { return columns_; }

 private:
  size_t capacity_;
  std::deque<ValueRow> rows_;
  uint64_t dropped_ = 0;
  uint64_t appended_ = 0;
  std::array<bool, kComponentCount> columns_{};
};

}  // namespace kalvex
