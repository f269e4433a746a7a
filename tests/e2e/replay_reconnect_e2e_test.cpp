// kalvex-cli replay against the CSV the same monitor run wrote, and monitor
// --reconnect across a simulator that goes away and comes back behind the
// same path. Real processes on real pseudo-terminals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/process_runner.h"
#include "sim/pty_server.h"

namespace kalvex {
namespace {

using testing::Child;
using testing::ReadFile;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char* kCsvHeaderForTest =
    "time,VS_Speed,VI_Speed,VS_Nmot,VI_Nmot,VS_TOG,VS_Ub,VI_Ub,VS_TANS,VS_THR,VS_MRV,VS_DV,VS_MAP";

using testing::Lines;

// The one log file in `dir`.
std::string OnlyLog(const std::string& dir) {
  std::vector<std::string> logs;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".log") logs.push_back(e.path().string());
  EXPECT_EQ(logs.size(), 1u) << dir;
  return logs.empty() ? std::string() : logs.front();
}

std::string FreshDir(const std::string& name) {
  const std::string dir = TempDir() + "/" + name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(ReplayEndToEnd, LogOfAMonitorRunGivesItsCsv) {
  struct Type {
    int make, ecu;
  };
  // K-line single frames, CAN single frames, CAN multi-frame replies.
  for (const Type t : {Type{0, 0}, Type{0, 6}, Type{1, 9}, Type{11, 1}}) {
    const std::string name = "replay_" + std::to_string(t.make) + "_" + std::to_string(t.ecu);
    SCOPED_TRACE(name);
    std::string error;
    auto server = sim::PtyServer::Start({t.make, t.ecu, 0, false}, error);
    ASSERT_NE(server, nullptr) << error;
    const std::string dir = FreshDir(name);
    ::setenv("KALVEX_LOG_DIR", dir.c_str(), 1);
    Child monitor({"monitor", "--port", server->slavePath(), "--adapter", "elm327", "--make",
                   std::to_string(t.make), "--ecu", std::to_string(t.ecu), "--log", "--pause", "20",
                   "--replies", "40", "--duration", "60", "--csv", dir + "/monitor.csv"},
                  name + "_monitor");
    ASSERT_EQ(monitor.wait(90), 0) << monitor.err();
    server->stop();

    const std::string log = OnlyLog(dir);
    Child replay({"replay", log, "--make", std::to_string(t.make), "--ecu", std::to_string(t.ecu),
                  "--csv", dir + "/replay.csv"},
                 name + "_replay");
    ASSERT_EQ(replay.wait(30), 0) << replay.err();
    const auto want = Lines(ReadFile(dir + "/monitor.csv"));
    const auto got = Lines(ReadFile(dir + "/replay.csv"));
    ASSERT_EQ(got.size(), want.size());
    ASSERT_GE(want.size(), 41u);
    EXPECT_EQ(got[0], want[0]);
    for (size_t i = 1; i < want.size(); ++i) {
      const size_t a = want[i].find(','), b = got[i].find(',');
      ASSERT_NE(b, std::string::npos);
      EXPECT_EQ(got[i].substr(b), want[i].substr(a)) << "row " << i;
      EXPECT_LE(std::fabs(std::stod(got[i]) - std::stod(want[i])), 2.0) << "row " << i;
    }
  }
  ::setenv("KALVEX_LOG_DIR", (testing::BinaryDir() + "/testenv/log").c_str(), 1);
}

TEST(ReplayEndToEnd, WhatIsNoElmLog) {
  // A Kesta-mini session logs its start time only.
  std::string error;
  auto server = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(server, nullptr) << error;
  const std::string dir = FreshDir("replay_kesta");
  ::setenv("KALVEX_LOG_DIR", dir.c_str(), 1);
  Child monitor(
      {"monitor", "--port", server->slavePath(), "--adapter", "kesta", "--make", "0", "--ecu", "0",
       "--log", "--replies", "3", "--duration", "30", "--csv", dir + "/monitor.csv"},
      "replay_kesta_monitor");
  ASSERT_EQ(monitor.wait(60), 0) << monitor.err();
  ::setenv("KALVEX_LOG_DIR", (testing::BinaryDir() + "/testenv/log").c_str(), 1);
  const std::string log = OnlyLog(dir);
  const std::string garbage = dir + "/garbage.log";
  std::FILE* f = std::fopen(garbage.c_str(), "w");
  std::fputs("not a log\n", f);
  std::fclose(f);

  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{"replay", log, "--make", "0", "--ecu", "0"}, 1, "Kesta-mini"},
      {{"replay", dir + "/missing.log", "--make", "0", "--ecu", "0"}, 1, "cannot read"},
      {{"replay", garbage, "--make", "0", "--ecu", "0"}, 1, "not a session log"},
      {{"replay", log, "--make", "0"}, 2, "--make and --ecu"},
      {{"replay", "--make", "0", "--ecu", "0"}, 2, "log file is needed"},
      {{"replay", log, "--make", "0", "--ecu", "99"}, 2, "unknown ECU type"},
  };
  int n = 0;
  // Rejected lines are counted once; time in whole seconds from the first line.
  const std::string crafted = dir + "/crafted.log";
  f = std::fopen(crafted.c_str(), "w");
  std::fputs(
      "31/12/2026 23:59:58\r\n"
      "31/12/2026 23:59:59 --- 2101NODATA>\r\n"
      "31/12/2026 23:59:59 -E- DAA\r\n"
      "01/01/2027 00:00:01 -E- 7F2112\r\n"
      "01/01/2027 00:00:01 -E- 2101\r\n",
      f);
  std::fclose(f);
  Child replay({"replay", crafted, "--make", "0", "--ecu", "0"}, "replay_crafted");
  EXPECT_EQ(replay.wait(30), 0) << replay.err();
  EXPECT_EQ(replay.out(), std::string(kCsvHeaderForTest) + "\n3.000,,,,,,,,,,,,\n");
  EXPECT_NE(replay.err().find("2 of 3"), std::string::npos) << replay.err();
  EXPECT_EQ(Lines(replay.err()).size(), 1u);
  for (const Case& c : cases) {
    Child replay(c.args, "replay_case" + std::to_string(n++));
    EXPECT_EQ(replay.wait(30), c.status) << c.says;
    const std::string err = replay.err();
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
    EXPECT_EQ(Lines(err).size(), 1u) << err;
    EXPECT_EQ(replay.out(), "");
  }
}

TEST(ReconnectEndToEnd, RowsContinueAfterTheSimulatorComesBack) {
  const std::string dir = FreshDir("reconnect");
  const std::string link = dir + "/port";
  std::string error;
  auto first = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(first, nullptr) << error;
  fs::create_symlink(first->slavePath(), link);
  const std::string csv = dir + "/values.csv";
  Child monitor({"monitor", "--port", link, "--adapter", "elm327", "--make", "0", "--ecu", "0",
                 "--reconnect", "--duration", "14", "--csv", csv},
                "reconnect_monitor");
  ASSERT_TRUE(monitor.started());
  auto rows = [&] { return Lines(ReadFile(csv)).size(); };
  for (int i = 0; i < 300 && rows() < 6; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_GE(rows(), 6u);

  // The adapter goes away; another comes up behind the same path.
  first->stop();
  const size_t before = rows();
  auto second = sim::PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(second, nullptr) << error;
  fs::create_symlink(second->slavePath(), link + ".new");
  fs::rename(link + ".new", link);

  EXPECT_EQ(monitor.wait(60), 0) << monitor.err();
  const std::string err = monitor.err();
  size_t reconnects = 0;
  for (const std::string& l : Lines(err))
    reconnects += l.find("reconnecting to") != std::string::npos;
  EXPECT_EQ(reconnects, 1u) << err;
  EXPECT_FALSE(second->history().empty());

  // One header, then rows whose time goes on across the gap.
  const auto lines = Lines(ReadFile(csv));
  ASSERT_GT(lines.size(), before + 3) << "rows after the reconnect";
  EXPECT_EQ(lines[0].rfind("time,", 0), 0u);
  double last = -1, widest = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].rfind("time,", 0), 0u) << "a second header at " << i;
    const double t = std::stod(lines[i]);
    EXPECT_GE(t, last);
    if (last >= 0) widest = std::max(widest, t - last);
    last = t;
  }
  EXPECT_GE(widest, 2.0) << "the reconnect pause shows in the time column";
}

}  // namespace
}  // namespace kalvex
