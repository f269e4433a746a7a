// Chery: six types answer one long reply to 21 01, polled for good; the
// QQ3/QQ6 answers one word per local identifier and is polled round eight of
// them, each reply naming the next.
#include "catalogue/makes/chery.h"

#include "catalogue/make_registry.h"

namespace kalvex {

using namespace MakeNotation;

// clang-format off

// "Tiggo Delphi system 2.0L-2.4L (4G63-4G64)", also BYD "F3 Delphi MT20U".
// The temperatures are rounded before the offset.
constexpr Row table::kCheryTiggoDelphi[] = {
    {{VS_Nmot},            W(26, 27) / 100,                       Round},
    {{VI_Nmot},            W(26, 27),                             Integer},
    {{VS_TOG},             Round((B(14) * 191.2L) / 255) - 40,    None},
    {{VS_TANS},            Round((B(12) * 191.2L) / 255) - 40,    None},
    {{VS_MAP},             (B(9) * 94) / 255 + 10.4L,             None},
    {{VS_THR},             (B(24) * 100) / 255,                   None},
    {{VS_DV},              (W(28, 29) * 2) / 255,                 None},
    {{VS_Ub, VI_Ub},       B(10) / 10,                            None},
    {{VS_Speed, VI_Speed}, B(25),                                 Integer},
};

namespace {

// "A15": no supply voltage, no speed.
constexpr Row kA15[] = {
    {{VS_Nmot},            W(34, 35) / 400,       Round},
    {{VI_Nmot},            W(34, 35) / 4,         Round},
    {{VS_TOG},             B(41) - 40,            Integer},
    {{VS_TANS},            B(43) - 40,            Integer},
    {{VS_MAP},             B(49),                 Integer},
    {{VS_THR},             (B(55) * 100) / 255,   None},
    {{VS_DV},              W(66, 67) / 2560,      None},
};

// "Chery A3/A5" (3), "Chery FORA 1.6/2.0" (5) and "UAES" (6): one reply
// layout, a few rows per type.
constexpr Row kA3Fora[] = {
    {{VS_Nmot},            W(34, 35) / 400,       Round},
    {{VI_Nmot},            W(34, 35) / 4,         Round,   Only({3})},
    {{VI_Nmot},            W(34, 35) / 4,         None,    Only({5, 6})},
    {{VS_TOG},             B(41) - 40,            Integer},
    {{VS_TANS},            B(43) - 40,            Integer},
    {{VS_MRV},             W(48, 49) / 10,        None,    Only({3})},
    {{VS_MRV},             W(51, 52),             Integer, Only({5, 6})},
    {{VS_THR},             (B(61) * 100) / 255,   None,    Only({3})},
    {{VS_THR},             (B(60) * 100) / 255,   None,    Only({5})},
    {{VS_THR},             (B(61) * 100) / 255,   None,    Only({6})},
    {{VS_DV},              B(66) / 10,            None},
    {{VS_Ub, VI_Ub},       B(33) * 0.065L,        None,    Only({3, 5})},
    {{VS_Ub, VI_Ub},       B(33) * 0.07L,         None,    Only({6})},
    {{VS_Speed, VI_Speed}, B(38),                 Integer},
};

// "Siemens 372 System"
constexpr Row kSiemens372[] = {
    {{VS_Nmot},            W(21, 22) / 100,                  Round},
    {{VI_Nmot},            W(21, 22),                        Integer},
    {{VS_TOG},             (B(5) * 191) / 255 - 49,          None},
    {{VS_TANS},            (B(7) * 191) / 255 - 49,          None},
    {{VS_MAP},             (W(15, 16) * 5434) / 65535000,    None},
    {{VS_THR},             (B(8) * 100) / 255,               None},
    {{VS_DV},              (W(44, 45) * 262.14L) / 65535,    None},
    {{VS_Ub, VI_Ub},       (B(2) * 25.9L) / 255,             None},
    {{VS_Speed, VI_Speed}, B(20),                            Integer},
};

// "Chery QQ3/QQ6": every reply carries one word W(2,3).
constexpr Row kQqRpm[] = {
    {{VS_Nmot},            W(2, 3) / 100,         Round},
    {{VI_Nmot},            W(2, 3),               Integer},
};
constexpr Row kQqMap[]       = {{{VS_MAP},             W(2, 3) / 10,          None}};
constexpr Row kQqIntake[]    = {{{VS_TANS},            W(2, 3) - 40,          Integer}};
constexpr Row kQqCoolant[]   = {{{VS_TOG},             W(2, 3) - 40,          Integer}};
constexpr Row kQqThrottle[]  = {{{VS_THR},             W(2, 3) / 10,          None}};
constexpr Row kQqInjection[] = {{{VS_DV},              W(2, 3) / 500,         None}};
constexpr Row kQqBattery[]   = {{{VS_Ub, VI_Ub},       W(2, 3) / 10,          None}};
constexpr Row kQqSpeed[]     = {{{VS_Speed, VI_Speed}, W(2, 3) / 10,          None}};

constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0x01),          kCheryTiggoDelphi, Request(11)},
    {Ecu(1, 0x61, 0x01),          kA15,              Request(11)},
    {Ecus({3, 5, 6}, 0x61, 0x01), kA3Fora,           Request(11)},
    {Ecu(4, 0x61, 0x01),          kSiemens372,       Request(11)},
    // QQ3/QQ6: 21 20 > 21 21 > 21 22 > 21 23 > 21 24 > 21 29 > 21 2C > 21 43
    {Ecu(2, 0x61, 0x20),          kQqRpm,            Request(31)},
    {Ecu(2, 0x61, 0x21),          kQqMap,            Request(32)},
    {Ecu(2, 0x61, 0x22),          kQqIntake,         Request(33)},
    {Ecu(2, 0x61, 0x23),          kQqCoolant,        Request(34)},
    {Ecu(2, 0x61, 0x24),          kQqThrottle,       Request(35)},
    {Ecu(2, 0x61, 0x29),          kQqInjection,      Request(36)},
    {Ecu(2, 0x61, 0x2C),          kQqBattery,        Request(37)},
    {Ecu(2, 0x61, 0x43),          kQqSpeed,          Request(30)},
};

// clang-format on

}  // namespace

const MakeEntry& CheryMake() {
  static const MakeEntry entry{
      .text = "Chery",
      .ecuTypes = EcuTypes({
          {KLineLink(0x11), {"Tiggo Delphi system 2.0L-2.4L (4G63-4G64)"}},
          {KLineLink(0x10), {"A15"}},
          {KLineLink(0x17), {"Chery QQ3/QQ6"}},
          {KLineLink(0x11), {"Chery A3/A5", "Siemens 372 System", "Chery FORA 1.6/2.0", "UAES"}},
      }),
      // clang-format off
      .firstRequests = {
          // ECU types ELM  0xC1  0x50  0x50 faults  Kesta CAN
          {Set({2}),  {30,  30,   30,   2,           U }},
          {{},        {11,  11,   11,   2,           U }},
      },
      // clang-format on
      // Type 5 shows VS_MRV: that is the gauge its decoder fills.
      .visibility = MrvShown(
          {{{0, 2, 4},
            {Show(VS_MAP), Show(VS_Speed), Show(VS_Ub), Show(VI_Speed), Show(VI_Ub), Hide(VS_MRV)}},
           {{1},
            {Show(VS_MAP), Hide(VS_MRV), Hide(VS_Speed), Hide(VS_Ub), Hide(VI_Speed), Hide(VI_Ub)}},
           {{3, 5, 6},
            {Show(VS_MRV), Show(VS_Speed), Show(VS_Ub), Show(VI_Speed), Show(VI_Ub),
             Hide(VS_MAP)}}}),
      .faults = FaultHandling::Read(2, true),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
