// The generic session's values as the "Графики" page reads them: a lane per
// CSV column (a number PID, per ECU where several answer it), captioned as
// the "Все параметры" table says it, scaled to the PID's published range.
#pragma once

#include <cstdint>
#include <optional>

#include "app/chart_source.h"
#include "obd/obd_text.h"
#include "session/obd_history.h"

namespace kalvex {

class ObdChartSource : public ChartSource {
 public:
  ObdChartSource(const ObdValueHistory& history, obd::Lang lang) : history_(history), lang_(lang) {}

  // The lane key of `pid` as `ecu` answers it; none when it has no column.
  std::optional<int> keyOf(uint32_t ecu, uint8_t pid) const;

  size_t size() const override { return history_.size(); }
  size_t capacity() const override { return history_.capacity(); }
  uint64_t appended() const override { return history_.appended(); }
  uint64_t dropped() const override { return history_.dropped(); }
  double seconds(size_t row) const override;
  float value(size_t row, int key) const override;
  std::vector<int> listed() const override;
  std::vector<int> defaults() const override;
  QString caption(int key) const override;
  ChartLane lane(int key) const override;
  std::unique_ptr<ChartCsvCopy> startCopy() const override;
  bool writeCsv(const std::function<bool(std::string_view)>& write) const override;

 private:
  bool valid(int key) const {
    return key >= 0 && static_cast<size_t>(key) < history_.columns().size();
  }
  QString name(int key) const;
  QString unit(int key) const;

  const ObdValueHistory& history_;
  obd::Lang lang_;
};

}  // namespace kalvex
