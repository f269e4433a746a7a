// ZAZ and IZH: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> ZazIzhBranches() { return {}; }

}  // namespace kalvex::table
