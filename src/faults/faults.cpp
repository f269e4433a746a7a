#include "faults/faults.h"

namespace kalvex {

// Placeholders until fault handling lands.
const std::vector<FaultRow>& FaultDescriptionTable() {
  static const std::vector<FaultRow> kRows;
  return kRows;
}
bool HandleFaultReply(const ResponseBytes&, int&, std::vector<std::string>&) { return false; }
void HandleClearReply(int, int, RequestChoice&) {}
bool ClearButtonActs(int make) { return make >= 0 && make <= 4; }

}  // namespace kalvex
