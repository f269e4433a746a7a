#include "decode/decoder.h"

#include <algorithm>

#include "catalogue/decoder_table.h"
#include "protocol/request_catalogue.h"

namespace kalvex {

void Decode(int make, int ecu, const ResponseBytes& rb, GaugeSink& sink, RequestChoice& next) {
  // Every branch is tested; a match does not stop the ones after it.
  for (const table::Branch& branch : table::BranchesOf(make)) {
    if (!branch.guard.matches(make, ecu, rb)) continue;
    for (const table::Row& row : branch.rows) {
      if (!row.ecus.contains(ecu)) continue;
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

int HighestByteRead(int make, int ecu, const ResponseBytes& rb) {
  int highest = -1;
  for (const table::Branch& branch : table::BranchesOf(make)) {
    if (!branch.guard.matches(make, ecu, rb)) continue;
    highest = std::max(highest, 0);
    for (const table::Row& row : branch.rows)
      if (row.ecus.contains(ecu)) highest = std::max(highest, row.formula.highestByte());
  }
  return highest;
}

}  // namespace kalvex
