#include "obd/ecu_name.h"

#include <cstdio>

namespace kalvex::obd {

std::string EcuName(uint32_t ecu, Lang lang) {
  // Which byte says who the sender is, and how many hex digits show the id.
  int role = -1;  // 0 engine, 1 transmission
  int digits;
  if (ecu <= 0xFF) {
    digits = 2;
    if (ecu == 0x10) role = 0;
    if (ecu == 0x18) role = 1;
  } else if (ecu <= 0x7FF) {
    digits = 3;
    if (ecu == 0x7E8) role = 0;
    if (ecu == 0x7E9) role = 1;
  } else {
    digits = 8;
    if ((ecu & 0xFFFFFF00u) == 0x18DAF100u) {
      if ((ecu & 0xFF) == 0x10) role = 0;
      if ((ecu & 0xFF) == 0x18) role = 1;
    }
  }
  char id[16];
  std::snprintf(id, sizeof id, "%0*X", digits, static_cast<unsigned>(ecu));
  const bool en = lang == Lang::En;
  switch (role) {
    case 0:
      return std::string(en ? "Engine (" : "ЭБУ двигателя (") + id + ")";
    case 1:
      return std::string(en ? "Transmission (" : "ЭБУ КПП (") + id + ")";
    default:
      return std::string(en ? "ECU " : "ЭБУ ") + id;
  }
}

}  // namespace kalvex::obd
