// Geely: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> GeelyBranches() { return {}; }

}  // namespace kalvex::table
