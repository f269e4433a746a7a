// KIA: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> KiaBranches() { return {}; }

}  // namespace kalvex::table
