// A whole session on the manual clock, with the test kit's fake port and
// view, driven by opcodes: adapter bytes, clock steps, both buttons, port
// errors, selection and page changes, the log switch and partial reads.
#include "fuzz_input.h"
#include "support/session_harness.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  test::SessionHarness h;
  h.view.make = static_cast<int>(in.byte() % 18) - 1;
  h.view.ecu = static_cast<int>(in.byte() % 16) - 1;
  h.view.adapter = in.byte() % 3;
  for (int steps = 0; steps < 4000 && !in.empty(); ++steps) {
    switch (in.byte() % 12) {
      case 0:
      case 1:
      case 2:
        h.receive(in.text(64));
        break;
      case 3:
        h.advance(in.byte() * 8);
        break;
      case 4:
        h.advance(in.byte() * 80);
        break;
      case 5:
        h.click();
        break;
      case 6:
        h.controller.clearFaults();
        h.port.pump();
        break;
      case 7:
        h.port.failFromThread("Read error (5), Input/output error");
        h.port.pump();
        break;
      case 8:
        // The window disables the lists during a test; the fuzzer does not,
        // to try what a stale index does.
        h.view.make = static_cast<int>(in.byte() % 18) - 1;
        h.view.ecu = static_cast<int>(in.byte() % 16) - 1;
        break;
      case 9:
        h.view.page = in.byte() % 4;
        break;
      case 10:
        h.controller.setLogEnabled(in.byte() & 1);
        break;
      case 11:
        h.port.maxReadPerCall = in.byte() % 64 + 1;
        break;
    }
  }
  h.controller.shutdown();
  return 0;
}
