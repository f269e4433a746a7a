// DAEWOO and CHEVROLET (makes 12 and 13): the one SIRIUS type answers 21 02
// with every gauge. Words high byte first.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// SIRIUS D3/D4/D42
const EcuLayout kSirius = {{{
    {0x21, 0x02},
    {0x61, 0x02},
    19,
    {
        {{C::VS_Nmot}, 7, 8, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 7, 8, 1, 1, 0, false, Q::Rpm},
        {{C::VS_TOG}, 2, kByte, 191.4L, 255, -49, false, Q::Coolant},
        {{C::VS_TANS}, 3, kByte, 191.4L, 255, -49, false, Q::Intake},
        {{C::VS_MAP}, 11, kByte, 119, 255, 0, false, Q::Map},
        {{C::VS_THR}, 4, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 17, 18, 1, 250, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 5, kByte, 1, 8, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 6, kByte, 1, 1, 0, false, Q::Speed},
    },
}}};

}  // namespace

const EcuLayout* DaewooLayout(int ecu) { return ecu == 0 ? &kSirius : nullptr; }
const EcuLayout* ChevroletLayout(int ecu) { return DaewooLayout(ecu); }

}  // namespace kalvex::sim
