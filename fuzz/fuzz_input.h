// Reads a fuzzer's input as a sequence of small decisions and byte runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvex::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool empty() const { return p_ == end_; }
  uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
  // Up to `max` bytes (at least 1 while any are left).
  std::vector<uint8_t> run(size_t max) {
    size_t n = byte() % (max == 0 ? 1 : max) + 1;
    if (n > static_cast<size_t>(end_ - p_)) n = static_cast<size_t>(end_ - p_);
    std::vector<uint8_t> out(p_, p_ + n);
    p_ += n;
    return out;
  }
  std::string text(size_t max) {
    const std::vector<uint8_t> r = run(max);
    return std::string(r.begin(), r.end());
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace kalvex::fuzz
