// The generic OBD-II mode end to end: kalvex-cli obd info and monitor --obd
// (the built binary) against kalvex-cli simulate --obd over a real
// pseudo-terminal and over loopback TCP, on each bus the simulated car has.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "e2e/process_runner.h"
#include "sim/obd_car.h"

namespace kalvex {
namespace {

using testing::Child;
using testing::Lines;

// A simulated car in its own process; where to reach it is its first line.
class ObdSim {
 public:
  ObdSim(std::vector<std::string> extra, const std::string& tag) {
    std::vector<std::string> args{"simulate", "--obd"};
    args.insert(args.end(), extra.begin(), extra.end());
    child_ = std::make_unique<Child>(args, tag);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      const auto lines = Lines(child_->out());
      if (!lines.empty()) {
        where_ = lines.front();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~ObdSim() {
    child_->signal(SIGTERM);
    child_->wait(10);
  }
  // The port text kalvex-cli opens.
  std::string port() const { return where_.rfind("/dev/", 0) == 0 ? where_ : "tcp://" + where_; }

 private:
  std::unique_ptr<Child> child_;
  std::string where_;
};

// The codes the simulated car is built with (kept alive past the loop).
std::vector<std::string> StoredCodes() { return sim::ObdCar{}.storedCodes(); }

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct BusCase {
  const char* protocol;  // the simulator's bus
  const char* found;     // what obd info names, found by the automatic search
  const char* engine;    // the engine ECU as named in English
};

const BusCase kBuses[] = {
    {"can11", "ISO 15765-4 CAN (11 bit ID, 500 kbaud) (found by the automatic search)",
     "Engine (7E8)"},
    {"can29", "ISO 15765-4 CAN (29 bit ID, 500 kbaud) (found by the automatic search)",
     "Engine (18DAF110)"},
    {"kwp", "ISO 14230-4 KWP", "Engine (10)"},
};

// Every bus side by side: a car each for obd info (over a pseudo-terminal)
// and for the clear (over TCP).
TEST(ObdEndToEnd, EveryBusInfoShowsWhatTheCarHoldsAndMonitorClearsTheCodes) {
  struct Running {
    const BusCase& c;
    std::unique_ptr<ObdSim> infoSim, clearSim;
    std::unique_ptr<Child> info, clear;
  };
  std::vector<Running> runs;
  for (const BusCase& c : kBuses) {
    Running r{c, nullptr, nullptr, nullptr, nullptr};
    const std::string p = c.protocol;
    r.infoSim =
        std::make_unique<ObdSim>(std::vector<std::string>{"--protocol", p}, "obd_info_sim_" + p);
    // The clear talks to its car over loopback TCP, as to a Wi-Fi adapter.
    r.clearSim = std::make_unique<ObdSim>(
        std::vector<std::string>{"--protocol", p, "--tcp", "127.0.0.1:0"}, "obd_clear_sim_" + p);
    r.info = std::make_unique<Child>(
        std::vector<std::string>{"obd", "info", "--port", r.infoSim->port(), "--lang", "en"},
        "obd_info_" + p);
    r.clear = std::make_unique<Child>(
        std::vector<std::string>{"monitor", "--obd", "--port", r.clearSim->port(), "--faults",
                                 "--clear", "--yes", "--pids", "0C", "--duration", "30", "--lang",
                                 "en"},
        "obd_clear_" + p);
    runs.push_back(std::move(r));
  }
  for (Running& r : runs) {
    const BusCase& c = r.c;
    SCOPED_TRACE(c.protocol);
    ASSERT_EQ(r.info->wait(120), 0) << r.info->err();
    const std::string out = r.info->out();
    EXPECT_TRUE(Has(out, std::string("Protocol: ") + c.found)) << out;
    EXPECT_TRUE(Has(out, std::string("VIN (") + c.engine + "): " + sim::ObdCar::Vin())) << out;
    EXPECT_TRUE(Has(out, sim::ObdCar::CalibrationId())) << out;
    EXPECT_TRUE(Has(out, "MIL: on")) << out;
    for (const std::string& code : StoredCodes())
      EXPECT_TRUE(Has(out, code + " stored, " + c.engine + ": ")) << code << "\n" << out;
    // A description, not the family line alone, for the commonest code.
    EXPECT_TRUE(Has(out, "P0301 stored, " + std::string(c.engine) + ": Cylinder 1 misfire")) << out;
    EXPECT_TRUE(Has(out, std::string("Readiness (") + c.engine + "):")) << out;
    EXPECT_TRUE(Has(out, "Engine speed: ")) << out;
    EXPECT_EQ(r.info->err(), "");

    ASSERT_EQ(r.clear->wait(120), 0) << r.clear->err();
    const std::string faults = r.clear->out();
    // The codes as read first, then the clear, then the list read again.
    const size_t cleared = faults.find("Trouble codes cleared");
    ASSERT_NE(cleared, std::string::npos) << faults;
    const std::string before = faults.substr(0, cleared), after = faults.substr(cleared);
    for (const std::string& code : StoredCodes())
      EXPECT_TRUE(Has(before, code + " stored")) << before;
    EXPECT_TRUE(Has(after, "MIL: off")) << after;
    EXPECT_FALSE(Has(after, " stored,")) << after;
  }
}

TEST(ObdEndToEnd, MonitorWritesOneColumnPerPidAndEcuOverTcp) {
  ObdSim sim({"--tcp", "127.0.0.1:0"}, "obd_tcp_sim");
  Child monitor({"monitor", "--obd", "--port", sim.port(), "--pids", "0C,0D,05", "--duration", "8"},
                "obd_tcp_monitor");
  ASSERT_EQ(monitor.wait(60), 0) << monitor.err();
  const std::vector<std::string> rows = Lines(monitor.out());
  ASSERT_GE(rows.size(), 3u) << monitor.out();
  // Both ECUs answer 0C and 0D; only the engine has the coolant.
  EXPECT_EQ(rows[0], "time,OBD_0C_7E8,OBD_0C_7E9,OBD_0D_7E8,OBD_0D_7E9,OBD_05");
  for (size_t i = 1; i < rows.size(); ++i)
    EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 5) << rows[i];
  EXPECT_EQ(rows.back().find(",,"), std::string::npos) << "every value set by the last row";
}

TEST(ObdEndToEnd, CarThatNeverAnswersExitsThreeAtOnce) {
  ObdSim sim({"--obd-silent"}, "obd_silent_sim");
  const auto start = std::chrono::steady_clock::now();
  Child monitor({"monitor", "--obd", "--port", sim.port(), "--lang", "en"}, "obd_silent");
  EXPECT_EQ(monitor.wait(60), 3);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(monitor.out(), "");
  EXPECT_EQ(monitor.err(),
            "kalvex-cli monitor: The car does not answer: the adapter could not connect "
            "(UNABLE TO CONNECT)\n");
  // The search's own time, nothing spent retrying.
  EXPECT_LT(took, std::chrono::seconds(30));
  Child info({"obd", "info", "--port", sim.port()}, "obd_silent_info");
  EXPECT_EQ(info.wait(60), 3);
}

TEST(ObdEndToEnd, OldChipGetsOnePidARequest) {
  ObdSim sim({"--elm-version", "1.0"}, "obd_oldchip_sim");
  Child monitor({"monitor", "--obd", "--port", sim.port(), "--pids", "0C,0D", "--duration", "8"},
                "obd_oldchip");
  ASSERT_EQ(monitor.wait(60), 0) << monitor.err();
  const std::vector<std::string> rows = Lines(monitor.out());
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows.back().find(",,"), std::string::npos) << rows.back();
}

TEST(ObdEndToEnd, ClearRefusedWithoutTerminalOrYes) {
  Child monitor({"monitor", "--obd", "--port", "/dev/null", "--faults", "--clear"},
                "obd_clear_no_tty", {0});
  EXPECT_EQ(monitor.wait(20), 2);
  EXPECT_TRUE(Has(monitor.err(), "--yes")) << monitor.err();
}

}  // namespace
}  // namespace kalvex
