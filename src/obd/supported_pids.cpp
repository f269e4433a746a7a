#include "obd/supported_pids.h"

namespace kalvex::obd {

void SupportedPids::addBitmap(uint8_t basePid, std::span<const uint8_t> fourBytes) {
  if (basePid % 0x20 != 0 || fourBytes.size() < 4) return;
  for (int i = 0; i < 32; ++i) {
    const bool set = (fourBytes[i / 8] >> (7 - i % 8) & 1) != 0;
    const int pid = basePid + 1 + i;  // up to 0x100 for the last bit of 0xE0
    if (pid < 256) pids_[pid] = set;
  }
  bitmaps_ |= static_cast<uint8_t>(1u << (basePid / 0x20));
}

bool SupportedPids::has(uint8_t pid) const { return pids_[pid]; }

bool SupportedPids::hasBitmap(uint8_t basePid) const {
  return basePid % 0x20 == 0 && (bitmaps_ >> (basePid / 0x20) & 1) != 0;
}

bool SupportedPids::chainsTo(uint8_t nextBase) const {
  if (nextBase == 0 || nextBase % 0x20 != 0) return false;
  return hasBitmap(static_cast<uint8_t>(nextBase - 0x20)) && pids_[nextBase];
}

std::optional<uint8_t> SupportedPids::nextBitmap() const {
  if (!hasBitmap(0)) return uint8_t{0};
  // Follow the chain from 0x00; each step moves up by 0x20, so this ends.
  for (int base = 0x20; base <= 0xE0; base += 0x20) {
    const auto b = static_cast<uint8_t>(base);
    if (!chainsTo(b)) return std::nullopt;
    if (!hasBitmap(b)) return b;
  }
  return std::nullopt;
}

std::vector<uint8_t> SupportedPids::list() const {
  std::vector<uint8_t> out;
  for (int pid = 1; pid < 256; ++pid)
    if (pids_[pid] && pid % 0x20 != 0) out.push_back(static_cast<uint8_t>(pid));
  return out;
}

}  // namespace kalvex::obd
