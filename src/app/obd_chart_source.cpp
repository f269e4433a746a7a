#include "app/obd_chart_source.h"

#include <algorithm>
#include <limits>

#include "app/obd_mode.h"
#include "obd/ecu_name.h"
#include "obd/pid_table.h"

namespace kalvex {

namespace {

// The engine speed, coolant, throttle and vehicle speed, as the makers'
// charts open.
constexpr uint8_t kDefaultPids[] = {0x0C, 0x05, 0x11, 0x0D};
constexpr size_t kDefaultLanes = 4;

// Rows counted from the session's first; rows the history lets go of
// before they were copied are gone from the save, but the values they
// measured still carry over into the rows after them.
class ObdCsvCopy : public ChartCsvCopy {
 public:
  explicit ObdCsvCopy(const ObdValueHistory& history)
      : history_(history),
        session_(history.sessions()),
        next_(history.dropped()),
        end_(history.appended()) {
    snapshot_.columns = history.columns();
    snapshot_.before = history.before();
  }

  bool step(size_t max) override {
    if (history_.sessions() != session_ || next_ >= end_) return false;
    if (history_.dropped() > next_) {  // lost: what they measured carries over
      ObdHistoryRow carried;
      const auto& before = history_.before();
      for (size_t c = 0; c < before.size(); ++c)
        if (before[c]) carried.cells.push_back({static_cast<uint16_t>(c), *before[c]});
      snapshot_.rows.push_back(std::move(carried));
      next_ = history_.dropped();
      if (next_ >= end_) return false;
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(max, end_ - next_));
    const size_t from = static_cast<size_t>(next_ - history_.dropped());
    next_ += history_.copyRows(from, want, snapshot_.rows);
    taken_ = snapshot_.rows.size();
    return next_ < end_;
  }
  size_t taken() const override { return taken_; }
  bool write(const std::function<bool(std::string_view)>& write,
             const std::function<void(size_t)>& progress) const override {
    return snapshot_.write(write, progress);
  }

 private:
  const ObdValueHistory& history_;
  uint64_t session_;
  uint64_t next_;
  uint64_t end_;
  size_t taken_ = 0;
  ObdCsvSnapshot snapshot_;
};

}  // namespace

std::optional<int> ObdChartSource::keyOf(uint32_t ecu, uint8_t pid) const {
  const auto column = history_.columnOf(ecu, pid);
  if (!column) return std::nullopt;
  return static_cast<int>(*column);
}

double ObdChartSource::seconds(size_t row) const {
  return static_cast<double>(history_[row].ms) / 1000.0;
}

float ObdChartSource::value(size_t row, int key) const {
  const auto v = valid(key) ? history_.value(row, static_cast<size_t>(key)) : std::nullopt;
  return v ? static_cast<float>(*v) : std::numeric_limits<float>::quiet_NaN();
}

std::vector<int> ObdChartSource::listed() const {
  std::vector<int> out(history_.columns().size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int>(i);
  return out;
}

std::vector<int> ObdChartSource::defaults() const {
  const std::vector<ObdColumn>& columns = history_.columns();
  std::vector<int> out;
  std::vector<uint8_t> taken;
  auto take = [&](size_t i) {
    out.push_back(static_cast<int>(i));
    taken.push_back(columns[i].pid);
  };
  // The first ECU's column of each (the engine's, by address).
  for (uint8_t pid : kDefaultPids) {
    const auto it = std::find_if(columns.begin(), columns.end(),
                                 [pid](const ObdColumn& c) { return c.pid == pid; });
    if (it != columns.end()) take(static_cast<size_t>(it - columns.begin()));
  }
  // Fewer than four of those: the other PIDs in the list's order.
  for (size_t i = 0; i < columns.size() && out.size() < kDefaultLanes; ++i)
    if (std::find(taken.begin(), taken.end(), columns[i].pid) == taken.end()) take(i);
  return out;
}

QString ObdChartSource::name(int key) const {
  if (!valid(key)) return {};
  const ObdColumn& c = history_.columns()[static_cast<size_t>(key)];
  const obd::Pid* row = obd::FindPid(c.pid);
  QString out = row ? QString::fromStdString(obd::Pick(row->caption, lang_))
                    : QString("PID %1").arg(c.pid, 2, 16, QChar('0')).toUpper();
  // Named by the ECU where several answer the PID, as the table's rows are.
  const auto& columns = history_.columns();
  const bool shared = std::count_if(columns.begin(), columns.end(),
                                    [&](const ObdColumn& o) { return o.pid == c.pid; }) > 1;
  if (shared && c.ecu) out += " (" + QString::fromStdString(obd::EcuName(*c.ecu, lang_)) + ")";
  return out;
}

QString ObdChartSource::unit(int key) const {
  if (!valid(key)) return {};
  const obd::Pid* row = obd::FindPid(history_.columns()[static_cast<size_t>(key)].pid);
  return row ? QString::fromStdString(obd::Pick(row->unit, lang_)) : QString();
}

QString ObdChartSource::caption(int key) const {
  const QString u = unit(key);
  return u.isEmpty() ? name(key) : name(key) + ", " + u;
}

ChartLane ObdChartSource::lane(int key) const {
  ChartLane lane{name(key), unit(key), QColor(), LaneScale{}};
  if (!valid(key)) return lane;
  const uint8_t pid = history_.columns()[static_cast<size_t>(key)].pid;
  const obd::Pid* row = obd::FindPid(pid);
  if (!row) return lane;
  lane.scale.from = row->min;
  lane.scale.to = row->max > row->min ? row->max : row->min + 1;
  lane.scale.decimals = row->decimals;
  // Where the dashboard has a gauge for the PID, its scale (inside the
  // published range, which runs engine speed to 16383) and its alarms, as
  // the makers' lanes take their gauges'.
  const auto& gauges = ObdGaugeEntries();
  const auto gauge = std::find_if(gauges.begin(), gauges.end(),
                                  [pid](const ObdGaugeEntry& g) { return g.pid == pid; });
  if (gauge != gauges.end()) {
    const GaugeSettings g = ObdGaugeSettings(*gauge, lang_);
    lane.scale.from = g.valueFrom;
    lane.scale.to = g.valueTo;
    // -1 below: no alarm there (the coolant's scale reaches under it).
    if (gauge->lower != -1 && g.limitLower > g.valueFrom) lane.scale.alarmBelow = g.limitLower;
    if (g.limitUpper < g.valueTo) lane.scale.alarmAbove = g.limitUpper;
  }
  return lane;
}

std::unique_ptr<ChartCsvCopy> ObdChartSource::startCopy() const {
  return std::make_unique<ObdCsvCopy>(history_);
}

bool ObdChartSource::writeCsv(const std::function<bool(std::string_view)>& write) const {
  ObdCsvSnapshot s{history_.columns(), history_.before(), {}};
  history_.copyRows(0, history_.size(), s.rows);
  return s.write(write);
}

}  // namespace kalvex
