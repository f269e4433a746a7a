// Reply layouts of the simulated ECUs, one table per ECU type. Each row is a
// decoder row read backwards: the gauge formula value = ((raw * m) / d) + a
// (optionally rounded) tells how the engine quantity is put into the bytes,
// and the same row read forwards says what a scanner must show for them.
// A make that gets a decoder adds its tables and its <Name>Layout in its own
// file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/catalogue.h"
#include "protocol/components.h"

namespace kalvex::sim {

enum class Quantity {
  Speed,
  RpmHundreds,
  Rpm,
  Coolant,
  Intake,
  Battery,
  Throttle,
  AirFlow,
  Injection,
  Map
};

struct Field {
  std::vector<Component> components;  // gauges this row sets, in order
  int hi = 0;                         // byte index, or the high byte of a word
  int lo = -1;                        // low byte of a word; -1 for a single byte
  long double m = 1, d = 1, a = 0;    // value = ((raw * m) / d) + a
  bool round = false;                 // Round: nearest, ties to even
  Quantity q = Quantity::Speed;       // what the raw value carries
};

// The reply to one live-data request.
struct DataReply {
  std::vector<uint8_t> request;  // e.g. 21 01
  std::vector<uint8_t> header;   // e.g. 61 01; the rest of the reply follows
  size_t length = 0;             // whole reply, header included
  std::vector<Field> fields;     // in the order a decoder sets them
};

struct EcuLayout {
  std::vector<DataReply> replies;
};

// Null when the simulator has no table for that type (yet).
const EcuLayout* EcuLayoutOf(int make, int ecu);

// One per make of the make list, defined in that make's layouts file (makes
// that share their ECUs share the file); null for a type without a layout.
#define KALVEX_DECLARE_LAYOUT(Name) const EcuLayout* Name##Layout(int ecu);
KALVEX_MAKES(KALVEX_DECLARE_LAYOUT)
#undef KALVEX_DECLARE_LAYOUT

}  // namespace kalvex::sim
