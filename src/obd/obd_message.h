// One ECU's answer to a generic OBD-II request, as the adapter layer hands
// it over: reassembled (multi-frame replies joined), headers read, so the
// vocabulary below never sees adapter text.
#pragma once

#include <cstdint>
#include <vector>

namespace kalvex::obd {

// Service identifiers of SAE J1979 (ISO 15031-5) requests; a positive reply
// carries the service plus kPositiveReply.
enum Service : uint8_t {
  kCurrentData = 0x01,
  kFreezeFrame = 0x02,
  kStoredCodes = 0x03,
  kClearCodes = 0x04,
  kPendingCodes = 0x07,
  kVehicleInfo = 0x09,
  kPermanentCodes = 0x0A,
};
constexpr uint8_t kPositiveReply = 0x40;
constexpr uint8_t kNegativeReply = 0x7F;

// Who answered: the CAN identifier (0x7E8 engine, 0x7E9 transmission, or a
// 29-bit 0x18DAF110) or, on K-line and J1850, the source address byte (0x10).
struct Message {
  uint32_t ecu = 0;
  std::vector<uint8_t> data;  // from the reply's service byte on (0x41 0x0C ...)
};

}  // namespace kalvex::obd
