// The "Параметры" page: the twelve gauges at their fixed places, and the
// make/ECU-type visibility rules applied to them.
#pragma once

#include <QWidget>
#include <array>

#include "catalogue/visibility.h"
#include "protocol/components.h"
#include "ui/dashboard_layout.h"

namespace kalvex {

class GaugeWidget;

class Dashboard : public QWidget {
  Q_OBJECT
 public:
  // Builds all twelve gauges hidden, each at its start value.
  explicit Dashboard(QWidget* parent = nullptr);

  // Sets a gauge's Value (hidden gauges take values too).
  void setValue(Component c, float value);
  float value(Component c) const;

  // Make default (ComboBoxTMChange) and ECU-type set-up (ComboBox4Change).
  void applyMakeDefault(int make);
  void applyEcuType(int make, int ecu);

  bool isComponentVisible(Component c) const;
  QWidget* componentWidget(Component c) const;
  GaugeWidget* gauge(Component c) const { return gauges_[static_cast<size_t>(c)]; }

 private:
  void applyVisibility(const Visibility& v);

  std::array<GaugeWidget*, kComponentCount> gauges_ = {};
  Visibility visible_ = {};
};

}  // namespace kalvex
