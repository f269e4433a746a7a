#include "ui/widgets/dashboard.h"

#include "ui/widgets/gauges.h"

namespace kalvex {

Dashboard::Dashboard(QWidget* parent)
    : QWidget(parent), stale_(this, [this](Millis now, const RefreshPace& pace) {
        for (GaugeWidget* g : gauges_) g->applyStaleRule(now, pace);
      }) {
  for (const ComponentSetup& setup : DashboardSetup()) {
    GaugeWidget* g = MakeGauge(setup.kind, setup.settings, this);
    g->setObjectName(
        QString::fromUtf8(ComponentName(setup.component).data(),
                          static_cast<qsizetype>(ComponentName(setup.component).size())));
    g->setGeometry(setup.left, setup.top, setup.width, setup.height);
    g->setValue(setup.startValue);
    g->hide();
    gauges_[static_cast<size_t>(setup.component)] = g;
  }
}

void Dashboard::setValue(Component c, float value) {
  const auto i = static_cast<size_t>(c);
  if (i >= gauges_.size()) return;
  gauges_[i]->setValue(value);
  gauges_[i]->refreshed(stale_.now());
}

void Dashboard::clearValues() {
  for (GaugeWidget* g : gauges_) g->clearValue();
  stale_.cleared();
}

void Dashboard::clearValue(Component c) {
  const auto i = static_cast<size_t>(c);
  if (i < gauges_.size()) gauges_[i]->clearValue();
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
