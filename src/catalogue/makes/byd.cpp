// BYD: the one type answers 21 01 like Chery's Tiggo Delphi and is decoded
// by the same rows.
#include "catalogue/make_registry.h"
#include "catalogue/makes/chery.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// "F3 Delphi MT20U"
constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0x01), kCheryTiggoDelphi, Request(11)},
};

}  // namespace

const MakeEntry& BydMake() {
  static const MakeEntry entry{
      .text = "BYD",
      .ecuTypes = {{"F3 Delphi MT20U", KLineLink(0x11)}},
      .firstRequests = {{{}, {11, 11, 11, 2, U}}},
      .visibility = MapShown(),
      .faults = FaultHandling::Read(2, true),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
