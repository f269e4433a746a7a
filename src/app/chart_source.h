// What the "Графики" page draws and saves, whoever measured it: rows in time
// order (the oldest let go of past a bound, counted so the page takes only
// new rows), the quantities a lane can show, and the CSV of the rows. The
// makers' sessions (SessionValues) and the generic OBD-II session each have
// one; the page reads whichever is shown.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "catalogue/visibility.h"
#include "ui/widgets/strip_chart.h"

namespace kalvex {

class SessionValues;

// A CSV save's copy of the rows: taken a piece at a time on the window's
// thread, written on another.
class ChartCsvCopy {
 public:
  virtual ~ChartCsvCopy() = default;
  // Takes up to `max` more rows; false once there is nothing more to take
  // (every row, or the session started over).
  virtual bool step(size_t max) = 0;
  virtual size_t taken() const = 0;
  // After the last step, on any thread.
  virtual bool write(const std::function<bool(std::string_view)>& write,
                     const std::function<void(size_t rowsDone)>& progress) const = 0;
};

class ChartSource {
 public:
  virtual ~ChartSource() = default;

  virtual size_t size() const = 0;
  virtual size_t capacity() const = 0;
  virtual uint64_t appended() const = 0;  // rows appended in all
  virtual uint64_t dropped() const = 0;   // rows let go of at the front
  virtual double seconds(size_t row) const = 0;
  // NaN where the row holds no value of `key`.
  virtual float value(size_t row, int key) const = 0;

  // The keys the selectors list, in their order, and the default lanes.
  virtual std::vector<int> listed() const = 0;
  virtual std::vector<int> defaults() const = 0;
  // "Обороты, об/мин": the selectors' text.
  virtual QString caption(int key) const = 0;
  // The lane's caption, unit and scale (its colour is the page's).
  virtual ChartLane lane(int key) const = 0;

  virtual std::unique_ptr<ChartCsvCopy> startCopy() const = 0;
  // Every row as CSV, at once (a save without its dialog).
  virtual bool writeCsv(const std::function<bool(std::string_view)>& write) const = 0;
};

// The makers' sessions: the components `available` names, keyed by
// Component.
class MakeChartSource : public ChartSource {
 public:
  explicit MakeChartSource(const SessionValues& values) : values_(values) {}
  void setAvailable(const Visibility& available) { available_ = available; }
  const Visibility& available() const { return available_; }

  size_t size() const override;
  size_t capacity() const override;
  uint64_t appended() const override;
  uint64_t dropped() const override;
  double seconds(size_t row) const override;
  float value(size_t row, int key) const override;
  std::vector<int> listed() const override;
  std::vector<int> defaults() const override;
  QString caption(int key) const override;
  ChartLane lane(int key) const override;
  std::unique_ptr<ChartCsvCopy> startCopy() const override;
  bool writeCsv(const std::function<bool(std::string_view)>& write) const override;

 private:
  const SessionValues& values_;
  Visibility available_{};
};

}  // namespace kalvex
