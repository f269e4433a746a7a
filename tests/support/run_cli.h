// kalvex-cli run as a process, the way users and scripts run it: the
// arguments as shell words, stdin from a given text, stdout kept, stderr
// dropped.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kalvex::test {

struct CliRun {
  std::string out;
  int status = -1;  // the exit status; -1 when it did not run or died of a signal
};

inline std::string CliPath() {
  const char* dir = std::getenv("KALVEX_BINARY_DIR");
  return std::string(dir ? dir : ".") + "/kalvex-cli";
}

inline CliRun RunCli(const std::string& args, const std::string* input = nullptr) {
  std::string command = CliPath() + " " + args;
  std::string inputPath;
  if (input) {
    inputPath = ::testing::TempDir() + "kalvex_cli_input.txt";
    std::ofstream(inputPath, std::ios::binary) << *input;
    command += " < '" + inputPath + "'";
  }
  command += " 2>/dev/null";
  CliRun run;
  FILE* p = popen(command.c_str(), "r");
  if (p) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int raw = pclose(p);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  if (!inputPath.empty()) std::remove(inputPath.c_str());
  return run;
}

}  // namespace kalvex::test
