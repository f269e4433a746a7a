// The generic OBD-II mode in demo mode as Windows runs it: no
// pseudo-terminal, the simulated generic car answering in-process.
#include <gtest/gtest.h>

#include <QLabel>
#include <set>

#include "app/demo.h"
#include "app/main_window.h"
#include "app/obd_dashboard.h"
#include "app/obd_host.h"
#include "app/obd_mode.h"
#include "app/obd_panel.h"
#include "support/demo_window.h"
#include "support/qt_test_app.h"
#include "ui/widgets/gauges.h"

namespace kalvex {
namespace {

// Demo mode as Windows runs it (no pseudo-terminal): the demo's port leads
// to the generic car answering in-process, and its gauges move.
TEST(ObdWindowInProcessDemo, TheDemoPortLeadsToTheGenericCar) {
  TestApp();
  auto demo = StartInProcessDemoSimulator();
  ASSERT_NE(demo->obdLink(), nullptr);
  const WindowOptions wo = DemoWindowOptions(*demo, 20);
  MainWindow form(wo);
  form.setModalErrors(false);
  AttachDemoSimulator(*demo, form);
  form.selectMake(kObdMakeIndex);
  form.selectEcuType(0);  // the automatic search
  form.onStartClicked();
  ObdPanel& obd = *form.obdPanel();
  ASSERT_TRUE(obd.running());
  std::set<float> rpm;
  EXPECT_TRUE(RunUntil(
      [&] {
        if (obd.dashboard()->shownPids().count(0x0C))
          rpm.insert(obd.dashboard()->gauge(0x0C)->value());
        return rpm.size() >= 3;
      },
      30000));
  EXPECT_TRUE(obd.dashboard()->identityLine()->text().contains("1D4GP00R55B123456"));
  form.onStartClicked();
  EXPECT_FALSE(obd.running());
  EXPECT_TRUE(form.shownErrors().empty());
  form.shutDown();
}

}  // namespace
}  // namespace kalvex
