// GREATWALL: no layouts yet; the ECU refuses live-data requests.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {

const EcuLayout* GreatWallLayout(int) { return nullptr; }

}  // namespace kalvex::sim
