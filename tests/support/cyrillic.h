// Whether a UTF-8 text holds a Cyrillic letter: U+0400..U+04FF start with the
// lead bytes D0..D3, which nothing else the program writes uses.
#pragma once

#include <algorithm>
#include <string_view>

namespace kalvex::testing {

inline bool HasCyrillic(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xD0 && b <= 0xD3;
  });
}

}  // namespace kalvex::testing
