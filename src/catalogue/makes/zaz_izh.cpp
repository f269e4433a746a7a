// ZAZ and IZH: one Микас type each, the same reply to 21 01 and one table
// for both makes. Like GAZ's Микас 10.3/11.3 except that the air flow is
// shown with its tenth.
#include "catalogue/make_registry.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// "Микас 7.6/10.3/11.3/10.3+/11.3+" (ZAZ), "Микас 7.6" (IZH)
constexpr Row kMikas[] = {
    {{VS_Nmot},            W(18, 19) / 100,  Round},
    {{VI_Nmot},            W(18, 19),        Integer},
    {{VS_TOG},             B(30) - 40,       Integer},
    {{VS_TANS},            B(31) - 40,       Integer},
    {{VS_MRV},             W(26, 27) / 10,   None},
    {{VS_THR},             W(20, 21) / 10,   None},
    {{VS_DV},              W(24, 25) / 100,  None},
    {{VS_Ub, VI_Ub},       B(37) / 10,       None},
    {{VS_Speed, VI_Speed}, B(36),            Integer},
};

// The table serves makes 8 and 9 only, so the guard needs no make.
constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0x01), kMikas, Request(11)},
};

// clang-format on

// ZAZ and IZH: the same Микас family under two makes.
MakeEntry Mikas(const char* text, EcuTypeEntry type) {
  return {.text = text,
          .ecuTypes = {std::move(type)},
          .firstRequests = {{{}, {11, 11, 11, 2, U}}},
          .visibility = MrvShown(),
          .faults = FaultHandling::Read(2, true),
          .branches = kBranches};
}

}  // namespace

const MakeEntry& ZazMake() {
  static const MakeEntry entry =
      Mikas(QT_TRANSLATE_NOOP("kalvex", "ZAZ(ЗАЗ)"),
            {QT_TRANSLATE_NOOP("kalvex", "Микас 7.6/10.3/11.3/10.3+/11.3+"), KLineLink(0x11)});
  return entry;
}

const MakeEntry& IzhMake() {
  static const MakeEntry entry = Mikas(QT_TRANSLATE_NOOP("kalvex", "IZH(ИЖ)"),
                                       {QT_TRANSLATE_NOOP("kalvex", "Микас 7.6"), KLineLink(0x10)});
  return entry;
}

}  // namespace kalvex
