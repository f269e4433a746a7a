// The handling of one accepted reply (decoder, fault list, clear reply) for
// every make, ECU type and pending request, including indices no list holds.
#include "decode/reply_handling.h"
#include "fuzz_input.h"

using namespace kalvex;

namespace {
struct Sink : GaugeSink {
  void setGaugeValue(Component c, float) override {
    if (static_cast<int>(c) < 0 || static_cast<int>(c) >= kComponentCount) __builtin_trap();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const int make = static_cast<int>(in.byte() % 19) - 1;
  const int ecu = static_cast<int>(in.byte() % 17) - 1;
  ReplyState state;
  state.next.nextCommand = in.byte();
  state.rememberedFaultCount = in.byte();
  ResponseBytes rb;
  const std::vector<uint8_t> reply = in.run(255);
  for (size_t i = 0; i < reply.size(); ++i) rb.b[i] = reply[i];
  rb.length = reply.size();
  Sink sink;
  HandleReplyData(make, ecu, rb, sink, state);
  return 0;
}
