// Time as the core sees it: a monotonic millisecond count handed in from
// outside. The core never sleeps or reads the wall clock; every pause and
// timer is kept as a deadline on this clock.
#pragma once

#include <chrono>
#include <cstdint>

namespace kalvex {

using Millis = int64_t;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Millis now() const = 0;
};

// steady_clock, for the real program.
class SteadyClock final : public Clock {
 public:
  Millis now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

// A clock that only moves when told to, for tests.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(Millis start = 1'000'000) : now_(start) {}
  Millis now() const override { return now_; }
  void advance(Millis ms) { now_ += ms; }
  void set(Millis t) { now_ = t; }

 private:
  Millis now_;
};

}  // namespace kalvex
