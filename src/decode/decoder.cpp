#include "decode/decoder.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "protocol/request_catalogue.h"

namespace kalvex {
namespace {

// One step on the exact integer or on the extended value. The integer never
// sees a division (it leaves the integers), and Round of an integer is the
// integer itself.
template <typename T>
T Step(table::OpKind kind, T v, T k) {
  using table::OpKind;
  switch (kind) {
    case OpKind::Mul:
      return v * k;
    case OpKind::Div:
      if constexpr (std::is_integral_v<T>)
        return v;
      else
        return v / k;
    case OpKind::Add:
      return v + k;
    case OpKind::Sub:
      return v - k;
    case OpKind::SubtractFrom:
      return k - v;
    case OpKind::Round:
      if constexpr (std::is_integral_v<T>)
        return v;
      else
        return std::nearbyintl(v);
  }
  return v;
}

}  // namespace

float Evaluate(const table::Formula& f, const ResponseBytes& rb) {
  const auto first = static_cast<size_t>(f.firstByte());
  const auto second = static_cast<size_t>(f.secondByte());
  int64_t i = f.word() ? int64_t{rb[first]} * 256 + rb[second] : int64_t{rb[first]};
  long double x = 0;
  bool extended = false;
  for (const table::Op& op : f.ops()) {
    if (!extended && op.integral) {
      i = Step(op.kind, i, op.i);
      continue;
    }
    if (!extended) {
      x = static_cast<long double>(i);
      extended = true;
    }
    x = Step(op.kind, x, op.x);
  }
  return extended ? static_cast<float>(x) : static_cast<float>(i);
}

bool Matches(const table::Guard& g, int make, int ecu, const ResponseBytes& rb) {
  return g.makes.contains(make) && g.ecus.contains(ecu) && rb[0] == g.sid &&
         (g.id1 == table::kAny || rb[1] == g.id1) && (g.id2 == table::kAny || rb[2] == g.id2);
}

void Decode(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink, RequestChoice& next) {
  // Every branch is tested; a match does not stop the ones after it.
  for (const table::Branch& branch : table::BranchesOf(make)) {
    if (!Matches(branch.guard, make, ecu, rb)) continue;
    for (const table::Row& row : branch.rows) {
      if (!row.ecus.contains(ecu)) continue;
      const float value = Evaluate(row.formula, rb);
      sink.setGaugeValue(row.to.first, value);
      if (row.to.count == 2) sink.setGaugeValue(row.to.second, value);
    }
    switch (branch.next.kind) {
      case table::Next::Keep:
        break;
      case table::Next::CommandOnly:
        next.nextCommand = branch.next.command;
        break;
      case table::Next::CommandAndText:
        next.nextCommand = branch.next.command;
        next.nextRequest = ElmRequestText(branch.next.command);
        break;
    }
  }
}

int HighestByteRead(int make, int ecu, const ResponseBytes& rb) {
  int highest = -1;
  for (const table::Branch& branch : table::BranchesOf(make)) {
    if (!Matches(branch.guard, make, ecu, rb)) continue;
    highest = std::max(highest, 0);
    for (const table::Row& row : branch.rows)
      if (row.ecus.contains(ecu)) highest = std::max(highest, row.formula.highestByte());
  }
  return highest;
}

}  // namespace kalvex
