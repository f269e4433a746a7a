// Which service-01 (or service-02, freeze frame) PIDs one ECU supports, from
// the bitmap replies to PIDs 0x00, 0x20, ... 0xE0. Keep one per ECU.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kalvex::obd {

class SupportedPids {
 public:
  // The four bytes A-D answered for bitmap `basePid` (0x00, 0x20, ..., 0xE0):
  // bit 7 of A is basePid+1, bit 0 of D is basePid+0x20. A base that is not a
  // multiple of 0x20, or fewer than four bytes, is ignored (extra bytes too).
  // Adding a bitmap again replaces its 32 bits.
  void addBitmap(uint8_t basePid, std::span<const uint8_t> fourBytes);

  // Whether `pid` was marked supported by an added bitmap (bitmap PIDs
  // included: has(0x20) means the 0x00 bitmap says the next one exists).
  bool has(uint8_t pid) const;

  // Whether the bitmap before `nextBase` was added and its last bit names
  // `nextBase` (0x20 ... 0xE0); false for other values.
  bool chainsTo(uint8_t nextBase) const;

  // The next bitmap to ask for: the lowest base the chain reaches from 0x00
  // that was not added yet; nullopt when the chain ends. The chain cannot run
  // past 0xE0 (its last bit would be PID 0x100) and every base is asked at
  // most once, so a bitmap claiming every PID ends after eight requests.
  std::optional<uint8_t> nextBitmap() const;

  // Whether the bitmap for `basePid` was added.
  bool hasBitmap(uint8_t basePid) const;

  // Supported data PIDs in ascending order, bitmap PIDs (0x00, 0x20, ...) left out.
  std::vector<uint8_t> list() const;

 private:
  std::bitset<256> pids_;
  uint8_t bitmaps_ = 0;  // bit i: the bitmap for base 0x20*i was added
};

}  // namespace kalvex::obd
