// The window in demo mode, offscreen: started programmatically over each
// adapter, the gauges follow what the simulator sends.
#include "support/demo_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <set>

#include "app/chart_page.h"
#include "app/demo.h"
#include "app/main_window.h"
#include "app/session_host.h"
#include "e2e/process_runner.h"
#include "session/session_controller.h"
#include "session/session_values.h"
#include "sim/pty_server.h"
#include "support/qt_test_app.h"
#include "ui/widgets/dashboard.h"

namespace kalvex {
namespace {

// A window with the demo simulator as its chosen port and nothing else.
WindowOptions DemoOptions(DemoSimulator& demo, Millis pause) {
  WindowOptions wo = DemoWindowOptions(demo);
  wo.requestPause = pause;
  return wo;
}

TEST(DemoWindow, GaugesMoveOverBothAdapters) {
  TestApp();
  std::string error;
  auto demo = StartDemoSimulator(error);
  ASSERT_NE(demo, nullptr) << error;

  WindowOptions wo = DemoWindowOptions(*demo);
  MainWindow form(wo);
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
    ASSERT_NE(demo->server(), nullptr);
    sim::PtyServer& server = *demo->server();
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
  form.shutDown();
}

// The "Графики" tab during a demo session: every accepted reply becomes a
// row and a point of each chosen quantity; the rows saved as CSV are the
// session's rows in the monitor's format; the PNG is a picture.
TEST(ChartWindow, DemoSessionFillsTheChartAndSaves) {
  TestApp();
  std::string error;
  auto demo = StartDemoSimulator(error);
  ASSERT_NE(demo, nullptr) << error;
  MainWindow form(DemoOptions(*demo, 20));  // a K-line type: 55 ms
  form.setModalErrors(false);
  AttachDemoSimulator(*demo, form);
  form.show();

  auto* tabs = form.findChild<QTabWidget*>("PageControl1");
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->tabText(3).toStdString(), "Список автомобилей");
  EXPECT_EQ(tabs->tabText(4).toStdString(), "Графики");
  tabs->setCurrentIndex(4);

  form.selectMake(0);
  form.selectEcuType(0);
  ChartPage* chart = form.chartPage();
  // The default four, as LADA type 0 sets them.
  const std::vector<Component> defaults = {Component::VI_Nmot, Component::VS_TOG, Component::VS_THR,
                                           Component::VI_Speed};
  EXPECT_EQ(chart->selection(), defaults);

  form.findChild<QPushButton*>("Button1")->click();
  ASSERT_TRUE(form.sessionHost()->controller().running());
  const SessionValues& values = form.sessionValues();
  ASSERT_TRUE(RunUntil([&] { return values.size() >= 40; }, 30000));
  const size_t rowsSeen = values.size();
  form.findChild<QPushButton*>("Button1")->click();  // stop: the rows stay
  EXPECT_EQ(values.size(), rowsSeen);

  // Every row is a reply the simulator sent, and is on the chart: each
  // chosen quantity's lane holds the row's value, or none where the row has
  // none.
  chart->refresh();
  const ChartSeries& series = chart->series();
  ASSERT_EQ(series.size(), values.size());
  ASSERT_EQ(series.lanes.size(), defaults.size());
  int held = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    ASSERT_DOUBLE_EQ(series.t[i], values[i].ms / 1000.0) << i;
    for (size_t l = 0; l < defaults.size(); ++l) {
      const auto v = values[i].value(defaults[l]);
      if (v) {
        ASSERT_EQ(series.lanes[l][i], *v) << i;
        ++held;
      } else {
        ASSERT_TRUE(std::isnan(series.lanes[l][i])) << i;
      }
    }
  }
  EXPECT_GT(held, 100);
  const auto history = demo->server()->history();
  const auto& lastRow = values.back();
  bool sent = false;
  for (const auto& r : history)
    sent |= r.values[static_cast<size_t>(Component::VI_Nmot)] == lastRow.value(Component::VI_Nmot);
  EXPECT_TRUE(sent);
  for (size_t i = 1; i < values.size(); ++i) ASSERT_GE(values[i].ms, values[i - 1].ms);

  // Saved CSV: the monitor's header and exactly the session's rows.
  const std::string csv = testing::TempDir() + "/chart.csv";
  ASSERT_TRUE(chart->saveCsv(csv, error)) << error;
  const std::string text = testing::ReadFile(csv);
  EXPECT_EQ(text.substr(0, text.find('\n')), kCsvHeader);
  SessionValues back;
  ASSERT_TRUE(back.readCsv(csv, error)) << error;
  ASSERT_EQ(back.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(back[i].ms, values[i].ms) << i;
    ASSERT_EQ(back[i].set, values[i].set) << i;
    for (int c = 0; c < kComponentCount; ++c) {
      if (!values[i].value(static_cast<Component>(c))) continue;
      ASSERT_EQ(back[i].v[c], values[i].v[c]) << i;
    }
  }
  EXPECT_FALSE(chart->saveCsv("/nonexistent-dir/x.csv", error));
  EXPECT_NE(error.find("/nonexistent-dir/x.csv"), std::string::npos) << error;

  // The PNG opens as an image of the chart.
  const std::string png = testing::TempDir() + "/chart.png";
  ASSERT_TRUE(chart->savePng(png, error)) << error;
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(png)));
  EXPECT_GT(image.width(), 300);
  EXPECT_GT(image.height(), 200);

  // Another ECU type offers its own components; a new start begins afresh.
  form.selectEcuType(6);
  EXPECT_EQ(chart->selection().size(), 4u);
  form.findChild<QPushButton*>("Button1")->click();
  EXPECT_LT(values.size(), rowsSeen);
  form.findChild<QPushButton*>("Button1")->click();
  EXPECT_TRUE(form.shownErrors().empty());
  form.shutDown();
}

// kalvex --plot as a user runs it, with a display that cannot be reached:
// the whole of a file whose clock goes back is drawn offscreen; a broken
// file or a missing column is refused with the file, line or column named.
TEST(PlotCommand, DrawsOffscreenWhateverTheDisplayAndNamesFaults) {
  TestApp();
  const std::string data = std::string(std::getenv("KALVEX_TEST_DATA")) + "/plot/";
  const std::string png = testing::TempDir() + "/plot_display.png";
  std::remove(png.c_str());
  const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  ::setenv("DISPLAY", "127.0.0.1:97", 1);  // nothing listens there
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* error;  // part of stderr
  } const cases[] = {
      {{"--plot", data + "clock_goes_back.csv", "--out", png}, 0, ""},
      {{"--plot", data + "huge_values.csv", "--out", png + ".huge.png"}, 0, "3 values beyond"},
      {{"--plot", data + "bad_number.csv", "--out", png + ".x.png"}, 1, "bad_number.csv: line 3"},
      {{"--plot", data + "bom.csv", "--out", png + ".x.png", "--columns", "VS_MAP"},
       2,
       "has no column VS_MAP"},
      {{"--plot", data + "bom.csv", "--out", "/nonexistent-dir/x.png"},
       1,
       "/nonexistent-dir/x.png"},
  };
  for (const Case& c : cases) {
    testing::Child plot(testing::BinaryDir() + "/kalvex", c.args, "plot_display");
    ASSERT_TRUE(plot.started());
    EXPECT_EQ(plot.wait(60), c.status) << c.args[1] << ": " << plot.err();
    EXPECT_NE(plot.err().find(c.error), std::string::npos) << plot.err();
  }
  if (display.empty())
    ::unsetenv("DISPLAY");
  else
    ::setenv("DISPLAY", display.c_str(), 1);
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(png)));
  EXPECT_EQ(image.size(), QSize(1024, 600));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(png) + ".x.png"));
}

// KALVEX_DOC_IMAGES=DIR: the README's picture of the tab during a minute's
// demo drive of a HYUNDAI CAN type, the cursor over the chart, and that
// drive's rows as DIR/chart_drive.csv (for the --plot picture).
TEST(ChartWindow, DocImages) {
  const char* dir = std::getenv("KALVEX_DOC_IMAGES");
  if (!dir) GTEST_SKIP() << "KALVEX_DOC_IMAGES not set";
  TestApp();
  std::string error;
  auto demo = StartDemoSimulator(error);
  ASSERT_NE(demo, nullptr) << error;
  MainWindow form(DemoOptions(*demo, 20));
  form.setModalErrors(false);
  AttachDemoSimulator(*demo, form);
  form.show();
  form.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(4);
  form.selectMake(1);
  form.selectEcuType(8);
  ChartPage* chart = form.chartPage();
  std::vector<Component> lanes = chart->selection();
  const auto* list = chart->findChild<QComboBox*>("ChartSelector1");
  for (Component c : {Component::VS_Ub, Component::VS_MAP, Component::VS_MRV, Component::VS_DV})
    if (lanes.size() < 6 && list->findData(static_cast<int>(c)) >= 0) lanes.push_back(c);
  chart->setSelection(lanes);
  form.findChild<QPushButton*>("Button1")->click();
  RunUntil([] { return false; }, 60000);
  chart->refresh();
  StripChart* strip = chart->chart();
  strip->showAll();
  const double x = strip->xOfTime(strip->viewFrom() + 0.62 * (strip->viewTo() - strip->viewFrom()));
  strip->setCursorX(x);
  form.grab().save(QString(dir) + "/chart_tab.png", "PNG");
  ASSERT_TRUE(chart->saveCsv(std::string(dir) + "/chart_drive.csv", error)) << error;
  form.findChild<QPushButton*>("Button1")->click();
  form.shutDown();
}

}  // namespace
}  // namespace kalvex
