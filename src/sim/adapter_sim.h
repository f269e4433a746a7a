// Both simulated adapters in front of one simulated ECU, as one byte stream:
// the set-up line decides who answers ("AT Z" the ELM327, "DS:01:" the
// Kesta-mini), at any time, so consecutive sessions may use either adapter.
// Not thread-safe; PtyServer serialises.
#pragma once

#include <string>
#include <string_view>

#include "sim/elm327_sim.h"
#include "sim/kesta_sim.h"
#include "sim/simulated_ecu.h"

namespace kalvex::sim {

class AdapterSim {
 public:
  enum class Mode { Elm327, Kesta };
  static constexpr size_t kMaxLine = 1024;

  explicit AdapterSim(ElmOptions elmOptions = {});

  SimulatedEcu& ecu() { return ecu_; }
  const SimulatedEcu& ecu() const { return ecu_; }
  Elm327Sim& elm() { return elm_; }
  Mode mode() const { return mode_; }

  // Feeds received bytes. `now` gets what goes back at once (the ELM327's
  // echo), `later` what goes back after the reply delay. Returns true when
  // the bytes held a set-up line, i.e. a new session began (anything still
  // queued for the old one is stale).
  bool feed(std::string_view bytes, std::string& now, std::string& later);

 private:
  bool handleChunk(const std::string& chunk, std::string& now, std::string& later);

  SimulatedEcu ecu_;
  Elm327Sim elm_;
  KestaSim kesta_;
  Mode mode_ = Mode::Elm327;
  std::string line_;
};

}  // namespace kalvex::sim
