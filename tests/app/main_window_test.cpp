#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "app/settings_store.h"
#include "catalogue/catalogue.h"
#include "session/log_file.h"
#include "support/qt_test_app.h"

namespace kalvex {
namespace {

// One QApplication per test binary, whichever test asks first.
QApplication* App() {
  QApplication* app = TestApp();
  QApplication::setOrganizationName("Brenvik");
  QApplication::setApplicationName("Kalvex");
  return app;
}

QString ConfigFile() {
  return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/Brenvik/Kalvex.conf";
}

#ifdef Q_OS_WIN
// Windows keeps the settings in the registry: the same "NAME=text" lines of
// the [General] group become text values of HKCU\Software\Brenvik\Kalvex,
// written raw (QSettings would escape a leading "@").
constexpr const wchar_t* kSettingsKey = L"Software\\Brenvik\\Kalvex";

void RemoveConfig() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

void WriteConfig(const QByteArray& content) {
  RemoveConfig();
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  bool general = false;
  for (const QByteArray& line : content.split('\n')) {
    if (line.startsWith('[')) general = line == "[General]";
    const int eq = line.indexOf('=');
    if (!general || eq <= 0) continue;
    const std::wstring name = QString::fromUtf8(line.left(eq)).toStdWString();
    const std::wstring value = QString::fromUtf8(line.mid(eq + 1)).toStdWString();
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  ::RegCloseKey(key);
}
#else
void RemoveConfig() { QFile::remove(ConfigFile()); }

void WriteConfig(const QByteArray& content) {
  QDir().mkpath(QFileInfo(ConfigFile()).absolutePath());
  QFile f(ConfigFile());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  // QSettings notices a rewritten file by size and time stamp; keep the size
  // different from every earlier write so a rewrite within the same
  // millisecond is still noticed.
  static int writes = 0;
  f.write(content + "\n" + QByteArray(++writes + 64, '\n'));
}
#endif

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
  TForm1 w(TwoFakePorts());
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
  ASSERT_EQ(tm->count(), 17);
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
  TForm1 w(TwoFakePorts());
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
    TForm1 w(TwoFakePorts());
    EXPECT_EQ(w.portText(), "/dev/fake0");
    EXPECT_EQ(w.adapterIndex(), 0);
    EXPECT_FALSE(Child<QCheckBox>(w, "CheckBox1")->isChecked());
    w.FormClose();
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
    TForm1 w(TwoFakePorts());
    EXPECT_EQ(w.portText(), "/dev/fake1");
    EXPECT_EQ(w.adapterIndex(), 1);
    // Only 1 switches the log on.
    EXPECT_FALSE(Child<QCheckBox>(w, "CheckBox1")->isChecked());
    w.FormClose();
  }
  const Settings s = SettingsStore().read();
  EXPECT_EQ(s.com, 1);
  EXPECT_EQ(s.adapter, 1);
  EXPECT_EQ(s.logFile, 0);
}

TEST_F(WindowTest, IndexBeyondListSelectsNothing) {
  WriteConfig("[General]\nCOM=7\nADAPTER=5\nLOG_FILE=1\n");
  TForm1 w(TwoFakePorts());
  EXPECT_EQ(w.portText(), "");
  EXPECT_EQ(w.adapterIndex(), -1);
  EXPECT_TRUE(Child<QCheckBox>(w, "CheckBox1")->isChecked());
  w.FormClose();
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
    TForm1 w(TwoFakePorts());
    EXPECT_EQ(w.portText(), "/dev/fake0");
  }
}

TEST_F(WindowTest, ReadButtonBesideClearAndOnlyForMakesThatCanRead) {
  TForm1 w(TwoFakePorts());
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
  w.FormClose();
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    WriteConfig(QByteArray("[General]\n") + c.config + "\n");
    TForm1 w(TwoFakePorts());
    EXPECT_EQ(w.portText(), c.port);
    EXPECT_EQ(w.makeIndex(), c.make);
    EXPECT_EQ(w.ecuTypeIndex(), c.ecu);
    w.FormClose();
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
    TForm1 w(o);
    auto* ports = Child<QComboBox>(w, "ComboBox1");
    EXPECT_EQ(ports->currentText(), "Демо (симулятор)");
    EXPECT_EQ(w.portText(), "/dev/pts/77");
    w.FormClose();
  }
  const Settings s = SettingsStore().read();
  EXPECT_EQ(s.port, std::optional<std::string>("/dev/fake1"));
  EXPECT_EQ(s.com, 1);
}

TEST_F(WindowTest, AboutNamesTheLogAndSettingsFolders) {
  TForm1 w(TwoFakePorts());
  const QString about = Child<QPlainTextEdit>(w, "Memo2")->toPlainText();
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
  w.FormClose();
}

TEST(ParseDecimal, StrictIntegers) {
  EXPECT_EQ(ParseDecimal("0"), 0);
  EXPECT_EQ(ParseDecimal("-1"), -1);
  EXPECT_EQ(ParseDecimal("12"), 12);
  for (const char* bad : {"", " 1", "1 ", "+1", "1.0", "0x10", "abc", "99999999999"})
    EXPECT_FALSE(ParseDecimal(bad).has_value()) << bad;
}

}  // namespace
}  // namespace kalvex
