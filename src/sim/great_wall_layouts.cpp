// GREATWALL (make 2): six types answer one long reply to 21 01; Delphi MT20
// answers one quantity per common identifier.
#include <iterator>

#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

using C = Component;
using Q = Quantity;

constexpr int kByte = -1;

// DEEP DELPHI ECUS
const EcuLayout kDeepDelphi = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    40,
    {
        {{C::VS_Ub, C::VI_Ub}, 33, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Nmot}, 20, kByte, 25, 400, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 20, kByte, 25, 1, 0, false, Q::Rpm},
        {{C::VS_Speed, C::VI_Speed}, 39, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_TOG}, 34, kByte, 190, 255, -40, true, Q::Coolant},
        {{C::VS_TANS}, 35, kByte, 190, 255, -40, true, Q::Intake},
        {{C::VS_MAP}, 29, kByte, 94.3L, 255, 10.4L, true, Q::Map},
        {{C::VS_THR}, 27, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 21, kByte, 20.4L, 255, 0, false, Q::Injection},
    },
}}};

// DEEP SPACEFLIGHT
const EcuLayout kDeepSpaceflight = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    30,
    {
        {{C::VS_MAP}, 9, kByte, 94.3L, 255, 10.4L, false, Q::Map},
        {{C::VS_Ub, C::VI_Ub}, 10, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_Nmot}, 26, 27, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 26, 27, 1, 1, 0, false, Q::Rpm},
        {{C::VS_Speed, C::VI_Speed}, 25, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_TOG}, 14, kByte, 191, 255, -40, true, Q::Coolant},
        {{C::VS_TANS}, 12, kByte, 191, 255, -40, true, Q::Intake},
        {{C::VS_THR}, 24, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_DV}, 28, 29, 524.3L, 65535, 0, false, Q::Injection},
    },
}}};

// UECUS2G, GW413EF UEOBD and ME7.9.7 share one layout; they differ in the
// battery scale, the air-flow word, the throttle and the injection byte.
EcuLayout SharedLayout(Field battery, int airFlowHigh, Field throttle, int injection) {
  return {{{
      {0x21, 0x01},
      {0x61, 0x01},
      68,
      {
          battery,
          {{C::VS_Nmot}, 34, 35, 1, 400, 0, false, Q::RpmHundreds},
          {{C::VI_Nmot}, 34, 35, 1, 4, 0, false, Q::Rpm},
          {{C::VS_Speed, C::VI_Speed}, 38, kByte, 1, 1, 0, false, Q::Speed},
          {{C::VS_TOG}, 41, kByte, 1, 1, -40, false, Q::Coolant},
          {{C::VS_TANS}, 43, kByte, 1, 1, -40, false, Q::Intake},
          {{C::VS_MRV}, airFlowHigh, airFlowHigh + 1, 1, 10, 0, false, Q::AirFlow},
          throttle,
          {{C::VS_DV}, injection, kByte, 1, 10, 0, false, Q::Injection},
      },
  }}};
}

const Field kBattery068 = {{C::VS_Ub, C::VI_Ub}, 33, kByte, 0.068L, 1, 0, false, Q::Battery};
const EcuLayout kUecus2g =
    SharedLayout(kBattery068, 50, {{C::VS_THR}, 55, 56, 100, 65536, 0, false, Q::Throttle}, 67);
const EcuLayout kGw413ef =
    SharedLayout(kBattery068, 48, {{C::VS_THR}, 57, kByte, 100, 255, 0, false, Q::Throttle}, 66);
const EcuLayout kMe797 =
    SharedLayout({{C::VS_Ub, C::VI_Ub}, 33, kByte, 18, 255, 0, false, Q::Battery}, 48,
                 {{C::VS_THR}, 61, kByte, 100, 255, 0, false, Q::Throttle}, 66);

// MIT
const EcuLayout kMit = {{{
    {0x21, 0x01},
    {0x61, 0x01},
    36,
    {
        {{C::VS_MAP}, 15, kByte, 94.3L, 255, 10.4L, false, Q::Map},
        {{C::VS_Ub, C::VI_Ub}, 16, kByte, 1, 10, 0, false, Q::Battery},
        {{C::VS_TOG}, 20, kByte, 191, 255, -40, true, Q::Coolant},
        {{C::VS_TANS}, 18, kByte, 191, 255, -40, true, Q::Intake},
        {{C::VS_THR}, 29, kByte, 100, 255, 0, false, Q::Throttle},
        {{C::VS_Nmot}, 32, 33, 1, 100, 0, true, Q::RpmHundreds},
        {{C::VI_Nmot}, 32, 33, 1, 1, 0, false, Q::Rpm},
        {{C::VS_Speed, C::VI_Speed}, 31, kByte, 1, 1, 0, false, Q::Speed},
        {{C::VS_DV}, 34, 35, 524.3L, 65535, 0, false, Q::Injection},
    },
}}};

// Delphi MT20: one value per common identifier, right after 62 hi lo.
// clang-format off
const EcuLayout kDelphiMt20 = {{
    {{0x22, 0x00, 0x11}, {0x62, 0x00, 0x11}, 4,
     {{{C::VS_THR}, 3, kByte, 100, 255, 0, false, Q::Throttle}}},
    {{0x22, 0x11, 0x41}, {0x62, 0x11, 0x41}, 4,
     {{{C::VS_Ub, C::VI_Ub}, 3, kByte, 0.1L, 1, 0, false, Q::Battery}}},
    {{0x22, 0x00, 0x0B}, {0x62, 0x00, 0x0B}, 4,
     {{{C::VS_MAP}, 3, kByte, 1, 1, 0, false, Q::Map}}},
    {{0x22, 0x00, 0x0F}, {0x62, 0x00, 0x0F}, 4,
     {{{C::VS_TANS}, 3, kByte, 1, 1, -41, false, Q::Intake}}},
    {{0x22, 0x00, 0x05}, {0x62, 0x00, 0x05}, 4,
     {{{C::VS_TOG}, 3, kByte, 1, 1, -41, false, Q::Coolant}}},
    {{0x22, 0x00, 0x0D}, {0x62, 0x00, 0x0D}, 4,
     {{{C::VS_Speed, C::VI_Speed}, 3, kByte, 1, 1, 0, false, Q::Speed}}},
    {{0x22, 0x00, 0x0C}, {0x62, 0x00, 0x0C}, 5,
     {{{C::VS_Nmot}, 3, 4, 1, 400, 0, false, Q::RpmHundreds},
      {{C::VI_Nmot}, 3, 4, 1, 4, 0, false, Q::Rpm}}},
}};
// clang-format on

// In item order: DEEP DELPHI ECUS, DEEP SPACEFLIGHT, UECUS2G, GW413EF UEOBD,
// Delphi MT20, ME7.9.7, MIT.
const EcuLayout* const kGreatWall[] = {&kDeepDelphi, &kDeepSpaceflight, &kUecus2g, &kGw413ef,
                                       &kDelphiMt20, &kMe797,           &kMit};

}  // namespace

const EcuLayout* GreatWallLayout(int ecu) {
  if (ecu < 0 || ecu >= static_cast<int>(std::size(kGreatWall))) return nullptr;
  return kGreatWall[ecu];
}

}  // namespace kalvex::sim
