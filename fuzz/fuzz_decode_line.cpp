// The `kalvex-cli decode --stdin` line parser and runner.
#include <string>
#include <string_view>

#include "session/decode_case.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DecodeCaseRunner runner;
  std::string out;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    runner.runLine(text.substr(0, eol), out);
    if (eol == std::string_view::npos) break;
    text.remove_prefix(eol + 1);
    out.clear();
  }
  return 0;
}
