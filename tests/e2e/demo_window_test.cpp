// The window in demo mode, offscreen: started programmatically over each
// adapter, the gauges follow what the simulator sends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "app/demo.h"
#include "app/main_window.h"
#include "app/session_host.h"
#include "session/session_controller.h"
#include "sim/pty_server.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_e2e";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

// Runs the Qt event loop until `done` holds or `limitMs` pass.
template <typename Pred>
bool RunUntil(Pred done, int limitMs) {
  for (int waited = 0; waited < limitMs; waited += 20) {
    if (done()) return true;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

TEST(DemoWindow, GaugesMoveOverBothAdapters) {
  App();
  std::string error;
  auto demo = StartDemoSimulator(error);
  ASSERT_NE(demo, nullptr) << error;

  WindowOptions wo;
  wo.leadingPorts = {demo->portPath()};
  wo.leadingPortSelected = true;
  wo.discoverPorts = false;
  wo.writeSettingsOnClose = false;
  TForm1 form(wo);
  form.setModalErrors(false);
  AttachDemoSimulator(*demo, form);
  auto* ports = form.findChild<QComboBox*>("ComboBox1");
  auto* adapter = form.findChild<QComboBox*>("ComboBoxTA");
  auto* start = form.findChild<QPushButton*>("Button1");
  ASSERT_TRUE(ports && adapter && start);
  EXPECT_EQ(ports->currentIndex(), 0);
  EXPECT_EQ(ports->currentText().toStdString(), demo->portPath());

  struct Case {
    int adapter, ecu;
  };
  for (const Case c : {Case{0, 0}, Case{1, 6}}) {
    SCOPED_TRACE("adapter " + std::to_string(c.adapter) + " LADA type " + std::to_string(c.ecu));
    form.selectMake(0);
    form.selectEcuType(c.ecu);
    adapter->setCurrentIndex(c.adapter);
    start->click();
    ASSERT_TRUE(form.sessionHost()->controller().running());

    // The simulator was told the type at the start (a cold engine) and the
    // battery ripple moves the voltage needle on every reply.
    std::set<float> voltages;
    sim::PtyServer& server = demo->server();
    const bool moved = RunUntil(
        [&] {
          const auto history = server.history();
          voltages.insert(form.dashboard()->value(Component::VI_Ub));
          return history.size() >= 4 && voltages.size() >= 3;
        },
        20000);
    EXPECT_TRUE(moved);
    const auto history = server.history();
    ASSERT_FALSE(history.empty());
    // What the dashboard shows is what one of the last replies carried.
    const float rpm = form.dashboard()->value(Component::VI_Nmot);
    bool found = false;
    for (const auto& r : history) found |= r.values[static_cast<size_t>(Component::VI_Nmot)] == rpm;
    EXPECT_TRUE(found) << rpm;
    start->click();  // stop
    EXPECT_FALSE(form.sessionHost()->controller().running());
  }
  EXPECT_TRUE(form.shownErrors().empty());
  form.FormClose();
}

}  // namespace
}  // namespace kalvex
