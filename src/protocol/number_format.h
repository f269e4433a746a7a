// Numbers as text for the decode output, the CSV rows and the log replay:
// the digits printf gives, written by std::to_chars, which needs no locale,
// no format string and no buffer of its own, and is the same on every
// platform (the Windows build must print byte for byte what Linux prints).
#pragma once

#include <cstddef>
#include <string>

namespace kalvex {

// Room FormatGeneral9 needs at most: "-1.23456789e-308" and its kin.
inline constexpr size_t kGeneral9Size = 24;

// Writes `value` into [first, first + kGeneral9Size) exactly as
// printf("%.9g") does in the C locale (negative zero as "-0", infinities as
// "inf"/"-inf", NaN as "nan" or "-nan" by its sign); returns the end.
char* FormatGeneral9(char* first, double value);
// The same, appended to `out`.
void AppendGeneral9(std::string& out, double value);

// Appends `value` as printf("%.3f") does (the CSV's seconds). Values beyond
// what fits 64 characters are written in general form instead.
void AppendFixed3(std::string& out, double value);

}  // namespace kalvex
