// NISSAN (make 10): eight identifiers read one at a time with service 0x22,
// one quantity per reply. The K-line type sends 04 01 after the identifier.
#include <cstdint>
#include <vector>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// The identifier's replies; `tail` is what the type sends after it.
EcuLayout Ring(const std::vector<uint8_t>& tail) {
  auto reply = [&](uint8_t hi, uint8_t lo, size_t length, std::vector<Field> fields) {
    std::vector<uint8_t> request{0x22, hi, lo};
    request.insert(request.end(), tail.begin(), tail.end());
    return DataReply{request, {0x62, hi, lo}, length, std::move(fields)};
  };
  return {{
      reply(0x11, 0x01, 4, {{{C::VS_TOG}, 3, kByte, 1, 1, -50, false, Q::Coolant}}),
      reply(0x11, 0x02, 4, {{{C::VI_Speed, C::VS_Speed}, 3, kByte, 2, 1, 0, false, Q::Speed}}),
      reply(0x11, 0x03, 4, {{{C::VS_Ub, C::VI_Ub}, 3, kByte, 0.08L, 1, 0, false, Q::Battery}}),
      reply(0x11, 0x06, 4, {{{C::VS_TANS}, 3, kByte, 1, 1, -50, false, Q::Intake}}),
      reply(0x11, 0x0E, 4, {{{C::VS_MAP}, 3, kByte, 0.02L, 1, 0, false, Q::Map}}),
      reply(0x11, 0x1E, 4, {{{C::VS_THR}, 3, kByte, 0.35L, 1, 0, false, Q::Throttle}}),
      reply(0x12, 0x01, 5,
            {{{C::VS_Nmot}, 3, 4, 12.5L, 100, 0, true, Q::RpmHundreds},
             {{C::VI_Nmot}, 3, 4, 12.5L, 1, 0, true, Q::Rpm}}),
      reply(0x12, 0x06, 5, {{{C::VS_DV}, 3, 4, 0.01L, 1, 0, false, Q::Injection}}),
  }};
}

// Общий K-Line (10H)
const EcuLayout kKLine = Ring({0x04, 0x01});
// Общий CAN
const EcuLayout kCan = Ring({});

}  // namespace

const EcuLayout* NissanLayout(int ecu) {
  switch (ecu) {
    case 0:
      return &kKLine;
    case 1:
      return &kCan;
    default:
      return nullptr;
  }
}

}  // namespace kalvex::sim
