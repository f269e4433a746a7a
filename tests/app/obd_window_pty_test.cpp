// The generic OBD-II mode in the real window, against the simulated car
// (an engine and a transmission ECU behind an ELM327) on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <functional>
#include <set>

#include "app/button_captions.h"
#include "app/main_window.h"
#include "app/obd_dashboard.h"
#include "app/obd_faults_view.h"
#include "app/obd_host.h"
#include "app/obd_mode.h"
#include "app/obd_panel.h"
#include "app/obd_params_page.h"
#include "obd/pid_table.h"
#include "sim/pty_server.h"
#include "support/demo_window.h"
#include "support/qt_test_app.h"
#include "ui/widgets/dashboard.h"
#include "ui/widgets/gauges.h"

namespace kalvex {
namespace {

// The dashboard's standard set, as the issue names it.
const std::set<uint8_t> kStandardSet = {0x0C, 0x0D, 0x05, 0x04, 0x11, 0x0F, 0x0B, 0x10, 0x42, 0x2F};
constexpr int kCan11Item = 1;  // the ECU-type list: automatic search, then CAN 11/500

struct GenericWindow {
  GenericWindow() {
    sim::PtyServerOptions so;
    so.obd = sim::ObdSimOptions{};
    std::string error;
    server = sim::PtyServer::Start(so, error);
    if (!server) return;
    form = OpenWindowOnPort(server->slavePath());
    form->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(0);
    form->findChild<QComboBox*>("ComboBoxTA")->setCurrentIndex(0);
  }
  ~GenericWindow() {
    if (form) form->shutDown();
    form.reset();
    if (server) server->stop();
  }
  ObdPanel& panel() { return *form->obdPanel(); }
  const ObdResults& results() { return panel().host().session().results(); }
  // Generic mode on CAN 11/500, started, polling with the codes read.
  bool startAndPoll() {
    form->selectMake(kObdMakeIndex);
    form->selectEcuType(kCan11Item);
    form->onStartClicked();
    return RunUntil(
        [&] {
          const ObdSession& s = panel().host().session();
          return s.phase() == ObdPhase::Polling && s.valuesRead() > 20 &&
                 !results().freezeFrames.empty() && !results().freezeFrames[0].pids.empty();
        },
        30000);
  }
  // "Прочитать ошибки" while polling; true once that read has completed.
  bool readCodesAgain() {
    int reads = 0;
    auto previous = panel().host().onCodes;
    panel().host().onCodes = [&reads, previous] {
      ++reads;
      if (previous) previous();
    };
    const bool done = panel().host().readCodes() && RunUntil([&] { return reads > 0; });
    panel().host().onCodes = previous;
    return done;
  }
  // The lines the adapter received, without their CR.
  std::vector<std::string> linesSent() {
    std::vector<std::string> lines = server->receivedLines();
    for (std::string& l : lines)
      if (!l.empty() && l.back() == '\r') l.pop_back();
    return lines;
  }

  std::unique_ptr<sim::PtyServer> server;
  std::unique_ptr<MainWindow> form;
};

QStringList Column(const QTableWidget* t, int column) {
  QStringList out;
  for (int r = 0; r < t->rowCount(); ++r)
    out << (t->item(r, column) ? t->item(r, column)->text() : QString());
  return out;
}

QStringList Items(const QListWidget* l) {
  QStringList out;
  for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
  return out;
}

TEST(ObdWindowPty, ChoosingIt) {
  TestApp();
  GenericWindow w;
  ASSERT_TRUE(w.form);
  auto* makes = w.form->findChild<QComboBox*>("ComboBoxTM");
  auto* types = w.form->findChild<QComboBox*>("ComboBox4");
  ASSERT_EQ(makes->count(), kMakeCount + 1);
  EXPECT_EQ(makes->itemText(kMakeCount), "OBD-II (любой автомобиль)");
  EXPECT_TRUE(makes->itemText(0).startsWith("LADA"));  // the makes keep their places
  w.form->selectMake(kObdMakeIndex);
  const QStringList expected = {"Автоопределение",
                                "ISO 15765-4 CAN (11 bit ID, 500 kbaud)",
                                "ISO 15765-4 CAN (29 bit ID, 500 kbaud)",
                                "ISO 15765-4 CAN (11 bit ID, 250 kbaud)",
                                "ISO 15765-4 CAN (29 bit ID, 250 kbaud)",
                                "ISO 14230-4 KWP (fast init)",
                                "ISO 14230-4 KWP (5 baud init)",
                                "ISO 9141-2 (5 baud init)"};
  QStringList shown;
  for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(types->currentIndex(), 0);
  auto* pages = w.form->findChild<QTabWidget*>("PageControl1");
  ASSERT_EQ(pages->count(), 6);
  EXPECT_EQ(w.panel().paramsTabIndex(), 5);
  EXPECT_EQ(pages->tabText(5), "Все параметры");

  // The Kesta-mini is refused before anything goes to the port.
  w.form->findChild<QComboBox*>("ComboBoxTA")->setCurrentIndex(1);
  w.form->onStartClicked();
  EXPECT_FALSE(w.panel().running());
  EXPECT_EQ(w.form->buttonCaption(), kCaptionStart);
  ASSERT_EQ(w.form->shownErrors().size(), 1u);
  EXPECT_EQ(w.form->shownErrors()[0], kObdKestaRefused);
  RunUntil([] { return false; }, 200);
  EXPECT_TRUE(w.linesSent().empty());

  // A port that does not open: said at once, nothing runs.
  w.form->findChild<QComboBox*>("ComboBoxTA")->setCurrentIndex(0);
  w.form->portPicker().list()->setCurrentIndex(-1);
  w.form->onStartClicked();
  EXPECT_FALSE(w.panel().running());
  EXPECT_EQ(w.form->shownErrors().size(), 2u);
  EXPECT_EQ(w.form->buttonCaption(), kCaptionStart);

  w.form->selectMake(0);
  EXPECT_EQ(pages->count(), 5);  // the makers' pages alone, as before
  EXPECT_EQ(w.panel().paramsTabIndex(), -1);
}

TEST(ObdWindowPty, SessionFillsDashboardTableAndFaultTab) {
  TestApp();
  GenericWindow w;
  ASSERT_TRUE(w.form);
  ASSERT_TRUE(w.startAndPoll()) << "phase " << static_cast<int>(w.panel().host().session().phase());
  EXPECT_EQ(w.form->buttonCaption(), kCaptionStop);
  const ObdResults& r = w.results();
  ASSERT_EQ(r.ecus.size(), 2u);

  // Dashboard: exactly the standard PIDs the car said it supports.
  std::set<uint8_t> expected;
  for (uint8_t pid : SupportedPids(r))
    if (kStandardSet.count(pid)) expected.insert(pid);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(w.panel().dashboard()->shownPids(), expected);
  const auto rpm = r.values.find({r.ecus[0].id, 0x0C});
  ASSERT_NE(rpm, r.values.end());
  EXPECT_FLOAT_EQ(w.panel().dashboard()->gauge(0x0C)->value(),
                  static_cast<float>(*rpm->second.value));
  EXPECT_FALSE(w.panel().dashboard()->identityLine()->text().isEmpty());
  EXPECT_TRUE(w.panel().dashboard()->identityLine()->text().contains("1D4GP00R55B123456"));
  // The gearbox has no name of its own: its role and address stand for it.
  EXPECT_TRUE(w.panel().dashboard()->identityLine()->text().contains("ЭБУ КПП (7E9)"));

  // "Все параметры": one row for every supported PID of both ECUs.
  const QTableWidget* table = w.panel().paramsPage()->table();
  std::multiset<QString> rows;
  for (int i = 0; i < table->rowCount(); ++i)
    rows.insert(table->item(i, 0)->text() + "|" + table->item(i, 4)->text());
  size_t count = 0;
  std::set<QString> ecuNames;
  for (const ObdEcu& e : r.ecus) {
    for (uint8_t pid : e.pids.list()) {
      const obd::Pid* row = obd::FindPid(pid);
      if (row && row->kind == obd::PidKind::Bitmap) continue;
      ++count;
    }
  }
  EXPECT_EQ(static_cast<size_t>(table->rowCount()), count);
  for (const QString& ecu : Column(table, 4)) ecuNames.insert(ecu);
  EXPECT_EQ(ecuNames.size(), 2u);
  // Engine speed reads in words and numbers as the table gives them.
  const QStringList captions = Column(table, 0);
  const int rpmRow = static_cast<int>(captions.indexOf("Частота вращения двигателя"));
  ASSERT_GE(rpmRow, 0);
  EXPECT_TRUE(table->item(rpmRow, 1)->text().endsWith("об/мин"));
  EXPECT_FALSE(table->item(rpmRow, 2)->text().isEmpty());
  EXPECT_FALSE(table->item(rpmRow, 3)->text().isEmpty());
  const int fuelSystemRow = static_cast<int>(captions.indexOf("Состояние топливной системы"));
  ASSERT_GE(fuelSystemRow, 0);
  EXPECT_TRUE(table->item(fuelSystemRow, 1)->text().contains("система 1"));
  // Refreshed in place: the rows stay, cells change.
  const int rowsBefore = table->rowCount();
  QTableWidgetItem* rpmItem = table->item(rpmRow, 1);
  const int writes = w.panel().paramsPage()->cellWrites();
  ASSERT_TRUE(RunUntil([&] { return w.panel().paramsPage()->cellWrites() > writes + 5; }));
  EXPECT_EQ(table->rowCount(), rowsBefore);
  EXPECT_EQ(table->item(rpmRow, 1), rpmItem);

  // "Ошибки": the three kinds, the lamp, readiness, the freeze frame.
  ObdFaultsView* faults = w.panel().faultsView();
  const QStringList kinds = Column(faults->codesTable(), 1);
  for (const char* kind : {"сохранённый", "ожидающий", "постоянный"})
    EXPECT_TRUE(kinds.contains(kind)) << kind;
  const QStringList codes = Column(faults->codesTable(), 0);
  EXPECT_TRUE(codes.contains("P0301"));
  const int p0301 = static_cast<int>(codes.indexOf("P0301"));
  EXPECT_EQ(faults->codesTable()->item(p0301, 3)->text(), "Пропуски воспламенения в цилиндре 1");
  EXPECT_EQ(faults->milLine()->text(), "Лампа MIL: горит, подтверждённых кодов: 3");
  const QStringList readiness = Items(faults->readinessList());
  EXPECT_TRUE(readiness.contains("Катализатор: не готов"));
  EXPECT_TRUE(readiness.contains("Топливная система: готова"));
  EXPECT_TRUE(readiness.contains("Система улавливания паров топлива (EVAP): не готова"));
  EXPECT_TRUE(faults->freezeFrameHeading()->text().contains("P0301"));
  EXPECT_GT(faults->freezeFrameTable()->rowCount(), 3);
  EXPECT_TRUE(Column(faults->freezeFrameTable(), 0).contains("Частота вращения двигателя"));

  // The CSV: the command line's layout, named after the VIN.
  const std::string csv = w.panel().csvText();
  const std::string header = csv.substr(0, csv.find('\n'));
  EXPECT_EQ(header + "\n", ObdCsvHeader(ObdCsvColumns(w.panel().host().session().columns())));
  EXPECT_EQ(header.substr(0, 12), "time,OBD_04,");
  EXPECT_GT(std::count(csv.begin(), csv.end(), '\n'), 2);
  EXPECT_TRUE(w.panel().csvName().startsWith("1D4GP00R55B123456_"));
  EXPECT_TRUE(w.panel().csvName().endsWith(".csv"));
  const QString path = QDir::temp().filePath("kalvex_obd_window_test.csv");
  ASSERT_TRUE(w.panel().startCsvSave(path));
  w.panel().finishSave();
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QByteArray written = saved.readAll();
  EXPECT_EQ(written.left(static_cast<qsizetype>(header.size())).toStdString(), header);
  saved.remove();

  // Live values are drawn live; once the session ends they are dimmed.
  EXPECT_FALSE(w.panel().dashboard()->gauge(0x0C)->stale());
  w.form->onStartClicked();
  EXPECT_TRUE(RunUntil([&] { return !w.panel().running(); }));
  EXPECT_EQ(w.form->buttonCaption(), kCaptionStart);
  EXPECT_TRUE(w.panel().dashboard()->gauge(0x0C)->stale());
}

TEST(ObdWindowPty, ClearAsksClearsAndReadsAgain) {
  TestApp();
  GenericWindow w;
  ASSERT_TRUE(w.form);
  ASSERT_TRUE(w.startAndPoll());
  ObdFaultsView* faults = w.panel().faultsView();
  QString asked;
  bool agree = false;
  faults->confirm = [&](const QString& question, std::function<void()> yes) {
    asked = question;
    if (agree) yes();
  };
  auto clearsSent = [&] {
    const auto lines = w.linesSent();
    return std::count(lines.begin(), lines.end(), "04");
  };
  // Said no: nothing is cleared.
  faults->clearClicked();
  EXPECT_TRUE(asked.contains("стоп-кадр"));
  EXPECT_TRUE(asked.contains("готовности"));
  RunUntil([] { return false; }, 300);
  EXPECT_EQ(clearsSent(), 0);
  EXPECT_EQ(w.results().storedCount(), 3);
  // Said yes: service 04, then the codes again.
  agree = true;
  faults->clearClicked();
  ASSERT_TRUE(RunUntil([&] {
    return w.results().clear == ObdClear::Done && w.results().codesRead &&
           faults->milLine()->text() == "Лампа MIL: не горит, подтверждённых кодов: 0";
  }));
  EXPECT_EQ(clearsSent(), 1);
  const QStringList kinds = Column(faults->codesTable(), 1);
  EXPECT_FALSE(kinds.contains("сохранённый"));
  EXPECT_FALSE(kinds.contains("ожидающий"));
  EXPECT_EQ(faults->freezeFrameTable()->rowCount(), 0);
  // The monitors that wait for a drive start over.
  const QStringList readiness = Items(faults->readinessList());
  EXPECT_TRUE(readiness.contains("Датчик кислорода: не готов"));
  EXPECT_FALSE(readiness.contains("Датчик кислорода: готов"));
  // "Прочитать ошибки" reads all three kinds again, polling goes on.
  ASSERT_TRUE(w.readCodesAgain());
  auto lines = w.linesSent();
  lines.erase(lines.begin(), lines.end() - std::min<long>(12, static_cast<long>(lines.size())));
  for (const char* service : {"01 01", "03", "07", "0A"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), service), lines.end()) << service;
  EXPECT_TRUE(RunUntil([&] { return w.panel().host().session().phase() == ObdPhase::Polling; }));
}

// The question before a clear stays open while the session goes on: a yes
// that could not be sent, or a clear that was not confirmed, is said, and
// said once, though the codes are read again after it.
TEST(ObdWindowPty, AClearThatDidNotHappenIsSaidOnce) {
  enum class Ask { WhileSettingUp, AfterTheSessionEnded, ThenStop, CarSilent };
  struct Case {
    const char* name;
    Ask ask;
    const char* error;
  };
  const Case cases[] = {
      {"asked while setting up", Ask::WhileSettingUp,
       "Коды не стёрты: дождитесь окончания опроса блоков управления"},
      {"yes after the session ended", Ask::AfterTheSessionEnded,
       "Коды не стёрты: сеанс связи с автомобилем завершён"},
      {"stopped before the answer", Ask::ThenStop,
       "Стирание кодов не подтверждено: сеанс завершился раньше ответа блоков управления"},
      {"no ECU answered", Ask::CarSilent, "Ни один блок не ответил на запрос стирания кодов"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestApp();
    GenericWindow w;
    ASSERT_TRUE(w.form);
    std::function<void()> yes;
    ObdFaultsView* faults = w.panel().faultsView();
    faults->confirm = [&](const QString&, std::function<void()> said) { yes = std::move(said); };
    if (c.ask == Ask::WhileSettingUp) {
      w.form->selectMake(kObdMakeIndex);
      w.form->selectEcuType(kCan11Item);
      w.form->onStartClicked();
      ASSERT_TRUE(w.panel().running());
    } else {
      ASSERT_TRUE(w.startAndPoll());
    }
    faults->clearClicked();
    ASSERT_TRUE(yes);
    switch (c.ask) {
      case Ask::WhileSettingUp:
        yes();
        break;
      case Ask::AfterTheSessionEnded:
        w.form->onStartClicked();
        ASSERT_TRUE(RunUntil([&] { return !w.panel().running(); }));
        yes();
        break;
      case Ask::ThenStop:
        yes();
        w.form->onStartClicked();
        break;
      case Ask::CarSilent: {
        w.server->setSilent(true);
        yes();
        ASSERT_TRUE(RunUntil([&] { return !w.form->shownErrors().empty(); }, 15000));
        w.server->setSilent(false);
        // The codes read again: the clear's outcome is not said again.
        ASSERT_TRUE(w.readCodesAgain());
        break;
      }
    }
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(w.form->shownErrors(), std::vector<std::string>{c.error});
    const std::vector<std::string> lines = w.linesSent();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "04"), c.ask == Ask::CarSilent ? 1 : 0);
  }
}

TEST(ObdWindowPty, BackToAMakeRestoresItsDashboard) {
  TestApp();
  GenericWindow w;
  ASSERT_TRUE(w.form);
  w.form->selectMake(0);
  w.form->selectEcuType(0);
  const QImage before = w.form->grab().toImage();

  ASSERT_TRUE(w.startAndPoll());
  w.form->onStartClicked();
  ASSERT_TRUE(RunUntil([&] { return !w.panel().running(); }));
  w.form->selectMake(0);
  w.form->selectEcuType(0);
  EXPECT_TRUE(w.panel().dashboard()->isHidden());
  EXPECT_TRUE(w.panel().faultsView()->isHidden());
  EXPECT_TRUE(w.form->dashboard()->isComponentVisible(Component::VS_Speed));
  const QImage after = w.form->grab().toImage();
  ASSERT_EQ(after.size(), before.size());
  QRect differs;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x)
      if (after.pixel(x, y) != before.pixel(x, y)) differs |= QRect(x, y, 1, 1);
  EXPECT_TRUE(differs.isEmpty()) << "the LADA window differs after the generic mode in "
                                 << differs.x() << "," << differs.y() << " " << differs.width()
                                 << "x" << differs.height();
}

}  // namespace
}  // namespace kalvex
