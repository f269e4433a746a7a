// kalvex-cli monitor where a run used to go wrong quietly: an ECU that ends
// the communication, a log folder that cannot be written, standard
// descriptors that were closed before the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "e2e/adapter_faults.h"

namespace kalvex::testing {
namespace {

namespace fs = std::filesystem;

// A LADA K-line data reply as a Kesta-mini delivers it.
std::string KestaDataReply() {
  std::string hex = "6101";
  for (int i = 0; i < 36; ++i) hex += "2A";
  return "PD:26:" + hex + "\r";
}

// Every line the scanner sent, for checks once the run is over.
struct Heard {
  std::mutex mutex;
  std::string text;
  void add(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    text += line + "\n";
  }
};

// Answers `data` replies, then StopCommunication to the next request; with
// `data` -1 the stop answers StartCommunication itself.
std::function<void(FaultyAdapter&)> DataThenStop(int data) {
  return [data](FaultyAdapter& a) {
    if (data < 0) {
      a.line(3000);
      a.send("PS\r");
      a.line(3000);
    } else {
      KestaLinkUp(a);
    }
    for (int i = 0; i < data; ++i) {
      a.send(KestaDataReply());
      while (!a.stopping() && a.line(500).empty()) {
      }
    }
    a.send("PD:01:C2\r");
    while (!a.stopping()) {
      // After a restart the session begins again with its set-up line.
      const std::string l = a.line(200);
      if (l.rfind("DS:", 0) == 0) a.send("PS\r");
    }
  };
}

TEST(MonitorEnds, AfterTheEcusStopCommunication) {
  struct Case {
    const char* name;
    std::vector<std::string> extra;
    int data;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"stop_after_data", {"--duration", "600"}, 3, 0, "StopCommunication"},
      {"stop_at_once", {"--duration", "600"}, -1, 3, "StopCommunication"},
      // The link came up, but no data before the stop: no reply worth a 0.
      {"stop_before_data", {"--duration", "600"}, 0, 3, "StopCommunication"},
      {"stop_and_reconnect", {"--duration", "4", "--reconnect"}, 2, 0, "reconnecting to"},
  };
  struct Running {
    std::unique_ptr<FaultyAdapter> adapter;
    std::unique_ptr<Child> monitor;
  };
  std::vector<Running> running;
  for (const Case& c : cases) {
    Running r{std::make_unique<FaultyAdapter>(), nullptr};
    ASSERT_TRUE(r.adapter->ok());
    r.adapter->run(DataThenStop(c.data));
    std::vector<std::string> args{"monitor", "--port", r.adapter->path(), "--adapter", "kesta",
                                  "--make",  "0",      "--ecu",           "0"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    r.monitor = std::make_unique<Child>(args, std::string("ends_") + c.name);
    running.push_back(std::move(r));
  }
  for (size_t i = 0; i < running.size(); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(running[i].monitor->wait(30), c.status)
        << c.name << ": " << running[i].monitor->err();
    const std::string err = running[i].monitor->err();
    EXPECT_NE(err.find(c.says), std::string::npos) << c.name << ": " << err;
    const std::string out = running[i].monitor->out();
    EXPECT_GE(std::count(out.begin(), out.end(), '\n'), c.data) << c.name;  // header, rows
  }
}

TEST(MonitorEnds, ALogThatCannotBeCreatedIsNamedAndReconnectGoesOnWithout) {
  // The log folder is a plain file: every creation fails.
  const std::string dir = TempDir() + "/log_is_a_file";
  fs::remove_all(dir);
  { std::ofstream(dir) << "x"; }
  ::setenv("KALVEX_LOG_DIR", dir.c_str(), 1);
  struct Case {
    const char* name;
    bool reconnect;
    int status;
  };
  for (const Case c : {Case{"log_fails", false, 1}, Case{"log_fails_reconnect", true, 0}}) {
    FaultyAdapter adapter;
    ASSERT_TRUE(adapter.ok());
    adapter.run([](FaultyAdapter& a) {
      KestaLinkUp(a);
      while (!a.stopping()) {
        a.send(KestaDataReply());
        while (!a.stopping() && a.line(500).empty()) {
        }
      }
    });
    std::vector<std::string> args{"monitor",   "--port", adapter.path(), "--adapter", "kesta",
                                  "--make",    "0",      "--ecu",        "0",         "--log",
                                  "--replies", "4",      "--duration",   "60"};
    if (c.reconnect) args.push_back("--reconnect");
    Child monitor(args, c.name);
    EXPECT_EQ(monitor.wait(60), c.status) << c.name << ": " << monitor.err();
    const std::string err = monitor.err();
    // The folder and the system's reason, once.
    const std::string named = "cannot write the log " + dir + ": ";
    const size_t at = err.find(named);
    EXPECT_NE(at, std::string::npos) << c.name << ": " << err;
    EXPECT_EQ(err.find(named, at + 1), std::string::npos) << c.name << ": " << err;
    EXPECT_EQ(err.find("I/O error"), std::string::npos) << err;
    if (c.reconnect) {
      EXPECT_NE(err.find("without the log"), std::string::npos) << err;
      const std::string out = monitor.out();
      // The header and a row for each data reply: the first of the four
      // accepted replies starts the link and sets no values.
      EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4) << "rows go on";
    }
  }
  ::setenv("KALVEX_LOG_DIR", (BinaryDir() + "/testenv/log").c_str(), 1);
}

TEST(MonitorEnds, ClosedStandardDescriptorsNeverReachThePort) {
  // Before anything opens, 0 to 2 are taken by /dev/null: the port gets a
  // descriptor of its own, so no CSV row or status line is written into it.
  // Rows for a closed standard output would go nowhere: without --csv the
  // run refuses to start (1), with it the rows go to the file.
  struct Case {
    const char* name;
    std::vector<int> closed;
    bool csv;
    int status;
  };
  const Case cases[] = {
      {"closed_out", {1}, false, 1},
      {"closed_out_csv", {1}, true, 0},
      {"closed_err", {2}, false, 0},
      {"closed_all", {0, 1, 2}, false, 1},
  };
  for (const Case& c : cases) {
    FaultyAdapter adapter;
    ASSERT_TRUE(adapter.ok());
    auto heard = std::make_shared<Heard>();
    adapter.run([heard](FaultyAdapter& a) {
      // KestaLinkUp, keeping what was heard.
      heard->add(a.line(3000));
      a.send("PS\r");
      heard->add(a.line(3000));
      a.send("PD:03:C1EF8F\r");
      while (!a.stopping()) {
        const std::string l = a.line(300);
        if (l.empty()) continue;
        heard->add(l);
        a.send(KestaDataReply());
      }
    });
    std::vector<std::string> args{
        "monitor", "--port", adapter.path(), "--adapter", "kesta",      "--make", "0",
        "--ecu",   "0",      "--replies",    "5",         "--duration", "60"};
    const std::string csv = TempDir() + "/" + c.name + ".csv";
    if (c.csv) args.insert(args.end(), {"--csv", csv});
    Child monitor(args, c.name, c.closed);
    EXPECT_EQ(monitor.wait(60), c.status) << c.name;
    if (c.status == 1 && c.closed.size() == 1) {
      EXPECT_NE(monitor.err().find("standard output is closed"), std::string::npos)
          << monitor.err();
    }
    if (c.csv) {
      // The header and a row for each data reply: the first of the five
      // accepted replies starts the link and sets no values.
      EXPECT_EQ(Lines(ReadFile(csv)).size(), 5u);
    }
    std::lock_guard<std::mutex> lock(heard->mutex);
    for (const char* text : {"time,", ",", "Связь", "Нет связи"})
      EXPECT_EQ(heard->text.find(text), std::string::npos) << c.name << " heard: " << heard->text;
  }
}

}  // namespace
}  // namespace kalvex::testing
