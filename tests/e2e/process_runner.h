// Runs kalvex-cli as a child process with its output in files, so several
// can run side by side; a child that hangs is killed after a generous limit
// (a hang fails the test instead of blocking the suite).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kalvex::testing {

inline std::string BinaryDir() {
  const char* d = std::getenv("KALVEX_BINARY_DIR");
  return d ? d : ".";
}

// Under the build directory, so runs leave nothing behind elsewhere.
inline std::string TempDir() {
  static const std::string dir = [] {
    const std::string d = BinaryDir() + "/testenv/e2e";
    ::mkdir((BinaryDir() + "/testenv").c_str(), 0755);
    ::mkdir(d.c_str(), 0755);
    return d;
  }();
  return dir;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The complete lines of `s`, without their '\n' (a last unended line is left out).
inline std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  for (size_t nl; (nl = s.find('\n', at)) != std::string::npos; at = nl + 1)
    out.push_back(s.substr(at, nl - at));
  return out;
}

class Child {
 public:
  // Starts kalvex-cli with `args`; stdout and stderr go to files named after `tag`.
  // `closed`: standard descriptors (0 to 2) the child starts without.
  Child(const std::vector<std::string>& args, const std::string& tag,
        const std::vector<int>& closed = {})
      : Child(BinaryDir() + "/kalvex-cli", args, tag, closed) {}
  // The same for another program.
  Child(const std::string& program, const std::vector<std::string>& args, const std::string& tag,
        const std::vector<int>& closed = {}) {
    outPath_ = TempDir() + "/" + tag + ".out";
    errPath_ = TempDir() + "/" + tag + ".err";
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (int fd : closed) posix_spawn_file_actions_addclose(&fa, fd);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  void signal(int sig) {
    if (pid_ > 0 && !exited_) ::kill(pid_, sig);
  }
  // Exit status, or -1 when it had to be killed after `limitS` seconds.
  int wait(int limitS = 60) {
    if (pid_ <= 0) return -2;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitS);
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, WNOHANG, &usage) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        exited_ = true;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    exited_ = true;
    cpuSeconds_ = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // User and system CPU time of the child, once it has exited.
  double cpuSeconds() const { return cpuSeconds_; }
  std::string out() const { return ReadFile(outPath_); }
  std::string err() const { return ReadFile(errPath_); }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  double cpuSeconds_ = 0;
  std::string outPath_, errPath_;
};

}  // namespace kalvex::testing
