// Cases per second through the reply handling (decoder, fault list, clear
// reply), and through the text path that `kalvex-cli decode --stdin` runs.
//
// BM_DecodeStdinProcess: the whole `kalvex-cli decode --stdin` process on
// a million cases (every golden case of tests/data/decode, over and over),
// output to /dev/null. Goal: cases_per_s >= 1,000,000. cases_per_cpu_s is
// the figure that holds on a busy machine. With KALVEX_BASELINE_DIR set, the
// kalvex-cli there runs the same input in the same run (baseline_*).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "decode/reply_handling.h"
#include "session/decode_case.h"

namespace {

using namespace kalvex;

struct RecordingSink : GaugeSink {
  Component c[64];
  float v[64];
  int n = 0;
  void setGaugeValue(Component comp, float value) override {
    if (n < 64) c[n] = comp, v[n] = value, ++n;
  }
};

struct Case {
  int ecu;
  ResponseBytes rb;
};

std::vector<Case> LadaCases() {
  std::vector<Case> cases;
  for (int ecu = 0; ecu < 7; ++ecu) {
    Case c{ecu, {}};
    c.rb.b[0] = ecu == 6 ? 0x62 : 0x61;
    for (size_t i = 1; i < 40; ++i) c.rb.b[i] = static_cast<uint8_t>(i * 37 + ecu);
    c.rb.length = 40;
    cases.push_back(c);
  }
  Case fault{0, {}};
  const uint8_t f[] = {0x58, 0x03, 0x01, 0x02, 0x20, 0x03, 0x01, 0xE0, 0x06, 0x03, 0x00};
  for (uint8_t b : f) fault.rb.b[fault.rb.length++] = b;
  cases.push_back(fault);
  Case negative{0, {}};
  negative.rb.b[0] = 0x7F, negative.rb.b[1] = 0x21, negative.rb.b[2] = 0x12;
  negative.rb.length = 3;
  cases.push_back(negative);
  return cases;
}

void BM_HandleReplyData(benchmark::State& state) {
  const std::vector<Case> cases = LadaCases();
  ReplyState reply;
  RecordingSink sink;
  size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ % cases.size()];
    sink.n = 0;
    reply.rememberedFaultCount = 0;
    benchmark::DoNotOptimize(HandleReplyData(kLada, c.ecu, c.rb, sink, reply));
    benchmark::DoNotOptimize(sink.v[0]);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_HandleReplyData);

void BM_DecodeCaseLine(benchmark::State& state) {
  const std::vector<std::string> lines = {
      "0 0 11 61 01 00 00 00 00 00 00 00 00 00 00 00 15 00 00 00 00 00 00 B0 00 E8 03 2C 01",
      "0 3 11 6101000000C8028C0BB83315000000000000000003E8",
      "0 6 13 62 00 01 00 78 00 70 17 70 0A 00 06 1A 08 02 00 00 00 00 03 E8 00 00 00 64",
      "0 0 12 58 02 01 02 20 03 01 E0",
      "0 0 11 7F 21 12",
  };
  DecodeCaseRunner runner;
  std::string out;
  out.reserve(1 << 16);
  size_t i = 0;
  for (auto _ : state) {
    out.clear();
    benchmark::DoNotOptimize(runner.runLine(lines[i++ % lines.size()], out));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_DecodeCaseLine);

// "M E N HEX" lines of the golden decode files.
std::vector<std::string> GoldenCaseLines() {
  std::vector<std::string> lines;
  for (const char* name :
       {"lada", "hyundai", "great_wall", "gaz_uaz", "byd_geely", "chery", "zaz_izh", "nissan",
        "kia", "daewoo_chevrolet", "citroen_peugeot", "suzuki"}) {
    std::ifstream in(std::string(KALVEX_SOURCE_DIR) + "/tests/data/decode/" + name + ".txt");
    std::string line;
    while (std::getline(in, line)) {
      int m, e, n;
      if (line.empty() || line[0] < '0' || line[0] > '9') continue;
      if (std::sscanf(line.c_str(), "%d %d %d", &m, &e, &n) == 3) lines.push_back(line);
    }
  }
  return lines;
}

void BM_DecodeStdinProcess(benchmark::State& state) {
  constexpr long kCases = 1'000'000;
  const std::vector<std::string> lines = GoldenCaseLines();
  if (lines.empty()) return state.SkipWithError("no golden decode cases found");
  const char* tmp = std::getenv("TMPDIR");
  const std::string input = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalvex_decode_bench_" +
                            std::to_string(::getpid()) + ".txt";
  {
    std::ofstream out(input, std::ios::binary);
    for (long i = 0; i < kCases; ++i) out << lines[static_cast<size_t>(i) % lines.size()] << '\n';
  }
  auto run = [&](const std::string& dir) {
    return bench::RunProcess({dir + "/kalvex-cli", "decode", "--stdin"}, input);
  };
  bench::ProcessRun now, base;
  for (auto _ : state) {
    now = run(bench::BinaryDir());
    if (!now.ok) state.SkipWithError("kalvex-cli decode --stdin failed");
    state.SetIterationTime(now.wallS);
    if (!bench::BaselineDir().empty()) base = run(bench::BaselineDir());
  }
  std::remove(input.c_str());
  state.counters["cases_per_s"] = now.wallS > 0 ? kCases / now.wallS : 0;
  state.counters["cases_per_cpu_s"] = now.cpuS > 0 ? kCases / now.cpuS : 0;
  state.counters["goal_pct"] = now.cpuS > 0 ? 100.0 * kCases / now.cpuS / 1e6 : 0;
  if (base.ok) {
    state.counters["baseline_cases_per_s"] = kCases / base.wallS;
    state.counters["baseline_cases_per_cpu_s"] = kCases / base.cpuS;
    state.counters["speedup_cpu"] = base.cpuS / now.cpuS;
  }
}
BENCHMARK(BM_DecodeStdinProcess)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
