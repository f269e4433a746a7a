// DAEWOO and CHEVROLET: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> DaewooChevroletBranches() { return {}; }

}  // namespace kalvex::table
