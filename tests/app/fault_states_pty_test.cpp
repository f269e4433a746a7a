// The fault tab and the dashboard around a fault read, on the real window
// against a small ELM327 on a pseudo-terminal: the clear button's states
// and its question, the list's lines, the note over the gauges, the rows the
// recorder keeps, and the gauges after a stop and a change of make.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <atomic>

#include "app/main_window.h"
#include "catalogue/catalogue.h"
#include "faults/faults.h"
#include "session/session_controller.h"
#include "support/adapter_peer.h"
#include "support/demo_window.h"
#include "support/qt_test_app.h"
#include "support/shots.h"
#include "ui/widgets/dashboard.h"
#include "ui/widgets/gauges.h"

namespace kalvex {
namespace {

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// Answers the clear question the way the user would.
bool Answer(MainWindow& form, const char* button) {
  QMessageBox* box = nullptr;
  if (!RunUntil([&] { return (box = form.findChild<QMessageBox*>("ClearConfirmation")); }, 2000))
    return false;
  EXPECT_EQ(box->text(), "Стереть коды неисправностей в ЭБУ?");
  for (QAbstractButton* b : box->buttons()) {
    if (b->text() == button) {
      b->click();
      QCoreApplication::processEvents();
      return true;
    }
  }
  return false;
}

TEST(FaultStates, ListClearAndRecorderAroundAFaultRead) {
  TestApp();
  const std::string live =
      "61 01 00 00 00 00 00 00 00 00 7B 00 0F 14 00 00 00 00 00 3C A0 00 F4 01 64 00";
  std::atomic<bool> cleared{false};
  test::AdapterPeer peer(test::ElmAnswer([&](const std::string& req) -> std::string {
    if (req == "21 01") return live;
    if (req == "14 FF 00") {
      cleared = true;
      return "54 FF 00";
    }
    // One described code (0102) and one the table lacks (0104).
    if (req == "18 00 00 00") return cleared ? "58 00" : "58 02 01 02 20 01 04 00";
    return {};
  }));
  ASSERT_TRUE(peer.ok());
  auto form = OpenWindowOnPort(peer.path());
  auto* clear = form->findChild<QPushButton*>("Button2");
  auto* memo = form->findChild<QPlainTextEdit*>("Memo1");
  ASSERT_TRUE(clear && memo);

  // The clear button only where the make has a clear request.
  EXPECT_FALSE(clear->isEnabled()) << "no make";
  form->selectMake(kByd);
  EXPECT_FALSE(clear->isEnabled()) << "BYD";
  form->selectMake(kCitroen);
  EXPECT_FALSE(clear->isEnabled()) << "CITROEN";
  form->selectMake(kLada);
  form->selectEcuType(0);
  EXPECT_TRUE(clear->isEnabled()) << "LADA";

  // Whatever an earlier test left in the settings: this port, an ELM327.
  form->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(0);
  form->findChild<QComboBox*>("ComboBoxTA")->setCurrentIndex(0);
  form->onStartClicked();
  ASSERT_TRUE(RunUntil([&] { return form->sessionValues().size() >= 2; }))
      << peer.lineCount() << " lines; errors: " << form->shownErrors().size();
  EXPECT_FALSE(form->faultReadNoteShown());
  form->onReadFaultsClicked();
  const std::string described = FaultDescriptionTable()[0].line;  // 0102
  ASSERT_TRUE(
      RunUntil([&] { return memo->toPlainText().startsWith(QString::fromStdString(described)); }));
  EXPECT_EQ(memo->toPlainText().toStdString(), described + "\nЕщё 1 код без описания: 0104");
  EXPECT_TRUE(form->faultReadNoteShown());
  // The reads go on; not one row is added for them.
  const size_t rows = form->sessionValues().size();
  const size_t reads = Count(peer.lines(), "18 00 00 00");
  ASSERT_TRUE(RunUntil([&] { return Count(peer.lines(), "18 00 00 00") >= reads + 3; }));
  EXPECT_EQ(form->sessionValues().size(), rows);
  EXPECT_TRUE(form->faultReadNoteShown());

  // Asked first: "Отмена" sends nothing, "Стереть" clears.
  clear->click();
  ASSERT_TRUE(Answer(*form, "Отмена"));
  const size_t more = Count(peer.lines(), "18 00 00 00");
  ASSERT_TRUE(RunUntil([&] { return Count(peer.lines(), "18 00 00 00") >= more + 2; }));
  EXPECT_EQ(Count(peer.lines(), "14 FF 00"), 0u);
  clear->click();
  ASSERT_TRUE(Answer(*form, "Стереть"));
  ASSERT_TRUE(RunUntil([&] { return memo->toPlainText() == "Ошибок нет"; }));
  EXPECT_EQ(Count(peer.lines(), "14 FF 00"), 1u);
  EXPECT_EQ(form->sessionValues().size(), rows);

  // The note's button brings live data back without a stop: the type's
  // first data request again, rows again, the note gone.
  auto* resume = form->findChild<QPushButton*>("ResumeLiveData");
  ASSERT_NE(resume, nullptr);
  EXPECT_TRUE(resume->isVisible());
  const size_t polls = Count(peer.lines(), "21 01");
  resume->click();
  ASSERT_TRUE(RunUntil([&] { return form->sessionValues().size() > rows + 1; }));
  EXPECT_GT(Count(peer.lines(), "21 01"), polls);
  EXPECT_FALSE(form->faultReadNoteShown());
  EXPECT_FALSE(form->dashboard()->gauge(Component::VS_TOG)->model().empty());

  // A stop leaves every gauge on show stale with its last value, the note
  // gone, except the coolant temperature: the stop's reset to 0 is no
  // reading, so it shows none. Another make empties them all.
  form->onStartClicked();
  EXPECT_FALSE(form->faultReadNoteShown());
  const Dashboard* d = form->dashboard();
  EXPECT_TRUE(d->gauge(Component::VS_TOG)->model().empty());
  EXPECT_EQ(d->value(Component::VS_TOG), 0.0f) << "the session's state keeps its reset";
  for (size_t i = 0; i < kComponentCount; ++i) {
    const auto c = static_cast<Component>(i);
    if (d->isComponentVisible(c) && c != Component::VS_TOG) {
      EXPECT_TRUE(d->gauge(c)->stale()) << ComponentName(c);
      EXPECT_FALSE(d->gauge(c)->model().empty()) << ComponentName(c);
    }
  }
  SaveShot(*form, "gauges_after_stop.png");
  form->selectMake(kHyundai);
  for (size_t i = 0; i < kComponentCount; ++i) {
    const auto c = static_cast<Component>(i);
    EXPECT_TRUE(d->gauge(c)->model().empty()) << ComponentName(c);
    EXPECT_FALSE(d->gauge(c)->stale()) << ComponentName(c);
  }
  form->shutDown();
}

}  // namespace
}  // namespace kalvex
