// Demo mode as Windows runs it: the simulator answers in-process through
// the session's link, and the window's gauges move over both adapters,
// while the serial port stays free for the other items of the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <set>

#include "app/demo.h"
#include "app/main_window.h"
#include "app/session_host.h"
#include "session/session_controller.h"
#include "support/demo_window.h"
#include "support/qt_test_app.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

TEST(InProcessDemo, GaugesMoveOverBothAdaptersAndOtherPortsStillOpen) {
  TestApp();
  auto demo = StartInProcessDemoSimulator();
  ASSERT_NE(demo->link(), nullptr);
  WindowOptions wo = DemoWindowOptions(*demo);
  wo.extraPorts = {"no-such-port-for-kalvex"};
  wo.requestPause = 20;
  MainWindow form(wo);
  form.setModalErrors(false);
  AttachDemoSimulator(*demo, form);
  auto* ports = form.findChild<QComboBox*>("ComboBox1");
  auto* adapter = form.findChild<QComboBox*>("ComboBoxTA");
  auto* start = form.findChild<QPushButton*>("Button1");
  ASSERT_TRUE(ports && adapter && start);
  ASSERT_EQ(ports->currentIndex(), 0);

  for (const auto& [adapterIndex, ecu] : {std::pair{0, 0}, std::pair{1, 6}}) {
    SCOPED_TRACE("adapter " + std::to_string(adapterIndex) + " LADA type " + std::to_string(ecu));
    form.selectMake(0);
    form.selectEcuType(ecu);
    adapter->setCurrentIndex(adapterIndex);
    start->click();
    ASSERT_TRUE(form.sessionHost()->controller().running());
    // The engine warms and revs from a cold start: the needles move.
    std::set<float> rpm, volts;
    EXPECT_TRUE(RunUntil(
        [&] {
          rpm.insert(form.dashboard()->value(Component::VI_Nmot));
          volts.insert(form.dashboard()->value(Component::VI_Ub));
          return rpm.size() >= 4 && volts.size() >= 3;
        },
        20000));
    start->click();
    EXPECT_FALSE(form.sessionHost()->controller().running());
  }
  EXPECT_TRUE(form.shownErrors().empty());

  // Any other item still goes to the serial port, which names the device.
  ports->setCurrentIndex(1);
  form.selectMake(0);
  form.selectEcuType(0);
  start->click();
  EXPECT_FALSE(form.sessionHost()->controller().running());
  ASSERT_EQ(form.shownErrors().size(), 1u);
  EXPECT_NE(form.shownErrors()[0].find("no-such-port-for-kalvex"), std::string::npos)
      << form.shownErrors()[0];
  form.shutDown();
}

}  // namespace
}  // namespace kalvex
