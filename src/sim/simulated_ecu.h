// One simulated engine ECU behind the simulated adapters: answers KWP2000
// requests as the selected ECU type would. Not thread-safe; the pty server
// serialises access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "protocol/components.h"
#include "sim/ecu_layouts.h"
#include "sim/engine_model.h"

namespace kalvex::sim {

struct FaultEntry {
  uint8_t hi = 0, lo = 0, status = 0;
};

// The stored codes a freshly selected ECU reports: three that a scanner's
// description table knows and P1602, which it does not.
std::vector<FaultEntry> DefaultFaults();

// One live-data reply as sent, and what a scanner must show for it.
struct EncodedReply {
  uint32_t step = 0;
  std::vector<uint8_t> bytes;
  std::array<std::optional<float>, kComponentCount> values{};
};

// Encodes the engine state into a reply layout; `values` gets the gauge
// values the bytes stand for (rows later in the table win, as in a decoder).
EncodedReply EncodeReply(const DataReply& layout, const EngineState& engine);

class SimulatedEcu {
 public:
  static constexpr size_t kHistoryLimit = 1024;

  // Selects the ECU type, cold-starts the engine, forgets the history and
  // stores the default faults again. An unknown type (or -1) has no ECU
  // behind the adapter. A type without a reply table yet still answers the
  // session, fault and clear services and refuses live-data requests (0x7F).
  void select(int make, int ecu);
  int make() const { return make_; }
  int ecu() const { return ecu_; }
  bool present() const { return present_; }
  // True when live data is simulated for the selected type.
  bool hasLiveData() const { return layout_ != nullptr; }

  // The reply to one request (service byte first), or nullopt when the ECU
  // does not answer. `onCan` tells how the request reached it: StartCommunication
  // belongs to K-line only.
  std::optional<std::vector<uint8_t>> answer(const std::vector<uint8_t>& request, bool onCan);

  // Takes the ECU off the bus: nothing is answered until switched back.
  void setSilent(bool silent) { silent_ = silent; }
  void setFaults(std::vector<FaultEntry> faults) { faults_ = std::move(faults); }
  const std::vector<FaultEntry>& faults() const { return faults_; }

  // The latest live-data replies, oldest first (at most kHistoryLimit).
  const std::deque<EncodedReply>& history() const { return history_; }
  uint32_t engineStep() const { return step_; }

 private:
  int make_ = -1;
  int ecu_ = -1;
  const EcuLayout* layout_ = nullptr;
  bool present_ = false;
  bool silent_ = false;
  uint32_t step_ = 0;
  std::vector<FaultEntry> faults_;
  std::deque<EncodedReply> history_;
};

}  // namespace kalvex::sim
