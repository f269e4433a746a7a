// Whole sessions on the real window and the real serial port, against a
// small adapter on the far side of a pseudo-terminal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <algorithm>

#include "app/button_captions.h"
#include "app/main_window.h"
#include "app/session_host.h"
#include "session/session_controller.h"
#include "support/adapter_peer.h"
#include "support/demo_window.h"
#include "support/qt_test_app.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

// LADA type 0: speed 60, 800 rpm, 13.2 V, 83 °C, 10 kg/h, 15 %, 4 ms.
const std::string kLadaReplySpaced =
    "61 01 00 00 00 00 00 00 00 00 7B 00 0F 14 00 00 00 00 00 3C A0 00 F4 01 64 00";

struct Window {
  explicit Window(const std::string& port) { form = OpenWindowOnPort(port); }
  ~Window() {
    form->shutDown();
    form.reset();
  }
  QComboBox* combo(const char* name) { return form->findChild<QComboBox*>(name); }
  std::unique_ptr<MainWindow> form;
};

TEST(SessionPty, ElmSessionShowsLadaLiveData) {
  TestApp();
  test::AdapterPeer peer(test::ElmAnswer(
      [](const std::string& req) { return req == "21 01" ? kLadaReplySpaced : std::string(); }));
  ASSERT_TRUE(peer.ok());
  Window w(peer.path());
  w.combo("ComboBox1")->setCurrentIndex(0);
  w.combo("ComboBoxTA")->setCurrentIndex(0);
  w.form->selectMake(0);
  w.form->selectEcuType(0);
  int accepted = 0;
  w.form->sessionHost()->controller().onResponseAccepted = [&](const ResponseBytes&) {
    ++accepted;
  };
  w.form->onStartClicked();
  EXPECT_EQ(w.form->buttonCaption(), kCaptionStop);
  ASSERT_TRUE(RunUntil([&] { return accepted >= 3; })) << "lines seen: " << peer.lineCount();
  auto lines = peer.lines();
  // A line the adapter did not answer within Timer3's second goes out once
  // more (a loaded machine): the order is what counts.
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  const std::vector<std::string> setup = {"AT Z",    "AT E1",       "AT H0",   "AT SP5",
                                          "AT IB10", "AT SH8110F1", "AT SW00", "21 01"};
  ASSERT_GE(lines.size(), setup.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), setup);
  EXPECT_TRUE(w.form->shownErrors().empty());
  const Dashboard* d = w.form->dashboard();
  EXPECT_FLOAT_EQ(d->value(Component::VI_Nmot), 800.0f);
  EXPECT_FLOAT_EQ(d->value(Component::VS_Speed), 60.0f);
  EXPECT_FLOAT_EQ(d->value(Component::VS_TOG), 83.0f);
  w.form->onStartClicked();
  EXPECT_EQ(w.form->buttonCaption(), kCaptionStart);
}

TEST(SessionPty, KestaSessionShowsLadaLiveData) {
  TestApp();
  std::string compact = kLadaReplySpaced;
  compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
  test::AdapterPeer peer(test::KestaAnswer([&compact](const std::string& req) -> std::string {
    if (req == "DD:01:81") return "C1EF8F";
    if (req == "DD:02:2101") return compact;
    return {};
  }));
  ASSERT_TRUE(peer.ok());
  Window w(peer.path());
  w.combo("ComboBox1")->setCurrentIndex(0);
  w.combo("ComboBoxTA")->setCurrentIndex(1);
  w.form->selectMake(0);
  w.form->selectEcuType(0);
  std::vector<uint8_t> firstBytes;
  int accepted = 0;
  w.form->sessionHost()->controller().onResponseAccepted = [&](const ResponseBytes& rb) {
    if (++accepted == 2) firstBytes.assign(rb.b.begin(), rb.b.begin() + 26);
  };
  w.form->onStartClicked();
  ASSERT_TRUE(RunUntil([&] { return accepted >= 2; })) << "lines seen: " << peer.lineCount();
  EXPECT_EQ(firstBytes[13], 0x14);
  EXPECT_EQ(firstBytes[19], 0x3C);
  EXPECT_EQ(peer.lines().at(0).substr(0, 22), "DS:01:0T1P1 10 F1 1:81");
  EXPECT_TRUE(w.form->shownErrors().empty());
  EXPECT_FLOAT_EQ(w.form->dashboard()->value(Component::VI_Nmot), 800.0f);
  EXPECT_FLOAT_EQ(w.form->dashboard()->value(Component::VS_Ub), 13.2f);
  // closing the window during a session: everything stops before it dies
}

}  // namespace
}  // namespace kalvex
