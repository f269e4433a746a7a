// The window in English: every text a user reads is English (the language
// names on the About tab aside), while the session still decides by its own
// Russian caption; and the language chosen on the About tab is remembered.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTranslator>

#include "app/main_window.h"
#include "app/obd_mode.h"
#include "app/settings_store.h"
#include "catalogue/catalogue.h"
#include "cli/language.h"
#include "faults/faults.h"
#include "protocol/languages.h"
#include "session/session_controller.h"
#include "session/session_view.h"
#include "support/qt_test_app.h"
#include "support/window_settings.h"
#include "ui/dashboard_layout.h"

namespace kalvex {
namespace {

bool HasCyrillic(const QString& s) {
  return std::any_of(s.begin(), s.end(),
                     [](QChar c) { return c.unicode() >= 0x400 && c.unicode() <= 0x4FF; });
}

// The window's .qm from the program's resources and the core's table, for
// one test; Russian again after it.
class EnglishWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsTestApp();
    RemoveConfig();
    ASSERT_TRUE(translator_.load(":/i18n/kalvex_en.qm"));
    QApplication::installTranslator(&translator_);
    cli::UseLanguage("en");
  }
  void TearDown() override {
    QApplication::removeTranslator(&translator_);
    cli::UseLanguage("ru");
  }
  static WindowOptions English() {
    WindowOptions o;
    o.discoverPorts = false;
    o.extraPorts = {"/dev/fake0"};
    o.language = "en";
    return o;
  }
  QTranslator translator_;
};

// Every text of every widget: captions, list items, tool tips, page texts.
QStringList AllTexts(MainWindow& w) {
  QStringList texts = {w.windowTitle()};
  auto* tabs = w.findChild<QTabWidget*>("PageControl1");
  for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
  for (QWidget* c : w.findChildren<QWidget*>()) {
    texts << c->toolTip();
    if (auto* l = qobject_cast<QLabel*>(c)) texts << l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(c)) texts << b->text();
    if (auto* m = qobject_cast<QPlainTextEdit*>(c)) texts << m->toPlainText();
    if (auto* box = qobject_cast<QComboBox*>(c); box && box->objectName() != "LanguageBox")
      for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i) << box->itemData(i, Qt::ToolTipRole).toString();
  }
  return texts;
}

TEST_F(EnglishWindowTest, NothingIsLeftInRussian) {
  MainWindow w(English());
  w.setModalErrors(false);
  w.selectMake(kGaz);  // a make with Russian ECU names fills the ECU type list
  for (const QString& text : AllTexts(w)) EXPECT_FALSE(HasCyrillic(text)) << text.toStdString();
  auto* tabs = w.findChild<QTabWidget*>("PageControl1");
  EXPECT_EQ(tabs->tabText(1).toStdString(), cli::EnglishText("kalvex::MainWindow", "Ошибки"));

  // The session's own caption and status stay Russian underneath.
  auto* button = w.findChild<QPushButton*>("Button1");
  EXPECT_EQ(w.buttonCaption(), kCaptionStart);
  EXPECT_EQ(button->text().toStdString(), cli::EnglishText(kTextContext, kCaptionStart));
  w.showRunning(true);
  EXPECT_EQ(w.buttonCaption(), kCaptionStop);
  EXPECT_EQ(button->text().toStdString(), cli::EnglishText(kTextContext, kCaptionStop));
  w.setStatusText(kStatusLinked);
  EXPECT_EQ(w.findChild<QLabel*>("Label10")->text().toStdString(),
            cli::EnglishText(kTextContext, kStatusLinked));
  w.setFaultLines({kNoFaultsLine});
  EXPECT_EQ(w.findChild<QPlainTextEdit*>("Memo1")->toPlainText().toStdString(),
            cli::EnglishText(kTextContext, kNoFaultsLine));
  // A start without a port: the error is shown in English, kept as said.
  w.showRunning(false);
  w.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(-1);
  w.findChild<QPushButton*>("Button1")->click();
  ASSERT_FALSE(w.shownErrors().empty());
  EXPECT_EQ(w.shownErrors().back(), kNoPortMessage);
}

// The gauges' two caption lines read as one English phrase, in English
// word order, though the Russian first line "Температура" is shared: on the
// makers' dashboard and on the generic one (by PID).
TEST_F(EnglishWindowTest, GaugeCaptionsReadInEnglishOrder) {
  const auto obdGauge = [](uint8_t pid) {
    for (const ObdGaugeEntry& e : ObdGaugeEntries())
      if (e.pid == pid) return ObdGaugeSettings(e, obd::Lang::En);
    ADD_FAILURE() << "no generic gauge for PID " << int(pid);
    return GaugeSettings{};
  };
  const struct {
    GaugeSettings settings;
    const char* caption;
  } kRows[] = {
      {SetupOf(Component::VS_Speed).settings, "Speed, km/h"},
      {SetupOf(Component::VS_Nmot).settings, "Engine speed, *100 rpm"},
      {SetupOf(Component::VS_TOG).settings, "Coolant temperature"},
      {SetupOf(Component::VS_TANS).settings, "Intake air temperature"},
      {SetupOf(Component::VS_Ub).settings, "Battery voltage, V"},
      {SetupOf(Component::VS_THR).settings, "Throttle position"},
      {SetupOf(Component::VS_DV).settings, "Injection time"},
      {SetupOf(Component::VS_MRV).settings, "Air flow"},
      {SetupOf(Component::VS_MAP).settings, "Manifold pressure"},
      {obdGauge(0x0C), "Engine speed, rpm"},
      {obdGauge(0x0D), "Speed, km/h"},
      {obdGauge(0x42), "Battery voltage, V"},
      {obdGauge(0x05), "Coolant temperature"},
      {obdGauge(0x0F), "Intake air temperature"},
      {obdGauge(0x04), "Calculated load"},
      {obdGauge(0x11), "Throttle position"},
      {obdGauge(0x0B), "Manifold pressure"},
      {obdGauge(0x10), "Air flow"},
      {obdGauge(0x2F), "Fuel level"},
  };
  for (const auto& row : kRows) {
    const GaugeSettings& s = row.settings;
    const QString first = QCoreApplication::translate(
        "kalvex", s.name1.c_str(), s.name1Note.empty() ? nullptr : s.name1Note.c_str());
    const QString second = QCoreApplication::translate("kalvex", s.name2.c_str());
    EXPECT_EQ((first + " " + second).toStdString(), row.caption) << s.name1 << " " << s.name2;
  }
  // In Russian the shared first line stays as it is.
  QApplication::removeTranslator(&translator_);
  const GaugeSettings& coolant = SetupOf(Component::VS_TOG).settings;
  EXPECT_EQ(QCoreApplication::translate("kalvex", coolant.name1.c_str(), coolant.name1Note.c_str())
                .toStdString(),
            "Температура");
}

TEST_F(EnglishWindowTest, TheChoiceOnTheAboutTabIsRememberedForTheNextStart) {
  struct Row {
    const char* picked;  // the LanguageBox item of this language picked; null: none
    const char* stored;  // LANGUAGE afterwards
    bool noteShown;
  };
  const Row rows[] = {{nullptr, "", false}, {"en", "en", false}, {"ru", "ru", true}};
  for (const Row& row : rows) {
    {
      MainWindow w(English());
      auto* box = w.findChild<QComboBox*>("LanguageBox");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->currentData().toString(), "en");
      if (row.picked) {
        const int item = box->findData(row.picked);
        ASSERT_GE(item, 0) << row.picked;
        box->setCurrentIndex(item);
        emit box->activated(item);
      }
      EXPECT_EQ(!w.findChild<QLabel*>("LanguageNote")->isHidden(), row.noteShown) << row.stored;
      w.shutDown();
    }
    EXPECT_EQ(SettingsStore().read().language, row.stored) << row.stored;
  }
}

TEST_F(EnglishWindowTest, EveryLanguageFoundIsOfferedAndKept) {
  {
    MainWindow w(English());
    auto* box = w.findChild<QComboBox*>("LanguageBox");
    ASSERT_NE(box, nullptr);
    const auto& languages = Languages();
    ASSERT_EQ(box->count(), static_cast<int>(languages.size()));
    for (int i = 0; i < box->count(); ++i) {
      EXPECT_EQ(box->itemData(i).toString().toStdString(), languages[i].code);
      EXPECT_EQ(box->itemText(i).toStdString(), languages[i].name);
    }
    w.shutDown();
  }
  // LANGUAGE keeps any language there is, and nothing else.
  std::vector<std::pair<std::string, std::string>> rows = {{"xx", ""}, {"EN", ""}, {"english", ""}};
  for (const Language& l : Languages()) rows.emplace_back(l.code, l.code);
  for (const auto& [written, read] : rows) {
    WriteConfig(QByteArray("[General]\nLANGUAGE=") + written.c_str());
    EXPECT_EQ(SettingsStore().read().language, read) << written;
  }
}

}  // namespace
}  // namespace kalvex
