// The value model shared by the five gauge kinds: no Qt, no clock of its
// own. A widget owns one GaugeModel, feeds it values and the current time,
// and paints what the model says (positions, texts, colours).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

namespace kalvex {

// 0xRRGGBB; the named values are the usual Windows palette colours.
using Rgb = uint32_t;
namespace colors {
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kGreen = 0x008000;
constexpr Rgb kYellow = 0xFFFF00;
constexpr Rgb kLime = 0x00FF00;
constexpr Rgb kAqua = 0x00FFFF;
constexpr Rgb kBlue = 0x0000FF;
constexpr Rgb kBtnFace = 0xF0F0F0;
}  // namespace colors

enum class GaugeKind { Meter180, Meter120, VMeter, Thermometer, ValueInd };

// Parts a widget draws and alarms it raises.
enum GaugeOption : unsigned {
  kOptBevelInner = 1u << 0,
  kOptBevelOuter = 1u << 1,
  kOptName1 = 1u << 2,
  kOptName2 = 1u << 3,
  kOptOverflow = 1u << 4,
  kOptLimit = 1u << 5,
  kOptSector = 1u << 6,
  kOptUnit = 1u << 7,
  kOptValue = 1u << 8,
};

// Per-mille interval From..To, both inclusive.
struct Sector {
  int from = 0;
  int to = 0;
  Rgb color = colors::kBlack;
  bool operator==(const Sector&) const = default;
};

using Sectors = std::array<Sector, 3>;
constexpr Sectors kDefaultSectors = {Sector{0, 333, colors::kYellow},
                                     Sector{334, 666, colors::kGreen},
                                     Sector{667, 1000, colors::kRed}};

// Everything fixed when a gauge is built. Defaults are the widget defaults.
struct GaugeSettings {
  std::string name1 = "SignalName1";
  std::string name2 = "SignalName2";
  // Tells name1's translation apart where the same Russian first line
  // belongs to different captions ("Температура" over the coolant and over
  // the intake air: "Coolant" / "Intake air" in English); empty for none.
  std::string name1Note;
  std::string unit = "%";
  std::string valueFormat = "##0.0";
  double valueFrom = 0;
  double valueTo = 100;
  double limitLower = 10;
  double limitUpper = 90;
  Sectors sectors = kDefaultSectors;
  unsigned options = 0;
  bool minVisible = true;
  bool maxVisible = true;
  Rgb minColor = colors::kAqua;
  Rgb maxColor = colors::kAqua;
  bool useSectorColor = true;
  // Scale of the meters and the thermometer.
  int steps = 5;
  int subSteps = 2;
  std::string scaleFormat = "##0";
  bool drawLine = true;
  Rgb scaleColor = colors::kBlack;
  Rgb pointerColor = colors::kLime;
  int scaleSpacing = 0;
  // Value read-out and thermometer bar.
  Rgb valueColor = colors::kLime;
  Rgb valueBoxColor = colors::kBlack;
  Rgb barColor = colors::kBlue;
  Rgb barBackground = colors::kBtnFace;

  bool has(GaugeOption o) const { return (options & o) != 0; }
};

constexpr int kPositionMax = 1000;

// Raw position of a value on the scale in per mille, rounded to nearest with
// ties to even, computed in long double with the factor evaluated first.
// May lie outside 0..1000; saturates far outside, NaN counts as below.
int64_t RawPosition(float value, double from, double to);

// Picture format ("##0.0", "####0", "##0.00"; "0" a mandatory digit, "#" an
// optional one, "." the decimal point, an optional ";" negative section).
// Halves round away from zero; a value that rounds to zero prints without a
// minus sign; non-finite values print "INF", "-INF", "NAN".
std::string FormatValue(double value, std::string_view format);

// The widest text a format can give for values of up to its digit count
// (the longer section when there are two), for sizing a numeric box.
std::string WidestFormatText(std::string_view format);

// What one setValue changed, so the widget knows whether to repaint and
// whether to (un)register with the flash tick.
struct GaugeChange {
  bool changed = false;       // false: value equal to the current one, nothing done
  bool alarmChanged = false;  // entered or left the alarm
};

// The pace of the running session, learnt from the replies themselves: how
// many requests one rotation of the ECU type takes and how long each takes.
// A value refreshed once per rotation is then at most one rotation old, at
// the described 200 ms pause or at a slow ECU's second alike. Times are on
// the session's monotonic clock.
class RefreshPace {
 public:
  // A session starts: every value on the dashboard is old until refreshed.
  void start(int64_t nowMs);
  // The session ended: every value shown is from it, none is current.
  void stop();
  // No session and nothing from one on show (the gauges were emptied).
  void reset();
  // A reply was handled; `nextRequest` is the request chosen after it, so a
  // rotation shows as the distance between two choices of the same request.
  void reply(int nextRequest, int64_t nowMs);

  bool running() const { return running_; }
  bool ended() const { return ended_; }
  int64_t sessionStart() const { return start_; }
  // Requests in one rotation (at least 1) and the longest recent time
  // between two replies (a second until two replies were seen).
  int rotation() const;
  int64_t interval() const;
  // How old a value may get before it is shown as stale: one and a half
  // rotations at the recent pace, never under kMinStaleMs (a request
  // retried once after Timer3 is still a healthy link).
  int64_t staleAfter() const;

  static constexpr int64_t kMinStaleMs = 2500;
  static constexpr int64_t kUnknownIntervalMs = 1000;
  static constexpr int kMaxRotation = 16;

 private:
  bool running_ = false;
  bool ended_ = false;
  int64_t start_ = 0;
  std::deque<std::pair<int, int64_t>> recent_;  // (next request, time), newest last
};

class GaugeModel {
 public:
  // Builds the model at value 0 (the widget default) without touching the
  // min/max memory; the start value is then set like any other value.
  GaugeModel(GaugeKind kind, GaugeSettings settings);

  const GaugeSettings& settings() const { return settings_; }
  GaugeKind kind() const { return kind_; }

  // `nowMs` stamps a new minimum or maximum (date and time, milliseconds).
  // The first value after clear() counts as a change even when equal.
  GaugeChange setValue(float value, int64_t nowMs);
  // No value on show (another make or ECU type was chosen): no pointer, no
  // value text, no min/max memory, no alarm, until the next setValue.
  GaugeChange clear();
  bool empty() const { return empty_; }

  float value() const { return value_; }
  int64_t rawPosition() const { return raw_; }
  // Clamped to 0..1000, for drawing.
  int position() const;
  const std::string& valueText() const { return text_; }

  // Sector state: which sectors hold the raw position, and the colour of the
  // last of them (none when no sector holds it).
  bool inSector(int i) const { return i >= 0 && i < 3 && inSector_[static_cast<size_t>(i)]; }
  bool hasSectorColor() const { return hasSectorColor_; }
  Rgb sectorColor() const { return sectorColor_; }

  bool upperExceeded() const { return upper_; }
  bool lowerExceeded() const { return lower_; }
  bool overflow() const { return overflow_; }

  // Min/max memory; valid only once a value has been recorded.
  bool hasMin() const { return hasMin_; }
  bool hasMax() const { return hasMax_; }
  float minValue() const { return min_; }
  float maxValue() const { return max_; }
  int64_t minTimeMs() const { return minTime_; }
  int64_t maxTimeMs() const { return maxTime_; }
  int minPosition() const;
  int maxPosition() const;
  // Fill of a min/max marker at a drawing position.
  Rgb markerColor(int position, bool isMax) const;

  // Only dial and vertical meters have an alarm.
  bool canAlarm() const;
  bool inAlarm() const { return alarm_; }
  // Pointer fill: the pointer colour, or red/yellow while in alarm.
  Rgb pointerFill() const;
  // One flash step (every 200 ms); true when the fill changed.
  bool flash();

  // Staleness, on the session's monotonic clock (not the min/max stamps).
  // refreshed: a value came at `nowMs`, equal to the last one or not; true
  // when that ended a stale state. updateStale: applies the rule of `pace`
  // at `nowMs` (stale while a session runs and the value is older than
  // pace.staleAfter() or older than the session, and always once the
  // session has ended); true when the state changed. A pinned gauge stays stale whatever the rule
  // says.
  bool refreshed(int64_t nowMs);
  bool updateStale(int64_t nowMs, const RefreshPace& pace);
  bool setPinnedStale(bool pinned);
  bool stale() const { return stale_ || pinnedStale_; }

 private:
  void recompute();
  void updateAlarm(GaugeChange& change);

  GaugeKind kind_;
  GaugeSettings settings_;
  float value_ = 0;
  bool empty_ = false;
  int64_t raw_ = 0;
  std::string text_;
  std::array<bool, 3> inSector_ = {};
  bool hasSectorColor_ = false;
  Rgb sectorColor_ = 0;
  bool upper_ = false;
  bool lower_ = false;
  bool overflow_ = false;
  float min_ = 9999999.0f;
  float max_ = -9999999.0f;
  bool hasMin_ = false;
  bool hasMax_ = false;
  int64_t minTime_ = 0;
  int64_t maxTime_ = 0;
  bool alarm_ = false;
  bool flashYellow_ = false;
  bool hasRefresh_ = false;
  int64_t lastRefresh_ = 0;
  bool stale_ = false;
  bool pinnedStale_ = false;
};

// The process-wide 50 ms tick counter: every fourth tick is a flash step.
class FlashTicker {
 public:
  static constexpr int kTickMs = 50;
  static constexpr int kTicksPerFlash = 4;
  // Counts one tick; true when gauges in alarm should switch colour now.
  bool tick() { return ++count_ % kTicksPerFlash == 0; }
  uint64_t count() const { return count_; }

 private:
  uint64_t count_ = 0;
};

}  // namespace kalvex
