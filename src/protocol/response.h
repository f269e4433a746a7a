// ResponseBytes: the latest accepted ECU response. Zeroed at the start of
// every received-bytes event and filled from index 0, so indices beyond the
// reply read as 0. `length` is how many bytes the driver actually stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kalvex {

constexpr size_t kResponseSize = 1024;

struct ResponseBytes {
  std::array<uint8_t, kResponseSize> b{};
  size_t length = 0;

  void clear() {
    b.fill(0);
    length = 0;
  }
  uint8_t operator[](size_t i) const { return i < kResponseSize ? b[i] : 0; }
};

}  // namespace kalvex
