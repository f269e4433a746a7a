// GAZ (make 3) and UAZ (make 4): UAZ has the first four GAZ ECU types under
// the same indices; only GAZ has the Euro-5 type on 22 00 01.
#include <iterator>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// Bosch ME17.9.7 Euro-3 and Euro-4. The speed word only reaches 2 km/h at
// full scale, so the simulated speed saturates there.
const EcuLayout kMe1797 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    110,
    {
        {{C::VS_Nmot}, 2, 3, 1, 400, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 2, 3, 1, 4, 0, true, Q::Rpm},
        {{C::VS_TOG}, 8, 9, 0.75L, 1, -48, true, Q::Coolant},
        {{C::VS_TANS}, 11, kByte, 0.75L, 1, -48, true, Q::Intake},
        {{C::VS_MRV}, 19, 20, 1, 10, 0, true, Q::AirFlow},
        {{C::VS_THR}, 25, 26, 15984, 655360, 0, false, Q::Throttle},
        {{C::VS_DV}, 27, 28, 41942, 6553600, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 49, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 108, 109, 2, 65536, 0, true, Q::Speed},
    },
}}};

// Микас 10.3/11.3
const EcuLayout kMikas103 = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    38,
    {
        {{C::VS_Nmot}, 18, 19, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 18, 19, 1, 1, 0, false, Q::Rpm},
        {{C::VS_THR}, 20, 21, 1, 10, 0, false, Q::Throttle},
        {{C::VS_DV}, 24, 25, 1, 100, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 37, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 36, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_MRV}, 26, 27, 1, 10, 0, true, Q::AirFlow},
        {{C::VS_TOG}, 30, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_TANS}, 31, kByte, 1, 1, -40, false, Q::Intake},
    },
}}};

// Микас 11 Euro-2: words low byte first; the battery comes on 21 03.
const EcuLayout kMikas11 = {{
    {{0x21, 0x01},
     {0x61, 0x01},
     43,
     {
         {{C::VS_Nmot}, 3, 2, 1, 200, 0, true, Q::RpmHundreds},
         {{C::VI_Nmot}, 3, 2, 1, 2, 0, true, Q::Rpm},
         {{C::VS_TOG}, 5, 4, 1, 128, 0, true, Q::Coolant},
         {{C::VS_TANS}, 7, 6, 1, 128, 0, true, Q::Intake},
         {{C::VS_MRV}, 23, 22, 1, 128, 0, true, Q::AirFlow},
         {{C::VS_THR}, 9, 8, 1, 128, 0, false, Q::Throttle},
         {{C::VS_DV}, 19, 18, 1, 200, 0, false, Q::Injection},
         {{C::VS_Speed, C::VI_Speed}, 42, 41, 1, 1, 0, false, Q::Speed},
     }},
    {{0x21, 0x03},
     {0x61, 0x03},
     4,
     {
         {{C::VS_Ub, C::VI_Ub}, 3, 2, 1, 256, 0, false, Q::Battery},
     }},
}};

// Bosch ME 17.9.71 Euro-5 (GAZ only)
const EcuLayout kMe17971 = {{{
    {0x22, 0x00, 0x01},
    {0x62, 0x00, 0x01},
    38,
    {
        {{C::VS_Ub, C::VI_Ub}, 4, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_TOG}, 5, kByte, 0.75L, 1, -49, false, Q::Coolant},
        {{C::VS_Nmot}, 6, 7, 1, 400, 0, false, Q::RpmHundreds},
        {{C::VI_Nmot}, 6, 7, 1, 4, 0, false, Q::Rpm},
        {{C::VS_Speed, C::VI_Speed}, 8, kByte, 1.25L, 1, 0, true, Q::Speed},
        {{C::VS_DV}, 10, 11, 419.4L, 65535, 0, false, Q::Injection},
        {{C::VS_THR}, 12, 13, 800, 32767, 0, false, Q::Throttle},
        {{C::VS_MRV}, 18, 19, 0.1L, 1, 0, false, Q::AirFlow},
        {{C::VS_TANS}, 37, kByte, 0.75L, 1, -49, false, Q::Intake},
    },
}}};

const EcuLayout* const kGaz[] = {&kMe1797, &kMikas103, &kMikas11, &kMe1797, &kMe17971};
constexpr int kUazTypes = 4;  // the first four of GAZ

}  // namespace

const EcuLayout* GazLayout(int ecu) {
  if (ecu < 0 || ecu >= static_cast<int>(std::size(kGaz))) return nullptr;
  return kGaz[ecu];
}

const EcuLayout* UazLayout(int ecu) { return ecu < kUazTypes ? GazLayout(ecu) : nullptr; }

}  // namespace kalvex::sim
