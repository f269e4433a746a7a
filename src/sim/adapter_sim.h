// Both simulated adapters in front of one simulated ECU, as one byte stream:
// the set-up line decides who answers ("AT Z" the ELM327, "DS:01:" the
// Kesta-mini), at any time, so consecutive sessions may use either adapter.
// Built for the generic OBD-II car instead, every line goes to the ELM327 in
// front of it (obd_elm327_sim.h).
// Not thread-safe; PtyServer serialises.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/elm327_sim.h"
#include "sim/kesta_sim.h"
#include "sim/obd_elm327_sim.h"
#include "sim/simulated_ecu.h"

namespace kalvex::sim {

class AdapterSim {
 public:
  enum class Mode { Elm327, Kesta, Obd };
  static constexpr size_t kMaxLine = 1024;

  explicit AdapterSim(ElmOptions elmOptions = {});
  // The generic OBD-II car behind an ELM327 (Mode::Obd throughout).
  explicit AdapterSim(const ObdSimOptions& obd);

  SimulatedEcu& ecu() { return ecu_; }
  const SimulatedEcu& ecu() const { return ecu_; }
  Elm327Sim& elm() { return elm_; }
  Mode mode() const { return mode_; }

  // Feeds received bytes. `now` gets what goes back at once (the ELM327's
  // echo), `later` what goes back after the reply delay. Returns true when
  // the bytes held a set-up line, i.e. a new session began (anything still
  // queued for the old one is stale).
  bool feed(std::string_view bytes, std::string& now, std::string& later);
  // The same with each part of what goes back later timed (milliseconds
  // after the line's carriage return); the makers' adapters answer at 0.
  bool feed(std::string_view bytes, std::string& now, std::vector<TimedText>& later);

  ObdCar* obdCar() { return obdCar_.get(); }

 private:
  bool handleChunk(const std::string& chunk, std::string& now, std::vector<TimedText>& later);

  SimulatedEcu ecu_;
  Elm327Sim elm_;
  KestaSim kesta_;
  std::unique_ptr<ObdCar> obdCar_;
  std::unique_ptr<ObdElm327Sim> obdElm_;
  Mode mode_ = Mode::Elm327;
  std::string line_;
};

}  // namespace kalvex::sim
