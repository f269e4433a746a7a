// Hexadecimal digits as the two adapters send them. The ELM327 answers in
// upper case only, so a lower-case letter in its reply is noise and must not
// be read as data; the Kesta-mini's PD lines are read in either case. The
// simulator keeps its own hex code on purpose, so that it checks these.
#pragma once

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

}  // namespace kalvex::hex
