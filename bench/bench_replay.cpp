// Whole-process benchmark: kalvex-cli replay on a generated session log of
// KALVEX_REPLAY_BENCH_MB megabytes (default 1024), the CSV to /dev/null.
//
// Reported:
//   mb_per_s     log megabytes read per second of wall time (one core)
//   mb_per_cpu_s the same per second of the process's CPU time (user and
//                system), the figure that holds on a busy machine
//   peak_rss_mb  the replay process's peak resident memory
//   goal_pct     mb_per_cpu_s against the goal of 100 MB/s
// With KALVEX_BASELINE_DIR set, the kalvex-cli there replays the same log in
// the same run (baseline_*, speedup_cpu).
// The log goes to $TMPDIR (default /tmp) and is deleted afterwards. The
// binary is looked for beside this one, or in KALVEX_BINARY_DIR.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace {

using kalvex::bench::BaselineDir;
using kalvex::bench::BinaryDir;
using kalvex::bench::ProcessRun;
using kalvex::bench::RunProcess;

// A LADA K-line session as the monitor logs it: the adapter's line, then
// the extracted reply, each stamped, one second every ten replies; the
// bytes change so the decoder sees a running engine.
size_t WriteLog(const std::string& path, size_t bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  static const char* kHex = "0123456789ABCDEF";
  std::string block;
  size_t written = 0, replies = 0;
  long long second = 0;
  std::fputs("08/12/2026 03:00:00\r\n", f);
  while (written < bytes) {
    block.clear();
    for (int i = 0; i < 1000; ++i, ++replies) {
      if (replies % 10 == 0) ++second;
      const long long t = 3 * 3600 + second;
      char stamp[64];
      std::snprintf(stamp, sizeof stamp, "%02lld/12/2026 %02lld:%02lld:%02lld", 8 + t / 86400,
                    t / 3600 % 24, t / 60 % 60, t % 60);
      std::string reply = "6101";
      for (int b = 0; b < 36; ++b) {
        const unsigned v = static_cast<unsigned>((b * 37 + replies * (b % 5 + 1)) & 0xFF);
        reply += kHex[v >> 4];
        reply += kHex[v & 15];
      }
      block += stamp;
      block += " --- 2101" + reply + ">\r\n";
      block += stamp;
      block += " -E- " + reply + "\r\n";
    }
    if (std::fwrite(block.data(), 1, block.size(), f) != block.size()) break;
    written += block.size();
  }
  return std::fclose(f) == 0 ? written : 0;
}

void BM_ReplayLargeLog(benchmark::State& state) {
  const char* mbText = std::getenv("KALVEX_REPLAY_BENCH_MB");
  const size_t mb = mbText ? std::strtoul(mbText, nullptr, 10) : 1024;
  const char* tmp = std::getenv("TMPDIR");
  const std::string log = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalvex_replay_bench_" +
                          std::to_string(::getpid()) + ".log";
  const size_t size = WriteLog(log, mb << 20);
  if (size == 0) {
    std::remove(log.c_str());
    state.SkipWithError("cannot write the log under /tmp");
    return;
  }
  auto run = [&](const std::string& dir) {
    return RunProcess({dir + "/kalvex-cli", "replay", log, "--make", "0", "--ecu", "0"});
  };
  ProcessRun now, base;
  for (auto _ : state) {
    now = run(BinaryDir());
    if (!now.ok) {
      state.SkipWithError("kalvex-cli replay failed");
      break;
    }
    state.SetIterationTime(now.wallS);
    if (!BaselineDir().empty()) base = run(BaselineDir());
  }
  std::remove(log.c_str());
  const double logMb = static_cast<double>(size) / (1 << 20);
  state.counters["log_mb"] = logMb;
  state.counters["mb_per_s"] = now.wallS > 0 ? logMb / now.wallS : 0;
  state.counters["mb_per_cpu_s"] = now.cpuS > 0 ? logMb / now.cpuS : 0;
  state.counters["goal_pct"] = now.cpuS > 0 ? logMb / now.cpuS : 0;  // of 100 MB/s
  state.counters["peak_rss_mb"] = now.rssMb;
  if (base.ok) {
    state.counters["baseline_mb_per_s"] = logMb / base.wallS;
    state.counters["baseline_mb_per_cpu_s"] = logMb / base.cpuS;
    state.counters["speedup_cpu"] = base.cpuS / now.cpuS;
  }
}
BENCHMARK(BM_ReplayLargeLog)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
