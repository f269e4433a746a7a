#include "sim/ecu_layouts.h"

#include "catalogue/catalogue.h"

namespace kalvex::sim {

const EcuLayout* EcuLayoutOf(int make, int ecu) {
  if (!ValidEcuType(make, ecu)) return nullptr;
  switch (make) {
    case kLada:
      return LadaLayout(ecu);
    default:
      return nullptr;
  }
}

}  // namespace kalvex::sim
