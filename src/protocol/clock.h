// Time as the core sees it: a monotonic count handed in from outside, in
// milliseconds and, for the pauses, in microseconds. The core never sleeps
// or reads the wall clock; every pause and timer is kept as a deadline on
// this clock.
#pragma once

#include <chrono>
#include <cstdint>

namespace kalvex {

using Millis = int64_t;
using Micros = int64_t;

class Clock {
 public:
  virtual ~Clock() = default;
  // Whole milliseconds: now() == floor(nowMicros() / 1000).
  virtual Millis now() const = 0;
  // The same clock to the microsecond. "More than 20 ms after the reply"
  // kept in whole milliseconds waits up to a millisecond longer than it
  // says, which is 5 % of a fast poll.
  virtual Micros nowMicros() const { return now() * 1000; }
};

// steady_clock, for the real program.
class SteadyClock final : public Clock {
 public:
  Millis now() const override { return nowMicros() / 1000; }
  Micros nowMicros() const override {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

// A clock that only moves when told to, for tests.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(Millis start = 1'000'000) : now_(start * 1000) {}
  Millis now() const override { return FloorMillis(now_); }
  Micros nowMicros() const override { return now_; }
  void advance(Millis ms) { now_ += ms * 1000; }
  void advanceMicros(Micros us) { now_ += us; }
  void set(Millis t) { now_ = t * 1000; }
  void setMicros(Micros t) { now_ = t; }

 private:
  static Millis FloorMillis(Micros us) { return us >= 0 ? us / 1000 : -((-us + 999) / 1000); }
  Micros now_;
};

// The first whole millisecond at or after `us`: a shell that can only wait
// in milliseconds waits until then.
inline Millis CeilMillis(Micros us) { return us >= 0 ? (us + 999) / 1000 : -(-us / 1000); }

}  // namespace kalvex
