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
