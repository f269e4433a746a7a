#include "app/main_window.h"

#include <gtest/gtest.h>

#include "app/button_captions.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <future>

#include "app/session_host.h"
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "app/settings_store.h"
#include "catalogue/catalogue.h"
#include "catalogue/make_registry.h"
#include "cli/sim_tcp_front.h"
#include "link/process_setup.h"
#include "session/log_file.h"
#include "session/session_controller.h"
#include "sim/pty_server.h"
#include "support/qt_test_app.h"
#include "support/window_settings.h"

namespace kalvex {
namespace {

// One QApplication per test binary, whichever test asks first.
QApplication* App() { return SettingsTestApp(); }

WindowOptions TwoFakePorts() {
  WindowOptions o;
  o.discoverPorts = false;
  o.extraPorts = {"/dev/fake0", "/dev/fake1"};
  return o;
}

template <typename T>
T* Child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name;
  return c;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_FALSE(qgetenv("XDG_CONFIG_HOME").isEmpty());
    RemoveConfig();
  }
};

TEST_F(WindowTest, TextsAndStateAfterStart) {
  MainWindow w(TwoFakePorts());
  EXPECT_EQ(w.windowTitle(), "Диагностический сканер для контроллеров ЭСУД (Kalvex)");
  EXPECT_EQ(w.size(), QSize(861, 555));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);

  auto* tabs = Child<QTabWidget>(w, "PageControl1");
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->tabText(0), "Параметры");
  EXPECT_EQ(tabs->tabText(1), "Ошибки");
  EXPECT_EQ(tabs->tabText(2), "О программе");
  EXPECT_EQ(tabs->tabText(3), "Список автомобилей");
  EXPECT_EQ(tabs->tabText(4), "Графики");
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(tabs->geometry(), QRect(0, 0, 689, 417));

  struct {
    const char* name;
    const char* text;
  } labels[] = {{"Label7", "Номер COM-порта:"},
                {"Label9", "Выбор адаптера"},
                {"Label5", "Выбор марки автомобиля"},
                {"Label6", "Выбор типа контроллера"},
                {"Label11", "Связь с контроллером:    "},
                {"Label10", "Нет связи с ЭБУ"},
                {"Label8", "Выберите марку автомобиля и тип контроллера"},
                {"Label1", "Неисправности электронной системы управления двигателем"}};
  for (const auto& l : labels) EXPECT_EQ(Child<QLabel>(w, l.name)->text(), l.text);
  EXPECT_EQ(Child<QPushButton>(w, "Button1")->text(), "Начать тестирование");
  EXPECT_EQ(Child<QPushButton>(w, "Button2")->text(), "Сброс ошибок");
  EXPECT_EQ(Child<QCheckBox>(w, "CheckBox1")->text(), "Запись LOG-файла");

  for (const char* name : {"ComboBox1", "ComboBoxTA", "ComboBoxTM", "ComboBox4", "Button1"}) {
    auto* c = Child<QWidget>(w, name);
    EXPECT_EQ(c->x(), 696) << name;
    EXPECT_EQ(c->width(), 161) << name;
  }
  auto* ta = Child<QComboBox>(w, "ComboBoxTA");
  ASSERT_EQ(ta->count(), 2);
  EXPECT_EQ(ta->itemText(0), "Адаптер: ELM327");
  EXPECT_EQ(ta->itemText(1), "Адаптер: Kesta-mini");
  auto* tm = Child<QComboBox>(w, "ComboBoxTM");
  // Every make of the registry, in its order, then the generic OBD-II mode.
  int registered = 0;
  while (FindMake(registered)) ++registered;
  ASSERT_EQ(tm->count(), registered + 1);
  EXPECT_EQ(tm->itemText(registered), "OBD-II (любой автомобиль)");
  for (int make = 0; make < registered; ++make)
    EXPECT_EQ(tm->itemText(make).toStdString(), FindMake(make)->text) << make;
  EXPECT_EQ(tm->currentIndex(), -1);
  EXPECT_EQ(tm->itemText(8), "ZAZ(ЗАЗ)");
  auto* c4 = Child<QComboBox>(w, "ComboBox4");
  EXPECT_EQ(c4->count(), 0);
  EXPECT_FALSE(c4->isEnabled());

  EXPECT_EQ(Child<QWidget>(w, "ToolBar1")->geometry(), QRect(0, 417, 861, 25));
  EXPECT_EQ(Child<QWidget>(w, "Image1")->geometry(), QRect(0, 442, 861, 113));
  EXPECT_EQ(Child<QLabel>(w, "Label8")->geometry(), QRect(32, 160, 641, 33));

  const QStringList about = Child<QPlainTextEdit>(w, "Memo2")->toPlainText().split('\n');
  ASSERT_GE(about.size(), 5);
  EXPECT_EQ(about[0], "Диагностический сканер для контроллеров ЭСУД (Kalvex).");
  EXPECT_EQ(about[2], "Программа работает с адаптером Kesta-mini и адаптерами на ");
  EXPECT_EQ(about[4], "Версия 1.5");
  EXPECT_TRUE(Child<QPlainTextEdit>(w, "Memo2")->isReadOnly());

  const QStringList vehicles = Child<QPlainTextEdit>(w, "Memo3")->toPlainText().split('\n');
  ASSERT_EQ(vehicles.size(), 93);
  for (int i = 0; i < 93; ++i)
    EXPECT_EQ(vehicles[i].toStdString(), VehicleList()[static_cast<size_t>(i)]);
}

TEST_F(WindowTest, MakeChoiceFillsEcuTypes) {
  MainWindow w(TwoFakePorts());
  auto* c4 = Child<QComboBox>(w, "ComboBox4");
  w.selectMake(kGaz);
  EXPECT_EQ(c4->count(), 5);
  w.selectEcuType(3);
  w.selectMake(kUaz);
  EXPECT_EQ(c4->count(), 4);
  EXPECT_EQ(c4->currentIndex(), 0);
  EXPECT_TRUE(c4->isEnabled());
  EXPECT_TRUE(Child<QLabel>(w, "Label8")->isHidden());
  w.selectMake(kHyundai);
  ASSERT_EQ(c4->count(), 14);
  EXPECT_EQ(c4->itemText(13), "ECU_v.14 (1.8L/2.4L) CAN");
  EXPECT_EQ(w.makeIndex(), kHyundai);
  EXPECT_EQ(w.ecuTypeIndex(), 0);
}

TEST_F(WindowTest, FirstRunDefaultsAndCloseWritesAll) {
  {
    MainWindow w(TwoFakePorts());
    EXPECT_EQ(w.portText(), "/dev/fake0");
    EXPECT_EQ(w.adapterIndex(), 0);
    EXPECT_FALSE(Child<QCheckBox>(w, "CheckBox1")->isChecked());
    w.shutDown();
  }
  SettingsStore store;
  const Settings s = store.read();
  EXPECT_EQ(s.com, 0);
  EXPECT_EQ(s.adapter, 0);
  EXPECT_EQ(s.logFile, 0);
}

TEST_F(WindowTest, StoredSettingsAreRestoredAndRewritten) {
  WriteConfig("[General]\nCOM=1\nADAPTER=1\nLOG_FILE=2\n");
  {
    MainWindow w(TwoFakePorts());
    EXPECT_EQ(w.portText(), "/dev/fake1");
    EXPECT_EQ(w.adapterIndex(), 1);
    // Only 1 switches the log on.
    EXPECT_FALSE(Child<QCheckBox>(w, "CheckBox1")->isChecked());
    w.shutDown();
  }
  const Settings s = SettingsStore().read();
  EXPECT_EQ(s.com, 1);
  EXPECT_EQ(s.adapter, 1);
  EXPECT_EQ(s.logFile, 0);
}

TEST_F(WindowTest, IndexBeyondListSelectsNothing) {
  WriteConfig("[General]\nCOM=7\nADAPTER=5\nLOG_FILE=1\n");
  MainWindow w(TwoFakePorts());
  EXPECT_EQ(w.portText(), "");
  EXPECT_EQ(w.adapterIndex(), -1);
  EXPECT_TRUE(Child<QCheckBox>(w, "CheckBox1")->isChecked());
  w.shutDown();
  const Settings s = SettingsStore().read();
  EXPECT_EQ(s.com, -1);
  EXPECT_EQ(s.adapter, -1);
  EXPECT_EQ(s.logFile, 1);
}

TEST_F(WindowTest, GarbageSettingsGiveDefaults) {
  const QByteArray cases[] = {
      "[General]\nCOM=abc\nADAPTER=1.5\nLOG_FILE=\n",
      "[General]\nCOM=99999999999999999999\nADAPTER=1 1\nLOG_FILE=1x\n",
      "\x00\xff\xfe garbage [[[ \n=\n",
      "[General]\nCOM=1, 2\nADAPTER=@Invalid()\nLOG_FILE=@ByteArray(1)\n",
  };
  for (const QByteArray& c : cases) {
    WriteConfig(c);
    const Settings s = SettingsStore().read();
    EXPECT_EQ(s.com, -1) << c.toStdString();
    EXPECT_EQ(s.adapter, -1) << c.toStdString();
    EXPECT_EQ(s.logFile, c.contains("@ByteArray(1)") ? s.logFile : 0) << c.toStdString();
    MainWindow w(TwoFakePorts());
    EXPECT_EQ(w.portText(), "/dev/fake0");
  }
}

#ifndef Q_OS_WIN  // Windows keeps the settings in the registry, not a file
TEST_F(WindowTest, SettingsPathThatIsAFifoOrADeviceIsNotOpened) {
  QDir().mkpath(QFileInfo(ConfigFile()).absolutePath());
  const std::string path = ConfigFile().toStdString();
  struct Case {
    const char* name;
    std::function<bool()> make;
  };
  const Case cases[] = {
      {"fifo", [&] { return ::mkfifo(path.c_str(), 0600) == 0; }},
      {"device", [&] { return ::symlink("/dev/zero", path.c_str()) == 0; }},
  };
  for (const Case& c : cases) {
    ::unlink(path.c_str());
    ASSERT_TRUE(c.make()) << c.name;
    // Opening a FIFO to read would wait for a writer for ever; the store is
    // made on another thread, and the FIFO is opened here to let it go.
    auto made = std::async(std::launch::async, [] { return SettingsStore().read(); });
    const bool inTime = made.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!inTime) ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
    EXPECT_TRUE(inTime) << c.name;
    const Settings s = made.get();
    EXPECT_EQ(s.make, -1) << c.name;
    SettingsStore().write(s);  // nothing is written into it either
  }
  ::unlink(path.c_str());
}
#endif

TEST_F(WindowTest, ReadButtonBesideClearAndOnlyForMakesThatCanRead) {
  MainWindow w(TwoFakePorts());
  w.show();
  Child<QTabWidget>(w, "PageControl1")->setCurrentIndex(1);
  QApplication::processEvents();
  auto* clear = Child<QPushButton>(w, "Button2");
  auto* read = Child<QPushButton>(w, "Button3");
  EXPECT_EQ(read->text(), "Прочитать ошибки");
  EXPECT_EQ(read->size(), clear->size());
  EXPECT_EQ(read->geometry().left() - clear->geometry().right() - 1, 10);
  EXPECT_EQ(read->y(), clear->y());
  const QPoint centre = read->mapTo(&w, read->rect().center());
  EXPECT_NEAR(centre.x(), 260, 3);
  EXPECT_NEAR(centre.y(), 389, 4);
  EXPECT_FALSE(read->isEnabled()) << "no make chosen";
  for (int make = 0; make < kMakeCount; ++make) {
    w.selectMake(make);
    EXPECT_EQ(read->isEnabled(), make != kGreatWall) << make;
  }
  w.shutDown();
}

TEST_F(WindowTest, PortRememberedByDeviceMakeAndEcuRestored) {
  struct Case {
    const char* config;
    const char* port;  // selected device, "" for none
    int make, ecu;
  } cases[] = {
      // PORT wins over COM, wherever the device is listed now
      {"PORT=/dev/fake1\nCOM=0\nMAKE=1\nECU=4", "/dev/fake1", 1, 4},
      // a stored device that is not plugged in: nothing, not another port
      {"PORT=/dev/ttyUSB9\nCOM=0", "", -1, -1},
      // no PORT: the COM index as before
      {"COM=1\nMAKE=14\nECU=2", "/dev/fake1", 14, 2},
      // garbage is ignored
      {"PORT=\nCOM=1\nMAKE=x\nECU=1", "/dev/fake1", -1, -1},
#ifndef Q_OS_WIN  // a settings-file list; in the registry it is one text
      {"PORT=a, b\nCOM=1\nMAKE=99", "/dev/fake1", -1, -1},
#endif
      {"PORT=@Invalid()\nMAKE=2\nECU=77", "/dev/fake0", 2, 0},
      {"MAKE=-1\nECU=3", "/dev/fake0", -1, -1},
      // the generic OBD-II mode after the makes, its protocol as the ECU type
      {"COM=1\nMAKE=17\nECU=3", "/dev/fake1", 17, 3},
      {"COM=1\nMAKE=17\nECU=8", "/dev/fake1", 17, 0},
      {"COM=1\nMAKE=18\nECU=0", "/dev/fake1", -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    WriteConfig(QByteArray("[General]\n") + c.config + "\n");
    MainWindow w(TwoFakePorts());
    EXPECT_EQ(w.portText(), c.port);
    EXPECT_EQ(w.makeIndex(), c.make);
    EXPECT_EQ(w.ecuTypeIndex(), c.ecu);
    w.shutDown();
    const Settings s = SettingsStore().read();
    EXPECT_EQ(s.make, c.make);
    EXPECT_EQ(s.ecu, c.ecu);
    // A device absent this time stays remembered for the next.
    if (std::string(c.port).empty())
      EXPECT_EQ(s.port, std::optional<std::string>("/dev/ttyUSB9"));
    else
      EXPECT_EQ(s.port, std::optional<std::string>(c.port));
  }
}

TEST_F(WindowTest, DemoPortShownByNameAndNeverStored) {
  WriteConfig("[General]\nPORT=/dev/fake1\nCOM=1\n");
  {
    WindowOptions o = TwoFakePorts();
    o.leadingPorts = {"/dev/pts/77"};
    o.leadingPortLabels = {"Демо (симулятор)"};
    o.leadingPortSelected = true;
    MainWindow w(o);
    auto* ports = Child<QComboBox>(w, "ComboBox1");
    EXPECT_EQ(ports->currentText(), "Демо (симулятор)");
    EXPECT_EQ(w.portText(), "/dev/pts/77");
    w.shutDown();
  }
  const Settings s = SettingsStore().read();
  EXPECT_EQ(s.port, std::optional<std::string>("/dev/fake1"));
  EXPECT_EQ(s.com, 1);
}

TEST_F(WindowTest, AboutNamesTheLogAndSettingsFolders) {
  MainWindow w(TwoFakePorts());
  // The paths as they read, without the breaks that let them wrap.
  const QString about = Child<QPlainTextEdit>(w, "Memo2")->toPlainText().remove(QChar(0x200B));
  EXPECT_TRUE(about.startsWith("Диагностический сканер для контроллеров ЭСУД (Kalvex)."));
  EXPECT_TRUE(
      about.contains(QDir::toNativeSeparators(QString::fromStdString(LogFile::DefaultFolder()))))
      << about.toStdString();
#ifdef Q_OS_WIN
  EXPECT_TRUE(about.contains("HKEY_CURRENT_USER\\Software\\Brenvik\\Kalvex"))
      << about.toStdString();
#else
  EXPECT_TRUE(about.contains(QFileInfo(ConfigFile()).absolutePath())) << about.toStdString();
#endif
  w.shutDown();
}

#ifndef Q_OS_WIN  // the XDG folders; Windows has its own in the win32 suite
TEST(LogFolder, WithoutHomeIsTheUsersHomeNeverTheCurrentFolder) {
  const QByteArray home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME"),
                   dir = qgetenv("KALVEX_LOG_DIR");
  qunsetenv("XDG_DATA_HOME");
  qunsetenv("KALVEX_LOG_DIR");
  for (const char* value : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
    if (value)
      qputenv("HOME", value);
    else
      qunsetenv("HOME");
    const std::string folder = LogFile::DefaultFolder();
    // The home of the user database (root's in a container), or none at all.
    if (!folder.empty()) {
      EXPECT_EQ(folder.front(), '/') << folder;
      EXPECT_EQ(folder, HomeFolder() + "/.local/share/Kalvex/LOG");
    }
  }
  qputenv("HOME", home);
  qputenv("XDG_DATA_HOME", data);
  qputenv("KALVEX_LOG_DIR", dir);
}
#endif

// A folder of links to the adapters plugged in now stands in for the
// platform's discovery (which lists USB and Bluetooth devices, never ptys).
struct AdapterFolder {
  std::filesystem::path dir =
      std::filesystem::path(qgetenv("XDG_DATA_HOME").toStdString()) / "adapters";
  AdapterFolder() {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  std::vector<std::string> Discover() const {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (std::filesystem::exists(e.path())) found.push_back(e.path().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  std::string Plug(const std::string& name, const std::string& device) {
    const auto link = dir / name;
    std::filesystem::create_symlink(device, link);
    return link.string();
  }
};

std::vector<std::string> Items(QComboBox* c) {
  std::vector<std::string> items;
  for (int i = 0; i < c->count(); ++i) items.push_back(c->itemText(i).toStdString());
  return items;
}

// Opens the list as the user does, and closes it again.
void OpenList(QComboBox* c) {
  c->showPopup();
  c->hidePopup();
}

#ifndef Q_OS_WIN  // the simulator on a pseudo-terminal: POSIX only
TEST_F(WindowTest, AdapterPluggedInAfterStartIsListedWhenTheListOpens) {
  AdapterFolder folder;
  WindowOptions o;
  o.discover = [&](const std::vector<std::string>&) { return folder.Discover(); };
  MainWindow w(o);
  w.show();
  auto* ports = Child<QComboBox>(w, "ComboBox1");
  EXPECT_EQ(Items(ports), std::vector<std::string>{"Wi-Fi адаптер…"});
  EXPECT_EQ(w.portText(), "");

  std::string error;
  auto first = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(first, nullptr) << error;
  const std::string a = folder.Plug("usb-first", first->slavePath());
  OpenList(ports);
  EXPECT_EQ(Items(ports), (std::vector<std::string>{a, "Wi-Fi адаптер…"}));
  ports->setCurrentIndex(0);

  auto second = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(second, nullptr) << error;
  const std::string b = folder.Plug("usb-second", second->slavePath());
  OpenList(ports);
  EXPECT_EQ(Items(ports), (std::vector<std::string>{a, b, "Wi-Fi адаптер…"}));
  EXPECT_EQ(w.portText(), a) << "the selection stays on its device";

  // The new one works: a session on it comes up.
  ports->setCurrentIndex(1);
  w.selectMake(0);
  w.selectEcuType(0);
  w.onStartClicked();
  QElapsedTimer t;
  t.start();
  while (second->history().empty() && t.elapsed() < 15000) QApplication::processEvents();
  EXPECT_FALSE(second->history().empty());
  w.onStartClicked();

  first.reset();  // unplugged: its link now points nowhere
  OpenList(ports);
  EXPECT_EQ(Items(ports), (std::vector<std::string>{b, "Wi-Fi адаптер…"}));
  EXPECT_EQ(w.portText(), b);
  w.shutDown();
}
#endif

TEST_F(WindowTest, WifiAddressStandsInTheListAndIsRemembered) {
  const std::string address = "127.0.0.1:35000";  // never connected to here
  {
    MainWindow w(TwoFakePorts());
    auto* ports = Child<QComboBox>(w, "ComboBox1");
    ports->setCurrentIndex(1);
    const int wifi = ports->count() - 1;
    EXPECT_EQ(ports->itemText(wifi), "Wi-Fi адаптер…");

    // Cancelled: back on the port chosen before.
    w.portPicker().askWifiAddress = [] { return std::optional<std::string>(); };
    ports->setCurrentIndex(wifi);
    w.portPicker().onActivated(wifi);
    EXPECT_EQ(w.portText(), "/dev/fake1");

    w.portPicker().askWifiAddress = [&] { return std::optional<std::string>(address); };
    ports->setCurrentIndex(wifi);
    w.portPicker().onActivated(wifi);
    EXPECT_EQ(Items(ports),
              (std::vector<std::string>{"/dev/fake0", "/dev/fake1", address, "Wi-Fi адаптер…"}));
    EXPECT_EQ(w.portText(), address);
    OpenList(ports);  // a refresh keeps it
    EXPECT_EQ(w.portText(), address);
    w.shutDown();
  }
  EXPECT_EQ(SettingsStore().read().port, std::optional<std::string>(address));
  MainWindow again(TwoFakePorts());
  EXPECT_EQ(again.portText(), address);
  EXPECT_EQ(Items(Child<QComboBox>(again, "ComboBox1")).at(2), address);
  again.shutDown();
}

TEST_F(WindowTest, WifiDialogOffersTheUsualAddressOnlyAsAHint) {
  MainWindow w(TwoFakePorts());
  auto* ports = Child<QComboBox>(w, "ComboBox1");
  ports->setCurrentIndex(0);
  const int wifi = ports->count() - 1;
  std::string placeholder, shown;
  bool refusedEmpty = false;
  std::vector<std::string> accepted;  // bad addresses the dialog took
  // The dialog is modal: look at it from inside its own event loop, once it
  // is on screen (under wine that is a moment after its loop starts). One
  // that never shows fails the test rather than leave it waiting.
  std::function<void(int)> answer = [&](int triesLeft) {
    auto* dialog = w.findChild<QDialog*>("WifiDialog");
    if (!dialog || !dialog->isVisible()) {
      if (triesLeft > 0) {
        QTimer::singleShot(20, [&answer, triesLeft] { answer(triesLeft - 1); });
      } else {
        ADD_FAILURE() << "the Wi-Fi dialog did not show";
        if (dialog) dialog->reject();
      }
      return;
    }
    auto* edit = dialog->findChild<QLineEdit*>("WifiAddress");
    if (!edit) {
      ADD_FAILURE() << "no address field";
      dialog->reject();
      return;
    }
    placeholder = edit->placeholderText().toStdString();
    shown = edit->text().toStdString();
    auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    ok->click();  // empty: refused, the dialog stays
    refusedEmpty = dialog->isVisible();
    // "tcp://" does not let a bad address through
    for (const char* bad : {"::::", "tcp://::::", "tcp://127.0.0.1:99999", "tcp://:35000"}) {
      edit->setText(bad);
      ok->click();
      if (!dialog->isVisible()) accepted.push_back(bad);
    }
    edit->setText(" tcp://[::1]:35000 ");
    ok->click();
  };
  QTimer::singleShot(0, [&answer] { answer(500); });
  ports->setCurrentIndex(wifi);
  w.portPicker().onActivated(wifi);
  EXPECT_EQ(placeholder, "192.168.0.10:35000");
  EXPECT_EQ(shown, "");
  EXPECT_TRUE(refusedEmpty);
  EXPECT_EQ(accepted, std::vector<std::string>{});
  EXPECT_EQ(w.portText(), "tcp://[::1]:35000");
  w.shutDown();
}

TEST_F(WindowTest, StoredWifiAddressThatIsNoneIsDropped) {
  for (const char* stored : {"tcp://127.0.0.1:99999", "tcp://::::"}) {
    SCOPED_TRACE(stored);
    WriteConfig(QByteArray("[General]\nPORT=") + stored + "\nCOM=1\n");
    EXPECT_EQ(SettingsStore().read().port, std::nullopt);
    {
      MainWindow w(TwoFakePorts());
      EXPECT_EQ(Items(Child<QComboBox>(w, "ComboBox1")),
                (std::vector<std::string>{"/dev/fake0", "/dev/fake1", "Wi-Fi адаптер…"}));
      w.shutDown();
    }
    EXPECT_EQ(SettingsStore().read().port, std::optional<std::string>("/dev/fake1"));
  }
  // Nor is one ever written.
  WriteConfig("[General]\nPORT=tcp://nothing\n");
  Settings s;
  s.port = "tcp://127.0.0.1:65536";
  SettingsStore().write(s);
  EXPECT_EQ(QSettings("Brenvik", "Kalvex").value("PORT"), QVariant());
}

#ifndef Q_OS_WIN  // the simulator on a pseudo-terminal: POSIX only
TEST_F(WindowTest, SessionOverWifiToTheSimulator) {
  std::string error;
  auto server = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(server, nullptr) << error;
  auto front = cli::SimTcpFront::Start(server->slavePath(), {"127.0.0.1", 0}, error);
  ASSERT_NE(front, nullptr) << error;
  WindowOptions o = TwoFakePorts();
  o.writeSettingsOnClose = false;
  MainWindow w(o);
  w.setModalErrors(false);
  auto* ports = Child<QComboBox>(w, "ComboBox1");
  const int wifi = ports->count() - 1;
  w.portPicker().askWifiAddress = [&] {
    return std::optional<std::string>(front->address().Text());
  };
  ports->setCurrentIndex(wifi);
  w.portPicker().onActivated(wifi);
  w.selectMake(0);
  w.selectEcuType(0);
  w.onStartClicked();
  auto* status = Child<QLabel>(w, "Label10");
  QElapsedTimer t;
  t.start();
  while (status->text() != "Связь с ЭБУ установлена" && t.elapsed() < 15000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(status->text(), "Связь с ЭБУ установлена");
  // The simulator goes away: the session stops as on an unplugged adapter.
  front->stop();
  t.restart();
  while (w.buttonCaption() != kCaptionStart && t.elapsed() < 15000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(w.buttonCaption(), kCaptionStart);
  ASSERT_FALSE(w.shownErrors().empty());
  EXPECT_EQ(w.shownErrors().back(), "Адаптер " + front->address().Text() + " закрыл соединение");
  w.shutDown();
}
#endif

TEST(ParseDecimal, StrictIntegers) {
  EXPECT_EQ(ParseDecimal("0"), 0);
  EXPECT_EQ(ParseDecimal("-1"), -1);
  EXPECT_EQ(ParseDecimal("12"), 12);
  for (const char* bad : {"", " 1", "1 ", "+1", "1.0", "0x10", "abc", "99999999999"})
    EXPECT_FALSE(ParseDecimal(bad).has_value()) << bad;
}

}  // namespace
}  // namespace kalvex
