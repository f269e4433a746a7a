// CITROEN (make 14) and PEUGEOT (make 15): every type answers 21 C0 80 01
// and 21 C4 80 01; which quantity sits in which reply is per type.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;
constexpr int kCitroen = 14;
constexpr int kPeugeot = 15;

const std::vector<uint8_t> kRequestC0 = {0x21, 0xC0, 0x80, 0x01};
const std::vector<uint8_t> kRequestC4 = {0x21, 0xC4, 0x80, 0x01};

// Speed alone in the 0xC4 reply, one km/h per bit.
const DataReply kPlainSpeedC4 = {
    kRequestC4,
    {0x61, 0xC4},
    21,
    {
        {{C::VS_Speed, C::VI_Speed}, 20, kByte, 1, 1, 0, false, Q::Speed},
    },
};

// CITROEN Sagem S 2000 PM1
const EcuLayout kSagem = {{
    {
        kRequestC0,
        {0x61, 0xC0},
        16,
        {
            {{C::VS_Nmot}, 2, kByte, 32, 100, 0, false, Q::RpmHundreds},
            {{C::VI_Nmot}, 2, kByte, 32, 1, 0, false, Q::Rpm},
            {{C::VS_TOG}, 12, kByte, 1, 1, -40, false, Q::Coolant},
            {{C::VS_TANS}, 14, kByte, 1, 1, -40, false, Q::Intake},
            {{C::VS_MAP}, 15, kByte, 1305, 255, 0, false, Q::Map},
            {{C::VS_THR}, 8, kByte, 1, 1, 0, false, Q::Throttle},
            {{C::VS_DV}, 6, kByte, 209, 255, 0, false, Q::Injection},
            {{C::VS_Ub, C::VI_Ub}, 3, kByte, 1, 10, 0, false, Q::Battery},
        },
    },
    kPlainSpeedC4,
}};

// CITROEN 1.6L 16V NFU: engine speed and voltage come with the speed.
const EcuLayout kNfu = {{
    {
        kRequestC0,
        {0x61, 0xC0},
        16,
        {
            {{C::VS_TOG}, 12, kByte, 191.4L, 255, -48, false, Q::Coolant},
            {{C::VS_TANS}, 14, kByte, 191.4L, 255, -48, false, Q::Intake},
            {{C::VS_MAP}, 15, kByte, 10, 1, 0, false, Q::Map},
            {{C::VS_THR}, 8, kByte, 1, 1, 0, false, Q::Throttle},
            {{C::VS_DV}, 6, kByte, 99.44L, 255, 0, false, Q::Injection},
        },
    },
    {
        kRequestC4,
        {0x61, 0xC4},
        21,
        {
            {{C::VS_Nmot}, 2, kByte, 40, 100, 0, false, Q::RpmHundreds},
            {{C::VI_Nmot}, 2, kByte, 40, 1, 0, false, Q::Rpm},
            {{C::VS_Ub, C::VI_Ub}, 3, kByte, 28.1L, 255, 0, false, Q::Battery},
            {{C::VS_Speed, C::VI_Speed}, 20, kByte, 318, 255, 0, false, Q::Speed},
        },
    },
}};

// CITROEN 2.0L 16V RFJ/RFN: throttle in byte 9.
const EcuLayout kRfj = {{
    {
        kRequestC0,
        {0x61, 0xC0},
        16,
        {
            {{C::VS_Nmot}, 2, kByte, 32, 100, 0, false, Q::RpmHundreds},
            {{C::VI_Nmot}, 2, kByte, 32, 1, 0, false, Q::Rpm},
            {{C::VS_TOG}, 12, kByte, 1, 1, -40, false, Q::Coolant},
            {{C::VS_TANS}, 14, kByte, 1, 1, -40, false, Q::Intake},
            {{C::VS_MAP}, 15, kByte, 3977, 255, 0, false, Q::Map},
            {{C::VS_THR}, 9, kByte, 120, 255, 0, false, Q::Throttle},
            {{C::VS_DV}, 6, kByte, 99.44L, 255, 0, false, Q::Injection},
            {{C::VS_Ub, C::VI_Ub}, 3, kByte, 1, 10, 0, false, Q::Battery},
        },
    },
    kPlainSpeedC4,
}};

// PEUGEOT MM6LP/MM4.8P(M): temperatures fall as the byte rises.
const EcuLayout kMm6lp = {{
    {
        kRequestC0,
        {0x61, 0xC0},
        16,
        {
            {{C::VS_Nmot}, 2, kByte, 32, 100, 0, false, Q::RpmHundreds},
            {{C::VI_Nmot}, 2, kByte, 32, 1, 0, false, Q::Rpm},
            {{C::VS_TOG}, 12, kByte, -184, 255, 155, false, Q::Coolant},
            {{C::VS_TANS}, 14, kByte, -184, 255, 155, false, Q::Intake},
            {{C::VS_MAP}, 15, kByte, 400, 255, 0, false, Q::Map},
            {{C::VS_THR}, 8, kByte, 1, 1, 0, false, Q::Throttle},
            {{C::VS_DV}, 6, kByte, 100, 255, 0, false, Q::Injection},
            {{C::VS_Ub, C::VI_Ub}, 3, kByte, 1, 10, 0, false, Q::Battery},
        },
    },
    kPlainSpeedC4,
}};

}  // namespace

const EcuLayout* CitroenLayout(int ecu) {
  switch (ecu) {
    case 0:
      return &kSagem;
    case 1:
      return &kNfu;
    case 2:
      return &kRfj;
    default:
      return nullptr;
  }
}

const EcuLayout* PeugeotLayout(int ecu) { return ecu == 0 ? &kMm6lp : nullptr; }

}  // namespace kalvex::sim
