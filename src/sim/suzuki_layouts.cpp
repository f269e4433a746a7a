// SUZUKI (make 16): both GRAND VITARA types answer one long reply to 21 00.
// Words high byte first. The reply carries no supply voltage.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// GRAND VITARA v.1 and v.2 (they differ only in the K-line address)
const EcuLayout kGrandVitara = {{{
    {0x21, 0x00},
    {0x61, 0x00},
    41,
    {
        {{C::VS_TOG}, 16, kByte, 1, 1, -40, false, Q::Coolant},
        {{C::VS_MAP}, 21, kByte, 1, 1, 0, false, Q::Map},
        {{C::VS_Nmot}, 22, 23, 1, 400, 0, false, Q::RpmHundreds},
        {{C::VI_Nmot}, 22, 23, 1, 4, 0, false, Q::Rpm},
        {{C::VS_Speed, C::VI_Speed}, 24, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_TANS}, 26, kByte, 1, 1, -40, false, Q::Intake},
        {{C::VS_THR}, 38, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 39, 40, 1, 1000, 0, false, Q::Injection},
    },
}}};

}  // namespace

const EcuLayout* SuzukiLayout(int ecu) { return ecu == 0 || ecu == 1 ? &kGrandVitara : nullptr; }

}  // namespace kalvex::sim
