// GREATWALL: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> GreatWallBranches() { return {}; }

}  // namespace kalvex::table
