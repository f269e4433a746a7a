// What a new user meets first: the fault-read note in any theme and on any
// make's gauges, the port list's marks and choices, the save dialogs' folder
// and name, and the About page's paths.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <cmath>
#include <map>

#include "app/about_page.h"
#include "app/chart_page.h"
#include "app/main_window.h"
#include "app/save_target.h"
#include "app/settings_store.h"
#include "catalogue/catalogue.h"
#include "cli/language.h"
#include "link/port_discovery.h"
#include "session/session_controller.h"
#include "support/qt_test_app.h"
#include "support/shots.h"
#include "support/window_settings.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

QApplication* App() { return SettingsTestApp(); }

// The window's texts in `language` for the life of the object.
class Language {
 public:
  explicit Language(const std::string& code) : english_(code == "en") {
    if (!english_) return;
    EXPECT_TRUE(translator_.load(":/i18n/kalvex_en.qm"));
    QApplication::installTranslator(&translator_);
    cli::UseLanguage("en");
  }
  ~Language() {
    if (!english_) return;
    QApplication::removeTranslator(&translator_);
    cli::UseLanguage("ru");
  }

 private:
  bool english_;
  QTranslator translator_;
};

// The relative luminance and contrast ratio of the accessibility guidelines.
double Luminance(QColor c) {
  auto channel = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}
double Contrast(QColor a, QColor b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour most of `image` has, and the one of all that stands out most
// against it: the background and the text drawn on it.
std::pair<QColor, QColor> BackgroundAndInk(const QImage& image) {
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y) | 0xff000000u];
  QRgb background = 0;
  int most = 0;
  for (const auto& [rgb, n] : counts)
    if (n > most) most = n, background = rgb;
  QColor ink = QColor::fromRgb(background);
  for (const auto& [rgb, n] : counts)
    if (Contrast(QColor::fromRgb(rgb), QColor::fromRgb(background)) >
        Contrast(ink, QColor::fromRgb(background)))
      ink = QColor::fromRgb(rgb);
  return {QColor::fromRgb(background), ink};
}

QPalette DarkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
  p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
  p.setColor(QPalette::Button, QColor(0x3c, 0x3c, 0x3c));
  p.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
  return p;
}

WindowOptions FakePorts(std::vector<std::string> ports) {
  WindowOptions o;
  o.discoverPorts = false;
  o.extraPorts = std::move(ports);
  o.writeSettingsOnClose = false;
  return o;
}

TEST(FaultReadNote, ReadableInALightAndADarkTheme) {
  App();
  RemoveConfig();
  const QPalette before = QApplication::palette();
  for (const bool dark : {false, true}) {
    if (dark) QApplication::setPalette(DarkPalette());
    MainWindow w(FakePorts({"/dev/fake0"}));
    w.show();
    w.selectMake(kHyundai);
    auto* note = w.findChild<QFrame*>("FaultReadNote");
    auto* text = w.findChild<QLabel*>("Label12");
    ASSERT_TRUE(note && text);
    note->show();
    EXPECT_TRUE(w.faultReadNoteShown());
    EXPECT_TRUE(text->text().startsWith("Чтение ошибок: параметры не обновляются"));
    EXPECT_EQ(w.findChild<QPushButton*>("ResumeLiveData")->text().simplified(),
              "Продолжить чтение параметров");
    const QImage image = note->grab(text->geometry()).toImage();
    const auto [background, ink] = BackgroundAndInk(image);
    EXPECT_GE(Contrast(background, ink), 4.5)
        << (dark ? "dark" : "light") << ": " << ink.name().toStdString() << " on "
        << background.name().toStdString();
    if (dark) SaveShot(w, "fault_note_dark.png");
    w.shutDown();
  }
  QApplication::setPalette(before);
}

TEST(FaultReadNote, CoversNoGaugeOfAnyMakeOrEcuType) {
  App();
  RemoveConfig();
  MainWindow w(FakePorts({"/dev/fake0"}));
  w.show();
  auto* note = w.findChild<QFrame*>("FaultReadNote");
  ASSERT_NE(note, nullptr);
  note->show();
  const QRect noteRect(note->mapToGlobal(QPoint(0, 0)), note->size());
  for (int make = 0; make < static_cast<int>(Makes().size()); ++make) {
    w.selectMake(make);
    for (int ecu = 0; ecu < static_cast<int>(EcuTypesOf(make).size()); ++ecu) {
      w.selectEcuType(ecu);
      for (size_t i = 0; i < kComponentCount; ++i) {
        const auto c = static_cast<Component>(i);
        if (!w.dashboard()->isComponentVisible(c)) continue;
        const QWidget* g = w.dashboard()->componentWidget(c);
        const QRect gaugeRect(g->mapToGlobal(QPoint(0, 0)), g->size());
        EXPECT_FALSE(noteRect.intersects(gaugeRect))
            << Makes()[make].text << " " << ecu << " " << ComponentName(c);
      }
    }
  }
  // Nor any of the window's own controls.
  for (QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child == note || !child->isVisible()) continue;
    EXPECT_FALSE(note->geometry().intersects(child->geometry()))
        << child->objectName().toStdString();
  }
  w.shutDown();
}

// ---- the port list -----------------------------------------------------------

struct PortCase {
  const char* what;
  std::vector<PortEntry> found;
  const char* storedCom;  // the settings' COM line, or none
  const char* selected;   // the device selected at start; "" for none
};

TEST(PortList, AccessMarkShownWholeAndNeverPreselected) {
  App();
  const std::string longPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  const PortCase cases[] = {
      {"only the console, which this user may not open", {{"/dev/ttyS0", true}}, nullptr, ""},
      {"the first port this user may open",
       {{"/dev/ttyS0", true}, {"/dev/ttyUSB0", false}},
       nullptr,
       "/dev/ttyUSB0"},
      {"a long inaccessible name beside one that opens",
       {{longPath, true}, {"/dev/ttyACM0", false}},
       nullptr,
       "/dev/ttyACM0"},
      {"the one the settings name, though refused", {{"/dev/ttyS0", true}}, "COM=0", "/dev/ttyS0"},
      {"a long refused name the settings name", {{longPath, true}}, "COM=0", longPath.c_str()},
  };
  for (const char* language : {"ru", "en"}) {
    const Language shown(language);
    const QString mark = QCoreApplication::translate(kTextContext, kNoAccessMark);
    EXPECT_EQ(mark, std::string(language) == "en" ? " (no access)" : " (нет доступа)");
    for (const PortCase& c : cases) {
      SCOPED_TRACE(std::string(language) + ": " + c.what);
      if (c.storedCom)
        WriteConfig(QByteArray("[General]\n") + c.storedCom + "\n");
      else
        RemoveConfig();
      WindowOptions o = FakePorts({});
      o.discoverPorts = true;
      o.discoverEntries = [&](const std::vector<std::string>&) { return c.found; };
      MainWindow w(o);
      w.show();
      EXPECT_EQ(w.portText(), c.selected);
      auto* list = w.findChild<QComboBox*>("ComboBox1");
      list->showPopup();
      QWidget* popup = list->view()->window();
      const QFontMetrics metrics(list->view()->font());
      for (int i = 0; i < list->count(); ++i) {
        const QString item = list->itemText(i);
        EXPECT_GE(list->view()->viewport()->width(), metrics.horizontalAdvance(item))
            << item.toStdString();
      }
      if (std::string(c.what).starts_with("a long"))
        SaveShot(*popup, (std::string("port_popup_") + language + ".png").c_str());
      list->hidePopup();
      // The field shortens the path, never the mark, and the whole text is
      // its tool tip.
      if (list->currentIndex() >= 0) {
        EXPECT_EQ(list->toolTip(), list->currentText());
      }
      if (std::string(c.what).starts_with("a long refused"))
        SaveShot(*list, (std::string("port_field_") + language + ".png").c_str());
      w.shutDown();
    }
  }
}

TEST(PortList, FittedTextKeepsTheMarkWhole) {
  App();
  const QFontMetrics metrics(QApplication::font());
  const QString mark = " (нет доступа)";
  struct {
    QString text;
    int width;
    bool whole;  // shown as it is
  } cases[] = {
      {"/dev/ttyS0" + mark, 1000, true},
      {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" + mark, 150, false},
      {"/dev/ttyUSB0", 1000, true},
  };
  for (const auto& c : cases) {
    const QString shown =
        FitPortText(c.text, c.text.endsWith(mark) ? mark : QString(), metrics, c.width);
    EXPECT_EQ(shown == c.text, c.whole) << shown.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(shown), c.width) << shown.toStdString();
    if (c.text.endsWith(mark)) {
      EXPECT_TRUE(shown.endsWith(mark)) << shown.toStdString();
    }
  }
}

TEST(PortList, NoPortAtAllSaysWhatToDo) {
  App();
  RemoveConfig();
  struct {
    std::vector<std::string> ports;
    int selected;
    const char* error;
  } cases[] = {
      {{}, -1, kNoAdapterFound},
      {{"/dev/fake0"}, -1, kNoPortMessage},  // a port there, just none chosen
  };
  for (const auto& c : cases) {
    MainWindow w(FakePorts(c.ports));
    w.setModalErrors(false);
    w.selectMake(kLada);
    w.findChild<QComboBox*>("ComboBoxTA")->setCurrentIndex(0);
    w.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(c.selected);
    w.onStartClicked();
    ASSERT_FALSE(w.shownErrors().empty());
    EXPECT_EQ(w.shownErrors().back(), c.error);
    if (c.ports.empty()) {
      // The box the user sees (offscreen, the window opens none).
      QMessageBox box(QMessageBox::Critical, "Kalvex",
                      QCoreApplication::translate(kTextContext, c.error), QMessageBox::Ok);
      box.show();
      SaveShot(box, "no_adapter.png");
    }
    w.shutDown();
  }
}

TEST(PortList, AnAdapterPluggedInSinceTheListWasBuiltIsNoMissingAdapter) {
  App();
  RemoveConfig();
  std::vector<PortEntry> found;
  WindowOptions o = FakePorts({});
  o.discoverPorts = true;
  o.discoverEntries = [&](const std::vector<std::string>&) { return found; };
  MainWindow w(o);
  w.setModalErrors(false);
  w.selectMake(kLada);
  w.findChild<QComboBox*>("ComboBoxTA")->setCurrentIndex(0);
  found = {{"/dev/ttyUSB0", false}};  // plugged in, the list not opened
  w.onStartClicked();
  ASSERT_FALSE(w.shownErrors().empty());
  EXPECT_EQ(w.shownErrors().back(), kNoPortMessage);
  w.shutDown();
}

// ---- the save dialogs ----------------------------------------------------------

TEST(SaveDialogs, NameOfTheMakeAndTheTime) {
  const QDateTime when(QDate(2026, 12, 8), QTime(14, 5, 31));
  const struct {
    const char* make;
    const char* name;
  } cases[] = {
      {"LADA (ВАЗ)", "LADA_2026-12-08_1405.csv"},
      {"GREAT WALL", "GREAT_WALL_2026-12-08_1405.csv"},
      {"ГАЗ", "ГАЗ_2026-12-08_1405.csv"},
      {"Citroen/Peugeot", "Citroen_Peugeot_2026-12-08_1405.csv"},
      {"a:b*c?\"<>|\\d", "a_b_c_d_2026-12-08_1405.csv"},
      {"(УАЗ)", "УАЗ_2026-12-08_1405.csv"},
      {"..hidden.", "hidden_2026-12-08_1405.csv"},
      {"", "kalvex_2026-12-08_1405.csv"},
      {" / ", "kalvex_2026-12-08_1405.csv"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProposedSaveName(QString::fromUtf8(c.make), when, "csv").toStdString(), c.name)
        << c.make;
}

TEST(SaveDialogs, StartInTheLastFolderElseTheDocuments) {
  App();
  RemoveConfig();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString fallback = QFileInfo(documents).isDir() ? documents : QDir::homePath();
  EXPECT_EQ(SaveStartFolder(""), fallback);
  EXPECT_EQ(SaveStartFolder(dir.path() + "/gone"), fallback);
  EXPECT_EQ(SaveStartFolder(dir.path()), dir.path());

  // Through the window: the first dialog in the fallback, with the make's
  // name; the folder of a save is where the next one starts, at the next
  // start of the program too.
  const QString saved = dir.path() + "/LADA.csv";
  {
    WindowOptions o = FakePorts({"/dev/fake0"});
    o.writeSettingsOnClose = true;
    MainWindow w(o);
    w.selectMake(kLada);
    QString proposed;
    w.chartPage()->askSavePath = [&](const QString&, const QString& p, const QString&) {
      proposed = p;
      return saved;
    };
    w.chartPage()->findChild<QPushButton*>("ChartSaveCsv")->click();
    EXPECT_EQ(QFileInfo(proposed).absolutePath(), fallback);
    EXPECT_TRUE(QFileInfo(proposed).fileName().startsWith("LADA_")) << proposed.toStdString();
    EXPECT_TRUE(proposed.endsWith(".csv"));
    RunUntil([&] { return !w.chartPage()->saving(); });
    w.chartPage()->findChild<QPushButton*>("ChartSavePng")->click();
    EXPECT_EQ(QFileInfo(proposed).absolutePath(), dir.path());
    EXPECT_TRUE(proposed.endsWith(".png"));
    RunUntil([&] { return !w.chartPage()->saving(); });
    w.shutDown();
  }
  EXPECT_EQ(SettingsStore().read().saveFolder, dir.path().toStdString());
  MainWindow again(FakePorts({"/dev/fake0"}));
  EXPECT_EQ(again.chartPage()->saveFolder(), dir.path());
  again.shutDown();
}

// ---- About ---------------------------------------------------------------------

TEST(About, PathsWrapAtTheirSeparatorsAndTheKeyHasNoStrayBackslash) {
  const QString zw = QString(kPathBreak);
  EXPECT_EQ(WrappablePath("C:\\Users\\Иван\\AppData"),
            "C:\\" + zw + "Users\\" + zw + "Иван\\" + zw + "AppData");
  EXPECT_EQ(WrappablePath("/home/u/.config/Brenvik"),
            "/" + zw + "home/" + zw + "u/" + zw + ".config/" + zw + "Brenvik");
  EXPECT_EQ(WrappablePath("plain"), "plain");
  EXPECT_EQ(RegistryKeyText("\\HKEY_CURRENT_USER\\Software\\Brenvik\\Kalvex"),
            "HKEY_CURRENT_USER\\Software\\Brenvik\\Kalvex");
  EXPECT_EQ(RegistryKeyText("HKEY_CURRENT_USER\\Software"), "HKEY_CURRENT_USER\\Software");

  App();
  RemoveConfig();
  MainWindow w(FakePorts({"/dev/fake0"}));
  auto* about = w.findChild<QPlainTextEdit*>("Memo2");
  const QString text = about->toPlainText();
  EXPECT_FALSE(text.contains(", \\")) << text.toStdString();
  // Every separator in the shown paths is followed by a break; a copy is the
  // plain path.
  for (qsizetype i = text.indexOf(QDir::separator()); i >= 0;
       i = text.indexOf(QDir::separator(), i + 1))
    EXPECT_EQ(text.at(i + 1), kPathBreak) << text.toStdString();
  about->selectAll();
  about->copy();
  EXPECT_FALSE(QApplication::clipboard()->text().contains(kPathBreak));
  w.shutDown();
}

}  // namespace
}  // namespace kalvex
