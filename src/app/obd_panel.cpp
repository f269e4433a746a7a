#include "app/obd_panel.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QSaveFile>
#include <QTabWidget>
#include <QTimer>

#include "app/obd_dashboard.h"
#include "app/obd_faults_view.h"
#include "app/obd_host.h"
#include "app/obd_mode.h"
#include "app/obd_params_page.h"
#include "app/window_text.h"
#include "obd/ecu_name.h"
#include "session/session_view.h"

namespace kalvex {

namespace {

// Codes are read again this often while polling, so the page keeps up
// with a lamp that lights during the drive.
constexpr Millis kCodesEvery = 30'000;
// Rows a CSV save copies per turn of the event loop.
constexpr size_t kCopyStep = 32768;

// A confirmed clear that was not sent, or whose answer never came.
constexpr const char* kClearNoSession =
    QT_TRANSLATE_NOOP("kalvex", "Коды не стёрты: сеанс связи с автомобилем завершён");
constexpr const char* kClearNotYet =
    QT_TRANSLATE_NOOP("kalvex", "Коды не стёрты: дождитесь окончания опроса блоков управления");
constexpr const char* kClearUnconfirmed = QT_TRANSLATE_NOOP(
    "kalvex", "Стирание кодов не подтверждено: сеанс завершился раньше ответа блоков управления");

}  // namespace

ObdPanel::ObdPanel(SessionView& view, QTabWidget* pages, QWidget* dashboardPage,
                   QWidget* faultsPage, obd::Lang lang)
    : view_(view), pages_(pages), lang_(lang), host_(std::make_unique<ObdHost>()) {
  dashboard_ = new ObdDashboard(lang, dashboardPage);
  dashboard_->setGeometry(dashboardPage->rect());
  dashboard_->setClock(&host_->clock());
  dashboard_->hide();
  faults_ = new ObdFaultsView(lang, faultsPage);
  faults_->setGeometry(faultsPage->rect());
  faults_->hide();
  dashboardPage->installEventFilter(this);
  faultsPage->installEventFilter(this);
  // The tab exists only while the mode is on: the makers' pages keep their
  // indices and their number.
  params_ = new ObdParamsPage(lang, pages_);
  params_->hide();

  params_->onSaveCsv = [this] { saveCsvClicked(); };
  params_->canChart = [this](uint32_t ecu, uint8_t pid) {
    return chartSource_.keyOf(ecu, pid).has_value();
  };
  params_->onAddToChart = [this](uint32_t ecu, uint8_t pid) {
    if (const auto key = chartSource_.keyOf(ecu, pid); key && onAddToChart) onAddToChart(*key);
  };
  faults_->onRead = [this] { host_->readCodes(); };
  faults_->onClear = [this] {
    // The question stays open while the session goes on: by the answer it
    // may have ended, or not yet reached the codes.
    if (host_->clearCodes()) {
      clearToReport_ = true;
      return;
    }
    view_.showError(running() ? kClearNotYet : kClearNoSession);
  };
  host_->onRunningChanged = [this](bool running) {
    view_.showRunning(running);
    view_.setSelectorsEnabled(!running);
    faults_->setButtonsEnabled(running);
    if (running) {
      dashboard_->sessionStarted();
    } else {
      dashboard_->sessionStopped();
      const ObdSession& s = host_->session();
      status(s.failure() != ObdFailure::None ? s.failureText() : kStatusNoLink);
      if (s.failure() == ObdFailure::Port || s.failure() == ObdFailure::AdapterLost)
        view_.showError(s.failureText());
      reportClear(true);
    }
  };
  host_->onPhase = [this](ObdPhase p) { phaseChanged(p); };
  host_->onValues = [this](const auto& keys) { valuesArrived(keys); };
  host_->onCodes = [this] { codesRead(); };
  host_->onIdentity = [this] { identityRead(); };
}

ObdPanel::~ObdPanel() {
  shutdown();
  finishSave();
}

void ObdPanel::status(const std::string& text) {
  if (showStatus) showStatus(text);
}

bool ObdPanel::eventFilter(QObject* watched, QEvent* event) {
  // The views cover their pages whatever size the tab widget gives them.
  if (event->type() == QEvent::Resize) {
    if (watched == dashboard_->parentWidget())
      dashboard_->setGeometry(dashboard_->parentWidget()->rect());
    if (watched == faults_->parentWidget()) faults_->setGeometry(faults_->parentWidget()->rect());
  }
  return QObject::eventFilter(watched, event);
}

void ObdPanel::shutdown() { host_->shutdown(); }

void ObdPanel::setActive(bool on) {
  active_ = on;
  dashboard_->setVisible(on);
  if (on) dashboard_->raise();
  faults_->setVisible(on);
  if (on) faults_->raise();
  const int tab = pages_->indexOf(params_);
  if (on && tab < 0) pages_->addTab(params_, tr("Все параметры"));
  if (!on && tab >= 0) pages_->removeTab(tab);
}

void ObdPanel::adapterChosen(int adapter) {
  if (!active_ || running()) return;
  status(adapter == 1 ? kObdKestaRefused : kStatusNoLink);
}

int ObdPanel::paramsTabIndex() const { return pages_->indexOf(params_); }

bool ObdPanel::running() const { return host_->running(); }

void ObdPanel::setLogEnabled(bool on) { host_->setLogEnabled(on); }

ObdOptions ObdPanel::SessionOptions(int protocolItem, Millis pause) {
  ObdOptions o;
  o.pause = pause;
  o.protocol = ObdProtocolChoice(protocolItem);
  o.poll = true;
  o.readCodes = true;
  o.readInfo = true;
  o.wordPids = true;  // the table tells the bit-field PIDs in words too
  o.codesEvery = kCodesEvery;
  o.openInBackground = true;  // the window never waits for a Wi-Fi adapter's connect
  return o;
}

void ObdPanel::startOrStop(const std::string& portText, int adapter, int protocolItem) {
  if (running()) {
    host_->stop();
    return;
  }
  if (adapter == 1) {
    status(kObdKestaRefused);
    view_.showError(kObdKestaRefused);
    return;
  }
  dashboard_->clearValues();
  dashboard_->showSupported({});
  dashboard_->setIdentity({});
  params_->clear();
  faults_->clear();
  history_.clear();
  if (onChartColumns) onChartColumns();
  freezePids_ = 0;
  identityLogged_ = false;
  clearToReport_ = false;
  host_->start(portText, SessionOptions(protocolItem, pause_));
  const ObdSession& s = host_->session();
  if (s.failure() != ObdFailure::None) {  // the port did not open: never ran
    status(s.failureText());
    view_.showError(s.failureText());
  } else if (s.connecting()) {  // a Wi-Fi adapter: the button already stops it
    status(FormatText(TranslateText(kStatusConnecting), {ConnectingAddress(portText)}));
  }
}

void ObdPanel::phaseChanged(ObdPhase p) {
  static constexpr const char* kSettingUp = QT_TRANSLATE_NOOP("kalvex", "Настройка адаптера");
  static constexpr const char* kSearching = QT_TRANSLATE_NOOP("kalvex", "Поиск протокола");
  static constexpr const char* kDiscovering =
      QT_TRANSLATE_NOOP("kalvex", "Опрос поддерживаемых параметров");
  static constexpr const char* kReading =
      QT_TRANSLATE_NOOP("kalvex", "Чтение ошибок и данных автомобиля");
  switch (p) {
    case ObdPhase::SettingUp:
      status(kSettingUp);
      break;
    case ObdPhase::Connecting:
      status(kSearching);
      break;
    case ObdPhase::Identifying:
    case ObdPhase::Discovering:
      status(kDiscovering);
      break;
    case ObdPhase::Reading:
      status(kReading);
      dashboard_->showSupported(SupportedPids(host_->session().results()));
      params_->update(host_->session().results());
      dashboard_->showFaultReadNote(true);
      break;
    case ObdPhase::Polling:
      status(kStatusLinked);
      history_.begin(ObdCsvColumns(host_->session().columns()));
      if (onChartColumns) onChartColumns();
      dashboard_->showFaultReadNote(false);
      break;
    case ObdPhase::Idle:
    case ObdPhase::Done:
    case ObdPhase::Failed:
      dashboard_->showFaultReadNote(false);
      break;
  }
}

void ObdPanel::valuesArrived(const std::vector<std::pair<uint32_t, uint8_t>>& keys) {
  const ObdResults& r = host_->session().results();
  if (!keys.empty()) dashboard_->valuesArrived(keys.front().second);
  dashboard_->showFaultReadNote(false);
  // The dashboard shows the first ECU's value where several answer a PID
  // (the engine answers first).
  for (const auto& [ecu, pid] : keys) {
    const auto it = r.values.find({ecu, pid});
    if (it == r.values.end() || !it->second.value) continue;
    bool first = true;
    for (const ObdEcu& e : r.ecus) {
      if (!e.pids.has(pid)) continue;
      first = e.id == ecu;
      break;
    }
    if (first) dashboard_->setValue(pid, *it->second.value);
  }
  params_->update(r);
  history_.append(host_->startedAt(), keys, r);
  // The freeze frame is read after the codes: show it once it is in.
  size_t freeze = 0;
  for (const ObdFreezeFrame& f : r.freezeFrames) freeze += f.pids.size();
  if (freeze != freezePids_) {
    freezePids_ = freeze;
    faults_->update(r);
  }
}

void ObdPanel::codesRead() {
  const ObdResults& r = host_->session().results();
  faults_->update(r);
  size_t freeze = 0;
  for (const ObdFreezeFrame& f : r.freezeFrames) freeze += f.pids.size();
  freezePids_ = freeze;
  reportClear(false);
}

void ObdPanel::reportClear(bool ended) {
  // Once per clear: the codes are read again every half minute, and the
  // outcome of the last clear stays in the results until the next one.
  if (!clearToReport_) return;
  const ObdClear c = host_->session().results().clear;
  if (c == ObdClear::Asked && !ended) return;  // its answer is still to come
  clearToReport_ = false;
  if (c == ObdClear::Refused)
    view_.showError(QT_TRANSLATE_NOOP("kalvex", "Блок управления отказался стереть коды"));
  else if (c == ObdClear::NoAnswer)
    view_.showError(
        QT_TRANSLATE_NOOP("kalvex", "Ни один блок не ответил на запрос стирания кодов"));
  else if (c == ObdClear::Asked)
    view_.showError(kClearUnconfirmed);
}

QString ObdPanel::identityText() const {
  const ObdResults& r = host_->session().results();
  // VIN, then each ECU by its own name (or, without one, by its role and
  // address: "Transmission (7E9)") with its calibration, then the protocol:
  // short enough for one line over the gauges.
  QStringList parts;
  if (const auto vin = ObdVin(r)) parts << "VIN " + Q(*vin);
  for (const ObdEcu& e : r.ecus) {
    QString who = Q(e.name ? *e.name : obd::EcuName(e.id, lang_));
    for (const std::string& c : e.calibrationIds) who += " " + Q(c);
    parts << who;
  }
  if (r.protocol != ObdProtocol::Auto) parts << Q(ObdProtocolOf(r.protocol).name);
  return parts.join("  ·  ");
}

void ObdPanel::identityRead() {
  const QString line = identityText();
  dashboard_->setIdentity(line);
  dashboard_->identityLine()->setToolTip(line);
  // The log says whose car it is right after the identity was read.
  const ObdResults& r = host_->session().results();
  if (!identityLogged_ && ObdVin(r)) {
    identityLogged_ = true;
    host_->logNote("VIN " + *ObdVin(r));
    for (const ObdEcu& e : r.ecus) {
      std::string who = ObdEcuText(e.id);
      if (e.name) who += " " + *e.name;
      for (const std::string& c : e.calibrationIds) who += " " + c;
      host_->logNote(who);
    }
    host_->logNote(ObdProtocolOf(r.protocol).name);
  }
}

std::string ObdPanel::csvText() const { return history_.csvText(); }

QString ObdPanel::csvName() const {
  return ObdCsvName(ObdVin(host_->session().results()), QDateTime::currentDateTime());
}

void ObdPanel::saveCsvClicked() {
  auto* dialog = new QFileDialog(pages_->window(), tr("Сохранить CSV"), QDir::homePath(),
                                 tr("Таблицы CSV (*.csv)"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setDefaultSuffix("csv");
  dialog->selectFile(csvName());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
    if (!startCsvSave(path)) view_.showError(QT_TRANSLATE_NOOP("kalvex", "Сохранение уже идёт"));
  });
  dialog->open();
}

bool ObdPanel::startCsvSave(const QString& path) {
  if (copy_ || (writer_ && writer_->isRunning())) return false;
  finishSave();
  copy_ = chartSource_.startCopy();
  copyPath_ = path;
  copyStep();
  return true;
}

// The rows are copied a piece per turn of the event loop, so the window
// never waits for a long session's copy; the text is made and written on
// the writer's thread.
void ObdPanel::copyStep() {
  if (!copy_) return;  // finished already by finishSave()
  if (copy_->step(kCopyStep)) {
    QTimer::singleShot(0, this, [this] { copyStep(); });
    return;
  }
  std::shared_ptr<const ChartCsvCopy> rows = std::move(copy_);
  const QString path = copyPath_;
  writer_.reset(QThread::create([this, path, rows] {
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    rows->write(
                        [&file](std::string_view text) {
                          return file.write(text.data(), static_cast<qint64>(text.size())) ==
                                 static_cast<qint64>(text.size());
                        },
                        {}) &&
                    file.commit();
    if (!ok) {
      const std::string error = path.toStdString() + ": " + file.errorString().toStdString();
      QMetaObject::invokeMethod(
          this, [this, error] { view_.showError(error); }, Qt::QueuedConnection);
    }
  }));
  writer_->start();
}

void ObdPanel::finishSave() {
  while (copy_) copyStep();
  if (writer_) writer_->wait();
  writer_.reset();
}

}  // namespace kalvex
