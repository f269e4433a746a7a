// Who answered, for a person: each ECU's values are kept apart by its id.
#pragma once

#include <cstdint>
#include <string>

#include "obd/obd_text.h"

namespace kalvex::obd {

// "ЭБУ двигателя (7E8)"/"Engine (7E8)", "ЭБУ КПП (7E9)"/"Transmission (7E9)",
// otherwise "ЭБУ 7EA"/"ECU 7EA". `ecu` is Message::ecu: an 11-bit CAN id
// (0x7E8 engine, 0x7E9 transmission), a 29-bit one (0x18DAF1xx: the low byte
// is the source, 0x10 engine, 0x18 transmission; shown as 8 hex digits) or,
// for values up to 0xFF, a K-line/J1850 source address (0x10 engine, 0x18
// transmission; 2 hex digits).
std::string EcuName(uint32_t ecu, Lang lang);

}  // namespace kalvex::obd
