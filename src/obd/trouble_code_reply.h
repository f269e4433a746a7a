// Trouble codes from the replies to services 03 (stored), 07 (pending) and
// 0A (permanent).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kalvex::obd {

struct TroubleCodes {
  std::vector<std::string> codes;  // "P0301", "U0100", in reply order, 0000 padding dropped
  // false when `data` is no 0x43/0x47/0x4A reply, a single byte is left over
  // (an odd byte count), or the count byte disagrees with the codes found.
  bool complete = true;
};

// `data` is one message from its service byte. CAN replies carry a count byte
// after the service byte ("43 02 01 43 01 96"); K-line and J1850 replies
// don't and come three codes a message, padded with 0000 ("43 01 43 01 96
// 00 00"): parse each message and join the codes. The caller says which form
// via `hasCount` (the adapter knows its protocol).
TroubleCodes ParseTroubleCodes(std::span<const uint8_t> data, bool hasCount);

}  // namespace kalvex::obd
