// Adapters that misbehave, on a pseudo-terminal, for `kalvex-cli monitor`:
// chattering lines, floods, endless lines, NUL and 0xFF bytes, oversize
// replies, an unplug in the middle of a line. Shared by the scenario test
// (exit status and status texts) and its benchmark (CPU time per scenario).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "e2e/process_runner.h"

namespace kalvex::testing {

// The adapter's side of a pseudo-terminal; the scanner opens path().
class FaultyAdapter {
 public:
  FaultyAdapter() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
    // Never block: a scanner that stopped reading must not hang the adapter.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // The scanners started meanwhile must not inherit the adapter's side, or
    // pulling the plug would close nothing.
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    path_ = ::ttyname(slave_);
  }
  ~FaultyAdapter() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    unplug();
  }
  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  bool stopping() const { return stop_; }

  void send(const std::string& bytes) {
    if (master_ < 0) return;
    size_t done = 0;
    while (done < bytes.size() && !stop_) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the scanner reads slower
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
      }
    }
  }
  // The next CR-ended line the scanner wrote, or "" after `ms` without one.
  std::string line(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_ && master_ >= 0 && std::chrono::steady_clock::now() < end) {
      const size_t cr = in_.find('\r');
      if (cr != std::string::npos) {
        std::string l = in_.substr(0, cr);
        in_.erase(0, cr + 1);
        return l;
      }
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
        char buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) in_.append(buf, static_cast<size_t>(n));
      }
    }
    return {};
  }
  void sleep(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_ && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The adapter goes away: the scanner's reads fail.
  void unplug() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
  }
  void run(std::function<void(FaultyAdapter&)> behaviour) {
    thread_ = std::thread([this, behaviour] { behaviour(*this); });
  }

 private:
  int master_ = -1, slave_ = -1;
  std::string path_;
  std::string in_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct FaultScenario {
  const char* name;
  const char* adapter;  // "elm327" or "kesta"
  const char* seconds;  // --duration
  std::function<void(FaultyAdapter&)> behaviour;
  int exitStatus;
  std::vector<std::string> stderrInOrder;  // texts that must appear, in this order
};

// Brings a Kesta-mini K-line session up to its first data request.
inline void KestaLinkUp(FaultyAdapter& a) {
  a.line(3000);  // DS:01:... set-up line
  a.send("PS\r");
  a.line(3000);  // DD:01:81
  a.send("PD:03:C1EF8F\r");
  a.line(3000);  // the first data request
}

inline std::vector<FaultScenario> FaultScenarios() {
  return {
      {"elm_chatter",
       "elm327",
       "11.5",
       [](FaultyAdapter& a) {
         while (!a.stopping()) {
           a.send("NO DATA\r\r>");
           a.sleep(150);
         }
       },
       3,
       {}},
      {"kesta_chatter",
       "kesta",
       "11.5",
       [](FaultyAdapter& a) {
         KestaLinkUp(a);
         while (!a.stopping()) {
           a.send("PX\r");
           a.sleep(150);
         }
       },
       0,
       {"Связь с ЭБУ установлена", "Нет связи с ЭБУ"}},
      {"elm_flood",
       "elm327",
       "3",
       [](FaultyAdapter& a) {
         std::string junk;
         for (int i = 0; i < 65536; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
         while (!a.stopping()) a.send(junk);
       },
       3,
       {}},
      {"kesta_endless_line",
       "kesta",
       "3",
       [](FaultyAdapter& a) {
         const std::string endless(4096, 'P');
         while (!a.stopping()) a.send(endless);
       },
       3,
       {}},
      {"elm_nul_and_ff",
       "elm327",
       "3",
       [](FaultyAdapter& a) {
         std::string bytes;
         for (int i = 0; i < 2048; ++i) bytes.push_back(i % 3 ? '\0' : '\xFF');
         while (!a.stopping()) {
           a.send(bytes);
           a.sleep(5);
         }
       },
       3,
       {}},
      {"elm_oversize_replies",
       "elm327",
       "4",
       [](FaultyAdapter& a) {
         std::string huge = "61 01";
         while (huge.size() < 5000) huge += " 5A";
         while (!a.stopping()) {
           const std::string l = a.line(500);
           if (l.empty()) continue;
           a.send(l + "\r" + huge + "\r\r>");
         }
       },
       3,
       {}},
      {"kesta_unplug_mid_line",
       "kesta",
       "30",
       [](FaultyAdapter& a) {
         KestaLinkUp(a);
         a.send("PD:1");  // half a reply, then the cable is pulled
         a.sleep(300);
         a.unplug();
       },
       4,
       {"Связь с ЭБУ установлена", "kalvex-cli monitor: Ошибка чтения из порта"}},
  };
}

// Starts every scenario's monitor side by side; returns them running.
struct RunningScenario {
  const FaultScenario* scenario;
  std::unique_ptr<FaultyAdapter> adapter;
  std::unique_ptr<Child> monitor;
};

inline std::vector<RunningScenario> StartScenarios(const std::vector<FaultScenario>& all) {
  std::vector<RunningScenario> running;
  for (const FaultScenario& s : all) {
    RunningScenario r{&s, std::make_unique<FaultyAdapter>(), nullptr};
    if (!r.adapter->ok()) continue;
    r.adapter->run(s.behaviour);
    r.monitor = std::make_unique<Child>(
        std::vector<std::string>{"monitor", "--port", r.adapter->path(), "--adapter", s.adapter,
                                 "--make", "0", "--ecu", "0", "--duration", s.seconds},
        std::string("fault_") + s.name);
    running.push_back(std::move(r));
  }
  return running;
}

}  // namespace kalvex::testing
