// Whole-process benchmark: kalvex-cli replay on a generated session log of
// KALVEX_REPLAY_BENCH_MB megabytes (default 1024), the CSV to /dev/null.
//
// Reported:
//   mb_per_s     log megabytes read per second of wall time (one core)
//   mb_per_cpu_s the same per second of the process's CPU time (user and
//                system), the figure that holds on a busy machine
//   peak_rss_mb  the replay process's peak resident memory
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

using kalvex::bench::BinaryDir;

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
  double seconds = 0, cpuSeconds = 0, rssMb = 0;
  for (auto _ : state) {
    std::vector<std::string> args{
        BinaryDir() + "/kalvex-cli", "replay", log, "--make", "0", "--ecu", "0"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    int status = 0;
    rusage ru{};
    if (pid < 0 || ::wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      state.SkipWithError("kalvex-cli replay failed");
      break;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rssMb = ru.ru_maxrss / 1024.0;  // kilobytes on Linux
    cpuSeconds = ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
                 (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    state.SetIterationTime(seconds);
  }
  std::remove(log.c_str());
  state.counters["log_mb"] = static_cast<double>(size) / (1 << 20);
  state.counters["mb_per_s"] = seconds > 0 ? static_cast<double>(size) / (1 << 20) / seconds : 0;
  state.counters["mb_per_cpu_s"] =
      cpuSeconds > 0 ? static_cast<double>(size) / (1 << 20) / cpuSeconds : 0;
  state.counters["peak_rss_mb"] = rssMb;
}
BENCHMARK(BM_ReplayLargeLog)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
