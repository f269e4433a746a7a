// "41 0C 1A F8" as bytes, so the tests read like adapter transcripts.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace kalvex::obd::test {

inline std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> out;
  std::string digits;
  for (char c : text) {
    if (c == ' ') continue;
    digits += c;
    if (digits.size() == 2) {
      out.push_back(static_cast<uint8_t>(std::strtoul(digits.c_str(), nullptr, 16)));
      digits.clear();
    }
  }
  return out;
}

// `head` followed by the bytes of `text` (embedded zeros included).
inline std::vector<uint8_t> HexThenText(std::string_view head, std::string_view text) {
  std::vector<uint8_t> out = Hex(head);
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

}  // namespace kalvex::obd::test
