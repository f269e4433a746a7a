#include "protocol/number_format.h"

#include <charconv>

namespace kalvex {

char* FormatGeneral9(char* first, double value) {
  // to_chars with a precision is specified as printf with that precision;
  // the buffer is large enough for every double, so it cannot fail.
  return std::to_chars(first, first + kGeneral9Size, value, std::chars_format::general, 9).ptr;
}

void AppendGeneral9(std::string& out, double value) {
  char buf[kGeneral9Size];
  out.append(buf, FormatGeneral9(buf, value));
}

void AppendFixed3(std::string& out, double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
  // A time of more than 10^60 s is not a time; it still gets a number.
  if (ec != std::errc()) end = FormatGeneral9(buf, value);
  out.append(buf, end);
}

}  // namespace kalvex
