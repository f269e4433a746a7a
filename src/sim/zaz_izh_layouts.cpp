// ZAZ (make 8) and IZH (make 9): one Микас type each, both answering the
// same long reply to 21 01.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// Микас 7.6/10.3/11.3/10.3+/11.3+ and Микас 7.6
const EcuLayout kMikas = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    38,
    {
        {{C::VS_Nmot}, 18, 19, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 18, 19, 1, 1, 0, false, Q::Rpm},
        {{C::VS_TOG}, 30, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_TANS}, 31, kByte, 1, 1, -40, false, Q::Intake},
        {{C::VS_MRV}, 26, 27, 1, 10, 0, false, Q::AirFlow},
        {{C::VS_THR}, 20, 21, 1, 10, 0, false, Q::Throttle},
        {{C::VS_DV}, 24, 25, 1, 100, 0, false, Q::Injection},
        {{C::VS_Ub, C::VI_Ub}, 37, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Speed, C::VI_Speed}, 36, kByte, 1, 1, 0, false, Q::Speed},
    },
}}};

}  // namespace

const EcuLayout* ZazLayout(int ecu) { return ecu == 0 ? &kMikas : nullptr; }
const EcuLayout* IzhLayout(int ecu) { return ZazLayout(ecu); }

}  // namespace kalvex::sim
