// The decimal-text rule of stored settings values (COM, ADAPTER, LOG_FILE):
// whatever a settings file holds, the parse neither fails nor lets through
// anything but an optional minus and digits within int range.
#include <string>
#include <string_view>

#include "protocol/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto v = kalvex::ParseDecimal(text);
  if (!v) return 0;
  const size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() == digits) __builtin_trap();
  for (size_t i = digits; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') __builtin_trap();
  if (std::stoll(std::string(text)) != *v) __builtin_trap();
  return 0;
}
