#include "decode/decoder.h"

#include "catalogue/catalogue.h"
#include "decode/table.h"
#include "session/request_catalogue.h"

namespace kalvex {

namespace table {

// Decoders by make index. A make whose table is not written yet decodes
// nothing, which is what an unrecognised reply does anyway.
std::span<const Branch> BranchesOf(int make) {
  switch (make) {
    case kLada:
      return LadaBranches();
    default:
      return {};
  }
}

}  // namespace table

void Decode(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink, RequestChoice& next) {
  // Every branch is tested; a match does not stop the ones after it.
  for (const table::Branch& branch : table::BranchesOf(make)) {
    if (!branch.guard.matches(ecu, rb)) continue;
    for (const table::Row& row : branch.rows) {
      const float value = row.formula.evaluate(rb);
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

}  // namespace kalvex
