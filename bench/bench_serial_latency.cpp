// Bytes written into a pseudo-terminal's master -> received-bytes
// notification running on the "user-interface" thread (here: the benchmark
// thread draining a dispatcher queue). Reports the median of 1,000 round trips.
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "link/va_comm.h"

namespace {

using Clock = std::chrono::steady_clock;

class QueueDispatcher {
 public:
  kalvex::TVaDispatcher dispatcher() {
    return [this](std::function<void()> f) {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(f));
      cv_.notify_one();
    };
  }
  // Runs closures until `done` holds (or a second passes with nothing posted).
  void RunUntil(const bool& done) {
    while (!done) {
      std::function<void()> f;
      {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::seconds(1), [&] { return !queue_.empty(); })) return;
        f = std::move(queue_.front());
        queue_.pop_front();
      }
      f();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
};

void BM_BytesInToNotification(benchmark::State& state) {
  int master = -1, slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    state.SkipWithError("openpty failed");
    return;
  }
  QueueDispatcher ui;
  kalvex::TVaComm port(ui.dispatcher());
  port.openDevice(name);

  bool delivered = false;
  Clock::time_point arrived;
  port.setRxHandler([&](size_t count) {
    arrived = Clock::now();
    uint8_t buf[64];
    port.readBytes(buf, std::min(count, sizeof buf));
    delivered = true;
  });

  std::vector<double> micros;
  micros.reserve(static_cast<size_t>(state.max_iterations));
  const uint8_t reply[] = {'4', '1', ' ', '0', 'C', ' ', '1', 'A', '\r', '>'};
  for (auto _ : state) {
    delivered = false;
    const auto sent = Clock::now();
    if (::write(master, reply, sizeof reply) != static_cast<ssize_t>(sizeof reply)) {
      state.SkipWithError("write to master failed");
      break;
    }
    ui.RunUntil(delivered);
    if (!delivered) {
      state.SkipWithError("no notification");
      break;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(arrived - sent).count());
    state.SetIterationTime(std::chrono::duration<double>(arrived - sent).count());
  }
  port.Close();
  ::close(master);
  ::close(slave);
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[micros.size() * 99 / 100];
  state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_BytesInToNotification)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
