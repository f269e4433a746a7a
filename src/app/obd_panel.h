// The generic OBD-II mode inside the main window: its session host, its
// dashboard over the makers' one, its fault view over the makers' fault
// page and the "Все параметры" tab, shown only while "OBD-II (любой
// автомобиль)" is the chosen make. The window hands it the choices and the
// clicks; it reports back through the window's own view methods.
#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

#include "app/obd_chart_source.h"
#include "obd/obd_text.h"
#include "session/obd_history.h"
#include "session/obd_session.h"

class QTabWidget;
class QWidget;

namespace kalvex {

class ObdDashboard;
class ObdFaultsView;
class ObdHost;
class ObdParamsPage;
class SessionView;

class ObdPanel : public QObject {
  Q_OBJECT
 public:
  // `dashboardPage` and `faultsPage` get the generic views laid over them;
  // the parameters tab goes to the end of `pages` while the mode is on.
  ObdPanel(SessionView& view, QTabWidget* pages, QWidget* dashboardPage, QWidget* faultsPage,
           obd::Lang lang);
  ~ObdPanel() override;

  // The generic mode chosen (or left): views shown or hidden.
  void setActive(bool on);
  bool active() const { return active_; }
  // The status line's text for the adapter chosen: the Kesta-mini's
  // refusal, or the usual "no link".
  void adapterChosen(int adapter);

  // "Старт"/"Стоп" in generic mode. A refused adapter is said before any
  // start, as an error.
  void startOrStop(const std::string& portText, int adapter, int protocolItem);
  bool running() const;
  void setLogEnabled(bool on);
  void setRequestPause(Millis pause) { pause_ = pause; }  // --pause
  void shutdown();

  ObdHost& host() { return *host_; }
  ObdDashboard* dashboard() const { return dashboard_; }
  ObdParamsPage* paramsPage() const { return params_; }
  ObdFaultsView* faultsView() const { return faults_; }
  // The "Все параметры" tab's index; -1 while the mode is off.
  int paramsTabIndex() const;
  // Options every window session uses (tests read them).
  static ObdOptions SessionOptions(int protocolItem, Millis pause = kDefaultRequestPause);
  // The identity line as shown: VIN, calibration, ECU names, protocol.
  QString identityText() const;

  // The session's CSV (kalvex-cli monitor --obd's layout), and the file name
  // the save dialog suggests ("VIN_2026-12-08_1405.csv").
  std::string csvText() const;
  QString csvName() const;
  // Copies the rows a piece at a time and writes the CSV on a thread of its
  // own (the window never waits for the disk); failures go to the window's
  // error display. False while another save runs.
  bool startCsvSave(const QString& path);
  void finishSave();  // waits for a save still being written (closing)

  // The session's values over time, and as the chart reads them.
  const ObdValueHistory& history() const { return history_; }
  const ObdChartSource& chartSource() const { return chartSource_; }
  // The chart's quantities changed: a session started (none yet), or its
  // polled columns became known.
  std::function<void()> onChartColumns;
  // "На график" on a row of "Все параметры": the lane key of its column.
  std::function<void(int key)> onAddToChart;

  // The status line: the makers' session keeps setting it on its own
  // timer, so the window sets it through here while the generic mode is on.
  std::function<void(const std::string& text)> showStatus;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void status(const std::string& text);
  void phaseChanged(ObdPhase p);
  void valuesArrived(const std::vector<std::pair<uint32_t, uint8_t>>& keys);
  void codesRead();
  // Says a clear's failure once: at the read after it, or when the session
  // `ended` before its answer.
  void reportClear(bool ended);
  void identityRead();
  void saveCsvClicked();
  void copyStep();

  SessionView& view_;
  QTabWidget* pages_;
  obd::Lang lang_;
  std::unique_ptr<ObdHost> host_;
  ObdDashboard* dashboard_ = nullptr;
  ObdFaultsView* faults_ = nullptr;
  ObdParamsPage* params_ = nullptr;
  bool active_ = false;
  Millis pause_ = kDefaultRequestPause;
  size_t freezePids_ = 0;  // freeze frame PIDs shown, to see late ones come in
  bool identityLogged_ = false;
  bool clearToReport_ = false;  // a clear was asked; its outcome not said yet
  ObdValueHistory history_;
  ObdChartSource chartSource_{history_, lang_};
  std::unique_ptr<ChartCsvCopy> copy_;  // a save still taking its rows
  QString copyPath_;
  std::unique_ptr<QThread> writer_;
};

}  // namespace kalvex
