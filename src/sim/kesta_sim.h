// A simulated Kesta-mini adapter in front of a simulated ECU. Lines to the
// adapter are framed: text, one additive checksum byte (sum of the text's
// character codes modulo 256), carriage return. The set-up line "DS:01:..."
// is answered "PS", each "DD:nn:HEX" request by the ECU's reply as
// "PD:NN:HEX" and a carriage return. Frames with a wrong checksum, a wrong
// byte count or for another ECU are not answered. Not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulated_ecu.h"

namespace kalvex::sim {

uint8_t KestaChecksum(std::string_view text);
// text + checksum + CR, as a scanner writes it.
std::string KestaFrame(std::string_view text);

class KestaSim {
 public:
  static constexpr size_t kMaxLine = 1024;

  explicit KestaSim(SimulatedEcu& ecu) : ecu_(ecu) {}

  void reset();
  // Feeds bytes that end with a carriage return (or not); appends any
  // answer lines to `reply`. A checksum byte may itself be 0x0D, so a CR
  // only ends a frame when the checksum before it matches.
  void feed(std::string_view bytes, std::string& reply);

  bool configured() const { return configured_; }
  bool onCan() const { return can_; }

 private:
  void handleFrame(const std::string& text, std::string& reply);
  void setUp(const std::string& text, std::string& reply);

  SimulatedEcu& ecu_;
  std::string pending_;
  bool configured_ = false;
  bool can_ = false;
  int address_ = -1;           // K-line target from the set-up line
  int canId_ = -1;             // CAN identifier from the set-up line
  bool kLineStarted_ = false;  // StartCommunication answered
};

}  // namespace kalvex::sim
