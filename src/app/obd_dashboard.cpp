#include "app/obd_dashboard.h"

#include <QLabel>

#include "app/obd_mode.h"
#include "app/window_text.h"
#include "ui/widgets/gauges.h"

namespace kalvex {

ObdDashboard::ObdDashboard(obd::Lang lang, QWidget* parent)
    : QWidget(parent), stale_(this, [this](Millis now, const RefreshPace& pace) {
        for (auto& [pid, p] : gauges_) {
          p.gauge->applyStaleRule(now, pace);
          if (p.readout) p.readout->applyStaleRule(now, pace);
        }
      }) {
  setObjectName("ObdDashboard");
  setAutoFillBackground(true);  // the makers' gauges lie under it
  identity_ = new QLabel(this);
  identity_->setObjectName("ObdIdentity");
  identity_->setGeometry(8, 2, 665, 18);
  identity_->setFont(UiFont(11));
  for (const ObdGaugeEntry& gaugeRow : ObdGaugeEntries()) {
    Pair p;
    p.gauge = MakeGauge(gaugeRow.kind, ObdGaugeSettings(gaugeRow, lang), this);
    p.gauge->setObjectName(QString("ObdGauge_%1").arg(gaugeRow.pid, 2, 16, QChar('0')).toUpper());
    p.gauge->hide();
    if (gaugeRow.dial) {
      p.readout = new ValueDisplay(ObdReadoutSettings(gaugeRow, lang), this);
      p.readout->hide();
    }
    gauges_[gaugeRow.pid] = p;
  }
  note_ = new QLabel(tr("Чтение ошибок: параметры не обновляются"), this);
  note_->setObjectName("ObdFaultReadNote");
  note_->setGeometry(172, 2, 340, 20);
  note_->setAlignment(Qt::AlignCenter);
  note_->setFont(UiFont(13, true));
  note_->setStyleSheet("background: #fff3b0; border: 1px solid #b09000;");
  note_->hide();
}

void ObdDashboard::showSupported(const std::set<uint8_t>& pids) {
  for (auto& [pid, p] : gauges_) {
    p.gauge->hide();
    if (p.readout) p.readout->hide();
  }
  for (const ObdGaugePlace& place : ObdDashboardLayout(pids)) {
    Pair& p = gauges_[place.pid];
    p.gauge->setGeometry(place.gauge);
    p.gauge->show();
    if (p.readout) {
      p.readout->setGeometry(place.readout);
      p.readout->show();
    }
  }
}

void ObdDashboard::setValue(uint8_t pid, double value) {
  const auto it = gauges_.find(pid);
  if (it == gauges_.end()) return;
  const Millis now = stale_.now();
  for (GaugeWidget* g : {it->second.gauge, it->second.readout}) {
    if (!g) continue;
    g->setValue(static_cast<float>(value));
    g->refreshed(now);
  }
}

void ObdDashboard::clearValues() {
  for (auto& [pid, p] : gauges_) {
    p.gauge->clearValue();
    if (p.readout) p.readout->clearValue();
  }
  stale_.cleared();
}

void ObdDashboard::setIdentity(const QString& line) {
  // A line wider than the page ends in "…" rather than mid-letter; the
  // panel puts the whole line in the tooltip.
  identity_->setText(
      identity_->fontMetrics().elidedText(line, Qt::ElideRight, identity_->contentsRect().width()));
}

void ObdDashboard::showFaultReadNote(bool on) {
  note_->setVisible(on);
  if (on) note_->raise();
}

bool ObdDashboard::faultReadNoteShown() const { return !note_->isHidden(); }

void ObdDashboard::sessionStopped() {
  stale_.sessionStopped();
  note_->hide();
}

std::set<uint8_t> ObdDashboard::shownPids() const {
  std::set<uint8_t> out;
  for (const auto& [pid, p] : gauges_)
    if (!p.gauge->isHidden()) out.insert(pid);
  return out;
}

GaugeWidget* ObdDashboard::gauge(uint8_t pid) const {
  const auto it = gauges_.find(pid);
  return it == gauges_.end() ? nullptr : it->second.gauge;
}

GaugeWidget* ObdDashboard::readout(uint8_t pid) const {
  const auto it = gauges_.find(pid);
  return it == gauges_.end() ? nullptr : it->second.readout;
}

}  // namespace kalvex
