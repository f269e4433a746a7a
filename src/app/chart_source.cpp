#include "app/chart_source.h"

#include <algorithm>
#include <limits>

#include "app/chart_page.h"
#include "session/session_values.h"

namespace kalvex {

namespace {

// The selectors' order, and which form of a quantity with two forms of the
// same caption and unit (speed, voltage) is listed.
constexpr std::array<Component, kComponentCount> kListOrder = {
    Component::VI_Nmot, Component::VS_Nmot, Component::VI_Speed, Component::VS_Speed,
    Component::VS_TOG,  Component::VS_TANS, Component::VS_THR,   Component::VS_Ub,
    Component::VI_Ub,   Component::VS_DV,   Component::VS_MRV,   Component::VS_MAP};

bool SameQuantity(Component a, Component b) {
  return std::string_view(QuantityOf(a).name) == QuantityOf(b).name &&
         std::string_view(QuantityOf(a).unit) == QuantityOf(b).unit;
}

// Rows counted from the session's first, dropped ones included: a copy
// that falls behind the rows the session lets go of loses those, as a later
// save would.
class MakeCsvCopy : public ChartCsvCopy {
 public:
  explicit MakeCsvCopy(const SessionValues& values)
      : values_(values), next_(values.dropped()), end_(values.appended()) {
    rows_.reserve(values.size());
  }

  bool step(size_t max) override {
    if (values_.appended() < end_ || next_ >= end_) return false;  // started over, or done
    const uint64_t from = std::max<uint64_t>(next_, values_.dropped());
    if (from >= end_) {
      next_ = end_;
      return false;
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(max, end_ - from));
    next_ = from + values_.copyRows(static_cast<size_t>(from - values_.dropped()), want, rows_);
    return next_ < end_;
  }
  size_t taken() const override { return rows_.size(); }
  bool write(const std::function<bool(std::string_view)>& write,
             const std::function<void(size_t)>& progress) const override {
    return WriteCsvRows(rows_, write, progress);
  }

 private:
  const SessionValues& values_;
  std::vector<ValueRow> rows_;
  uint64_t next_;
  uint64_t end_;
};

}  // namespace

std::vector<Component> DefaultChartComponents(const Visibility& available) {
  std::vector<Component> out;
  auto pick = [&](Component preferred, std::optional<Component> other) {
    if (Shown(available, preferred))
      out.push_back(preferred);
    else if (other && Shown(available, *other))
      out.push_back(*other);
  };
  pick(Component::VI_Nmot, Component::VS_Nmot);
  pick(Component::VS_TOG, std::nullopt);
  pick(Component::VS_THR, std::nullopt);
  pick(Component::VI_Speed, Component::VS_Speed);
  // Fewer than four of those: the rest in the selectors' order, one form of each.
  for (Component c : kListOrder) {
    if (out.size() >= 4) break;
    if (!Shown(available, c)) continue;
    if (std::none_of(out.begin(), out.end(), [&](Component o) { return SameQuantity(o, c); }))
      out.push_back(c);
  }
  return out;
}

size_t MakeChartSource::size() const { return values_.size(); }
size_t MakeChartSource::capacity() const { return values_.capacity(); }
uint64_t MakeChartSource::appended() const { return values_.appended(); }
uint64_t MakeChartSource::dropped() const { return values_.dropped(); }

double MakeChartSource::seconds(size_t row) const {
  return static_cast<double>(values_[row].ms) / 1000.0;
}

float MakeChartSource::value(size_t row, int key) const {
  if (key < 0 || key >= static_cast<int>(kComponentCount))
    return std::numeric_limits<float>::quiet_NaN();
  const auto v = values_[row].value(static_cast<Component>(key));
  return v ? *v : std::numeric_limits<float>::quiet_NaN();
}

std::vector<int> MakeChartSource::listed() const {
  std::vector<int> listed;
  for (Component c : kListOrder) {
    if (!Shown(available_, c)) continue;
    if (std::none_of(listed.begin(), listed.end(),
                     [&](int o) { return SameQuantity(static_cast<Component>(o), c); }))
      listed.push_back(static_cast<int>(c));
  }
  return listed;
}

std::vector<int> MakeChartSource::defaults() const {
  std::vector<int> out;
  for (Component c : DefaultChartComponents(available_)) out.push_back(static_cast<int>(c));
  return out;
}

QString MakeChartSource::caption(int key) const { return CaptionOf(static_cast<Component>(key)); }

ChartLane MakeChartSource::lane(int key) const { return LaneOf(static_cast<Component>(key), 0); }

std::unique_ptr<ChartCsvCopy> MakeChartSource::startCopy() const {
  return std::make_unique<MakeCsvCopy>(values_);
}

bool MakeChartSource::writeCsv(const std::function<bool(std::string_view)>& write) const {
  return values_.writeCsv(write);
}

}  // namespace kalvex
