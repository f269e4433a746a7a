// ELM327 line cutting and reply parsing, fed events split at arbitrary points.
#include "adapter/elm327_driver.h"
#include "fuzz_input.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  std::array<uint8_t, kRxBufferSize> rx{};
  size_t rxPos = 0;
  const bool multiFrame = in.byte() & 1;
  std::string lastSent = in.byte() & 1 ? "21 01" : "22 00 01";
  ResponseBytes rb;
  while (!in.empty()) {
    const std::vector<uint8_t> event = in.run(96);
    // The driver reads no more than the framer has room for.
    const size_t room = ElmReadCapacity(rxPos);
    const ElmCut cut = ElmCutLines(rx, rxPos, event.data(), std::min(room, event.size()));
    if (rxPos > kRxBufferSize) __builtin_trap();
    for (const std::string& line : cut.lines) {
      rb.clear();
      std::string sent = lastSent;
      const ElmParse parse = ElmParseReply(line, sent, multiFrame, rb);
      if (rb.length > kResponseSize) __builtin_trap();
      (void)parse;
    }
  }
  return 0;
}
