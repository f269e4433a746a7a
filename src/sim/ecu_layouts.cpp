#include "sim/ecu_layouts.h"

#include "catalogue/catalogue.h"

namespace kalvex::sim {

const EcuLayout* EcuLayoutOf(int make, int ecu) {
  if (!ValidEcuType(make, ecu)) return nullptr;
  switch (make) {
    case kLada:
      return LadaLayout(ecu);
    case kHyundai:
      return HyundaiLayout(ecu);
    case kGreatWall:
      return GreatWallLayout(ecu);
    case kGaz:
    case kUaz:
      return GazUazLayout(make, ecu);
    case kByd:
    case kGeely:
      return BydGeelyLayout(make, ecu);
    case kChery:
      return CheryLayout(ecu);
    case kZaz:
    case kIzh:
      return ZazIzhLayout(ecu);
    case kNissan:
      return NissanLayout(ecu);
    case kKia:
      return KiaLayout(ecu);
    case kDaewoo:
    case kChevrolet:
      return DaewooChevroletLayout(ecu);
    case kCitroen:
    case kPeugeot:
      return CitroenPeugeotLayout(make, ecu);
    case kSuzuki:
      return SuzukiLayout(ecu);
    default:
      return nullptr;
  }
}

}  // namespace kalvex::sim
