// Soak: 100,000 replies on the manual clock across every ECU type, over the
// ELM327 against the simulator, with the heap measured after a warm-up pass
// and at the end. A session that holds on to anything per reply shows here
// as growth; the figure to keep is 0.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "sim/adapter_sim.h"
#include "support/session_harness.h"

namespace kalvex {
namespace {

// Runs one ELM327 session of `replies` accepted replies for one type.
long RunType(int make, int ecu, long replies) {
  test::SessionHarness h;
  h.view.make = make;
  h.view.ecu = ecu;
  h.view.adapter = 0;
  sim::AdapterSim adapter;
  adapter.ecu().select(make, ecu);
  long accepted = 0;
  h.controller.onResponseAccepted = [&](const ResponseBytes&) { ++accepted; };
  h.click();
  size_t consumed = 0;
  std::string now, later;
  for (int guard = 0; accepted < replies && guard < 20 * replies + 100; ++guard) {
    if (!h.runUntilWrites(consumed + 1)) break;
    const auto& w = h.port.writes[consumed++].bytes;
    now.clear();
    later.clear();
    adapter.feed(std::string(w.begin(), w.end()), now, later);
    if (!(now + later).empty()) h.receive(now + later);
    // Keep the record of writes from growing with the run.
    if (consumed > 64) {
      h.port.writes.erase(h.port.writes.begin(), h.port.writes.begin() + consumed);
      consumed = 0;
    }
  }
  h.click();  // stop
  return accepted;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_Soak(benchmark::State& state) {
  std::vector<std::pair<int, int>> types;
  for (int make = 0; make < kMakeCount; ++make)
    for (int ecu = 0; ecu < static_cast<int>(EcuTypesOf(make).size()); ++ecu)
      types.emplace_back(make, ecu);
  const long perType =
      (100000 + static_cast<long>(types.size()) - 1) / static_cast<long>(types.size());
  for (auto _ : state) {
    // Warm-up, twice, each type past the simulator's history bound (1024
    // replies): every rotation, every table built on first use and every
    // container at its steady size before the heap is measured.
    for (int pass = 0; pass < 2; ++pass)
      for (auto [make, ecu] : types) RunType(make, ecu, 1100);
    const size_t before = HeapInUse();
    long total = 0;
    for (auto [make, ecu] : types) total += RunType(make, ecu, perType);
    const size_t after = HeapInUse();
    state.counters["replies"] = static_cast<double>(total);
    state.counters["heap_growth_bytes"] = static_cast<double>(after > before ? after - before : 0);
  }
}
BENCHMARK(BM_Soak)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvex

BENCHMARK_MAIN();
