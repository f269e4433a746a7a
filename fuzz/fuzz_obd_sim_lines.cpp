// The simulated ELM327 and generic OBD-II car, fed whatever a scanner might
// send: every line must end in a prompt, with its parts in time order.
#include "fuzz_input.h"
#include "sim/adapter_sim.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  sim::ObdSimOptions options;
  const uint8_t choice = in.byte();
  options.car.bus = static_cast<sim::ObdBus>(choice % 4);
  options.car.silent = choice & 0x10;
  options.car.refuse = choice & 0x20;
  options.car.pendingMs = choice & 0x40 ? 2500 : 0;
  options.oldChip = choice & 0x80;
  sim::AdapterSim adapter(options);
  while (!in.empty()) {
    std::string now;
    std::vector<sim::TimedText> later;
    adapter.feed(in.text(64), now, later);
    int at = 0;
    for (const sim::TimedText& t : later) {
      if (t.atMs < at) __builtin_trap();
      at = t.atMs;
    }
  }
  return 0;
}
