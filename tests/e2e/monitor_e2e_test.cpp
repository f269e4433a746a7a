// kalvex-cli monitor (the built binary) against the simulator over real
// pseudo-terminals. Values are checked exactly against what the simulator
// encoded for each reply.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "e2e/process_runner.h"
#include "protocol/components.h"
#include "sim/ecu_layouts.h"
#include "sim/pty_server.h"

namespace kalvex {
namespace {

using testing::Child;

constexpr const char* kHeader =
    "time,VS_Speed,VI_Speed,VS_Nmot,VI_Nmot,VS_TOG,VS_Ub,VI_Ub,VS_TANS,VS_THR,VS_MRV,VS_DV,VS_MAP";
constexpr Component kColumns[] = {
    Component::VS_Speed, Component::VI_Speed, Component::VS_Nmot, Component::VI_Nmot,
    Component::VS_TOG,   Component::VS_Ub,    Component::VI_Ub,   Component::VS_TANS,
    Component::VS_THR,   Component::VS_MRV,   Component::VS_DV,   Component::VS_MAP,
};

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

// The twelve value columns a scanner must print for one encoded reply.
std::string ExpectedColumns(const sim::EncodedReply& r) {
  std::string s;
  for (Component c : kColumns) {
    if (!s.empty() || c != kColumns[0]) s += ',';
    if (const auto& v = r.values[static_cast<size_t>(c)]) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(*v));
      s += buf;
    }
  }
  return s;
}

// Checks the CSV against the simulator's record: every data row equals an
// encoded reply, in order (a retry under load may have been answered twice,
// so replies may be skipped, never reordered). Returns the data rows matched.
int CheckCsv(const std::string& csv, const std::vector<sim::EncodedReply>& history,
             const std::string& what) {
  std::vector<std::string> lines = Split(csv, '\n');
  EXPECT_GE(lines.size(), 2u) << what;
  if (lines.size() < 2) return 0;
  EXPECT_EQ(lines[0], kHeader) << what;
  EXPECT_EQ(lines.back(), "") << what << ": the last row is complete";
  size_t next = 0;
  int matched = 0;
  double lastTime = -1;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    const size_t comma = lines[i].find(',');
    EXPECT_NE(comma, std::string::npos) << what;
    if (comma == std::string::npos) return matched;
    const std::string time = lines[i].substr(0, comma);
    const std::string values = lines[i].substr(comma + 1);
    EXPECT_EQ(time.size() - time.find('.'), 4u) << what << ": three decimals in " << time;
    const double t = std::stod(time);
    EXPECT_GE(t, lastTime) << what;
    lastTime = t;
    if (values == std::string(11, ',')) {
      EXPECT_EQ(matched, 0) << what << ": a column once set stays set";
      continue;  // a set-up reply before any data
    }
    while (next < history.size() && ExpectedColumns(history[next]) != values) ++next;
    EXPECT_LT(next, history.size())
        << what << ": row " << i << " " << values << " is no reply the simulator sent";
    if (next == history.size()) return matched;
    ++next;
    ++matched;
  }
  return matched;
}

struct Run {
  int adapterKesta;
  int ecu;
};

// Every LADA type over both adapters, all sessions side by side.
TEST(MonitorEndToEnd, EveryLadaTypeOverBothAdapters) {
  constexpr int kReplies = 12;
  std::vector<std::unique_ptr<sim::PtyServer>> servers;
  std::vector<std::unique_ptr<Child>> children;
  std::vector<std::string> names;
  for (int kesta = 0; kesta <= 1; ++kesta) {
    for (int ecu = 0; ecu <= 6; ++ecu) {
      std::string error;
      auto server = sim::PtyServer::Start({0, ecu, 0, false}, error);
      ASSERT_NE(server, nullptr) << error;
      const std::string name =
          std::string(kesta ? "kesta" : "elm327") + "_lada" + std::to_string(ecu);
      children.push_back(std::make_unique<Child>(
          std::vector<std::string>{"monitor", "--port", server->slavePath(), "--adapter",
                                   kesta ? "kesta" : "elm327", "--make", "0", "--ecu",
                                   std::to_string(ecu), "--replies", std::to_string(kReplies),
                                   "--duration", "60"},
          name));
      ASSERT_TRUE(children.back()->started());
      servers.push_back(std::move(server));
      names.push_back(name);
    }
  }
  for (size_t i = 0; i < children.size(); ++i) {
    const int rc = children[i]->wait(90);
    EXPECT_EQ(rc, 0) << names[i] << ": " << children[i]->err();
    const auto history = servers[i]->history();
    const int matched = CheckCsv(children[i]->out(), history, names[i]);
    // Kesta K-line: the StartCommunication reply is a row too.
    const bool kLineKesta = names[i].rfind("kesta", 0) == 0 && names[i] != "kesta_lada6";
    EXPECT_EQ(matched, kLineKesta ? kReplies - 1 : kReplies) << names[i];
    EXPECT_NE(children[i]->err().find("Связь с ЭБУ установлена"), std::string::npos) << names[i];
  }
}

// Types of every make over both adapters, every rotation at least twice
// round: the link comes up and, once round, every column the type sets has a
// value and no other column has one. The suite runs this fixed set, which
// holds every kind of rotation; KALVEX_E2E_ALL=1 runs all 61 types.
TEST(MonitorEndToEnd, EveryMakeOverBothAdapters) {
  std::vector<std::pair<int, int>> types = {
      {0, 6}, {1, 0}, {1, 9},  {2, 4},  {3, 2},  {3, 4},  {4, 3},  {5, 0},  {6, 1},  {7, 2},
      {8, 0}, {9, 0}, {10, 0}, {10, 1}, {11, 1}, {12, 0}, {13, 0}, {14, 1}, {15, 0}, {16, 0},
  };
  if (const char* all = std::getenv("KALVEX_E2E_ALL"); all && std::string(all) == "1") {
    types.clear();
    for (int make = 0; make < kMakeCount; ++make)
      for (int ecu = 0; ecu < static_cast<int>(EcuTypesOf(make).size()); ++ecu)
        types.emplace_back(make, ecu);
  }
  struct Session {
    std::unique_ptr<sim::PtyServer> server;
    std::unique_ptr<Child> child;
    std::string name;
    std::string columns;  // the twelve columns: 'x' where the type sets one
  };
  std::vector<Session> sessions;
  for (int kesta = 0; kesta <= 1; ++kesta) {
    for (auto [make, ecu] : types) {
      Session s;
      std::string error;
      s.server = sim::PtyServer::Start({make, ecu, 0, false}, error);
      ASSERT_NE(s.server, nullptr) << error;
      const sim::EcuLayout* layout = sim::EcuLayoutOf(make, ecu);
      ASSERT_NE(layout, nullptr) << make << " " << ecu;
      std::array<bool, kComponentCount> set{};
      for (const sim::DataReply& r : layout->replies)
        for (const sim::Field& f : r.fields)
          for (Component c : f.components) set[static_cast<size_t>(c)] = true;
      for (Component c : kColumns) s.columns += set[static_cast<size_t>(c)] ? 'x' : '-';
      const size_t replies = 2 * layout->replies.size() + 3;
      s.name = std::string(kesta ? "kesta" : "elm327") + "_" + std::to_string(make) + "_" +
               std::to_string(ecu);
      s.child = std::make_unique<Child>(
          std::vector<std::string>{"monitor", "--port", s.server->slavePath(), "--adapter",
                                   kesta ? "kesta" : "elm327", "--make", std::to_string(make),
                                   "--ecu", std::to_string(ecu), "--replies",
                                   std::to_string(replies), "--duration", "90"},
          s.name);
      ASSERT_TRUE(s.child->started());
      sessions.push_back(std::move(s));
    }
  }
  for (Session& s : sessions) {
    EXPECT_EQ(s.child->wait(120), 0) << s.name << ": " << s.child->err();
    EXPECT_NE(s.child->err().find("Связь с ЭБУ установлена"), std::string::npos) << s.name;
    const std::vector<std::string> lines = Split(s.child->out(), '\n');
    ASSERT_GE(lines.size(), 3u) << s.name;
    const std::vector<std::string> last = Split(lines[lines.size() - 2], ',');
    ASSERT_EQ(last.size(), 13u) << s.name;
    std::string got;
    for (size_t i = 1; i < last.size(); ++i) got += last[i].empty() ? '-' : 'x';
    EXPECT_EQ(got, s.columns) << s.name << ": " << lines[lines.size() - 2];
  }
}

TEST(MonitorEndToEnd, FaultsReadAndClear) {
  std::string error;
  auto elm = sim::PtyServer::Start({0, 0, 0, false}, error);
  auto kesta = sim::PtyServer::Start({0, 6, 0, false}, error);
  ASSERT_TRUE(elm && kesta) << error;
  const std::string csv = testing::TempDir() + "/faults.csv";
  Child read({"monitor", "--port", elm->slavePath(), "--adapter", "elm327", "--make", "LADA",
              "--ecu", "0", "--faults", "--replies", "2", "--duration", "60", "--csv", csv},
             "faults_read");
  Child clear({"monitor", "--port", kesta->slavePath(), "--adapter", "kesta", "--make", "0",
               "--ecu", "6", "--faults", "--clear", "--replies", "3", "--duration", "60"},
              "faults_clear");
  ASSERT_EQ(read.wait(), 0) << read.err();
  ASSERT_EQ(clear.wait(), 0) << clear.err();

  // The three known codes, once: the second fault reply brings the same list.
  // P1602 has no description and is named on the line after them.
  const std::string block =
      "0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала\n"
      "0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре\n"
      "0562 - Бортовое напряжение имеет низкий уровень\n"
      "Ещё 1 код без описания: 1602\n\n";
  EXPECT_EQ(read.out(), block);
  EXPECT_EQ(elm->faults().size(), 4u);
  const auto csvLines = Split(testing::ReadFile(csv), '\n');
  EXPECT_EQ(csvLines.size(), 2u);  // header, end: fault replies set no values
  EXPECT_EQ(elm->receivedLines().back(), "18 00 00 00\r");

  // Clear, then the read that follows finds nothing, and says so once.
  EXPECT_EQ(clear.out(), "Ошибок нет\n\n");
  EXPECT_TRUE(kesta->faults().empty());
  const auto lines = kesta->receivedLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, 12), "DD:03:14FF00");
  EXPECT_EQ(lines[2].substr(0, 14), "DD:04:18000000");
}

// The status lines on stderr follow the window's label: no link from the
// start, the link once the ECU answers, no link again at the stop.
TEST(MonitorEndToEnd, StatusStartsAndEndsWithNoLink) {
  std::string error;
  auto server = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(server, nullptr) << error;
  Child child({"monitor", "--port", server->slavePath(), "--adapter", "elm327", "--make", "0",
               "--ecu", "0", "--replies", "3", "--duration", "30"},
              "status");
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.wait(60), 0) << child.err();
  EXPECT_EQ(child.err(), "Нет связи с ЭБУ\nСвязь с ЭБУ установлена\nНет связи с ЭБУ\n");
}

TEST(MonitorEndToEnd, ErrorsAreOneLineAndANonZeroExit) {
  std::string error;
  auto server = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(server, nullptr) << error;
  const std::string path = server->slavePath();
  const int held = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);  // as a scanner holds its port

  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"monitor", "--port", "/dev/kalvex-no-such-port", "--adapter", "elm327", "--make", "0",
        "--ecu", "0", "--duration", "1"},
       1},
      {{"monitor", "--port", path, "--adapter", "elm327", "--make", "0", "--ecu", "0", "--duration",
        "1"},
       1},  // busy
      {{"monitor", "--port", path, "--adapter", "obd", "--make", "0", "--ecu", "0"}, 2},
      {{"monitor", "--port", path, "--adapter", "kesta", "--make", "0", "--ecu", "7"}, 2},
      {{"monitor", "--port", path, "--adapter", "kesta", "--make", "0", "--ecu", "0", "--duration",
        "-1"},
       2},
      {{"monitor", "--port", path, "--adapter", "kesta", "--make", "2", "--ecu", "0", "--faults"},
       2},  // GREATWALL reads no codes
      {{"monitor", "--port", path, "--adapter", "kesta", "--make", "0", "--ecu", "0", "--clear"},
       2},
      {{"monitor", "--port"}, 2},
      {{"simulate", "--make", "17", "--ecu", "0"}, 2},
      {{"simulate", "--make", "0", "--ecu", "0", "--delay", "x"}, 2},
  };
  int n = 0;
  for (const Case& c : cases) {
    Child child(c.args, "error" + std::to_string(n++));
    EXPECT_EQ(child.wait(), c.status) << c.args[2];
    const std::string err = child.err();
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(err.rfind("kalvex-cli ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
  }
  ::close(held);
}

// An adapter unplugged mid-run ends the run with 4, though replies came
// before; a CSV that cannot be written ends it with 1.
TEST(MonitorEndToEnd, LostPortExitsFourAndAFailedCsvExitsOne) {
  std::string error;
  auto unplugged = sim::PtyServer::Start({0, 0, 0, false}, error);
  auto live = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_TRUE(unplugged && live) << error;
  Child lost({"monitor", "--port", unplugged->slavePath(), "--adapter", "elm327", "--make", "0",
              "--ecu", "0", "--duration", "60"},
             "lost");
  Child full({"monitor", "--port", live->slavePath(), "--adapter", "elm327", "--make", "0", "--ecu",
              "0", "--duration", "60", "--csv", "/dev/full"},
             "fullcsv");
  for (int i = 0; i < 600 && unplugged->history().size() < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_GE(unplugged->history().size(), 2u);
  unplugged.reset();  // the master side closes: the scanner's reads fail
  EXPECT_EQ(lost.wait(30), 4) << lost.err();
  EXPECT_NE(lost.err().find("error"), std::string::npos) << lost.err();
  EXPECT_EQ(full.wait(30), 1) << full.err();
  EXPECT_NE(full.err().find("kalvex-cli monitor: cannot write the CSV rows"), std::string::npos)
      << full.err();
}

TEST(MonitorEndToEnd, NoLinkExitsThreeAndCtrlCStopsCleanly) {
  std::string error;
  auto silent = sim::PtyServer::Start({0, 0, 0, false}, error);
  auto live = sim::PtyServer::Start({0, 2, 0, false}, error);
  ASSERT_TRUE(silent && live) << error;
  silent->setSilent(true);
  const std::string logDir = testing::TempDir() + "/log";
  std::filesystem::remove_all(logDir);
  const char* oldLogDir = std::getenv("KALVEX_LOG_DIR");
  const std::string restore = oldLogDir ? oldLogDir : "";
  ::setenv("KALVEX_LOG_DIR", logDir.c_str(), 1);
  Child dead({"monitor", "--port", silent->slavePath(), "--adapter", "kesta", "--make", "0",
              "--ecu", "0", "--duration", "1.5"},
             "nolink");
  Child running({"monitor", "--port", live->slavePath(), "--adapter", "elm327", "--make", "0",
                 "--ecu", "2", "--log"},
                "ctrlc");
  if (oldLogDir)
    ::setenv("KALVEX_LOG_DIR", restore.c_str(), 1);
  else
    ::unsetenv("KALVEX_LOG_DIR");
  // Interrupt once a few data replies have arrived (the first, the link's
  // start, sets no values and gives no row).
  for (int i = 0; i < 600 && live->history().size() < 4; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  running.signal(SIGINT);
  EXPECT_EQ(running.wait(), 0) << running.err();
  EXPECT_EQ(dead.wait(), 3) << dead.err();
  EXPECT_EQ(dead.out(), std::string(kHeader) + "\n");

  const std::string csv = running.out();
  EXPECT_GE(CheckCsv(csv, live->history(), "ctrlc"), 3);
  // The port was closed: it can be held exclusively again.
  const int fd = ::open(live->slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  ::close(fd);
  // The log holds every ELM327 line up to the last reply, CRLF-terminated.
  std::string log;
  FILE* ls = ::popen(("cat \"" + logDir + "\"/*.log").c_str(), "r");
  ASSERT_NE(ls, nullptr);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, ls)) > 0) log.append(buf, n);
  ::pclose(ls);
  EXPECT_NE(log.find(" -E- 6101"), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

}  // namespace
}  // namespace kalvex
