// A user-interface-thread stand-in for the link tests: the link's threads
// post closures, the test thread runs them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "link/va_comm.h"

namespace kalvex::testing_support {

using namespace std::chrono_literals;

class TestDispatcher {
 public:
  TVaDispatcher dispatcher() {
    return [this](std::function<void()> f) {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(f));
      ++posted_;
      cv_.notify_all();
    };
  }

  // Runs posted closures until `done` holds; false if it still does not
  // after `limit` (a hang guard, not a speed check).
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      std::function<void()> f;
      {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_until(lock, deadline, [&] { return !queue_.empty(); })) return done();
        f = std::move(queue_.front());
        queue_.pop_front();
      }
      f();
    }
    return true;
  }

  // Runs whatever gets posted during `period`.
  void RunFor(std::chrono::milliseconds period) {
    const auto deadline = std::chrono::steady_clock::now() + period;
    for (;;) {
      std::function<void()> f;
      {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_until(lock, deadline, [&] { return !queue_.empty(); })) return;
        f = std::move(queue_.front());
        queue_.pop_front();
      }
      f();
    }
  }

  // Waits until something is posted, without running it.
  bool WaitPosted(std::chrono::milliseconds limit = 5000ms) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, limit, [&] { return !queue_.empty(); });
  }

  size_t posted() {
    std::lock_guard lock(mutex_);
    return posted_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
  size_t posted_ = 0;
};

}  // namespace kalvex::testing_support
