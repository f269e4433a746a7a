#include "cli/event_loop.h"

#include <chrono>
#include <limits>

#ifdef __linux__
#include <linux/futex.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>
#endif

namespace kalvex::cli {

void EventLoop::post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(fn));
    posts_.fetch_add(1);
  }
  wake();
}

void EventLoop::quit() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    posts_.fetch_add(1);
  }
  wake();
}

#ifdef __linux__
// A condition variable costs two more system calls a wake-up: its mutex
// comes back to the woken thread marked as wanted, and unlocking it wakes
// nobody through the kernel. A futex on the post count has no mutex.
void EventLoop::wake() {
  if (sleeping_.load()) ::syscall(SYS_futex, &posts_, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

void EventLoop::sleepUntil(Micros at, uint32_t seen) {
  // Announced before the count is looked at again, so a post in between
  // either sees the sleeper and wakes it or changes the count it waits on.
  sleeping_.store(true);
  if (posts_.load() == seen) {
    // An absolute time on CLOCK_MONOTONIC, which is steady_clock's.
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(at / 1'000'000);
    ts.tv_nsec = static_cast<long>(at % 1'000'000) * 1000;
    ::syscall(SYS_futex, &posts_, FUTEX_WAIT_BITSET_PRIVATE, seen, &ts, nullptr,
              FUTEX_BITSET_MATCH_ANY);
  }
  sleeping_.store(false);
}
#else
void EventLoop::wake() { wake_.notify_one(); }

void EventLoop::sleepUntil(Micros at, uint32_t seen) {
  std::unique_lock lock(mutex_);
  wake_.wait_until(lock, std::chrono::steady_clock::time_point(std::chrono::microseconds(at)),
                   [&] { return posts_.load() != seen; });
}
#endif

void EventLoop::run(const std::function<std::optional<Micros>()>& deadline,
                    const std::function<void()>& onDue, std::optional<Millis> until) {
#ifdef __linux__
  // The kernel may let a timed sleep overrun by its "slack" (50 us by
  // default) to batch wake-ups; a 20 ms pause is not the place for that.
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
  constexpr Micros kNone = std::numeric_limits<Micros>::min();
  const Micros untilUs = until ? *until * 1000 : std::numeric_limits<Micros>::max();
  auto dueNow = [&] { return deadline ? deadline().value_or(kNone) : kNone; };
  // A deadline that stayed put after being served (one of the caller's own,
  // kept in whole milliseconds) is looked at again a millisecond later
  // instead of spinning.
  Micros stuck = kNone;
  for (;;) {
    std::function<void()> job;
    const uint32_t seen = posts_.load();
    {
      std::lock_guard lock(mutex_);
      if (quit_) return;
      if (!queue_.empty()) {
        job = std::move(queue_.front());
        queue_.pop_front();
      }
    }
    if (!job) {
      const Micros now = clock_.nowMicros();
      if (now >= untilUs) return;
      const Micros due = dueNow();
      if (due == kNone || due > now || due == stuck) {
        Micros wakeAt = due == kNone ? now + 60'000'000 : (due <= now ? now + 1000 : due);
        if (untilUs < wakeAt) wakeAt = untilUs;
        stuck = kNone;
        // An absolute wait on the deadline's own microsecond: a relative
        // wait from a truncated now lands late on every pause.
        sleepUntil(wakeAt, seen);
        continue;
      }
    }
    if (job) {
      job();
      stuck = kNone;
      continue;
    }
    const Micros before = dueNow();
    if (onDue) onDue();
    stuck = dueNow() == before ? before : kNone;
  }
}

}  // namespace kalvex::cli
