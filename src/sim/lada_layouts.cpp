// LADA (make 0): every type answers one request that refreshes all gauges.
#include <iterator>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// Январь 5.1 P-83
const EcuLayout kType0 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    38,
    {
        {{C::VS_Speed, C::VI_Speed}, 19, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_Nmot}, 13, kByte, 40, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 13, kByte, 40, 1, 0, false, Q::Rpm},
        {{C::VS_Ub, C::VI_Ub}, 20, kByte, 0.05L, 1, 5.2L, false, Q::Battery},
        {{C::VS_TOG}, 10, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_MRV}, 25, 24, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_THR}, 12, kByte, 1, 1, 0, false, Q::Throttle},
        {{C::VS_DV}, 23, 22, 1, 125, 0, false, Q::Injection},
    },
}}};

// Январь 5.1 Euro 2: the two words two bytes further on.
const EcuLayout kType1 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    40,
    {
        {{C::VS_Speed, C::VI_Speed}, 19, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_Nmot}, 13, kByte, 40, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 13, kByte, 40, 1, 0, false, Q::Rpm},
        {{C::VS_Ub, C::VI_Ub}, 20, kByte, 0.05L, 1, 5.2L, false, Q::Battery},
        {{C::VS_TOG}, 10, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_MRV}, 27, 26, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_THR}, 12, kByte, 1, 1, 0, false, Q::Throttle},
        {{C::VS_DV}, 25, 24, 1, 125, 0, false, Q::Injection},
    },
}}};

// Январь 7.2: as Euro 2 plus intake air.
const EcuLayout kType2 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    42,
    {
        {{C::VS_Speed, C::VI_Speed}, 19, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_Nmot}, 13, kByte, 40, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 13, kByte, 40, 1, 0, false, Q::Rpm},
        {{C::VS_Ub, C::VI_Ub}, 20, kByte, 0.05L, 1, 5.2L, false, Q::Battery},
        {{C::VS_TOG}, 10, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_TANS}, 36, kByte, 1, 1, -40, false, Q::Intake},
        {{C::VS_MRV}, 27, 26, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_THR}, 12, kByte, 1, 1, 0, false, Q::Throttle},
        {{C::VS_DV}, 25, 24, 1, 125, 0, false, Q::Injection},
    },
}}};

// M73 / Bosch M7.9.7: words high byte first.
const EcuLayout kType3 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    24,
    {
        {{C::VS_Speed, C::VI_Speed}, 7, kByte, 1.25L, 1, 0, true, Q::Speed},
        {{C::VS_Nmot}, 9, kByte, 40, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 9, kByte, 40, 1, 0, false, Q::Rpm},
        {{C::VS_Ub, C::VI_Ub}, 6, kByte, 0.073675L, 1, 0, false, Q::Battery},
        {{C::VS_TOG}, 4, kByte, 0.75L, 1, -48, false, Q::Coolant},
        {{C::VS_TANS}, 5, kByte, 0.75L, 1, -48, false, Q::Intake},
        {{C::VS_MRV}, 10, 11, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_THR}, 8, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 18, 19, 0.0133L, 1, 0, false, Q::Injection},
    },
}}};

// Bosch MP7.0: no intake air.
const EcuLayout kType4 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    30,
    {
        {{C::VS_Speed, C::VI_Speed}, 16, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_Nmot}, 17, kByte, 40, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 17, kByte, 40, 1, 0, false, Q::Rpm},
        {{C::VS_Ub, C::VI_Ub}, 11, kByte, 0.0943L, 1, 0, false, Q::Battery},
        {{C::VS_TOG}, 12, kByte, 0.75L, 1, -48, false, Q::Coolant},
        {{C::VS_THR}, 15, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_MRV}, 26, kByte, 1, 4, 0, false, Q::AirFlow},
        {{C::VS_DV}, 18, 19, 0.024L, 1, 0, false, Q::Injection},
    },
}}};

// M74 / Bosch ME17.9.7
const EcuLayout kType5 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    30,
    {
        {{C::VS_Speed, C::VI_Speed}, 8, kByte, 1.25L, 1, 0, true, Q::Speed},
        {{C::VS_Ub, C::VI_Ub}, 3, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_TOG}, 5, kByte, 0.75L, 1, -48, false, Q::Coolant},
        {{C::VS_TANS}, 23, kByte, 0.75L, 1, -48, false, Q::Intake},
        {{C::VS_MRV}, 18, 19, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_Nmot}, 6, 7, 1, 400, 0, false, Q::RpmHundreds},
        {{C::VI_Nmot}, 6, 7, 1, 4, 0, false, Q::Rpm},
        {{C::VS_THR}, 12, 13, 1, 41, 0, false, Q::Throttle},
        {{C::VS_DV}, 10, 11, 1, 156.2L, 0, false, Q::Injection},
    },
}}};

// М74 CAN / Bosch ME17.9.7 CAN / M75 / M86: 22 00 01 over CAN, a reply long
// enough to need five frames.
const EcuLayout kType6 = {{{
    {0x22, 0x00, 0x01},
    {0x62, 0x00, 0x01},
    28,
    {
        {{C::VS_Ub, C::VI_Ub}, 4, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_TOG}, 6, kByte, 0.75L, 1, -48, false, Q::Coolant},
        {{C::VS_Nmot}, 7, 8, 1, 400, 0, false, Q::RpmHundreds},
        {{C::VI_Nmot}, 7, 8, 1, 4, 0, false, Q::Rpm},
        {{C::VS_Speed, C::VI_Speed}, 9, kByte, 1.25L, 1, 0, true, Q::Speed},
        {{C::VS_DV}, 11, 12, 1, 156.2L, 0, false, Q::Injection},
        {{C::VS_THR}, 13, 14, 1, 41, 0, false, Q::Throttle},
        {{C::VS_MRV}, 19, 20, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_TANS}, 24, kByte, 0.75L, 1, -48, false, Q::Intake},
    },
}}};

const EcuLayout* const kLada[] = {&kType0, &kType1, &kType2, &kType3, &kType4, &kType5, &kType6};

}  // namespace

const EcuLayout* LadaLayout(int ecu) {
  if (ecu < 0 || ecu >= static_cast<int>(std::size(kLada))) return nullptr;
  return kLada[ecu];
}

}  // namespace kalvex::sim
