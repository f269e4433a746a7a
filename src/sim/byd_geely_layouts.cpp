// BYD (make 5) and Geely (make 6): every type answers one long reply to
// 21 01. BYD's F3 Delphi MT20U answers as Chery's Tiggo Delphi does.
#include <iterator>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// M797: no intake air.
const EcuLayout kM797 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    58,
    {
        {{C::VS_Nmot}, 34, 35, 1, 400, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 34, 35, 1, 4, 0, true, Q::Rpm},
        {{C::VS_TOG}, 41, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_MRV}, 50, 51, 1, 10, 0, false, Q::AirFlow},
        {{C::VS_THR}, 24, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 56, 57, 0.39L, 255, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 33, kByte, 0.07L, 1, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 38, kByte, 1, 1, 0, false, Q::Speed},
    },
}}};

// Delphi MT20/MT80: no throttle.
const EcuLayout kDelphiMt20 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    43,
    {
        {{C::VS_Nmot}, 39, 40, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 39, 40, 1, 1, 0, false, Q::Rpm},
        {{C::VS_TOG}, 24, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_TANS}, 22, kByte, 1, 1, -40, false, Q::Intake},
        {{C::VS_MAP}, 19, kByte, 94.41L, 255, 10.35L, false, Q::Map},
        {{C::VS_DV}, 41, 42, 1, 128, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 20, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 38, kByte, 1, 1, 0, false, Q::Speed},
    },
}}};

const EcuLayout* const kGeely[] = {&kM797, &kDelphiMt20};

}  // namespace

const EcuLayout* BydLayout(int ecu) { return ecu == 0 ? CheryLayout(0) : nullptr; }

const EcuLayout* GeelyLayout(int ecu) {
  if (ecu < 0 || ecu >= static_cast<int>(std::size(kGeely))) return nullptr;
  return kGeely[ecu];
}

}  // namespace kalvex::sim
