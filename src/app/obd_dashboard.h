// The "Параметры" page in generic mode: the gauges of the standard PIDs the
// car supports, closed up in their rows, the vehicle's identity in a line
// over them and the note while codes are being read. Lies over the makers'
// dashboard while the generic mode is chosen.
#pragma once

#include <QWidget>
#include <cstdint>
#include <map>
#include <set>

#include "obd/obd_text.h"
#include "protocol/clock.h"
#include "ui/gauge_model.h"
#include "ui/widgets/stale_watch.h"

class QLabel;

namespace kalvex {

class GaugeWidget;

class ObdDashboard : public QWidget {
  Q_OBJECT
 public:
  explicit ObdDashboard(obd::Lang lang, QWidget* parent = nullptr);

  // Shows the gauges of the supported PIDs (all of the standard set before
  // the car told: none).
  void showSupported(const std::set<uint8_t>& pids);
  void setValue(uint8_t pid, double value);
  void clearValues();
  void setIdentity(const QString& line);
  void showFaultReadNote(bool on);
  bool faultReadNoteShown() const;

  void setClock(const Clock* clock) { stale_.setClock(clock); }
  void sessionStarted() { stale_.sessionStarted(); }
  void sessionStopped();
  // The stale rule's pace: one poll answer, named by the first PID it
  // carried (a request of the round is known by it); a round of the poll is
  // the rotation the rule learns, as the same first PID comes back once per
  // round.
  void valuesArrived(int firstPid) { stale_.reply(firstPid); }
  void checkStale() { stale_.check(); }

  // The shown gauges, by PID (tests and screenshots).
  std::set<uint8_t> shownPids() const;
  GaugeWidget* gauge(uint8_t pid) const;
  GaugeWidget* readout(uint8_t pid) const;
  QLabel* identityLine() const { return identity_; }

 private:
  struct Pair {
    GaugeWidget* gauge = nullptr;
    GaugeWidget* readout = nullptr;
  };
  std::map<uint8_t, Pair> gauges_;
  QLabel* identity_ = nullptr;
  QLabel* note_ = nullptr;
  StaleWatch stale_;
};

}  // namespace kalvex
