// The user-interface thread of kalvex-cli: closures posted from any thread
// (the serial port's notifications) run here in order, and the session's
// deadlines are waited for on a condition variable. Nothing spins: between
// events the thread sleeps until the next post or deadline.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "link/va_comm.h"
#include "protocol/clock.h"

namespace kalvex::cli {

class EventLoop {
 public:
  // `clock` must be SteadyClock (or count the same milliseconds): waits are
  // made until its deadlines on std::chrono::steady_clock.
  explicit EventLoop(const Clock& clock) : clock_(clock) {}

  // Any thread: queue a closure for the loop thread.
  void post(std::function<void()> fn);
  // The TVaComm dispatcher that posts here.
  TVaDispatcher dispatcher() {
    return [this](std::function<void()> fn) { post(std::move(fn)); };
  }
  // Any thread: make run() return after the closure it is running.
  void quit();

  // Runs posted closures in order and calls onDue() whenever deadline() has
  // come, until quit() or until the clock reaches `until`. Closures still
  // queued when it returns stay queued (and die with the loop).
  void run(const std::function<std::optional<Millis>()>& deadline,
           const std::function<void()>& onDue, std::optional<Millis> until = std::nullopt);

 private:
  const Clock& clock_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool quit_ = false;
};

}  // namespace kalvex::cli
