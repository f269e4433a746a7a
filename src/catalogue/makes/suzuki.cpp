// SUZUKI: both "GRAND VITARA" types answer one long reply to 21 00, polled for
// good; they differ only in their K-line address. Words come high byte first.
// The reply carries no supply voltage, so the voltage gauges are left alone.
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

constexpr Row kGrandVitara[] = {
    {{VS_TOG},             B(16) - 40,             Integer},
    {{VS_MAP},             B(21),                  Integer},
    {{VS_Nmot},            W(22, 23) / 400,        None},
    {{VI_Nmot},            W(22, 23) / 4,          None},
    {{VS_Speed, VI_Speed}, B(24),                  Integer},
    {{VS_TANS},            B(26) - 40,             Integer},
    {{VS_THR},             (B(38) * 100) / 255,    None},
    {{VS_DV},              W(39, 40) / 1000,       None},
};

constexpr Branch kBranches[] = {
    {EcuRange(0, 1, 0x61, 0x00), kGrandVitara, Command(15)},
};

// clang-format on

}  // namespace

const MakeEntry& SuzukiMake() {
  static const MakeEntry entry{
      .text = "SUZUKI",
      // The two types differ only in their K-line address.
      .ecuTypes = {{"GRAND VITARA v.1", KLineLink(0x01, 0x80)},
                   {"GRAND VITARA v.2", KLineLink(0x11, 0x80)}},
      .firstRequests = {{{}, {15, 15, U, U, U}}},
      .visibility = MapShown(),
      .faults = FaultHandling::Read(12, false),  // "18 00 00 00"
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
