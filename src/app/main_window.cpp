#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "adapter/adapter_registry.h"
#include "app/button_captions.h"
#include "app/chart_page.h"
#include "app/session_host.h"
#include "catalogue/catalogue.h"
#include "faults/faults.h"
#include "link/link_factory.h"
#include "link/port_discovery.h"
#include "protocol/translate.h"
#include "session/log_file.h"
#include "session/session_controller.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {

namespace {

constexpr int kClientWidth = 861;
constexpr int kClientHeight = 555;
constexpr const char* kHomePage = KALVEX_HOMEPAGE;

// The last item of the port list, and the data role that marks it.
constexpr const char* kWifiItem = QT_TRANSLATE_NOOP("kalvex::TForm1", "Wi-Fi адаптер…");
constexpr int kWifiRole = Qt::UserRole + 1;

// The port list, built again just before it opens: adapters plugged in
// after start appear, unplugged ones go.
class PortComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> beforePopup;
  void showPopup() override {
    if (beforePopup) beforePopup();
    QComboBox::showPopup();
  }
};

// Asks for HOST:PORT. The usual address of these adapters is only a hint in
// the empty field: nothing is connected to unless the user types it.
std::optional<std::string> AskWifiAddress(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("WifiDialog");
  dialog.setWindowTitle(TForm1::tr("Wi-Fi адаптер"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* hint = new QLabel(TForm1::tr(
      "Подключите компьютер к сети Wi-Fi адаптера\nи введите его адрес и порт (ХОСТ:ПОРТ):"));
  layout->addWidget(hint);
  auto* edit = new QLineEdit;
  edit->setObjectName("WifiAddress");
  edit->setPlaceholderText("192.168.0.10:35000");
  edit->setMinimumWidth(260);
  layout->addWidget(edit);
  auto* problem = new QLabel;
  problem->setStyleSheet("color: #b00000");
  problem->hide();
  layout->addWidget(problem);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(TForm1::tr("ОК"));
  buttons->button(QDialogButtonBox::Cancel)->setText(TForm1::tr("Отмена"));
  layout->addWidget(buttons);
  std::optional<std::string> result;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const std::string text = edit->text().trimmed().toStdString();
    if (!IsNetworkPortText(text)) {
      problem->setText(TForm1::tr("Неверный адрес: нужно ХОСТ:ПОРТ"));
      problem->show();
      return;
    }
    result = text;
    dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return result;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }
// A text of the core (Russian, its own key) in the chosen language.
QString Shown(const std::string& s) { return QCoreApplication::translate(kTextContext, s.c_str()); }

// "MS Sans Serif" has no Cyrillic on Linux; DejaVu Sans at the same pixel
// sizes keeps the layout.
QFont UiFont(int pixelHeight, bool bold = false) {
  QFont f("DejaVu Sans");
  f.setPixelSize(pixelHeight);
  f.setBold(bold);
  return f;
}

const char* const kAboutLines[] = {
    QT_TRANSLATE_NOOP("kalvex::TForm1", "Диагностический сканер для контроллеров ЭСУД (Kalvex)."),
    QT_TRANSLATE_NOOP("kalvex::TForm1",
                      "Программа для чтения параметров и ошибок контроллеров ЭСУД."),
    QT_TRANSLATE_NOOP("kalvex::TForm1",
                      "Программа работает с адаптером Kesta-mini и адаптерами на "),
    QT_TRANSLATE_NOOP("kalvex::TForm1", "базе ELM327."),
    QT_TRANSLATE_NOOP("kalvex::TForm1", "Версия 1.5"),
    "",
    QT_TRANSLATE_NOOP("kalvex::TForm1", "Разработка: Brenvik"),
    QT_TRANSLATE_NOOP("kalvex::TForm1", "Сайт: kalvex.example.org"),
    QT_TRANSLATE_NOOP("kalvex::TForm1", "Вопросы и предложения: support@kalvex.example.org"),
};

}  // namespace

TForm1::TForm1(const WindowOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      options_(options) {
  setWindowTitle(tr("Диагностический сканер для контроллеров ЭСУД (Kalvex)"));
  setFixedSize(kClientWidth, kClientHeight);
  setFont(UiFont(11));
  buildWidgets();
  host_ = std::make_unique<SessionHost>(*this);
  dashboard_->setClock(&host_->clock());
  host_->onRunningChanged = [this](bool running) {
    if (running) {
      dashboard_->sessionStarted();
    } else {
      dashboard_->sessionStopped();
      Label12->hide();
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
  FormCreate();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  }
}

TForm1::~TForm1() {
  // The session must let go of the port and its timers before any widget
  // it talks to is destroyed.
  if (host_) host_->shutdown();
  host_.reset();
  // A save under way still reads the session's values, which go before the
  // chart page does.
  if (chart_) chart_->finishSave();
}

void TForm1::buildWidgets() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(0, 0, 689, 417);

  // "Параметры": the dashboard with the hint over it.
  dashboard_ = new Dashboard();
  dashboard_->setObjectName("TabSheet1");
  PageControl1->addTab(dashboard_, tr("Параметры"));
  Label8 = new QLabel(tr("Выберите марку автомобиля и тип контроллера"), dashboard_);
  Label8->setObjectName("Label8");
  Label8->setGeometry(32, 160, 641, 33);
  Label8->setAlignment(Qt::AlignCenter);
  Label8->setFont(UiFont(24));
  Label12 = new QLabel(tr("Чтение ошибок: параметры не обновляются"), dashboard_);
  Label12->setObjectName("Label12");
  Label12->setGeometry(172, 4, 340, 24);
  Label12->setAlignment(Qt::AlignCenter);
  Label12->setFont(UiFont(13, true));
  Label12->setStyleSheet("background: #fff3b0; border: 1px solid #b09000;");
  Label12->hide();

  // "Ошибки"
  auto* faults = new QWidget();
  faults->setObjectName("TabSheet2");
  Label1 = new QLabel(tr("Неисправности электронной системы управления двигателем"), faults);
  Label1->setObjectName("Label1");
  Label1->setGeometry(8, 8, 665, 20);
  Label1->setFont(UiFont(13, true));
  Memo1 = new QPlainTextEdit(faults);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setGeometry(8, 32, 665, 308);
  Memo1->setFont(UiFont(13));
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Button2 = new QPushButton(tr("Сброс ошибок"), faults);
  Button2->setObjectName("Button2");
  Button2->setGeometry(8, 348, 161, 33);
  Button2->setEnabled(false);  // no make yet
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  Button3 = new QPushButton(tr("Прочитать ошибки"), faults);
  Button3->setObjectName("Button3");
  Button3->setGeometry(8 + 161 + 10, 348, 161, 33);
  Button3->setEnabled(false);  // no make yet
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  PageControl1->addTab(faults, tr("Ошибки"));

  // "О программе"
  Memo2 = new QPlainTextEdit();
  Memo2->setObjectName("Memo2");
  Memo2->setReadOnly(true);
  Memo2->setFont(UiFont(16, true));
  PageControl1->addTab(Memo2, tr("О программе"));
  buildLanguageChoice();

  // "Список автомобилей"
  Memo3 = new QPlainTextEdit();
  Memo3->setObjectName("Memo3");
  Memo3->setReadOnly(true);
  Memo3->setFont(UiFont(16));
  Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QStringList vehicles;
  for (const std::string& l : VehicleList()) vehicles << Shown(l);
  Memo3->setPlainText(vehicles.join('\n'));
  PageControl1->addTab(Memo3, tr("Список автомобилей"));

  // "Графики": the session's values over time.
  chart_ = new ChartPage(*values_);
  chart_->setObjectName("TabSheet5");
  chart_->onError = [this](const std::string& message) { showError(message); };
  PageControl1->addTab(chart_, tr("Графики"));

  // The right-hand column.
  const int x = 696, w = 161;
  auto label = [&](const char* name, const QString& text, int y) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->setGeometry(x, y, w, 16);
    return l;
  };
  auto combo = [&](const char* name, int y) {
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->setGeometry(x, y, w, 22);
    return c;
  };
  Label7 = label("Label7", tr("Номер COM-порта:"), 8);
  auto* ports = new PortComboBox(this);
  ports->setObjectName("ComboBox1");
  ports->setGeometry(x, 26, w, 22);
  ports->beforePopup = [this] { refreshPortList(); };
  ComboBox1 = ports;
  Label9 = label("Label9", tr("Выбор адаптера"), 60);
  ComboBoxTA = combo("ComboBoxTA", 78);
  for (const AdapterEntry& a : Adapters()) ComboBoxTA->addItem(Shown(a.caption));
  Label5 = label("Label5", tr("Выбор марки автомобиля"), 112);
  ComboBoxTM = combo("ComboBoxTM", 130);
  for (const Make& m : Makes()) ComboBoxTM->addItem(Shown(m.text));
  ComboBoxTM->setCurrentIndex(-1);
  ComboBoxTM->setMaxVisibleItems(17);
  Label6 = label("Label6", tr("Выбор типа контроллера"), 164);
  ComboBox4 = combo("ComboBox4", 182);
  ComboBox4->setEnabled(false);
  ComboBox4->setMaxVisibleItems(14);
  Button1 = new QPushButton(Shown(caption_), this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(x, 224, w, 33);
  CheckBox1 = new QCheckBox(tr("Запись LOG-файла"), this);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setGeometry(x, 268, w, 20);

  // Only a user's pick raises the change events, as on the original lists.
  connect(ComboBoxTM, QOverload<int>::of(&QComboBox::activated), this,
          [this](int) { ComboBoxTMChange(); });
  connect(ComboBox4, QOverload<int>::of(&QComboBox::activated), this,
          [this](int) { ComboBox4Change(); });
  connect(ComboBox1, QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { ComboBox1Activated(index); });
  connect(ComboBox1, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
    if (index >= 0 && !isWifiItem(index)) lastPort_ = ComboBox1->itemData(index).toString();
  });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });

  // Status strip.
  ToolBar1 = new QWidget(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setGeometry(0, 417, kClientWidth, 25);
  ToolBar1->setAutoFillBackground(true);
  Label11 = new QLabel(tr("Связь с контроллером:    "), ToolBar1);
  Label11->setObjectName("Label11");
  Label11->setGeometry(6, 4, 150, 17);
  Label10 = new QLabel(Shown(kStatusNoLink), ToolBar1);
  Label10->setObjectName("Label10");
  Label10->setGeometry(156, 4, 400, 17);
  Label10->setFont(UiFont(11, true));

  Image1 = static_cast<QLabel*>(buildBanner());
}

QWidget* TForm1::buildBanner() {
  // Our own banner: a dark gradient strip with the program's name and a
  // stylised gauge, drawn once at start.
  QPixmap pix(kClientWidth, 113);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, 113);
  g.setColorAt(0, QColor(24, 40, 64));
  g.setColorAt(1, QColor(8, 14, 24));
  p.fillRect(pix.rect(), g);
  p.setPen(QPen(QColor(90, 200, 90), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRect(28, 18, 150, 150), 30 * 16, 120 * 16);
  p.setPen(QPen(QColor(230, 60, 40), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRect(28, 18, 150, 150), 0, 30 * 16);
  p.setPen(QPen(Qt::white, 3));
  p.drawLine(QPoint(103, 93), QPoint(140, 45));
  p.setPen(Qt::white);
  QFont title("DejaVu Sans");
  title.setPixelSize(40);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(210, 14, 620, 50), Qt::AlignLeft | Qt::AlignVCenter, "Kalvex");
  QFont sub("DejaVu Sans");
  sub.setPixelSize(16);
  p.setFont(sub);
  p.setPen(QColor(190, 205, 225));
  p.drawText(QRect(212, 64, 640, 24), Qt::AlignLeft | Qt::AlignVCenter,
             tr("Диагностика ЭСУД: параметры, ошибки, K-Line и CAN"));
  p.end();
  auto* image = new QLabel(this);
  image->setObjectName("Image1");
  image->setGeometry(0, kClientHeight - 113, kClientWidth, 113);
  image->setPixmap(pix);
  image->setCursor(Qt::PointingHandCursor);
  image->installEventFilter(this);
  return image;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
    Image1Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::FormCreate() {
  refreshPortList();

  settings_ = std::make_unique<SettingsStore>();
  const Settings s = settings_->read();
  restorePort(s);
  const int adapter = s.adapter == -1 ? 0 : s.adapter;
  ComboBoxTA->setCurrentIndex(adapter >= 0 && adapter < ComboBoxTA->count() ? adapter : -1);
  CheckBox1->setChecked(s.logFile == 1);
  host_->setLogEnabled(s.logFile == 1);
  // Make and ECU type after the port and adapter, as the user would pick
  // them; an ECU type the make does not have keeps the make's item 0.
  if (s.make >= 0 && s.make < ComboBoxTM->count()) {
    selectMake(s.make);
    if (s.ecu >= 0 && s.ecu < ComboBox4->count()) selectEcuType(s.ecu);
  }
  updateReadButton();
  language_ = s.language;
  Memo2->setPlainText(aboutText());
  // VS_TOG is built with -20 and set to 0 as soon as the window exists.
  setGaugeValue(Component::VS_TOG, 0.0f);
}

void TForm1::restorePort(const Settings& s) {
  const int leading = static_cast<int>(options_.leadingPorts.size());
  if (options_.leadingPortSelected && leading > 0) {
    ComboBox1->setCurrentIndex(0);
    return;
  }
  if (s.port) {
    // A Wi-Fi adapter's address stands in the list like a device.
    if (IsNetworkPortText(*s.port)) {
      networkPorts_.push_back(*s.port);
      refreshPortList();
    }
    // The device the user chose last time, wherever it is listed now; when
    // it is not plugged in, nothing rather than some other port.
    int found = -1;
    for (int i = leading; i < ComboBox1->count() && found < 0; ++i)
      if (ComboBox1->itemData(i).toString().toStdString() == *s.port) found = i;
    ComboBox1->setCurrentIndex(found);
    return;
  }
  // The stored index counts only the discovered ports; an index beyond
  // the list selects nothing.
  const int com = s.com == -1 ? 0 : s.com;
  const int listed = ComboBox1->count() - 1;  // not the Wi-Fi item
  ComboBox1->setCurrentIndex(com >= 0 && com + leading < listed ? com + leading : -1);
}

void TForm1::refreshPortList() {
  const int current = ComboBox1->currentIndex();
  const QString keep =
      current >= 0 && !isWifiItem(current) ? ComboBox1->itemData(current).toString() : QString();
  {
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    // Each item carries the device it opens; the list may show a friendlier
    // text (the demo port).
    for (size_t i = 0; i < options_.leadingPorts.size(); ++i) {
      const std::string& path = options_.leadingPorts[i];
      const std::string& label =
          i < options_.leadingPortLabels.size() ? options_.leadingPortLabels[i] : path;
      ComboBox1->addItem(Q(label), Q(path));
    }
    // A port this user may not open is listed, marked: start then says why
    // and what to do, instead of the adapter being simply missing.
    std::vector<PortEntry> found;
    if (!options_.discoverPorts) {
      for (const std::string& p : options_.extraPorts) found.push_back({p, false});
    } else if (options_.discover) {
      for (const std::string& p : options_.discover(options_.extraPorts))
        found.push_back({p, false});
    } else {
      found = DiscoverPortEntries(options_.extraPorts);
    }
    for (const PortEntry& p : found) {
      ComboBox1->addItem(Q(p.path) + (p.noPermission ? Shown(kNoAccessMark) : QString()),
                         Q(p.path));
      // A USB adapter's name tells which of several it is.
      if (const std::string id = SerialByIdName(p.path); !id.empty())
        ComboBox1->setItemData(ComboBox1->count() - 1, Q(id), Qt::ToolTipRole);
    }
    for (const std::string& a : networkPorts_) {
      if (ComboBox1->findData(Q(a)) >= 0) continue;
      ComboBox1->addItem(Q(a), Q(a));
      ComboBox1->setItemData(ComboBox1->count() - 1, tr("Wi-Fi адаптер"), Qt::ToolTipRole);
    }
    ComboBox1->addItem(tr(kWifiItem));
    ComboBox1->setItemData(ComboBox1->count() - 1, true, kWifiRole);
    ComboBox1->setItemData(ComboBox1->count() - 1,
                           tr("Адаптер Wi-Fi: подключитесь к его сети и укажите адрес ХОСТ:ПОРТ"),
                           Qt::ToolTipRole);
    ComboBox1->setCurrentIndex(-1);
  }
  if (!keep.isEmpty()) selectPortData(keep);
}

void TForm1::selectPortData(const QString& device) {
  ComboBox1->setCurrentIndex(device.isEmpty() ? -1 : ComboBox1->findData(device));
}

bool TForm1::isWifiItem(int index) const {
  return index >= 0 && ComboBox1->itemData(index, kWifiRole).toBool();
}

void TForm1::ComboBox1Activated(int index) {
  if (!isWifiItem(index)) return;
  const QString previous = lastPort_;
  const std::optional<std::string> address =
      askWifiAddress ? askWifiAddress() : AskWifiAddress(this);
  if (!address) {
    selectPortData(previous);  // cancelled: back to where it was
    return;
  }
  if (std::find(networkPorts_.begin(), networkPorts_.end(), *address) == networkPorts_.end())
    networkPorts_.push_back(*address);
  refreshPortList();
  selectPortData(Q(*address));
}

QString TForm1::aboutText() const {
  QStringList about;
  for (const char* l : kAboutLines) about << tr(l);
  about << "";
  const std::string logFolder = LogFile::DefaultFolder();
  about << tr("Журналы обмена (LOG-файлы): %1").arg(QDir::toNativeSeparators(Q(logFolder)));
#ifdef Q_OS_WIN
  // Both places a log may go, so the user knows where to look.
  if (logFolder == LogFile::ProgramFolder() && !LogFile::UserFolder().empty())
    about << tr("  (если в эту папку нельзя писать: %1)").arg(Q(LogFile::UserFolder()));
  else if (logFolder == LogFile::UserFolder())
    about << tr("  (в папку рядом с программой %1 писать нельзя)").arg(Q(LogFile::ProgramFolder()));
#endif
  if (settings_) {
#ifdef Q_OS_WIN
    // Windows keeps the settings in the registry: name the key.
    about << tr("Настройки: реестр, %1").arg(Q(settings_->location()));
#else
    about << tr("Настройки: %1").arg(QFileInfo(Q(settings_->location())).absolutePath());
#endif
  }
  return about.join('\n');
}

void TForm1::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (host_) host_->shutdown();
  if (options_.writeSettingsOnClose && settings_) {
    Settings s;
    const Settings stored = settings_->read();
    const int leading = static_cast<int>(options_.leadingPorts.size());
    const int idx = ComboBox1->currentIndex();
    // The demo port is ours, not the user's: never store it; keep what the
    // user had stored instead.
    s.com = idx >= 0 && idx < leading ? stored.com : (idx < 0 ? -1 : idx - leading);
    if (idx >= leading && !isWifiItem(idx))
      s.port = ComboBox1->itemData(idx).toString().toStdString();
    s.adapter = ComboBoxTA->currentIndex();
    s.logFile = CheckBox1->isChecked() ? 1 : 0;
    s.make = ComboBoxTM->currentIndex();
    s.ecu = ComboBox4->currentIndex();
    s.language = language_;
    settings_->write(s);
  }
  settings_.reset();
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TForm1::ComboBoxTMChange() {
  const int make = ComboBoxTM->currentIndex();
  ComboBox4->clear();
  for (const std::string& t : EcuTypesOf(make)) ComboBox4->addItem(Shown(t));
  ComboBox4->setEnabled(true);
  ComboBox4->setCurrentIndex(ComboBox4->count() > 0 ? 0 : -1);  // raises no change event
  Label8->hide();
  dashboard_->clearValues();
  dashboard_->applyMakeDefault(make);
  // Item 0 is preselected, so show the gauges its decoder fills (only
  // GREATWALL and Chery differ from their make default).
  if (ComboBox4->count() > 0) dashboard_->applyEcuType(make, 0);
  updateReadButton();
  chart_->setAvailable(
      DashboardVisibility(make, ComboBox4->count() > 0 ? 0 : std::optional<int>()));
}

void TForm1::buildLanguageChoice() {
  // In the corner of the "О программе" text, below its lines. The language
  // names are written in their own language, so either can be found.
  auto* label = new QLabel(tr("Язык:"), Memo2);
  label->setObjectName("LanguageLabel");
  label->setFont(UiFont(11));
  label->setGeometry(420, 330, 90, 22);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LanguageBox = new QComboBox(Memo2);
  LanguageBox->setObjectName("LanguageBox");
  LanguageBox->setFont(UiFont(11));
  LanguageBox->setGeometry(516, 330, 140, 22);
  LanguageBox->addItem(QStringLiteral("Русский"), QStringLiteral("ru"));
  LanguageBox->addItem(QStringLiteral("English"), QStringLiteral("en"));
  LanguageBox->setCurrentIndex(LanguageBox->findData(Q(options_.language)));
  LanguageNote = new QLabel(tr("Язык сменится при следующем запуске программы."), Memo2);
  LanguageNote->setObjectName("LanguageNote");
  LanguageNote->setFont(UiFont(11));
  LanguageNote->setGeometry(200, 356, 456, 20);
  LanguageNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LanguageNote->hide();
  connect(LanguageBox, QOverload<int>::of(&QComboBox::activated), this,
          [this](int) { LanguageBoxChange(); });
}

void TForm1::LanguageBoxChange() {
  // Remembered at close with the other settings; the texts already built
  // stay as they are until the next start.
  language_ = LanguageBox->currentData().toString().toStdString();
  LanguageNote->setVisible(language_ != options_.language);
}

void TForm1::updateReadButton() {
  Button3->setEnabled(FaultReadRequest(ComboBoxTM->currentIndex()).has_value());
  // A make without a clear request would take the click and do nothing.
  Button2->setEnabled(ClearButtonActs(ComboBoxTM->currentIndex()));
}

void TForm1::Button1Click() {
  if (host_->controller().running()) {
    host_->stop();
    return;
  }
  // A Wi-Fi adapter may take up to 5 s to answer the connect.
  const bool connecting = IsNetworkPortText(portText());
  if (connecting) QApplication::setOverrideCursor(Qt::WaitCursor);
  host_->start();
  if (connecting) QApplication::restoreOverrideCursor();
}

void TForm1::Button2Click() {
  // Clearing erases what the ECU stored: asked first, without blocking the
  // session behind the question.
  auto* box =
      new QMessageBox(QMessageBox::Question, QApplication::applicationDisplayName(),
                      tr("Стереть коды неисправностей в ЭБУ?"), QMessageBox::NoButton, this);
  box->setObjectName("ClearConfirmation");
  QPushButton* erase = box->addButton(tr("Стереть"), QMessageBox::AcceptRole);
  box->setDefaultButton(box->addButton(tr("Отмена"), QMessageBox::RejectRole));
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [this, box, erase] {
    if (box->clickedButton() == erase && host_) host_->clearFaults();
  });
  box->open();
}

void TForm1::Button3Click() { host_->readFaults(); }

void TForm1::ComboBox4Change() {
  dashboard_->clearValues();
  dashboard_->applyEcuType(ComboBoxTM->currentIndex(), ComboBox4->currentIndex());
  chart_->setAvailable(DashboardVisibility(ComboBoxTM->currentIndex(), ComboBox4->currentIndex()));
}

void TForm1::CheckBox1Click() { host_->setLogEnabled(CheckBox1->isChecked()); }

void TForm1::Image1Click() { QDesktopServices::openUrl(QUrl(kHomePage)); }

void TForm1::selectMake(int make) {
  ComboBoxTM->setCurrentIndex(make);
  ComboBoxTMChange();
}

void TForm1::selectEcuType(int ecu) {
  ComboBox4->setCurrentIndex(ecu);
  ComboBox4Change();
}

int TForm1::makeIndex() const { return ComboBoxTM->currentIndex(); }
int TForm1::ecuTypeIndex() const { return ComboBox4->currentIndex(); }
int TForm1::adapterIndex() const { return ComboBoxTA->currentIndex(); }
int TForm1::activePage() const { return PageControl1->currentIndex(); }
std::string TForm1::portText() const {
  const int i = ComboBox1->currentIndex();
  if (i < 0 || isWifiItem(i)) return {};
  const QVariant device = ComboBox1->itemData(i);
  return (device.isValid() ? device.toString() : ComboBox1->currentText()).toStdString();
}

void TForm1::setSelectorsEnabled(bool enabled) {
  ComboBox1->setEnabled(enabled);
  ComboBoxTA->setEnabled(enabled);
  ComboBoxTM->setEnabled(enabled);
  // ComboBox4 stays disabled until the first make is chosen.
  ComboBox4->setEnabled(enabled && ComboBox4->count() > 0);
}

void TForm1::setPortSelectorEnabled(bool enabled) { ComboBox1->setEnabled(enabled); }

// The caption as set, in Russian: tests and the fake windows compare with it,
// whatever language the window shows.
std::string TForm1::buttonCaption() const { return caption_; }
void TForm1::showRunning(bool running) {
  caption_ = running ? kCaptionStop : kCaptionStart;
  Button1->setText(Shown(caption_));
}
void TForm1::setStatusText(const std::string& text) { Label10->setText(Shown(text)); }

void TForm1::setFaultLines(const std::vector<std::string>& lines) {
  QStringList l;
  for (const std::string& s : lines) l << Shown(s);
  Memo1->setPlainText(l.join('\n'));
}

void TForm1::showError(const std::string& message) {
  errors_.push_back(message);
  if (modalErrors_ && !QGuiApplication::platformName().contains("offscreen")) {
    // Window-modal but not blocking: the session keeps running behind it and
    // no handler is re-entered from a nested event loop.
    auto* box = new QMessageBox(QMessageBox::Critical, QApplication::applicationDisplayName(),
                                Shown(message), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }
}

void TForm1::setGaugeValue(Component c, float value) { dashboard_->setValue(c, value); }

bool TForm1::faultReadNoteShown() const { return !Label12->isHidden(); }

void TForm1::replyHandled() {
  // The recorder made a row only for values the ECU just sent: the replies
  // of a fault read set none.
  if (recorder_.lastReplyMadeRow()) {
    Label12->hide();
  } else if (IsFaultExchange(host_->controller().sessionState().response)) {
    Label12->show();
  }
}

}  // namespace kalvex
