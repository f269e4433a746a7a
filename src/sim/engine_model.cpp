#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>

namespace kalvex::sim {
namespace {

constexpr uint32_t kCrankSteps = 5;
constexpr uint32_t kWarmUpEnd = 60;  // fast idle until here
constexpr uint32_t kIdleEnd = 100;   // then plain idle
constexpr uint32_t kRevEnd = 140;    // blips of the throttle
constexpr uint32_t kDriveEnd = 250;  // pull away, cruise, slow down
constexpr uint32_t kCycleEnd = 300;  // idle again, then repeat from kWarmUpEnd

// Alternator ripple: small, periodic, never the same two steps in a row.
constexpr double kRipple[] = {0.0, 0.10, 0.15, 0.05, -0.05, -0.15, -0.10};

double Triangle(uint32_t pos, uint32_t period) {  // 0 -> 1 -> 0 over a period
  const uint32_t p = pos % period;
  const double half = period / 2.0;
  return p < half ? p / half : (period - p) / half;
}

}  // namespace

EngineState EngineAt(uint32_t step) {
  EngineState s;
  // The coolant warms from 5 degrees and settles at 90 whatever the phase.
  s.coolantC = std::min(90.0, 5.0 + step * 0.6);
  s.intakeC = 15.0 + std::min(20.0, step * 0.1);
  s.batteryV = 14.1 + kRipple[step % 7];

  uint32_t phase = step;
  if (phase >= kCycleEnd) phase = kWarmUpEnd + (step - kCycleEnd) % (kCycleEnd - kWarmUpEnd);

  if (phase < kCrankSteps) {
    s.rpm = 200 + phase * 40;
    s.batteryV = 10.4 + kRipple[step % 7];
    s.throttlePct = 0;
  } else if (phase < kWarmUpEnd) {
    // Fast idle falls from 1500 towards 1000 as the engine warms.
    s.rpm = 1500 - (phase - kCrankSteps) * 9 + (phase % 3) * 20;
    s.throttlePct = 1.5;
  } else if (phase < kIdleEnd) {
    s.rpm = 840 + (phase % 5) * 10;
    s.throttlePct = 1.0;
  } else if (phase < kRevEnd) {
    const double t = Triangle(phase - kIdleEnd, 10);
    s.rpm = 850 + t * 3150;
    s.throttlePct = 1.0 + t * 59;
  } else if (phase < kDriveEnd) {
    const uint32_t p = phase - kRevEnd;  // 0..109
    if (p < 30) {
      s.speedKmh = p * 3.0;
      s.throttlePct = 40;
    } else if (p < 80) {
      s.speedKmh = 90 + ((p % 4) == 0 ? 1 : 0);
      s.throttlePct = 22;
    } else {
      s.speedKmh = (110 - p) * 3.0;
      s.throttlePct = 0;
    }
    // Fourth gear at cruise: about 29 rpm per km/h, never below idle.
    s.rpm = std::max(850.0, s.speedKmh * 29.0);
  } else {
    s.rpm = 850 + (phase % 4) * 10;
    s.throttlePct = 1.0;
  }

  const double load = s.throttlePct / 100.0;
  s.airFlowKgH = s.rpm * (0.006 + load * 0.05);
  const double cold = std::max(0.0, (70.0 - s.coolantC) / 70.0);  // cold enrichment
  s.injectionMs = 2.0 + load * 8.0 + cold * 1.5;
  s.mapKPa = 30 + load * 70;
  return s;
}

}  // namespace kalvex::sim
