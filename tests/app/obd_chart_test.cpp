// The "Графики" tab in the generic OBD-II mode, against the simulated car
// (an engine and a transmission ECU) answering in-process: the lanes offered
// are the polled PIDs, a row of "Все параметры" becomes a lane, the lanes
// draw what the session measured and nothing else, the CSV is the command
// line's, and a make chosen again gets its own lanes back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <utility>

#include "app/chart_page.h"
#include "app/demo.h"
#include "app/main_window.h"
#include "app/obd_chart_source.h"
#include "app/obd_host.h"
#include "app/obd_mode.h"
#include "app/obd_panel.h"
#include "app/obd_params_page.h"
#include "support/demo_window.h"
#include "support/qt_test_app.h"

namespace kalvex {
namespace {

using Key = std::pair<uint32_t, uint8_t>;
constexpr uint32_t kEngine = 0x7E8;
constexpr uint32_t kGearbox = 0x7E9;

QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

QStringList Lanes(const ChartPage& page) {
  QStringList out;
  for (const ChartLane& l : page.chart()->lanes()) out << l.caption;
  return out;
}

// The generic car in demo mode, and every value the session measured, as
// its observer heard them, with the time the chart counts from.
struct GenericChart {
  GenericChart() {
    demo = StartInProcessDemoSimulator();
    const WindowOptions wo = DemoWindowOptions(*demo, 20);
    form = std::make_unique<MainWindow>(wo);
    form->setModalErrors(false);
    AttachDemoSimulator(*demo, *form);
  }
  ~GenericChart() { form->shutDown(); }

  ObdPanel& panel() { return *form->obdPanel(); }
  ChartPage& chart() { return *form->chartPage(); }
  QComboBox* selector(int i) {
    return chart().findChild<QComboBox*>(QString("ChartSelector%1").arg(i + 1));
  }

  // Started in generic mode, polling until `answers` values came in.
  bool startAndPoll(uint64_t answers) {
    form->selectMake(kObdMakeIndex);
    form->selectEcuType(0);
    form->onStartClicked();
    ObdHost& host = panel().host();
    auto inner = host.onValues;
    host.onValues = [this, &host, inner](const std::vector<Key>& keys) {
      const ObdResults& r = host.session().results();
      for (const Key& k : keys) {
        const auto it = r.values.find(k);
        if (it != r.values.end() && it->second.value)
          measured[k].emplace_back(static_cast<double>(it->second.at - host.startedAt()) / 1000.0,
                                   static_cast<float>(*it->second.value));
      }
      inner(keys);
    };
    return RunUntil([&] { return host.session().valuesRead() >= answers; }, 30000);
  }
  // The row of "Все параметры" holding `key`.
  int tableRow(Key key) {
    const auto rows = ObdParamRows(panel().host().session().results(), obd::Lang::Ru);
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].ecu == key.first && rows[i].pid == key.second) return static_cast<int>(i);
    return -1;
  }

  std::unique_ptr<DemoSimulator> demo;
  std::unique_ptr<MainWindow> form;
  std::map<Key, std::vector<std::pair<double, float>>> measured;
};

// The points a lane holds: every row with a value, in order.
std::vector<std::pair<double, float>> Points(const ChartSeries& s, size_t lane) {
  std::vector<std::pair<double, float>> out;
  for (size_t i = 0; i < s.size(); ++i)
    if (!std::isnan(s.lanes[lane][i])) out.emplace_back(s.t[i], s.lanes[lane][i]);
  return out;
}

TEST(ObdChart, LanesAreThePolledPidsAndDrawWhatWasMeasured) {
  TestApp();
  GenericChart g;
  // A make's own choice of lanes, to be found again afterwards.
  g.form->selectMake(0);
  g.chart().setSelection({Component::VS_TOG, Component::VS_Ub});
  const QStringList ladaItems = Items(g.selector(0));
  const std::vector<Component> ladaLanes = g.chart().selection();

  ASSERT_TRUE(g.startAndPoll(200));
  // Every polled number PID, per ECU where both answer it; nothing else.
  QStringList expected{"—"};
  const auto& columns = g.panel().host().session().columns();
  for (const ObdColumn& c : ObdCsvColumns(columns))
    expected << g.panel().chartSource().caption(*g.panel().chartSource().keyOf(*c.ecu, c.pid));
  EXPECT_EQ(Items(g.selector(0)), expected);
  for (const char* both : {"Скорость автомобиля (ЭБУ двигателя (7E8)), км/ч",
                           "Скорость автомобиля (ЭБУ КПП (7E9)), км/ч",
                           "Частота вращения двигателя (ЭБУ КПП (7E9)), об/мин",
                           "Температура охлаждающей жидкости, °C"})
    EXPECT_TRUE(expected.contains(both)) << both << " in " << expected.join("|").toStdString();
  EXPECT_EQ(Lanes(g.chart()).join("|").toStdString(),
            "Частота вращения двигателя (ЭБУ двигателя (7E8))|Температура охлаждающей "
            "жидкости|Положение дроссельной заслонки|Скорость автомобиля (ЭБУ двигателя (7E8))");

  // Rows of the table onto the chart: a free selector first, then in place
  // of the last; a PID told in words has no lane.
  struct Add {
    Key key;
    bool added;
    int lanes;   // after it
    int laneOf;  // where it went (-1: nowhere)
  } const adds[] = {
      {{kGearbox, 0x0D}, true, 5, 4},  {{kEngine, 0x0C}, true, 5, 0},  // already a lane
      {{kEngine, 0x04}, true, 6, 5},   {{kEngine, 0x0F}, true, 6, 5},  // replaces the last
      {{kEngine, 0x01}, false, 6, -1},
  };
  ObdParamsPage& table = *g.panel().paramsPage();
  for (const Add& a : adds) {
    SCOPED_TRACE(a.key.second);
    const int row = g.tableRow(a.key);
    ASSERT_GE(row, 0);
    EXPECT_EQ(table.addRowToChart(row), a.added);
    const std::vector<int> keys = g.chart().keys();
    EXPECT_EQ(static_cast<int>(keys.size()), a.lanes);
    const auto key = g.panel().chartSource().keyOf(a.key.first, a.key.second);
    if (a.laneOf >= 0) {
      ASSERT_TRUE(key);
      EXPECT_EQ(keys[static_cast<size_t>(a.laneOf)], *key);
    }
  }

  // Each lane holds exactly the values measured, at their times.
  g.form->showPage(g.form->findChild<QTabWidget*>("PageControl1")->indexOf(&g.chart()));
  RunUntil([&] { return g.panel().host().session().valuesRead() >= 260; }, 30000);
  g.chart().refresh();
  const std::vector<int> keys = g.chart().keys();
  for (size_t l = 0; l < keys.size(); ++l) {
    const ObdColumn& c = g.panel().history().columns()[static_cast<size_t>(keys[l])];
    SCOPED_TRACE(c.name);
    const auto& want = g.measured[{*c.ecu, c.pid}];
    EXPECT_GT(want.size(), 3u);
    EXPECT_EQ(Points(g.chart().series(), l), want);
  }

  // The chart's CSV is the table's, in the command line's layout.
  QTemporaryDir dir;
  const std::string path = QDir(dir.path()).filePath("chart.csv").toStdString();
  std::string error;
  ASSERT_TRUE(g.chart().saveCsv(path, error)) << error;
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string csv = file.readAll().toStdString();
  EXPECT_EQ(csv, g.panel().csvText());
  EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), ObdCsvHeader(ObdCsvColumns(columns)));

  g.form->onStartClicked();
  ASSERT_TRUE(RunUntil([&] { return !g.panel().running(); }));
  g.form->selectMake(0);
  EXPECT_EQ(Items(g.selector(0)), ladaItems);
  EXPECT_EQ(g.chart().selection(), ladaLanes);
}

}  // namespace
}  // namespace kalvex

namespace kalvex {
namespace {

// A CSV save copies its rows a piece at a time while the session goes on:
// rows that come meanwhile are not in it, rows dropped before they were
// copied are missing, but what they measured still fills the rows after.
TEST(ObdChartCsv, ACopyTakenWhileRowsGoStillCarriesTheirValues) {
  const std::vector<ObdColumn> columns = {
      {0x0C, 0x7E8, "OBD_0C"}, {0x0D, 0x7E8, "OBD_0D_7E8"}, {0x0D, 0x7E9, "OBD_0D_7E9"}};
  const std::string header = "time,OBD_0C,OBD_0D_7E8,OBD_0D_7E9\n";
  struct Case {
    const char* what;
    int laterAnswers;  // after the first piece was copied
    bool newSession;
    std::string csv;
  } const cases[] = {
      {"nothing lost", 0, false, header + "1.000,1726,,\n1.100,1726,62,\n1.200,1726,62,61\n"},
      {"the second row dropped before its turn", 2, false,
       header + "1.000,1726,,\n1.200,1726,62,61\n"},
      {"a new session began", 1, true, header + "1.000,1726,,\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ObdValueHistory history(3);
    history.begin(columns);
    ObdChartSource source(history, obd::Lang::Ru);
    ObdResults r;
    Millis at = 1000;
    auto answer = [&](uint32_t ecu, uint8_t pid, std::vector<uint8_t> bytes) {
      ObdValue& v = r.values[{ecu, pid}];
      v.bytes = std::move(bytes);
      v.at = at;
      at += 100;
      history.append(0, {{ecu, pid}}, r);
    };
    answer(0x7E8, 0x0C, {0x1A, 0xF8});
    answer(0x7E8, 0x0D, {0x3E});
    answer(0x7E9, 0x0D, {0x3D});
    const auto copy = source.startCopy();
    EXPECT_TRUE(copy->step(1));
    if (c.newSession) history.begin(columns);
    for (int i = 0; i < c.laterAnswers; ++i) answer(0x7E8, 0x0C, {0x1B, 0x58});
    while (copy->step(1)) {
    }
    std::string csv;
    ASSERT_TRUE(copy->write(
        [&](std::string_view piece) {
          csv += piece;
          return true;
        },
        {}));
    EXPECT_EQ(csv, c.csv);
  }
}

}  // namespace
}  // namespace kalvex
