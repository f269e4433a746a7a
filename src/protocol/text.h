// Text helpers every layer reads and writes numbers with, alike in the
// window, kalvex-cli, the settings, replay and the drivers: strict decimal
// numbers (locale-free, std::from_chars), and hexadecimal digits and bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvex {

// Strict decimal numbers from text that a user or a file supplies.
// Integers: digits with an optional leading minus, nothing else, within int
// range.
std::optional<int> ParseDecimal(std::string_view text);
// A finite decimal number ("12", "-0.5", "1e3"): no leading space or plus
// sign, no hexadecimal, no "inf" or "nan", nothing after it.
std::optional<double> ParseDecimalNumber(std::string_view text);
// The same, within [lo, hi] (" 20" and "+20" are refused).
std::optional<long> ParseInteger(std::string_view text, long lo, long hi);
std::optional<double> ParseNumber(std::string_view text, double lo, double hi);

}  // namespace kalvex

// Hexadecimal digits as the two adapters send them. The ELM327 answers in
// upper case only, so a lower-case letter in its reply is noise and must not
// be read as data; the Kesta-mini's PD lines are read in either case. The
// simulator keeps its own hex code on purpose, so that it checks these.
namespace kalvex::hex {

// ELM327 replies: '0'-'9' and 'A'-'F' only.
constexpr bool IsStrictDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
// Kesta-mini lines: either case.
constexpr bool IsLenientDigit(char c) { return IsStrictDigit(c) || (c >= 'a' && c <= 'f'); }
// The value of a digit that passed one of the checks above.
constexpr int DigitValue(char c) {
  if (c <= '9') return c - '0';
  if (c >= 'a') return c - 'a' + 10;
  return c - 'A' + 10;
}

// The value of a digit in either case, or -1 for any other character: a
// table, not a chain of comparisons, since decode --stdin reads hundreds of
// megabytes of hex.
inline constexpr std::array<int8_t, 256> kLenientDigitValues = [] {
  std::array<int8_t, 256> t{};
  t.fill(-1);
  for (int i = 0; i < 10; ++i) t['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) t['A' + i] = t['a' + i] = static_cast<int8_t>(10 + i);
  return t;
}();
constexpr int LenientValue(char c) { return kLenientDigitValues[static_cast<unsigned char>(c)]; }

// Hex out: two upper-case digits at out[0], out[1].
constexpr void Write2(char* out, uint8_t v) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  out[0] = kDigits[v >> 4];
  out[1] = kDigits[v & 0x0F];
}
inline std::string Byte(uint8_t v) {
  std::string s(2, '0');
  Write2(s.data(), v);
  return s;
}

}  // namespace kalvex::hex
