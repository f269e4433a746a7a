// Readiness monitors and the MIL from PID 0x01 (monitor status since the
// codes were cleared).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "obd/obd_text.h"

namespace kalvex::obd {

struct Readiness {
  Text name;  // "Катализатор"/"Catalyst"
  bool supported = false;
  bool complete = false;  // the test has run to the end; always false when not supported
};

struct MonitorStatus {
  bool mil = false;                  // byte A bit 7: the malfunction lamp is commanded on
  int storedCount = 0;               // byte A bits 0-6: confirmed codes stored
  bool compressionIgnition = false;  // byte B bit 3: diesel monitor set in C/D
  // Continuous ones first (misfire, fuel system, components, from byte B),
  // then the eight of the spark-ignition or compression-ignition set (C says
  // supported, a set bit in D says NOT complete). Reserved bits are left out.
  std::vector<Readiness> monitors;
};

// `abcd`: the four data bytes of PID 0x01 (more are ignored); nullopt when shorter.
std::optional<MonitorStatus> DecodeMonitorStatus(std::span<const uint8_t> abcd);

}  // namespace kalvex::obd
