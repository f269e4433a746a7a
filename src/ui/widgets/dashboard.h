// The "Параметры" page: the twelve gauges at their fixed places, and the
// make/ECU-type visibility rules applied to them.
#pragma once

#include <QWidget>

#include "catalogue/components.h"

namespace kalvex {

class Dashboard : public QWidget {
  Q_OBJECT
 public:
  explicit Dashboard(QWidget* parent = nullptr);

  // Sets a gauge's Value (hidden gauges take values too).
  void setValue(Component c, float value);
  float value(Component c) const;

  // Make default (ComboBoxTMChange) and ECU-type set-up (ComboBox4Change).
  void applyMakeDefault(int make);
  void applyEcuType(int make, int ecu);

  bool isComponentVisible(Component c) const;
  QWidget* componentWidget(Component c) const;

 private:
  float values_[kComponentCount] = {};
};

}  // namespace kalvex
