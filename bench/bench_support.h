// Helpers the whole-process benchmarks share.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace kalvex::bench {

// The folder of the built programs: KALVEX_BINARY_DIR, else this binary's own.
inline std::string BinaryDir() {
  if (const char* d = std::getenv("KALVEX_BINARY_DIR")) return d;
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string self(buf, static_cast<size_t>(n));
  return self.substr(0, self.rfind('/'));
}

// The folder of an earlier build to measure beside this one in the same run
// (KALVEX_BASELINE_DIR), or empty.
inline std::string BaselineDir() {
  const char* d = std::getenv("KALVEX_BASELINE_DIR");
  return d && *d ? d : "";
}

struct ProcessRun {
  bool ok = false;  // started and exited with status 0
  double wallS = 0;
  double cpuS = 0;  // user + system
  double rssMb = 0;
};

// Runs `args` with standard input from `in` (or /dev/null) and standard
// output to `out` (or /dev/null), and waits for it.
inline ProcessRun RunProcess(std::vector<std::string> args, const std::string& in = "",
                             const std::string& out = "") {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, in.empty() ? "/dev/null" : in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.empty() ? "/dev/null" : out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  int status = 0;
  rusage ru{};
  if (pid < 0 || ::wait4(pid, &status, 0, &ru) != pid) return run;
  run.wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpuS =
      ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  run.rssMb = ru.ru_maxrss / 1024.0;  // kilobytes on Linux
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

}  // namespace kalvex::bench
