// Strict decimal numbers from text that a user or a file supplies, read
// alike by the window and kalvex-cli. Integers: digits with an optional
// leading minus, nothing else, within int range.
#pragma once

#include <optional>
#include <string_view>

namespace kalvex {

std::optional<int> ParseDecimal(std::string_view text);
// A finite decimal number ("12", "-0.5", "1e3"): no leading space or plus
// sign, no hexadecimal, no "inf" or "nan", nothing after it.
std::optional<double> ParseDecimalNumber(std::string_view text);

}  // namespace kalvex
