// Service 09 (vehicle information): VIN (09 02), calibration IDs (09 04),
// ECU name (09 0A). Text from an ECU is never trusted: padding 0x00 is
// dropped, any other byte outside printable ASCII (0x20-0x7E) becomes '?'.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "obd/obd_message.h"

namespace kalvex::obd {

// The messages one ECU sent for one 09 request, both forms:
//  - CAN: one reassembled message "49 02 01" + 17 ASCII (the 01 is the item count);
//  - K-line/J1850: several 7-byte messages "49 02 NN b1 b2 b3 b4", NN the
//    sequence 1, 2, ...; the VIN's first message has three 00 bytes of padding.
// Messages of another ECU than the first one's, or of another info type, are
// ignored. The K-line pieces are put in sequence order (repeats dropped); a
// missing piece makes the whole item nullopt/empty rather than a wrong text.

// VIN with leading and trailing 0x00 dropped; its length is not checked (a
// non-compliant ECU may give fewer than 17). nullopt when no VIN bytes came.
std::optional<std::string> ParseVin(std::span<const Message> messages);
// The same from a single message's data (from the 0x49 on).
std::optional<std::string> ParseVin(std::span<const uint8_t> data);

// Calibration IDs, 16 bytes each, trailing 0x00 padding dropped, empty ones left out.
std::vector<std::string> ParseCalibrationIds(std::span<const Message> messages);
std::vector<std::string> ParseCalibrationIds(std::span<const uint8_t> data);

// ECU name: 20 bytes, "ECM" 00 "-EngineControl" 00 00 ...: every 0x00 dropped
// ("ECM-EngineControl"). nullopt when nothing printable is left.
std::optional<std::string> ParseEcuName(std::span<const Message> messages);
std::optional<std::string> ParseEcuName(std::span<const uint8_t> data);

}  // namespace kalvex::obd
