#include "catalogue/make_registry.h"

#include "protocol/text.h"

namespace kalvex {

namespace {

using MakeFn = const MakeEntry& (*)();

// In list order, generated from the same list as the make indices, so the
// registry cannot drift from them.
constexpr auto kRegistry = std::to_array<MakeFn>({
#define KALVEX_MAKE_FN(Name) &Name##Make,
    KALVEX_MAKES(KALVEX_MAKE_FN)
#undef KALVEX_MAKE_FN
});
static_assert(kRegistry.size() == static_cast<size_t>(kMakeCount),
              "every make of the list has exactly one registry entry");

}  // namespace

const MakeEntry* FindMake(int make) {
  if (make < 0 || make >= kMakeCount) return nullptr;
  return &kRegistry[static_cast<size_t>(make)]();
}

LinkParams KLineLink(uint8_t address, uint8_t format) {
  LinkParams p;
  p.found = true;
  p.hasAddress = true;
  p.ecuAddress = address;
  p.elmProtocol = "AT SP5";
  p.elmKLineHeader = "AT SH" + hex::Byte(format) + hex::Byte(address) + "F1";
  return p;
}

LinkParams CanLink(uint16_t requestId) {
  LinkParams p;
  p.found = true;
  p.canSession = true;
  p.elmCan = true;
  p.elmProtocol = "AT SP6";
  p.elmCanHeader = requestId == 0x7E0 ? "AT SH7E0" : "AT SH7E7";
  p.hasCanId = true;
  p.canId = static_cast<uint16_t>(requestId << 5);
  return p;
}

std::vector<EcuTypeEntry> EcuTypes(std::initializer_list<TypesOnLink> runs) {
  std::vector<EcuTypeEntry> types;
  for (const TypesOnLink& run : runs)
    for (const char* name : run.names) types.emplace_back(name, run.link);
  return types;
}

namespace table {

std::span<const Branch> BranchesOf(int make) {
  const MakeEntry* entry = FindMake(make);
  return entry ? entry->branches : std::span<const Branch>{};
}

}  // namespace table

}  // namespace kalvex
