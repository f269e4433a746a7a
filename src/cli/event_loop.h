// The user-interface thread of kalvex-cli: closures posted from any thread
// (the serial port's notifications) run here in order, and the session's
// deadlines are waited for. Nothing spins: between events the thread sleeps
// until the next post or deadline (on Linux on a futex of its own: one
// system call to sleep, one to wake it, none when it is awake).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "link/va_comm.h"
#include "protocol/clock.h"

namespace kalvex::cli {

class EventLoop {
 public:
  // `clock` must be SteadyClock (or count the same microseconds): waits are
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

  // Runs posted closures in order and calls onDue() whenever deadline() (in
  // microseconds of the clock) has come, until quit() or until the clock
  // reaches `until` (milliseconds). Closures still queued when it returns
  // stay queued (and die with the loop).
  void run(const std::function<std::optional<Micros>()>& deadline,
           const std::function<void()>& onDue, std::optional<Millis> until = std::nullopt);

 private:
  // Wakes a sleeping run() after posts_ changed.
  void wake();
  // Sleeps until the clock's microsecond `at`, or until posts_ is no longer `seen`.
  void sleepUntil(Micros at, uint32_t seen);

  const Clock& clock_;
  std::mutex mutex_;
  std::condition_variable wake_;  // where there is no futex
  std::deque<std::function<void()>> queue_;
  bool quit_ = false;
  std::atomic<uint32_t> posts_{0};     // changes with every post and quit
  std::atomic<bool> sleeping_{false};  // run() is (about to be) asleep
};

}  // namespace kalvex::cli
