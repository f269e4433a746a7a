#include "app/deadline_timer.h"

#include <QMetaObject>
#include <algorithm>
#include <utility>

namespace kalvex {

int TimerWaitMs(Micros deadline, Micros now) {
  constexpr Millis kLongest = 24 * 3600 * 1000;
  const Millis wait = std::max<Millis>(0, CeilMillis(deadline - now));
  return static_cast<int>(std::min(wait, kLongest));
}

DeadlineTimer::DeadlineTimer(QObject* context, const Clock& clock, std::function<void()> onDue)
    : clock_(clock) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, context, std::move(onDue));
}

void DeadlineTimer::arm(std::optional<Micros> deadline) {
  if (!deadline) {
    timer_.stop();
    return;
  }
  timer_.start(TimerWaitMs(*deadline, clock_.nowMicros()));
}

SessionPulse::SessionPulse(QObject* context, const Clock& clock, Core core)
    : core_(std::move(core)), timer_(context, clock, [this] { due(); }) {}

void SessionPulse::rearm() {
  if (stopped_) return;
  if (core_.running() != running_) {
    running_ = !running_;
    core_.runningChanged(running_);
  }
  timer_.arm(core_.nextDeadline());
}

bool SessionPulse::stop() {
  if (stopped_) return false;
  stopped_ = true;
  timer_.stop();
  return true;
}

void SessionPulse::due() {
  if (stopped_) return;
  core_.onTimer();
  rearm();
}

TVaDispatcher QueuedOn(QObject* owner) {
  return [owner](std::function<void()> fn) {
    QMetaObject::invokeMethod(owner, std::move(fn), Qt::QueuedConnection);
  };
}

TVaBuffers WindowPortBuffers() {
  TVaBuffers buffers;
  buffers.ReadTimeout = 5000;
  buffers.WriteTimeout = 0;
  return buffers;
}

}  // namespace kalvex
