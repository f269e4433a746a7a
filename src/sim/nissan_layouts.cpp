// NISSAN (make 10): eight identifiers read one at a time with service 0x22,
// one quantity per reply. The K-line type sends 04 01 after the identifier.
#include <cstdint>
#include <vector>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// The identifier's replies; `tail` is what the type sends after it, and the
// reply echoes the identifier without it.
EcuLayout Ring(const std::vector<uint8_t>& tail) {
  auto reply = [&](uint8_t hi, uint8_t lo, size_t length, Rows rows) {
    std::vector<uint8_t> request = Common(hi, lo);
    request.insert(request.end(), tail.begin(), tail.end());
    return EchoingReply(std::move(request), 3, length, {std::move(rows)});
  };
  return {{
      reply(0x11, 0x01, 4, Coolant(3, {1, 1, -50})),
      reply(0x11, 0x02, 4, Speed(3, {2})),
      reply(0x11, 0x03, 4, Battery(3, {0.08L})),
      reply(0x11, 0x06, 4, Intake(3, {1, 1, -50})),
      reply(0x11, 0x0E, 4, Map(3, {0.02L})),
      reply(0x11, 0x1E, 4, Throttle(3, {0.35L})),
      reply(0x12, 0x01, 5, Rpm(Word(3, 4), {12.5L, 100, 0, true}, {12.5L, 1, 0, true})),
      reply(0x12, 0x06, 5, Injection(Word(3, 4), {0.01L})),
  }};
}

// Общий K-Line (10H)
const EcuLayout kKLine = Ring({0x04, 0x01});
// Общий CAN
const EcuLayout kCan = Ring({});

const EcuLayout* const kNissan[] = {&kKLine, &kCan};

}  // namespace

const EcuLayout* NissanLayout(int ecu) { return TypeAt(kNissan, ecu); }

}  // namespace kalvex::sim
