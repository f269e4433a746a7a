// The stale rule's upkeep on a page of gauges, as both dashboards keep it:
// the pace the rule learns from the session's replies, the session's clock,
// and a timer that looks at the gauges a few times a second while a session
// runs.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "protocol/clock.h"
#include "ui/gauge_model.h"

namespace kalvex {

class StaleWatch {
 public:
  // Applies the rule at `now` to the page's gauges.
  using Apply = std::function<void(Millis now, const RefreshPace& pace)>;
  // `apply` runs on `context`'s thread.
  StaleWatch(QObject* context, Apply apply);

  // The session's clock; null: a steady clock (as before any session).
  void setClock(const Clock* clock) { clock_ = clock ? clock : &steady_; }
  Millis now() const { return clock_->now(); }
  const RefreshPace& pace() const { return pace_; }
  bool watching() const { return timer_.isActive(); }

  void sessionStarted();
  void sessionStopped();
  // The page's gauges were emptied: nothing of a session is on show.
  void cleared();
  // A reply was handled; `key` names the request it belongs to.
  void reply(int key) { pace_.reply(key, now()); }
  // Applies the rule now (the timer does it on its own).
  void check() { apply_(now(), pace_); }

 private:
  SteadyClock steady_;
  const Clock* clock_ = &steady_;
  RefreshPace pace_;
  Apply apply_;
  QTimer timer_;
};

}  // namespace kalvex
