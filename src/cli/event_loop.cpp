#include "cli/event_loop.h"

#include <chrono>
#include <limits>

namespace kalvex::cli {

void EventLoop::post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  wake_.notify_one();
}

void EventLoop::quit() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
}

void EventLoop::run(const std::function<std::optional<Millis>()>& deadline,
                    const std::function<void()>& onDue, std::optional<Millis> until) {
  constexpr Millis kNone = std::numeric_limits<Millis>::min();
  auto dueNow = [&] { return deadline ? deadline().value_or(kNone) : kNone; };
  // A deadline that stayed put after being served is not yet "more than" its
  // pause: it is looked at again a millisecond later instead of spinning.
  Millis stuck = kNone;
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      for (;;) {
        if (quit_) return;
        if (!queue_.empty()) {
          job = std::move(queue_.front());
          queue_.pop_front();
          break;
        }
        const Millis now = clock_.now();
        if (until && now >= *until) return;
        const Millis due = dueNow();
        if (due != kNone && due <= now && due != stuck) break;
        Millis wakeAt = due == kNone ? now + 60'000 : (due <= now ? now + 1 : due);
        if (until && *until < wakeAt) wakeAt = *until;
        stuck = kNone;
        // Wake at the deadline's own millisecond, not "its distance from a
        // truncated now": a relative wait lands up to a millisecond late on
        // every pause, which costs a fast poll about 5 % of its pace.
        wake_.wait_until(lock,
                         std::chrono::steady_clock::time_point(std::chrono::milliseconds(wakeAt)));
      }
    }
    if (job) {
      job();
      stuck = kNone;
      continue;
    }
    const Millis before = dueNow();
    if (onDue) onDue();
    stuck = dueNow() == before ? before : kNone;
  }
}

}  // namespace kalvex::cli
