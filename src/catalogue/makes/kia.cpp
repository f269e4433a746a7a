// KIA: two CAN types polled with 21 02 (engine data) and 21 03 (vehicle
// speed) in turn. Words come low byte first. The two types differ only in the
// load sensor: air mass flow on type 0, manifold pressure on type 1.
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// Reply 61 02. "ECU_v.1 (1.4L/1.6L MAF) CAN" (0), "ECU_v.2 (1.4L/1.6L MAP) CAN" (1).
constexpr Row kEngine[] = {
    {{VS_Nmot},            (B(29) * 40) / 100,                None},
    {{VI_Nmot},            B(29) * 40,                        Integer},
    {{VS_TOG},             (B(33) * 191.2L) / 255 - 49,       None},
    {{VS_TANS},            (B(35) * 191.2L) / 255 - 49,       None},
    {{VS_MRV},             W(9, 8) / 10,                      None,  Only({0})},
    {{VS_MAP},             (W(17, 16) * 2560) / 65536000,     None,  Only({1})},
    {{VS_THR},             (B(26) * 100) / 255,               None},
    {{VS_DV},              (W(45, 44) * 262.1L) / 65536,      None},
    {{VS_Ub, VI_Ub},       (B(31) * 24) / 255,                None},
};

// Reply 61 03, both types.
constexpr Row kSpeed[] = {
    {{VS_Speed, VI_Speed}, (B(48) * 320) / 256,               None},
};

constexpr Branch kBranches[] = {
    {EcuRange(0, 1, 0x61, 0x02), kEngine, Command(9)},
    {EcuRange(0, 1, 0x61, 0x03), kSpeed,  Command(6)},
};

// clang-format on

}  // namespace

const MakeEntry& KiaMake() {
  static const MakeEntry entry{
      .text = "KIA",
      .ecuTypes = EcuTypes(
          {{CanLink(0x7E7), {"ECU_v.1 (1.4L/1.6L MAF) CAN", "ECU_v.2 (1.4L/1.6L MAP) CAN"}}}),
      .firstRequests = {{{}, {6, 6, U, U, 6}}},
      .visibility = MrvShown({{{0}, {Show(VS_TOG), Show(VS_DV), Show(VS_MRV), Hide(VS_MAP)}},
                              {{1}, {Show(VS_TOG), Show(VS_DV), Show(VS_MAP), Hide(VS_MRV)}}}),
      .faults = FaultHandling::Read(2, false),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
