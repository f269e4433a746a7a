// GREATWALL: six types answer one long reply to "21 01" and poll it for
// good; "Delphi MT20" reads one quantity per common identifier and walks a
// cycle of seven. All words have the high byte first.
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// "DEEP DELPHI ECUS": temperatures scale by 190, the others' by 191.
constexpr Row kDeepDelphi[] = {
    {{VS_Ub, VI_Ub},       B(33) / 10,                          None},
    {{VS_Nmot},            (B(20) * 25) / 400,                  Round},
    {{VI_Nmot},            B(20) * 25,                          Integer},
    {{VS_Speed, VI_Speed}, B(39),                               Integer},
    {{VS_TOG},             (B(34) * 190) / 255 - 40,            Round},
    {{VS_TANS},            (B(35) * 190) / 255 - 40,            Round},
    {{VS_MAP},             (B(29) * 94.3L) / 255 + 10.4L,       Round},
    {{VS_THR},             (B(27) * 100) / 255,                 None},
    {{VS_DV},              (B(21) * 20.4L) / 255,               None},
};

// "DEEP SPACEFLIGHT": pressure unrounded here.
constexpr Row kDeepSpaceflight[] = {
    {{VS_MAP},             (B(9) * 94.3L) / 255 + 10.4L,        None},
    {{VS_Ub, VI_Ub},       B(10) / 10,                          None},
    {{VS_Nmot},            W(26, 27) / 100,                     Round},
    {{VI_Nmot},            W(26, 27),                           Integer},
    {{VS_Speed, VI_Speed}, B(25),                               Integer},
    {{VS_TOG},             (B(14) * 191) / 255 - 40,            Round},
    {{VS_TANS},            (B(12) * 191) / 255 - 40,            Round},
    {{VS_THR},             (B(24) * 100) / 255,                 None},
    {{VS_DV},              (W(28, 29) * 524.3L) / 65535,        None},
};

// "UECUS2G" (2), "GW413EF UEOBD" (3) and "ME7.9.7" (5): one layout, a few
// rows moved or rescaled per type.
constexpr Row kUecus[] = {
    {{VS_Ub, VI_Ub},       B(33) * 0.068L,                      None, Only({2, 3})},
    {{VS_Ub, VI_Ub},       (B(33) * 18) / 255,                  None, Only({5})},
    {{VS_Nmot},            W(34, 35) / 400,                     None},
    {{VI_Nmot},            W(34, 35) / 4,                       None},
    {{VS_Speed, VI_Speed}, B(38),                               Integer},
    {{VS_TOG},             B(41) - 40,                          Integer},
    {{VS_TANS},            B(43) - 40,                          Integer},
    {{VS_MRV},             W(50, 51) / 10,                      None, Only({2})},
    {{VS_MRV},             W(48, 49) / 10,                      None, Only({3, 5})},
    // UECUS2G scales its throttle word by 65536, not 65535.
    {{VS_THR},             (W(55, 56) * 100) / 65536,           None, Only({2})},
    {{VS_THR},             (B(57) * 100) / 255,                 None, Only({3})},
    {{VS_THR},             (B(61) * 100) / 255,                 None, Only({5})},
    {{VS_DV},              B(67) / 10,                          None, Only({2})},
    {{VS_DV},              B(66) / 10,                          None, Only({3, 5})},
};

// "MIT"
constexpr Row kMit[] = {
    {{VS_MAP},             (B(15) * 94.3L) / 255 + 10.4L,       None},
    {{VS_Ub, VI_Ub},       B(16) / 10,                          None},
    {{VS_TOG},             (B(20) * 191) / 255 - 40,            Round},
    {{VS_TANS},            (B(18) * 191) / 255 - 40,            Round},
    {{VS_THR},             (B(29) * 100) / 255,                 None},
    {{VS_Nmot},            W(32, 33) / 100,                     Round},
    {{VI_Nmot},            W(32, 33),                           Integer},
    {{VS_Speed, VI_Speed}, B(31),                               Integer},
    {{VS_DV},              (W(34, 35) * 524.3L) / 65535,        None},
};

// "Delphi MT20": one value per reply, from B[3] on. Both temperatures are
// offset by 41.
constexpr Row kMt20Map[]      = {{{VS_MAP},             B(3),                 Integer}};
constexpr Row kMt20Intake[]   = {{{VS_TANS},            B(3) - 41,            Integer}};
constexpr Row kMt20Coolant[]  = {{{VS_TOG},             B(3) - 41,            Integer}};
constexpr Row kMt20Speed[]    = {{{VS_Speed, VI_Speed}, B(3),                 Integer}};
constexpr Row kMt20Rpm[]      = {{{VS_Nmot},            W(3, 4) / 400,        None},
                                 {{VI_Nmot},            W(3, 4) / 4,          None}};
constexpr Row kMt20Throttle[] = {{{VS_THR},             (B(3) * 100) / 255,   None}};
constexpr Row kMt20Battery[]  = {{{VS_Ub, VI_Ub},       B(3) * 0.1L,          None}};

constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0x01),           kDeepDelphi,      Request(11)},
    {Ecu(1, 0x61, 0x01),           kDeepSpaceflight, Request(11)},
    {Ecus({2, 3, 5}, 0x61, 0x01),  kUecus,           Request(11)},
    {Ecu(6, 0x61, 0x01),           kMit,             Request(11)},
    // Delphi MT20: 22 00 11 > 22 11 41 > 22 00 0B > 22 00 0F > 22 00 05
    // > 22 00 0D > 22 00 0C > 22 00 11 ...
    {Ecu(4, 0x62, 0x00, 0x0B),     kMt20Map,         Request(23)},
    {Ecu(4, 0x62, 0x00, 0x0F),     kMt20Intake,      Request(24)},
    {Ecu(4, 0x62, 0x00, 0x05),     kMt20Coolant,     Request(25)},
    {Ecu(4, 0x62, 0x00, 0x0D),     kMt20Speed,       Request(26)},
    {Ecu(4, 0x62, 0x00, 0x0C),     kMt20Rpm,         Request(20)},
    {Ecu(4, 0x62, 0x00, 0x11),     kMt20Throttle,    Request(22)},
    {Ecu(4, 0x62, 0x11, 0x41),     kMt20Battery,     Request(21)},
};

// clang-format on

}  // namespace

const MakeEntry& GreatWallMake() {
  static const MakeEntry entry{
      .text = "GREATWALL",
      .ecuTypes = EcuTypes({{KLineLink(0x11),
                             {"DEEP DELPHI ECUS", "DEEP SPACEFLIGHT", "UECUS2G", "GW413EF UEOBD",
                              "Delphi MT20", "ME7.9.7", "MIT"}}}),
      // clang-format off
      .firstRequests = {
          // ECU types ELM  0xC1  0x50  0x50 faults  Kesta CAN
          {Set({4}),  {20,  20,   20,   U,           U }},
          {{},        {11,  11,   11,   U,           U }},
      },
      // clang-format on
      .visibility = MrvShown({{{0, 1, 6}, {Show(VS_MAP), Show(VS_DV), Hide(VS_MRV)}},
                              {{2, 3, 5}, {Show(VS_MRV), Show(VS_DV), Hide(VS_MAP)}},
                              {{4}, {Show(VS_MAP), Hide(VS_MRV), Hide(VS_DV)}}}),
      // A clear reply goes back to live data: "21 01", or "22 00 11" for Delphi MT20.
      .faults = FaultHandling::None(true).WithClearButton(),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
