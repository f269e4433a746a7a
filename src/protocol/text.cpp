#include "protocol/text.h"

#include <charconv>
#include <cmath>

namespace kalvex {

std::optional<int> ParseDecimal(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(text.data(), last, value);
  if (ec != std::errc() || end != last) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimalNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  double value = 0;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(text.data(), last, value, std::chars_format::general);
  if (ec != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long> ParseInteger(std::string_view text, long lo, long hi) {
  const auto v = ParseDecimal(text);
  if (!v || *v < lo || *v > hi) return std::nullopt;
  return *v;
}

std::optional<double> ParseNumber(std::string_view text, double lo, double hi) {
  const auto v = ParseDecimalNumber(text);
  if (!v || *v < lo || *v > hi) return std::nullopt;
  return v;
}

}  // namespace kalvex
