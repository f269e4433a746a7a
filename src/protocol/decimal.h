// Strict decimal integers from text that a user or a file supplies: digits
// with an optional leading minus, nothing else, within int range.
#pragma once

#include <optional>
#include <string_view>

namespace kalvex {

std::optional<int> ParseDecimal(std::string_view text);

}  // namespace kalvex
