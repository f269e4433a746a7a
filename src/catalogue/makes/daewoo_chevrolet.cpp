// DAEWOO and CHEVROLET: the same "SIRIUS D3/D4/D42" on both makes. One reply
// to 21 02 carries every gauge, and 21 02 is polled for good. Words come high
// byte first.
#include "catalogue/catalogue.h"
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

constexpr Row kSirius[] = {
    {{VS_Nmot},            W(7, 8) / 100,                 Round},
    {{VI_Nmot},            W(7, 8),                       Integer},
    {{VS_TOG},             (B(2) * 191.4L) / 255 - 49,    None},
    {{VS_TANS},            (B(3) * 191.4L) / 255 - 49,    None},
    {{VS_MAP},             (B(11) * 119) / 255,           None},
    {{VS_THR},             (B(4) * 100) / 255,            None},
    {{VS_DV},              W(17, 18) / 250,               None},
    {{VS_Ub, VI_Ub},       B(5) / 8,                      None},
    {{VS_Speed, VI_Speed}, B(6),                          Integer},
};

constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0x02).ForMakes({kChevrolet}), kSirius, Command(6)},
    {Ecu(0, 0x61, 0x02).ForMakes({kDaewoo}),    kSirius, Command(6)},
};

// clang-format on

// DAEWOO and CHEVROLET: the same ECU under two makes.
MakeEntry Sirius(const char* text) {
  return {.text = text,
          .ecuTypes = {{"SIRIUS D3/D4/D42", KLineLink(0x10)}},
          .firstRequests = {{{}, {6, 6, U, U, U}}},
          .visibility = MapShown(),
          .faults = FaultHandling::Read(2, false),
          .branches = kBranches};
}

}  // namespace

const MakeEntry& DaewooMake() {
  static const MakeEntry entry = Sirius("DAEWOO");
  return entry;
}

const MakeEntry& ChevroletMake() {
  static const MakeEntry entry = Sirius("CHEVROLET");
  return entry;
}

}  // namespace kalvex
