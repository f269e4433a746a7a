// A small petrol engine for the simulated ECUs: cold start, warm-up at fast
// idle, idle, a few blips of the throttle, a drive at speed and back to idle,
// then round again from warm idle. The state is a pure function of the step
// number, so whoever knows the step knows exactly what was encoded.
#pragma once

#include <cstdint>

namespace kalvex::sim {

struct EngineState {
  double speedKmh = 0;
  double rpm = 0;
  double coolantC = 0;
  double intakeC = 0;
  double batteryV = 0;
  double throttlePct = 0;
  double airFlowKgH = 0;
  double injectionMs = 0;
  double mapKPa = 0;
};

// Steps are replies: the ECU advances one step per live-data reply, about
// five per second in a real session.
EngineState EngineAt(uint32_t step);

}  // namespace kalvex::sim
