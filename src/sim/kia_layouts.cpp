// KIA (make 11): engine data in the reply to 21 02, vehicle speed in the
// reply to 21 03. Words low byte first.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

const DataReply kSpeedReply = {
    {0x21, 0x03},
    {0x61, 0x03},
    49,
    {
        {{C::VS_Speed, C::VI_Speed}, 48, kByte, 320, 256, 0, false, Q::Speed},
    },
};

// The engine data of both types; the load row (air flow or manifold
// pressure) stands in the same place.
EcuLayout EngineData(Field load) {
  return {{
      {
          {0x21, 0x02},
          {0x61, 0x02},
          46,
          {
              {{C::VS_Nmot}, 29, kByte, 40, 100, 0, false, Q::RpmHundreds},
              {{C::VI_Nmot}, 29, kByte, 40, 1, 0, false, Q::Rpm},
              {{C::VS_TOG}, 33, kByte, 191.2L, 255, -49, false, Q::Coolant},
              {{C::VS_TANS}, 35, kByte, 191.2L, 255, -49, false, Q::Intake},
              load,
              {{C::VS_THR}, 26, kByte, 100, 255, 0, false, Q::Throttle},
              {{C::VS_DV}, 45, 44, 262.1L, 65536, 0, false, Q::Injection},
              {{C::VS_Ub, C::VI_Ub}, 31, kByte, 24, 255, 0, false, Q::Battery},
          },
      },
      kSpeedReply,
  }};
}

// ECU_v.1 (1.4L/1.6L MAF) CAN
const EcuLayout kEcuV1 = EngineData({{C::VS_MRV}, 9, 8, 1, 10, 0, false, Q::AirFlow});
// ECU_v.2 (1.4L/1.6L MAP) CAN: manifold pressure in place of the air flow.
const EcuLayout kEcuV2 = EngineData({{C::VS_MAP}, 17, 16, 2560, 65536000, 0, false, Q::Map});

}  // namespace

const EcuLayout* KiaLayout(int ecu) {
  switch (ecu) {
    case 0:
      return &kEcuV1;
    case 1:
      return &kEcuV2;
    default:
      return nullptr;
  }
}

}  // namespace kalvex::sim
