// GAZ and UAZ: table not written yet; decodes nothing.
#include "decode/table.h"

namespace kalvex::table {

std::span<const Branch> GazUazBranches() { return {}; }

}  // namespace kalvex::table
