// Geely: both types answer one long reply to 21 01, polled for good.
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// "M797": no intake air temperature.
constexpr Row kM797[] = {
    {{VS_Nmot},            W(34, 35) / 400,             Round},
    {{VI_Nmot},            W(34, 35) / 4,               Round},
    {{VS_TOG},             B(41) - 40,                  Integer},
    {{VS_MRV},             W(50, 51) / 10,              None},
    {{VS_THR},             (B(24) * 100) / 255,         None},
    {{VS_DV},              (W(56, 57) * 0.39L) / 255,   None},
    {{VS_Ub, VI_Ub},       B(33) * 0.07L,               None},
    {{VS_Speed, VI_Speed}, B(38),                       Integer},
};

// "Delphi MT20/MT80": no throttle position.
constexpr Row kDelphiMt20[] = {
    {{VS_Nmot},            W(39, 40) / 100,                  Round},
    {{VI_Nmot},            W(39, 40),                        Integer},
    {{VS_TOG},             B(24) - 40,                       Integer},
    {{VS_TANS},            B(22) - 40,                       Integer},
    {{VS_MAP},             (B(19) * 94.41L) / 255 + 10.35L,  None},
    {{VS_DV},              W(41, 42) * 0.0078125L,           None},
    {{VS_Ub, VI_Ub},       B(20) / 10,                       None},
    {{VS_Speed, VI_Speed}, B(38),                            Integer},
};

constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0x01), kM797,       Request(11)},
    {Ecu(1, 0x61, 0x01), kDelphiMt20, Request(11)},
};

// clang-format on

}  // namespace

const MakeEntry& GeelyMake() {
  static const MakeEntry entry{
      .text = "Geely",
      .ecuTypes = EcuTypes({{KLineLink(0x11), {"M797", "Delphi MT20/MT80"}}}),
      .firstRequests = {{{}, {11, 11, 11, 2, U}}},
      .visibility =
          MrvShownNoTans({{{0}, {Show(VS_MRV), Show(VS_THR), Hide(VS_MAP), Hide(VS_TANS)}},
                          {{1}, {Show(VS_MAP), Show(VS_TANS), Hide(VS_MRV), Hide(VS_THR)}}}),
      .faults = FaultHandling::Read(2, true),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
