// SUZUKI: no layouts yet; the ECU refuses live-data requests.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {

const EcuLayout* SuzukiLayout(int) { return nullptr; }

}  // namespace kalvex::sim
