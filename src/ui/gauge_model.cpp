#include "ui/gauge_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace kalvex {

namespace {

// Far beyond any scale, small enough to convert to an integer safely.
constexpr long double kSaturation = 1e12L;
constexpr int kMaxDecimals = 18;

int ClampPosition(int64_t raw) {
  return static_cast<int>(std::clamp<int64_t>(raw, 0, kPositionMax));
}

std::vector<std::string_view> SplitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  for (;;) {
    const size_t pos = format.find(';', start);
    sections.push_back(format.substr(start, pos == std::string_view::npos ? pos : pos - start));
    if (pos == std::string_view::npos) break;
    start = pos + 1;
  }
  return sections;
}

bool IsPlaceholder(char c) { return c == '0' || c == '#' || c == '.' || c == ','; }

// One section of a picture format, taken apart.
struct Picture {
  std::string prefix;  // literal text before the first placeholder
  std::string suffix;  // literal text after the last one
  int intDigits = 0;   // placeholders before the point
  int intMandatory = 0;
  int decimals = 0;  // placeholders after the point
  int decMandatory = 0;
};

Picture ParsePicture(std::string_view section) {
  Picture p;
  size_t first = 0;
  while (first < section.size() && !IsPlaceholder(section[first])) ++first;
  size_t last = section.size();
  while (last > first && !IsPlaceholder(section[last - 1])) --last;
  p.prefix = std::string(section.substr(0, first));
  p.suffix = std::string(section.substr(last));
  bool afterPoint = false;
  for (size_t i = first; i < last; ++i) {
    const char c = section[i];
    if (c == '.') {
      afterPoint = true;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        ++p.decimals;
        // A "0" after the point makes every decimal before it mandatory too.
        if (c == '0') p.decMandatory = p.decimals;
      } else {
        ++p.intDigits;
        if (c == '0' || p.intMandatory > 0) ++p.intMandatory;
      }
    }
  }
  p.decimals = std::min(p.decimals, kMaxDecimals);
  p.decMandatory = std::min(p.decMandatory, p.decimals);
  return p;
}

std::string Digits(long double integral) {
  const int n = std::snprintf(nullptr, 0, "%.0Lf", integral);
  if (n <= 0) return "0";
  std::string s(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), "%.0Lf", integral);
  s.resize(static_cast<size_t>(n));
  return s;
}

}  // namespace

int64_t RawPosition(float value, double from, double to) {
  const long double span = static_cast<long double>(to) - static_cast<long double>(from);
  if (span == 0.0L || !std::isfinite(span)) return 0;
  const long double factor = 1000.0L / span;
  const long double raw =
      (static_cast<long double>(value) - static_cast<long double>(from)) * factor;
  if (std::isnan(raw)) return static_cast<int64_t>(-kSaturation);
  if (raw > kSaturation) return static_cast<int64_t>(kSaturation);
  if (raw < -kSaturation) return static_cast<int64_t>(-kSaturation);
  return static_cast<int64_t>(std::nearbyintl(raw));
}

std::string FormatValue(double value, std::string_view format) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  const auto sections = SplitSections(format);
  const bool negative = value < 0;
  const bool ownNegativeSection = negative && sections.size() > 1 && !sections[1].empty();
  const Picture p = ParsePicture(ownNegativeSection ? sections[1] : sections[0]);

  long double scaled = std::fabs(static_cast<long double>(value));
  for (int i = 0; i < p.decimals; ++i) scaled *= 10.0L;
  const long double rounded = std::roundl(scaled);  // halves away from zero
  std::string digits = Digits(rounded);
  const size_t minLength = static_cast<size_t>(std::max(p.intMandatory, 1) + p.decimals);
  if (digits.size() < minLength) digits.insert(0, minLength - digits.size(), '0');

  std::string intPart = digits.substr(0, digits.size() - static_cast<size_t>(p.decimals));
  std::string decPart = digits.substr(intPart.size());
  // Leading zeros only as far as "0" placeholders ask for them.
  size_t strip = 0;
  while (strip < intPart.size() && intPart[strip] == '0' &&
         intPart.size() - strip > static_cast<size_t>(p.intMandatory))
    ++strip;
  intPart.erase(0, strip);
  while (decPart.size() > static_cast<size_t>(p.decMandatory) && decPart.back() == '0')
    decPart.pop_back();

  std::string out = p.prefix;
  // "-0.0" for -0.04 would only confuse; zero carries no sign.
  if (negative && !ownNegativeSection && rounded != 0.0L) out += '-';
  out += intPart;
  if (!decPart.empty()) out += '.' + decPart;
  out += p.suffix;
  return out;
}

std::string WidestFormatText(std::string_view format) {
  std::string widest;
  for (std::string_view section : SplitSections(format)) {
    const Picture p = ParsePicture(section);
    std::string s = p.prefix + std::string(static_cast<size_t>(std::max(p.intDigits, 1)), '8');
    if (p.decimals > 0) s += '.' + std::string(static_cast<size_t>(p.decimals), '8');
    s += p.suffix;
    if (s.size() > widest.size()) widest = std::move(s);
  }
  return widest;
}

GaugeModel::GaugeModel(GaugeKind kind, GaugeSettings settings)
    : kind_(kind), settings_(std::move(settings)) {
  recompute();
  GaugeChange ignored;
  updateAlarm(ignored);
  flashYellow_ = false;
}

GaugeChange GaugeModel::setValue(float value, int64_t nowMs) {
  GaugeChange change;
  if (value == value_ && !empty_) return change;
  change.changed = true;
  empty_ = false;
  value_ = value;
  recompute();
  if (value < min_) {
    min_ = value;
    minTime_ = nowMs;
    hasMin_ = true;
  }
  if (value > max_) {
    max_ = value;
    maxTime_ = nowMs;
    hasMax_ = true;
  }
  updateAlarm(change);
  return change;
}

GaugeChange GaugeModel::clear() {
  GaugeChange change;
  if (empty_) return change;
  change.changed = true;
  empty_ = true;
  text_.clear();
  min_ = 9999999.0f;
  max_ = -9999999.0f;
  hasMin_ = hasMax_ = false;
  upper_ = lower_ = overflow_ = false;
  updateAlarm(change);
  return change;
}

void GaugeModel::recompute() {
  raw_ = RawPosition(value_, settings_.valueFrom, settings_.valueTo);
  text_ = FormatValue(value_, settings_.valueFormat);
  hasSectorColor_ = false;
  for (size_t i = 0; i < settings_.sectors.size(); ++i) {
    const Sector& s = settings_.sectors[i];
    inSector_[i] = raw_ >= s.from && raw_ <= s.to;
    if (inSector_[i]) {
      hasSectorColor_ = true;
      sectorColor_ = s.color;
    }
  }
  upper_ = value_ > settings_.limitUpper;
  lower_ = value_ < settings_.limitLower;
  overflow_ = raw_ < 0 || raw_ > kPositionMax;
}

void GaugeModel::updateAlarm(GaugeChange& change) {
  const bool alarm = canAlarm() && ((settings_.has(kOptOverflow) && overflow_) ||
                                    (settings_.has(kOptLimit) && (upper_ || lower_)));
  if (alarm == alarm_) return;
  alarm_ = alarm;
  flashYellow_ = false;  // entering shows red at once; leaving restores the normal fill
  change.alarmChanged = true;
}

int GaugeModel::position() const { return ClampPosition(raw_); }

int GaugeModel::minPosition() const {
  return ClampPosition(RawPosition(min_, settings_.valueFrom, settings_.valueTo));
}

int GaugeModel::maxPosition() const {
  return ClampPosition(RawPosition(max_, settings_.valueFrom, settings_.valueTo));
}

Rgb GaugeModel::markerColor(int position, bool isMax) const {
  if (settings_.useSectorColor) {
    bool found = false;
    Rgb color = 0;
    for (const Sector& s : settings_.sectors) {
      if (position >= s.from && position <= s.to) {
        found = true;
        color = s.color;
      }
    }
    if (found) return color;
  }
  return isMax ? settings_.maxColor : settings_.minColor;
}

bool GaugeModel::canAlarm() const {
  return kind_ == GaugeKind::Meter180 || kind_ == GaugeKind::Meter120 || kind_ == GaugeKind::VMeter;
}

Rgb GaugeModel::pointerFill() const {
  if (!alarm_) return settings_.pointerColor;
  return flashYellow_ ? colors::kYellow : colors::kRed;
}

bool GaugeModel::flash() {
  if (!alarm_) return false;
  flashYellow_ = !flashYellow_;
  return true;
}

// ---- staleness -------------------------------------------------------------------

namespace {
// Enough replies to see two whole rotations of the longest chain.
constexpr size_t kPaceWindow = 2 * RefreshPace::kMaxRotation + 1;
}  // namespace

void RefreshPace::start(int64_t nowMs) {
  running_ = true;
  ended_ = false;
  start_ = nowMs;
  recent_.clear();
}

void RefreshPace::stop() {
  if (running_) ended_ = true;
  running_ = false;
  recent_.clear();
}

void RefreshPace::reset() {
  stop();
  ended_ = false;
}

void RefreshPace::reply(int nextRequest, int64_t nowMs) {
  if (!running_) return;
  recent_.emplace_back(nextRequest, nowMs);
  if (recent_.size() > kPaceWindow) recent_.pop_front();
}

int RefreshPace::rotation() const {
  // The longest distance between two choices of the same request; until a
  // request has come round again, every reply so far counts.
  int longest = 0;
  bool repeated = false;
  for (size_t i = 1; i < recent_.size(); ++i) {
    for (size_t j = i; j-- > 0;) {
      if (recent_[j].first == recent_[i].first) {
        longest = std::max(longest, static_cast<int>(i - j));
        repeated = true;
        break;
      }
    }
  }
  if (!repeated) longest = static_cast<int>(recent_.size());
  return std::clamp(longest, 1, kMaxRotation);
}

int64_t RefreshPace::interval() const {
  if (recent_.size() < 2) return kUnknownIntervalMs;
  // The gaps of the last rotation: a slower pace counts from its first gap.
  const size_t gaps = std::min(recent_.size() - 1, static_cast<size_t>(rotation()));
  int64_t longest = 0;
  for (size_t k = recent_.size() - gaps; k < recent_.size(); ++k)
    longest = std::max(longest, recent_[k].second - recent_[k - 1].second);
  return longest;
}

int64_t RefreshPace::staleAfter() const {
  return std::max(kMinStaleMs, rotation() * interval() * 3 / 2);
}

bool GaugeModel::refreshed(int64_t nowMs) {
  hasRefresh_ = true;
  lastRefresh_ = nowMs;
  const bool was = stale();
  stale_ = false;
  return was != stale();
}

bool GaugeModel::updateStale(int64_t nowMs, const RefreshPace& pace) {
  const bool was = stale();
  if (!pace.running()) {
    // After a stop nothing on the dashboard is current any more.
    stale_ = pace.ended() && !empty_;
  } else if (!hasRefresh_ || lastRefresh_ <= pace.sessionStart()) {
    stale_ = true;  // left from before this session
  } else {
    stale_ = nowMs - lastRefresh_ > pace.staleAfter();
  }
  return was != stale();
}

bool GaugeModel::setPinnedStale(bool pinned) {
  const bool was = stale();
  pinnedStale_ = pinned;
  return was != stale();
}

}  // namespace kalvex
