#include "ui/widgets/dashboard.h"

namespace kalvex {

// Placeholder until the gauge widgets land: keeps the values only.
Dashboard::Dashboard(QWidget* parent) : QWidget(parent) {}
void Dashboard::setValue(Component c, float value) { values_[static_cast<int>(c)] = value; }
float Dashboard::value(Component c) const { return values_[static_cast<int>(c)]; }
void Dashboard::applyMakeDefault(int) {}
void Dashboard::applyEcuType(int, int) {}
bool Dashboard::isComponentVisible(Component) const { return false; }
QWidget* Dashboard::componentWidget(Component) const { return nullptr; }

}  // namespace kalvex
