// The generic-mode line cutter and reply assembler, fed events split at
// arbitrary points, in every framing, with answers continued after a prompt.
#include "adapter/elm327_obd.h"
#include "fuzz_input.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const ObdFraming framing = static_cast<ObdFraming>(in.byte() % 5);
  ObdLineCutter cutter;
  ObdReplyAssembler assembler(framing);
  assembler.setRequest(in.byte() & 1 ? "01 0C 0D" : "09 02");
  std::vector<ObdLine> lines;
  while (!in.empty()) {
    const std::vector<uint8_t> event = in.run(96);
    lines.clear();
    cutter.feed(event.data(), event.size(), lines);
    for (const ObdLine& line : lines) {
      if (line.text.size() > ObdLineCutter::kMaxLine) __builtin_trap();
      assembler.addLine(line);
      if (line.prompt) {
        const ObdReply r = assembler.take(in.byte() & 1);
        for (const obd::Message& m : r.messages)
          if (m.data.size() > ObdReplyAssembler::kMaxMessage) __builtin_trap();
      }
    }
    (void)ParseDescribeProtocolNumber(lines.empty() ? "" : lines.back().text);
    (void)ParseAdapterVoltage(lines.empty() ? "" : lines.back().text);
  }
  return 0;
}
