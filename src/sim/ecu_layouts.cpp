#include "sim/ecu_layouts.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace kalvex::sim {
namespace {

using C = Component;

Field Row(std::vector<Component> to, At at, Scale s, Quantity q) {
  return {std::move(to), at.hi, at.lo, s.m, s.d, s.a, s.round, q};
}

}  // namespace

Field Speed(At at, Scale s) { return Row({C::VS_Speed, C::VI_Speed}, at, s, Quantity::Speed); }
Field Battery(At at, Scale s) { return Row({C::VS_Ub, C::VI_Ub}, at, s, Quantity::Battery); }
Field Coolant(At at, Scale s) { return Row({C::VS_TOG}, at, s, Quantity::Coolant); }
Field Intake(At at, Scale s) { return Row({C::VS_TANS}, at, s, Quantity::Intake); }
Field Throttle(At at, Scale s) { return Row({C::VS_THR}, at, s, Quantity::Throttle); }
Field AirFlow(At at, Scale s) { return Row({C::VS_MRV}, at, s, Quantity::AirFlow); }
Field Injection(At at, Scale s) { return Row({C::VS_DV}, at, s, Quantity::Injection); }
Field Map(At at, Scale s) { return Row({C::VS_MAP}, at, s, Quantity::Map); }

std::vector<Field> Rpm(At at, Scale hundreds, Scale rpm) {
  return {Row({C::VS_Nmot}, at, hundreds, Quantity::RpmHundreds),
          Row({C::VI_Nmot}, at, rpm, Quantity::Rpm)};
}

std::vector<uint8_t> Local(uint8_t id) { return {0x21, id}; }
std::vector<uint8_t> Common(uint8_t high, uint8_t low) { return {0x22, high, low}; }

DataReply EchoingReply(std::vector<uint8_t> request, size_t echoed, size_t length,
                       std::initializer_list<Rows> rows) {
  DataReply reply;
  reply.header.assign(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(
                                                             std::min(echoed, request.size())));
  if (!reply.header.empty()) reply.header[0] = static_cast<uint8_t>(reply.header[0] + 0x40);
  reply.request = std::move(request);
  reply.length = length;
  for (const Rows& r : rows)
    reply.fields.insert(reply.fields.end(), r.fields.begin(), r.fields.end());
  return reply;
}

DataReply Reply(std::vector<uint8_t> request, size_t length, std::initializer_list<Rows> rows) {
  const size_t all = request.size();
  return EchoingReply(std::move(request), all, length, rows);
}

const EcuLayout* EcuLayoutOf(int make, int ecu) {
  using LayoutFn = const EcuLayout* (*)(int);
  static constexpr auto kLayouts = std::to_array<LayoutFn>({
#define KALVEX_LAYOUT_FN(Name) &Name##Layout,
      KALVEX_MAKES(KALVEX_LAYOUT_FN)
#undef KALVEX_LAYOUT_FN
  });
  static_assert(kLayouts.size() == static_cast<size_t>(kMakeCount));
  if (!ValidEcuType(make, ecu)) return nullptr;
  return kLayouts[static_cast<size_t>(make)](ecu);
}

}  // namespace kalvex::sim
