#include "decode/decoder.h"

#include <algorithm>
#include <array>

#include "catalogue/catalogue.h"
#include "decode/table.h"
#include "protocol/request_catalogue.h"

namespace kalvex {

namespace table {

// Decoders by make index; a shared table stands once per make it serves.
std::span<const Branch> BranchesOf(int make) {
  using Table = std::span<const Branch> (*)();
  static constexpr std::array<Table, kMakeCount> kMakes = {
      LadaBranches,             // LADA
      HyundaiBranches,          // HYUNDAI
      GreatWallBranches,        // GREATWALL
      GazUazBranches,           // GAZ
      GazUazBranches,           // UAZ
      BydBranches,              // BYD
      GeelyBranches,            // Geely
      CheryBranches,            // Chery
      ZazIzhBranches,           // ZAZ
      ZazIzhBranches,           // IZH
      NissanBranches,           // NISSAN
      KiaBranches,              // KIA
      DaewooChevroletBranches,  // DAEWOO
      DaewooChevroletBranches,  // CHEVROLET
      CitroenPeugeotBranches,   // CITROEN
      CitroenPeugeotBranches,   // PEUGEOT
      SuzukiBranches,           // SUZUKI
  };
  if (make < 0 || make >= kMakeCount) return {};
  return kMakes[static_cast<size_t>(make)]();
}

}  // namespace table

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
