// Splitting one ECU's service-01 or service-02 positive reply into its PIDs.
// J1979 lets a CAN request name up to six PIDs, so one reply may hold several:
// "41 0C 1A F8 0D 32 05 7B" is 0x0C = 1A F8, 0x0D = 32, 0x05 = 7B.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kalvex::obd {

struct PidReply {
  uint8_t pid = 0;
  uint8_t frame = 0;           // freeze frame number (service 02); 0 for service 01
  std::vector<uint8_t> bytes;  // exactly the table's length for the PID
};

struct SplitResult {
  std::vector<PidReply> pids;  // the PIDs read, in reply order
  // false when the reply is not the expected positive reply, holds no PID, or the split
  // stopped before the end: a PID the table does not know (its length is
  // unknown, so nothing after it can be trusted) or a tail shorter than the
  // PID's length (including stray bytes after the last whole PID).
  bool complete = true;
};

// `data` is the whole message from its service byte: 0x41 pid A.. [pid A.. ...].
SplitResult SplitCurrentData(std::span<const uint8_t> data);
// 0x42 pid frame A.. [pid frame A.. ...]; PID 0x02 holds the trouble code that
// stored the frame (two bytes, see trouble_code_reply.h), PIDs 0x00/0x20/...
// the bitmaps of the PIDs stored in it.
SplitResult SplitFreezeFrame(std::span<const uint8_t> data);

}  // namespace kalvex::obd
