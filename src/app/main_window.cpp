#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include "adapter/adapter_registry.h"
#include "app/about_page.h"
#include "app/browser.h"
#include "app/chart_page.h"
#include "app/fault_read_note.h"
#include "app/faults_page.h"
#include "app/obd_mode.h"
#include "app/obd_panel.h"
#include "app/session_host.h"
#include "app/window_parts.h"
#include "app/window_text.h"
#include "catalogue/catalogue.h"
#include "faults/faults.h"
#include "session/session_controller.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {

namespace {

constexpr int kClientWidth = 861;
constexpr int kClientHeight = 555;
constexpr const char* kHomePage = KALVEX_HOMEPAGE;
// The right-hand column of selectors.
constexpr int kColumnX = 696;
constexpr int kColumnWidth = 161;
// The fault-read note, in that column under the log switch.
constexpr int kNoteTop = 296;
constexpr int kNoteHeight = 116;

}  // namespace

MainWindow::MainWindow(const WindowOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      options_(options) {
  setWindowTitle(tr("Диагностический сканер для контроллеров ЭСУД (Kalvex)"));
  setFixedSize(kClientWidth, kClientHeight);
  setFont(UiFont(11));
  pages = new QTabWidget(this);
  pages->setObjectName("PageControl1");
  pages->setGeometry(0, 0, 689, 417);
  buildDashboardPage();
  buildFaultReadNote();
  buildFaultsPage();
  aboutText = new AboutPage(options_.language);
  pages->addTab(aboutText, tr("О программе"));
  vehicleListText = BuildVehicleListPage();
  pages->addTab(vehicleListText, tr("Список автомобилей"));
  // "Графики": the session's values over time.
  chart_ = new ChartPage(*values_);
  chart_->setObjectName("TabSheet5");
  chart_->onError = [this](const std::string& message) { showError(message); };
  pages->addTab(chart_, tr("Графики"));
  buildSelectors();
  statusLabel = BuildStatusStrip(this, QRect(0, 417, kClientWidth, 25));
  banner = BuildBanner(this, QRect(0, kClientHeight - 113, kClientWidth, 113));
  banner->installEventFilter(this);
  connectSession();
  obd_ = std::make_unique<ObdPanel>(*this, pages, dashboard_, faultsPage,
                                    options_.language == "en" ? obd::Lang::En : obd::Lang::Ru);
  obd_->setRequestPause(options_.requestPause);
  obd_->showStatus = [this](const std::string& text) { statusLabel->setText(Shown(text)); };
  obd_->onChartColumns = [this] {
    if (!obd_->active()) return;
    chart_->sourceChanged();
    chart_->sessionStarted();
  };
  obd_->onAddToChart = [this](int key) { chart_->addLane(key); };
  restoreSettings();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  }
}

MainWindow::~MainWindow() {
  // The session must let go of the port and its timers before any widget
  // it talks to is destroyed.
  if (obd_) obd_->shutdown();
  if (host_) host_->shutdown();
  host_.reset();
  // A save under way still reads the session's values, which go before the
  // chart page does.
  if (chart_) chart_->finishSave();
}

void MainWindow::connectSession() {
  host_ = std::make_unique<SessionHost>(*this);
  dashboard_->setClock(&host_->clock());
  host_->onRunningChanged = [this](bool running) {
    if (running) {
      dashboard_->sessionStarted();
    } else {
      dashboard_->sessionStopped();
      // The stop puts the coolant temperature back to 0 in the session's
      // state; that is no reading, so the gauge shows none rather than a
      // false 0.0 °C among the others' last values.
      dashboard_->clearValue(Component::VS_TOG);
      faultReadNote->hide();
    }
  };
  // The host owns the controller's reply observer: the stale-gauge pace and
  // the chart's rows both hang off it.
  host_->onReplyHandled = [this](int next) {
    dashboard_->replyHandled(next);
    replyHandled();
  };
  SessionController& controller = host_->controller();
  controller.setRequestPause(options_.requestPause);
  controller.setRecorder(&recorder_);
  controller.onStarting = [this](int, int, int) {
    recorder_.begin(host_->clock().now());
    chart_->sessionStarted();
  };
}

void MainWindow::buildDashboardPage() {
  // "Параметры": the dashboard with the hint over it.
  dashboard_ = new Dashboard();
  dashboard_->setObjectName("TabSheet1");
  pages->addTab(dashboard_, tr("Параметры"));
  chooseMakeHint = new QLabel(tr("Выберите марку автомобиля и тип контроллера"), dashboard_);
  chooseMakeHint->setObjectName("Label8");
  chooseMakeHint->setGeometry(32, 160, 641, 33);
  chooseMakeHint->setAlignment(Qt::AlignCenter);
  chooseMakeHint->setFont(UiFont(24));
}

void MainWindow::buildFaultReadNote() {
  // Under the selectors, beside the pages: it covers no gauge of any make,
  // and it is seen on the fault tab too, where the read was asked for.
  faultReadNote = new FaultReadNote(this, QRect(kColumnX, kNoteTop, kColumnWidth, kNoteHeight),
                                    [this] { onResumeLiveDataClicked(); });
}

void MainWindow::buildFaultsPage() {
  faultsPage = new FaultsPage();
  faultsPage->onRead = [this] { onReadFaultsClicked(); };
  faultsPage->onClear = [this] { onClearFaultsConfirmed(); };
  pages->addTab(faultsPage, tr("Ошибки"));
}

void MainWindow::buildSelectors() {
  const int x = kColumnX, w = kColumnWidth;
  auto label = [&](const char* name, const QString& text, int y) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->setGeometry(x, y, w, 16);
  };
  auto combo = [&](const char* name, int y) {
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->setGeometry(x, y, w, 22);
    return c;
  };
  label("Label7", tr("Номер COM-порта:"), 8);
  ports_ = new PortPicker(options_, this, QRect(x, 26, w, 22));
  label("Label9", tr("Выбор адаптера"), 60);
  adapterList = combo("ComboBoxTA", 78);
  for (const AdapterEntry& a : Adapters()) adapterList->addItem(Shown(a.caption));
  label("Label5", tr("Выбор марки автомобиля"), 112);
  makeList = combo("ComboBoxTM", 130);
  for (const Make& m : Makes()) makeList->addItem(Shown(m.text));
  makeList->addItem(tr("OBD-II (любой автомобиль)"));  // kObdMakeIndex, after the makes
  makeList->setCurrentIndex(-1);
  makeList->setMaxVisibleItems(kMakeCount + 1);
  label("Label6", tr("Выбор типа контроллера"), 164);
  ecuTypeList = combo("ComboBox4", 182);
  ecuTypeList->setEnabled(false);
  ecuTypeList->setMaxVisibleItems(14);
  startButton = new QPushButton(Shown(caption_), this);
  startButton->setObjectName("Button1");
  startButton->setGeometry(x, 224, w, 33);
  logCheckBox = new QCheckBox(tr("Запись LOG-файла"), this);
  logCheckBox->setObjectName("CheckBox1");
  logCheckBox->setGeometry(x, 268, w, 20);

  // Only a user's pick raises the change events, as on the original lists.
  connect(makeList, QOverload<int>::of(&QComboBox::activated), this,
          [this](int) { onMakeChosen(); });
  connect(ecuTypeList, QOverload<int>::of(&QComboBox::activated), this,
          [this](int) { onEcuTypeChosen(); });
  connect(adapterList, QOverload<int>::of(&QComboBox::activated), this,
          [this](int adapter) { obd_->adapterChosen(adapter); });
  connect(startButton, &QPushButton::clicked, this, [this] { onStartClicked(); });
  connect(logCheckBox, &QCheckBox::clicked, this, [this] { onLogToggled(); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == banner && event->type() == QEvent::MouseButtonRelease) {
    onBannerClicked();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::restoreSettings() {
  ports_->refresh();
  settings_ = std::make_unique<SettingsStore>();
  const Settings s = settings_->read();
  ports_->restore(s);
  const int adapter = s.adapter == -1 ? 0 : s.adapter;
  adapterList->setCurrentIndex(adapter >= 0 && adapter < adapterList->count() ? adapter : -1);
  logCheckBox->setChecked(s.logFile == 1);
  host_->setLogEnabled(s.logFile == 1);
  obd_->setLogEnabled(s.logFile == 1);
  // Make and ECU type after the port and adapter, as the user would pick
  // them; an ECU type the make does not have keeps the make's item 0.
  if (s.make >= 0 && s.make < makeList->count()) {
    selectMake(s.make);
    if (s.ecu >= 0 && s.ecu < ecuTypeList->count()) selectEcuType(s.ecu);
  }
  faultsPage->showMake(makeList->currentIndex());
  chart_->setSaveFolder(Q(s.saveFolder));
  aboutText->setStoredLanguage(s.language);
  aboutText->showText(settings_.get());
  // VS_TOG is built with -20 and set to 0 as soon as the window exists;
  // nothing was measured yet, so the gauge shows no value.
  setGaugeValue(Component::VS_TOG, 0.0f);
  dashboard_->clearValue(Component::VS_TOG);
}

void MainWindow::shutDown() {
  if (closed_) return;
  closed_ = true;
  if (obd_) obd_->shutdown();
  if (host_) host_->shutdown();
  if (options_.writeSettingsOnClose && settings_) {
    Settings s;
    ports_->store(s, settings_->read());
    s.adapter = adapterList->currentIndex();
    s.logFile = logCheckBox->isChecked() ? 1 : 0;
    s.make = makeList->currentIndex();
    s.ecu = ecuTypeList->currentIndex();
    s.language = aboutText->language();
    s.saveFolder = chart_->saveFolder().toStdString();
    settings_->write(s);
  }
  settings_.reset();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  shutDown();
  event->accept();
}

void MainWindow::onMakeChosen() {
  const int make = makeList->currentIndex();
  ecuTypeList->clear();
  if (IsObdMake(make)) {
    // The generic mode: its protocols in the ECU-type list, its own pages.
    for (const QString& p : ObdProtocolItems()) ecuTypeList->addItem(p);
    ecuTypeList->setEnabled(true);
    ecuTypeList->setCurrentIndex(0);
    chooseMakeHint->hide();
    obd_->setActive(true);
    obd_->adapterChosen(adapterIndex());
    // The chart follows the generic session's polled PIDs instead.
    chart_->showSource(&obd_->chartSource());
    chart_->setMakeText(QStringLiteral("OBD-II"));
    return;
  }
  obd_->setActive(false);
  setStatusText(kStatusNoLink);
  for (const std::string& t : EcuTypesOf(make)) ecuTypeList->addItem(Shown(t));
  ecuTypeList->setEnabled(true);
  ecuTypeList->setCurrentIndex(ecuTypeList->count() > 0 ? 0 : -1);  // raises no change event
  chooseMakeHint->hide();
  dashboard_->clearValues();
  dashboard_->applyMakeDefault(make);
  // Item 0 is preselected, so show the gauges its decoder fills (only
  // GREATWALL and Chery differ from their make default).
  if (ecuTypeList->count() > 0) dashboard_->applyEcuType(make, 0);
  faultsPage->showMake(makeList->currentIndex());
  chart_->setMakeText(makeList->currentText());
  chart_->setAvailable(
      DashboardVisibility(make, ecuTypeList->count() > 0 ? 0 : std::optional<int>()));
}

void MainWindow::onEcuTypeChosen() {
  if (obd_->active()) return;  // a protocol: nothing on the dashboard changes
  dashboard_->clearValues();
  dashboard_->applyEcuType(makeList->currentIndex(), ecuTypeList->currentIndex());
  chart_->setAvailable(DashboardVisibility(makeList->currentIndex(), ecuTypeList->currentIndex()));
}

void MainWindow::onStartClicked() {
  if (obd_->active()) {
    obd_->startOrStop(portText(), adapterIndex(), ecuTypeIndex());
    return;
  }
  if (host_->controller().running()) {
    host_->stop();
    return;
  }
  // A Wi-Fi adapter's connect goes on behind the window: the button already
  // stops it, the status line says where it connects.
  host_->start();
}

void MainWindow::onClearFaultsConfirmed() {
  if (host_) host_->clearFaults();
}

void MainWindow::onReadFaultsClicked() { host_->readFaults(); }

// Only the next request changes, no deadline: the host's timer stays as armed.
void MainWindow::onResumeLiveDataClicked() { host_->controller().resumeLiveData(); }

void MainWindow::onLogToggled() {
  host_->setLogEnabled(logCheckBox->isChecked());
  obd_->setLogEnabled(logCheckBox->isChecked());
}

void MainWindow::onBannerClicked() { OpenInBrowser(kHomePage); }

void MainWindow::selectMake(int make) {
  makeList->setCurrentIndex(make);
  onMakeChosen();
}

void MainWindow::selectEcuType(int ecu) {
  ecuTypeList->setCurrentIndex(ecu);
  onEcuTypeChosen();
}

void MainWindow::showPage(int index) { pages->setCurrentIndex(index); }

int MainWindow::makeIndex() const { return makeList->currentIndex(); }
int MainWindow::ecuTypeIndex() const { return ecuTypeList->currentIndex(); }
int MainWindow::adapterIndex() const { return adapterList->currentIndex(); }
int MainWindow::activePage() const { return pages->currentIndex(); }
std::string MainWindow::portText() const { return ports_->portText(); }

void MainWindow::setSelectorsEnabled(bool enabled) {
  ports_->list()->setEnabled(enabled);
  adapterList->setEnabled(enabled);
  makeList->setEnabled(enabled);
  // ecuTypeList stays disabled until the first make is chosen.
  ecuTypeList->setEnabled(enabled && ecuTypeList->count() > 0);
}

void MainWindow::setPortSelectorEnabled(bool enabled) { ports_->list()->setEnabled(enabled); }

// The caption as set, in Russian: tests and the fake windows compare with it,
// whatever language the window shows.
std::string MainWindow::buttonCaption() const { return caption_; }
void MainWindow::showRunning(bool running) {
  caption_ = running ? kCaptionStop : kCaptionStart;
  startButton->setText(Shown(caption_));
}
void MainWindow::setStatusText(const std::string& text) {
  if (obd_ && obd_->active()) return;  // the generic session's own line stays
  statusLabel->setText(Shown(text));
}

void MainWindow::setFaultLines(const std::vector<std::string>& lines) {
  faultsPage->setLines(lines);
}

void MainWindow::showError(const std::string& said) {
  // No port to choose at all: say what to do about it, not what is missing.
  // The list is looked at afresh: an adapter plugged in since it was built
  // makes the message "choose the port", not "plug it in".
  if (said == kNoPortMessage) ports_->refresh();
  const std::string message =
      said == kNoPortMessage && !ports_->hasPorts() ? std::string(kNoAdapterFound) : said;
  errors_.push_back(message);
  if (modalErrors_ && !QGuiApplication::platformName().contains("offscreen")) {
    // Window-modal but not blocking: the session keeps running behind it and
    // no handler is re-entered from a nested event loop.
    OpenErrorBox(this, Shown(message));
  }
}

void MainWindow::setGaugeValue(Component c, float value) { dashboard_->setValue(c, value); }

bool MainWindow::faultReadNoteShown() const { return !faultReadNote->isHidden(); }

void MainWindow::replyHandled() {
  // The recorder made a row only for values the ECU just sent: the replies
  // of a fault read set none.
  if (recorder_.lastReplyMadeRow()) {
    faultReadNote->hide();
  } else if (IsFaultExchange(host_->controller().sessionState().response)) {
    faultReadNote->show();
  }
}

}  // namespace kalvex
