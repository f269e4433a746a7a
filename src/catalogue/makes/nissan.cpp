// NISSAN: both ECU types read one quantity per reply to service 0x22 and walk
// a ring of eight identifiers, each reply naming the next. The two types
// decode alike; the K-line type asks with the extra bytes 04 01, so its ring
// runs through other catalogue entries (40..47) than the CAN type's (50..57).
#include "catalogue/make_registry.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// 0x1101
constexpr Row kCoolant[] = {
    {{VS_TOG},             B(3) - 50,                 Integer},
};

// 0x1102
constexpr Row kSpeed[] = {
    {{VI_Speed, VS_Speed}, B(3) * 2,                  Integer},
};

// 0x1103
constexpr Row kBattery[] = {
    {{VS_Ub, VI_Ub},       B(3) * 0.08L,              None},
};

// 0x1106
constexpr Row kIntake[] = {
    {{VS_TANS},            B(3) - 50,                 Integer},
};

// 0x110E
constexpr Row kManifold[] = {
    {{VS_MAP},             B(3) * 0.02L,              None},
};

// 0x111E
constexpr Row kThrottle[] = {
    {{VS_THR},             B(3) * 0.35L,              None},
};

// 0x1201: a word, high byte first.
constexpr Row kEngineSpeed[] = {
    {{VS_Nmot},            (W(3, 4) * 12.5L) / 100,   Round},
    {{VI_Nmot},            W(3, 4) * 12.5L,           Round},
};

// 0x1206
constexpr Row kInjection[] = {
    {{VS_DV},              W(3, 4) * 0.01L,           None},
};

// "Общий K-Line (10H)" (type 0) and "Общий CAN" (type 1), side by side.
constexpr Branch kBranches[] = {
    {Ecu(0, 0x62, 0x11, 0x01), kCoolant,     Command(41)},
    {Ecu(1, 0x62, 0x11, 0x01), kCoolant,     Command(51)},
    {Ecu(0, 0x62, 0x11, 0x02), kSpeed,       Command(42)},
    {Ecu(1, 0x62, 0x11, 0x02), kSpeed,       Command(52)},
    {Ecu(0, 0x62, 0x11, 0x03), kBattery,     Command(43)},
    {Ecu(1, 0x62, 0x11, 0x03), kBattery,     Command(53)},
    {Ecu(0, 0x62, 0x11, 0x06), kIntake,      Command(44)},
    {Ecu(1, 0x62, 0x11, 0x06), kIntake,      Command(54)},
    {Ecu(0, 0x62, 0x11, 0x0E), kManifold,    Command(45)},
    {Ecu(1, 0x62, 0x11, 0x0E), kManifold,    Command(55)},
    {Ecu(0, 0x62, 0x11, 0x1E), kThrottle,    Command(46)},
    {Ecu(1, 0x62, 0x11, 0x1E), kThrottle,    Command(56)},
    {Ecu(0, 0x62, 0x12, 0x01), kEngineSpeed, Command(47)},
    {Ecu(1, 0x62, 0x12, 0x01), kEngineSpeed, Command(57)},
    {Ecu(0, 0x62, 0x12, 0x06), kInjection,   Command(40)},
    {Ecu(1, 0x62, 0x12, 0x06), kInjection,   Command(50)},
};

// clang-format on

// "Общий CAN" is a CAN session, but the ELM327 keeps protocol 5 and gets both
// headers.
LinkParams GenericCanLink() {
  LinkParams p = KLineLink(0x10);
  p.canSession = true;
  p.elmCanHeader = "AT SH7E0";
  p.hasCanId = true;
  p.canId = 0xFC00;
  return p;
}

}  // namespace

const MakeEntry& NissanMake() {
  static const MakeEntry entry{
      .text = "NISSAN",
      .ecuTypes = {{QT_TRANSLATE_NOOP("kalvex", "Общий K-Line (10H)"), KLineLink(0x10)},
                   {QT_TRANSLATE_NOOP("kalvex", "Общий CAN"), GenericCanLink()}},
      // clang-format off
      .firstRequests = {
          // ECU types ELM  0xC1  0x50  0x50 faults  Kesta CAN
          {Set({1}),  {50,  U,    U,    U,           50}},
          {Set({0}),  {40,  40,   U,    U,           U }},
          {{},        {40,  U,    U,    U,           U }},
      },
      // clang-format on
      .visibility = MapShown(),
      .faults = FaultHandling::Read(2, false),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
