// CPU time `kalvex-cli monitor` spends against each misbehaving adapter of
// the fault scenarios (chattering, flood, endless line, NUL/0xFF, oversize
// replies, unplug), all run side by side for their whole duration. A figure
// near the wall time would mean a busy loop; the scenario test checks the
// outcome, this only reports the cost.
#include <benchmark/benchmark.h>

#include "e2e/adapter_faults.h"

namespace kalvex::testing {
namespace {

void BM_AdapterFaults(benchmark::State& state) {
  const std::vector<FaultScenario> scenarios = FaultScenarios();
  for (auto _ : state) {
    std::vector<RunningScenario> running = StartScenarios(scenarios);
    for (RunningScenario& r : running) {
      const int status = r.monitor->wait(60);
      state.counters[std::string(r.scenario->name) + "_cpu_ms"] = r.monitor->cpuSeconds() * 1000;
      if (status != r.scenario->exitStatus) state.SkipWithError(r.scenario->name);
    }
  }
}
BENCHMARK(BM_AdapterFaults)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace kalvex::testing

BENCHMARK_MAIN();
