// Chery (make 7): six types answer one long reply to 21 01; the QQ3/QQ6
// answers eight local identifiers with one word each.
#include <iterator>
#include <utility>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// Tiggo Delphi system 2.0L-2.4L (4G63-4G64). The temperatures are rounded
// before the offset; an offset of whole degrees rounds the same after it.
const EcuLayout kTiggoDelphi = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    30,
    {
        {{C::VS_Nmot}, 26, 27, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 26, 27, 1, 1, 0, false, Q::Rpm},
        {{C::VS_TOG}, 14, kByte, 191.2L, 255, -40, true, Q::Coolant},
        {{C::VS_TANS}, 12, kByte, 191.2L, 255, -40, true, Q::Intake},
        {{C::VS_MAP}, 9, kByte, 94, 255, 10.4L, false, Q::Map},
        {{C::VS_THR}, 24, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 28, 29, 2, 255, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 10, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 25, kByte, 1, 1, 0, false, Q::Speed},
    },
}}};

// A15: no supply voltage, no speed.
const EcuLayout kA15 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    68,
    {
        {{C::VS_Nmot}, 34, 35, 1, 400, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 34, 35, 1, 4, 0, true, Q::Rpm},
        {{C::VS_TOG}, 41, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_TANS}, 43, kByte, 1, 1, -40, false, Q::Intake},
        {{C::VS_MAP}, 49, kByte, 1, 1, 0, false, Q::Map},
        {{C::VS_THR}, 55, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 66, 67, 1, 2560, 0, false, Q::Injection},
    },
}}};

// Chery A3/A5 (3), Chery FORA 1.6/2.0 (5) and UAES (6) share the reply and
// differ in the rpm rounding, the air flow word, the throttle byte and the
// voltage factor.
EcuLayout A3Fora(int type) {
  const bool a3 = type == 3;
  const Field airFlow = a3 ? Field{{C::VS_MRV}, 48, 49, 1, 10, 0, false, Q::AirFlow}
                           : Field{{C::VS_MRV}, 51, 52, 1, 1, 0, false, Q::AirFlow};
  return {{{
      {0x21, 0x01},
      {0x61, 0x01},
      68,
      {
          {{C::VS_Nmot}, 34, 35, 1, 400, 0, true, Q::RpmHundreds},
          {{C::VI_Nmot}, 34, 35, 1, 4, 0, a3, Q::Rpm},
          {{C::VS_TOG}, 41, kByte, 1, 1, -40, false, Q::Coolant},
          {{C::VS_TANS}, 43, kByte, 1, 1, -40, false, Q::Intake},
          airFlow,
          {{C::VS_THR}, type == 5 ? 60 : 61, kByte, 100, 255, 0, false, Q::Throttle},
          {{C::VS_DV}, 66, kByte, 1, 10, 0, false, Q::Injection},
          {{C::VS_Ub, C::VI_Ub}, 33, kByte, type == 6 ? 0.07L : 0.065L, 1, 0, false, Q::Battery},
          {{C::VS_Speed, C::VI_Speed}, 38, kByte, 1, 1, 0, false, Q::Speed},
      },
  }}};
}
const EcuLayout kA3A5 = A3Fora(3);
const EcuLayout kFora = A3Fora(5);
const EcuLayout kUaes = A3Fora(6);

// Siemens 372 System
const EcuLayout kSiemens372 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    46,
    {
        {{C::VS_Nmot}, 21, 22, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 21, 22, 1, 1, 0, false, Q::Rpm},
        {{C::VS_TOG}, 5, kByte, 191, 255, -49, false, Q::Coolant},
        {{C::VS_TANS}, 7, kByte, 191, 255, -49, false, Q::Intake},
        {{C::VS_MAP}, 15, 16, 5434, 65535000, 0, false, Q::Map},
        {{C::VS_THR}, 8, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 44, 45, 262.14L, 65535, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 2, kByte, 25.9L, 255, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 20, kByte, 1, 1, 0, false, Q::Speed},
    },
}}};

// Chery QQ3/QQ6: 61 <id> then one word, high byte first.
DataReply QqWord(uint8_t id, std::vector<Field> fields) {
  return {{0x21, id}, {0x61, id}, 4, std::move(fields)};
}
const EcuLayout kQq = {{
    QqWord(0x20, {{{C::VS_Nmot}, 2, 3, 1, 100, 0, true, Q::RpmHundreds},
                  {{C::VI_Nmot}, 2, 3, 1, 1, 0, false, Q::Rpm}}),
    QqWord(0x21, {{{C::VS_MAP}, 2, 3, 1, 10, 0, false, Q::Map}}),
    QqWord(0x22, {{{C::VS_TANS}, 2, 3, 1, 1, -40, false, Q::Intake}}),
    QqWord(0x23, {{{C::VS_TOG}, 2, 3, 1, 1, -40, false, Q::Coolant}}),
    QqWord(0x24, {{{C::VS_THR}, 2, 3, 1, 10, 0, false, Q::Throttle}}),
    QqWord(0x29, {{{C::VS_DV}, 2, 3, 1, 500, 0, false, Q::Injection}}),
    QqWord(0x2C, {{{C::VS_Ub, C::VI_Ub}, 2, 3, 1, 10, 0, false, Q::Battery}}),
    QqWord(0x43, {{{C::VS_Speed, C::VI_Speed}, 2, 3, 1, 10, 0, false, Q::Speed}}),
}};

const EcuLayout* const kChery[] = {&kTiggoDelphi, &kA15,  &kQq,  &kA3A5,
                                   &kSiemens372,  &kFora, &kUaes};

}  // namespace

const EcuLayout* CheryLayout(int ecu) {
  if (ecu < 0 || ecu >= static_cast<int>(std::size(kChery))) return nullptr;
  return kChery[ecu];
}

}  // namespace kalvex::sim
