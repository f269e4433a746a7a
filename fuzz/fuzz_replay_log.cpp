// The log reader of `kalvex-cli replay`: any bytes, split into chunks at
// the fuzzer's choice, for any make and ECU type.
#include <string>

#include "catalogue/catalogue.h"
#include "cli/log_replay.h"
#include "fuzz_input.h"

using namespace kalvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const int make = in.byte() % kMakeCount;
  const int types = static_cast<int>(EcuTypesOf(make).size());
  const int ecu = types > 0 ? in.byte() % types : 0;
  cli::LogReplayer replayer(make, ecu);
  cli::LineSplitter splitter;
  std::string rows;
  const auto onLine = [&](std::string_view line) { replayer.line(line, rows); };
  while (!in.empty()) {
    const std::string chunk = in.text(255);
    splitter.feed(chunk.data(), chunk.size(), onLine);
    rows.clear();
  }
  splitter.finish(onLine);
  (void)replayer.warnings();
  return 0;
}
