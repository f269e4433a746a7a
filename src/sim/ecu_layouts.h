// Reply layouts of the simulated ECUs, one table per ECU type. Each row is a
// decoder row read backwards: the gauge formula value = ((raw * m) / d) + a
// (optionally rounded) tells how the engine quantity is put into the bytes,
// and the same row read forwards says what a scanner must show for them.
// A make that gets a decoder adds its tables and its <Name>Layout in its own
// file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
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

// Builders the layout files write their rows with. A quantity always sets the
// same gauges (the speed both speed gauges, the battery both voltage gauges),
// so a row names only where its raw value sits and how it is scaled.

// Where a raw value sits: a byte index, or Word(high, low).
struct At {
  constexpr At(int byte) : hi(byte) {}
  int hi;
  int lo = -1;
};
constexpr At Word(int high, int low) {
  At at(high);
  at.lo = low;
  return at;
}

// value = ((raw * m) / d) + a, rounded to the nearest when `round`.
struct Scale {
  long double m = 1, d = 1, a = 0;
  bool round = false;
};

Field Speed(At at, Scale s = {});
Field Battery(At at, Scale s = {});
Field Coolant(At at, Scale s = {});
Field Intake(At at, Scale s = {});
Field Throttle(At at, Scale s = {});
Field AirFlow(At at, Scale s = {});
Field Injection(At at, Scale s = {});
Field Map(At at, Scale s = {});

// Scales that many layouts share.
inline constexpr Scale kTenths{1, 10};       // a tenth a bit
inline constexpr Scale kPercent{100, 255};   // the byte's range as 0..100 %
inline constexpr Scale kMinus40{1, 1, -40};  // whole degrees from -40 °C

// A reply's rows as a layout lists them: one row, or the engine speed, which
// one raw value gives both the dial (in hundreds) and the number (in rpm).
struct Rows {
  Rows() = default;  // no row: what a type without the quantity lists
  Rows(Field f) : fields{std::move(f)} {}
  Rows(std::vector<Field> f) : fields(std::move(f)) {}
  std::vector<Field> fields;
};
std::vector<Field> Rpm(At at, Scale hundreds, Scale rpm);

// Requests by local identifier (21 id) and by common identifier (22 hi lo).
std::vector<uint8_t> Local(uint8_t id);
std::vector<uint8_t> Common(uint8_t high, uint8_t low);

// The reply to `request`: its positive answer echoes the whole request (the
// service plus 0x40), then the data up to `length` bytes in all.
DataReply Reply(std::vector<uint8_t> request, size_t length, std::initializer_list<Rows> rows);
// The same where the answer echoes only the first `echoed` bytes.
DataReply EchoingReply(std::vector<uint8_t> request, size_t echoed, size_t length,
                       std::initializer_list<Rows> rows);

// Null when the simulator has no table for that type (yet).
const EcuLayout* EcuLayoutOf(int make, int ecu);

// The layout of item `ecu` of a make's type list, in item order; null past
// its end (and where the list holds null: a type without a layout).
template <size_t N>
const EcuLayout* TypeAt(const EcuLayout* const (&types)[N], int ecu) {
  return ecu >= 0 && ecu < static_cast<int>(N) ? types[ecu] : nullptr;
}

// One per make of the make list, defined in that make's layouts file (makes
// that share their ECUs share the file); null for a type without a layout.
#define KALVEX_DECLARE_LAYOUT(Name) const EcuLayout* Name##Layout(int ecu);
KALVEX_MAKES(KALVEX_DECLARE_LAYOUT)
#undef KALVEX_DECLARE_LAYOUT

}  // namespace kalvex::sim
