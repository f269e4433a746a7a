// The "Параметры" page: the twelve gauges at their fixed places, and the
// make/ECU-type visibility rules applied to them.
#pragma once

#include <QWidget>
#include <array>

#include "catalogue/visibility.h"
#include "protocol/clock.h"
#include "protocol/components.h"
#include "ui/dashboard_layout.h"
#include "ui/gauge_model.h"
#include "ui/widgets/stale_watch.h"

namespace kalvex {

class GaugeWidget;

class Dashboard : public QWidget {
  Q_OBJECT
 public:
  // Builds all twelve gauges hidden, each at its start value.
  explicit Dashboard(QWidget* parent = nullptr);

  // Sets a gauge's Value (hidden gauges take values too); an equal value
  // still counts as refreshed.
  void setValue(Component c, float value);
  float value(Component c) const;

  // Every gauge shows no value: what they showed belonged to another make
  // or ECU type.
  void clearValues();
  // That one gauge shows no value; value() keeps what was set.
  void clearValue(Component c);

  // Make default (a make chosen) and ECU-type set-up (an ECU type chosen).
  void applyMakeDefault(int make);
  void applyEcuType(int make, int ecu);

  // Stale values. The clock is the session's (a steady clock until set);
  // the dashboard looks at its gauges a few times a second while a session
  // runs. sessionStarted/Stopped and replyHandled feed the pace the rule
  // learns; checkStale applies it now (the timer does it on its own).
  void setClock(const Clock* clock) { stale_.setClock(clock); }
  void sessionStarted() { stale_.sessionStarted(); }
  void sessionStopped() { stale_.sessionStopped(); }
  void replyHandled(int nextRequest) { stale_.reply(nextRequest); }
  void checkStale() { stale_.check(); }
  void pinStale(Component c);  // drawn stale whatever the rule says
  const RefreshPace& pace() const { return stale_.pace(); }

  bool isComponentVisible(Component c) const;
  QWidget* componentWidget(Component c) const;
  GaugeWidget* gauge(Component c) const { return gauges_[static_cast<size_t>(c)]; }

 private:
  void applyVisibility(const Visibility& v);

  std::array<GaugeWidget*, kComponentCount> gauges_ = {};
  Visibility visible_ = {};
  StaleWatch stale_;
};

}  // namespace kalvex
