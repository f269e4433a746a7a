// CITROEN and PEUGEOT: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> CitroenPeugeotBranches() { return {}; }

}  // namespace kalvex::table
