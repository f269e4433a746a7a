// Kesta-mini line cutting, PD parsing and framing, fed events split at
// arbitrary points.
#include "adapter/kesta_driver.h"
#include "fuzz_input.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  std::array<uint8_t, kRxBufferSize> buffer{};
  size_t pos = 0;
  bool lineOpen = false, discarding = false;
  ResponseBytes rb;
  std::string line, bad;
  while (!in.empty()) {
    const std::vector<uint8_t> event = in.run(96);
    const KestaCutResult r =
        KestaCutLine({buffer, pos, lineOpen, discarding}, event.data(), event.size(), line);
    if (pos > kRxBufferSize) __builtin_trap();
    if (r != KestaCutResult::Line) continue;
    rb.clear();
    KestaParsePd(line, rb, bad);
    if (rb.length > kResponseSize) __builtin_trap();
    const std::vector<uint8_t> framed = KestaFrame(line);
    if (framed.size() != line.size() + 2 || framed.back() != 0x0D) __builtin_trap();
  }
  return 0;
}
