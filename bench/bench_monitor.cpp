// Whole-process benchmark: kalvex-cli monitor against kalvex-cli simulate
// over a pseudo-terminal, 50 live-data replies per run.
//
// Reported per adapter:
//   wall_ms_per_reply  polling pace from the CSV times (first to last data
//                      row); the session pauses more than 200 ms before every
//                      request, so 200 ms is the floor.
//   whole_ms_per_reply the whole process, set-up pauses included.
//   cpu_ms_per_reply   user + system CPU of the monitor process per reply.
//   sim_cpu_ms_per_reply the same for the simulator process.
// The binaries are looked for beside this one, or in KALVEX_BINARY_DIR.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace {

constexpr int kReplies = 50;

using kalvex::bench::BinaryDir;

pid_t Spawn(std::vector<std::string> args, int stdoutFd) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&fa, stdoutFd, 1);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

double CpuMs(const rusage& ru) {
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(ru.ru_utime) + ms(ru.ru_stime);
}

void BM_MonitorAgainstSimulate(benchmark::State& state) {
  const bool kesta = state.range(0) == 1;
  const std::string cli = BinaryDir() + "/kalvex-cli";
  for (auto _ : state) {
    // The simulator prints its terminal on the first line.
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return state.SkipWithError("pipe failed");
    const pid_t sim = Spawn({cli, "simulate", "--make", "0", "--ecu", "0"}, pipeFds[1]);
    ::close(pipeFds[1]);
    if (sim < 0) return state.SkipWithError(("cannot start " + cli).c_str());
    FILE* simOut = ::fdopen(pipeFds[0], "r");
    char line[512] = {};
    if (!std::fgets(line, sizeof line, simOut)) return state.SkipWithError("no path from simulate");
    std::string path(line);
    path.erase(path.find_last_not_of("\r\n") + 1);

    const std::string csv = "/tmp/kalvex_bench_monitor.csv";
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t mon =
        Spawn({cli, "monitor", "--port", path, "--adapter", kesta ? "kesta" : "elm327", "--make",
               "0", "--ecu", "0", "--replies", std::to_string(kReplies + (kesta ? 1 : 0)), "--csv",
               csv, "--duration", "120"},
              -1);
    int status = 0;
    rusage monUsage{};
    ::wait4(mon, &status, 0, &monUsage);
    const double wholeMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ::kill(sim, SIGTERM);
    rusage simUsage{};
    int simStatus = 0;
    ::wait4(sim, &simStatus, 0, &simUsage);
    std::fclose(simOut);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      return state.SkipWithError("monitor failed");

    // Data rows: those with a speed value; their times give the pace.
    std::ifstream f(csv);
    std::string row;
    std::getline(f, row);  // header
    std::vector<double> times;
    while (std::getline(f, row))
      if (row.find(",,,,,,,,,,,") == std::string::npos) times.push_back(std::stod(row));
    if (times.size() < 2) return state.SkipWithError("too few data rows");
    const double paceMs = (times.back() - times.front()) * 1000.0 / (times.size() - 1);
    state.SetIterationTime(wholeMs / 1000.0);
    state.counters["replies"] = static_cast<double>(times.size());
    state.counters["wall_ms_per_reply"] = paceMs;
    state.counters["floor_ms"] = 200;
    state.counters["whole_ms_per_reply"] = wholeMs / times.size();
    state.counters["cpu_ms_per_reply"] = CpuMs(monUsage) / times.size();
    state.counters["sim_cpu_ms_per_reply"] = CpuMs(simUsage) / times.size();
  }
  state.SetLabel(kesta ? "Kesta-mini" : "ELM327");
}

BENCHMARK(BM_MonitorAgainstSimulate)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
