#include "ui/widgets/stale_watch.h"

#include <utility>

namespace kalvex {

StaleWatch::StaleWatch(QObject* context, Apply apply) : apply_(std::move(apply)) {
  // Well inside the shortest stale time, so a gauge dims soon after it
  // should; painting happens only when a gauge's look changes.
  timer_.setInterval(250);
  QObject::connect(&timer_, &QTimer::timeout, context, [this] { check(); });
}

void StaleWatch::sessionStarted() {
  pace_.start(now());
  check();
  timer_.start();
}

void StaleWatch::sessionStopped() {
  pace_.stop();
  timer_.stop();
  check();
}

void StaleWatch::cleared() {
  pace_.reset();
  check();
}

}  // namespace kalvex
