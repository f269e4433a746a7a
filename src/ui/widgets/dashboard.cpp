#include "ui/widgets/dashboard.h"

#include "ui/widgets/gauges.h"

namespace kalvex {

namespace {

GaugeWidget* MakeGauge(const ComponentSetup& setup, QWidget* parent) {
  switch (setup.kind) {
    case GaugeKind::Meter180:
      return new Dial180Gauge(setup.settings, parent);
    case GaugeKind::Meter120:
      return new Dial120Gauge(setup.settings, parent);
    case GaugeKind::VMeter:
      return new VerticalGauge(setup.settings, parent);
    case GaugeKind::Thermometer:
      return new ThermometerGauge(setup.settings, parent);
    case GaugeKind::ValueInd:
      break;
  }
  return new ValueDisplay(setup.settings, parent);
}

}  // namespace

Dashboard::Dashboard(QWidget* parent) : QWidget(parent) {
  for (const ComponentSetup& setup : DashboardSetup()) {
    GaugeWidget* g = MakeGauge(setup, this);
    g->setObjectName(
        QString::fromUtf8(ComponentName(setup.component).data(),
                          static_cast<qsizetype>(ComponentName(setup.component).size())));
    g->setGeometry(setup.left, setup.top, setup.width, setup.height);
    g->setValue(setup.startValue);
    g->hide();
    gauges_[static_cast<size_t>(setup.component)] = g;
  }
  // Well inside the shortest stale time, so a gauge dims soon after it
  // should; painting happens only when a gauge's look changes.
  staleTimer_.setInterval(250);
  connect(&staleTimer_, &QTimer::timeout, this, [this] { checkStale(); });
}

void Dashboard::setValue(Component c, float value) {
  const auto i = static_cast<size_t>(c);
  if (i >= gauges_.size()) return;
  gauges_[i]->setValue(value);
  gauges_[i]->refreshed(clock_->now());
}

void Dashboard::clearValues() {
  pace_.reset();
  for (GaugeWidget* g : gauges_) g->clearValue();
  checkStale();
}

void Dashboard::clearValue(Component c) {
  const auto i = static_cast<size_t>(c);
  if (i < gauges_.size()) gauges_[i]->clearValue();
}

void Dashboard::sessionStarted() {
  pace_.start(clock_->now());
  checkStale();
  staleTimer_.start();
}

void Dashboard::sessionStopped() {
  pace_.stop();
  staleTimer_.stop();
  checkStale();
}

void Dashboard::replyHandled(int nextRequest) { pace_.reply(nextRequest, clock_->now()); }

void Dashboard::checkStale() {
  const Millis now = clock_->now();
  for (GaugeWidget* g : gauges_) g->applyStaleRule(now, pace_);
}

void Dashboard::pinStale(Component c) {
  const auto i = static_cast<size_t>(c);
  if (i < gauges_.size()) gauges_[i]->setPinnedStale(true);
}

float Dashboard::value(Component c) const {
  const auto i = static_cast<size_t>(c);
  return i < gauges_.size() ? gauges_[i]->value() : 0.0f;
}

void Dashboard::applyMakeDefault(int make) { applyVisibility(MakeDefaultVisibility(make)); }

void Dashboard::applyEcuType(int make, int ecu) {
  applyVisibility(ApplyEcuTypeVisibility(visible_, make, ecu));
}

void Dashboard::applyVisibility(const Visibility& v) {
  visible_ = v;
  for (size_t i = 0; i < gauges_.size(); ++i) gauges_[i]->setVisible(v[i]);
}

bool Dashboard::isComponentVisible(Component c) const {
  const auto i = static_cast<size_t>(c);
  return i < visible_.size() && visible_[i];
}

QWidget* Dashboard::componentWidget(Component c) const {
  const auto i = static_cast<size_t>(c);
  return i < gauges_.size() ? gauges_[i] : nullptr;
}

}  // namespace kalvex
