// What SessionHost and ObdHost share around their core: the precise
// single-shot timer armed to the core's earliest deadline, and the port as
// the window opens it.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

#include "link/va_comm.h"
#include "protocol/clock.h"

namespace kalvex {

// How long a timer waits for `deadline`, seen at `now` (both on one clock, in
// microseconds): rounded up, as a timer that fired a fraction early would
// only be armed again; a deadline already passed is due at once; a day at
// the most (QTimer takes an int of milliseconds).
int TimerWaitMs(Micros deadline, Micros now);

class DeadlineTimer {
 public:
  // `onDue` runs on `context`'s thread when the armed deadline passes.
  DeadlineTimer(QObject* context, const Clock& clock, std::function<void()> onDue);

  // Fires once `deadline` passes on the clock; none stops the timer.
  void arm(std::optional<Micros> deadline);
  void stop() { timer_.stop(); }

 private:
  const Clock& clock_;
  QTimer timer_;
};

// A session core's beat in the window, the same for both hosts: after every
// event the timer is armed to the core's earliest deadline and a change of
// its running state is told once; when the timer fires the core runs its
// deadlines and the beat goes on. Stopped for good when the host shuts down.
class SessionPulse {
 public:
  struct Core {
    std::function<bool()> running;
    std::function<std::optional<Micros>()> nextDeadline;
    std::function<void()> onTimer;
    std::function<void(bool running)> runningChanged;
  };
  SessionPulse(QObject* context, const Clock& clock, Core core);

  // After an event; nothing once stopped.
  void rearm();
  // False when it already was stopped.
  bool stop();
  bool stopped() const { return stopped_; }

 private:
  void due();

  Core core_;
  DeadlineTimer timer_;
  bool stopped_ = false;
  bool running_ = false;
};

// The dispatcher a port posts from its threads with: the closure runs on
// `owner`'s thread, and Qt drops it once `owner` is gone.
TVaDispatcher QueuedOn(QObject* owner);

// The port as the window loads it: 5 s read time-out, no waiting for room
// in the write queue (requests are a few bytes; a full queue means the
// adapter is stuck, which the error tells at once).
TVaBuffers WindowPortBuffers();

}  // namespace kalvex
