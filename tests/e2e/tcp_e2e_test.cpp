// kalvex-cli monitor (the built binary) reaching the simulator over TCP on
// 127.0.0.1, as it reaches a Wi-Fi adapter: the same rows as over a
// pseudo-terminal, a lost connection, reconnecting, a peer sending junk.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/sim_tcp_front.h"
#include "e2e/process_runner.h"
#include "link/tcp_socket.h"
#include "sim/pty_server.h"

namespace kalvex {
namespace {

using testing::Child;
using testing::ReadFile;
using testing::TempDir;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

using testing::Lines;

// The rows without their time column.
std::vector<std::string> Values(const std::string& csv) {
  std::vector<std::string> rows;
  for (const std::string& l : Lines(csv)) rows.push_back(l.substr(l.find(',') + 1));
  return rows;
}

// The simulator behind a loopback TCP port (0: any free one).
struct TcpSim {
  std::unique_ptr<sim::PtyServer> server;
  std::unique_ptr<cli::SimTcpFront> front;

  TcpSim(int make, int ecu, uint16_t port = 0) {
    std::string error;
    server = sim::PtyServer::Start({make, ecu, 0, false}, error);
    if (server) front = cli::SimTcpFront::Start(server->slavePath(), {"127.0.0.1", port}, error);
    EXPECT_NE(front, nullptr) << error;
  }
  std::string Address() const { return front ? front->address().Text() : "127.0.0.1:1"; }
};

std::vector<std::string> MonitorArgs(const std::string& port, const char* adapter, int make,
                                     int ecu) {
  return {"monitor", "--port",           port, "--adapter", adapter, "--make", std::to_string(make),
          "--ecu",   std::to_string(ecu)};
}

void WaitForRows(const std::string& csv, size_t rows) {
  for (int i = 0; i < 400 && Lines(ReadFile(csv)).size() < rows; ++i)
    std::this_thread::sleep_for(50ms);
}

TEST(TcpEndToEnd, RowsEqualTheSameSessionOverAPseudoTerminal) {
  struct Case {
    const char* adapter;
    int make, ecu;
    const char* what;
  };
  const Case cases[] = {
      {"elm327", 0, 0, "ELM327, LADA K-line"},
      {"kesta", 1, 7, "Kesta-mini, HYUNDAI CAN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    auto pty = sim::PtyServer::Start({c.make, c.ecu, 0, false}, error);
    ASSERT_NE(pty, nullptr) << error;
    auto args = MonitorArgs(pty->slavePath(), c.adapter, c.make, c.ecu);
    args.insert(args.end(), {"--replies", "12"});
    Child overPty(args, "tcp_rows_pty");
    TcpSim tcp(c.make, c.ecu);
    args[2] = "tcp://" + tcp.Address();
    Child overTcp(args, "tcp_rows_tcp");
    ASSERT_EQ(overPty.wait(60), 0) << overPty.err();
    ASSERT_EQ(overTcp.wait(60), 0) << overTcp.err();
    const auto rows = Values(overTcp.out());
    EXPECT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows, Values(overPty.out()));
  }
}

TEST(TcpEndToEnd, SimulatorClosingMidRunIsALostPort) {
  TcpSim sim(0, 0);
  const std::string csv = TempDir() + "/tcp_lost.csv";
  fs::remove(csv);  // rows of an earlier run must not count
  auto args = MonitorArgs(sim.Address(), "elm327", 0, 0);
  args.insert(args.end(), {"--duration", "30", "--csv", csv});
  Child monitor(args, "tcp_lost");
  WaitForRows(csv, 4);
  ASSERT_GE(Lines(ReadFile(csv)).size(), 4u) << monitor.err();
  sim.front->stop();
  EXPECT_EQ(monitor.wait(20), 4) << monitor.err();
  EXPECT_NE(monitor.err().find("Адаптер " + sim.Address() + " закрыл соединение"),
            std::string::npos)
      << monitor.err();
}

TEST(TcpEndToEnd, RowsContinueWhenTheSimulatorListensAgain) {
  auto first = std::make_unique<TcpSim>(0, 0);
  const net::TcpAddress address = first->front->address();
  const std::string csv = TempDir() + "/tcp_reconnect.csv";
  fs::remove(csv);
  auto args = MonitorArgs(address.Text(), "elm327", 0, 0);
  args.insert(args.end(), {"--reconnect", "--duration", "12", "--csv", csv});
  Child monitor(args, "tcp_reconnect");
  WaitForRows(csv, 5);
  ASSERT_GE(Lines(ReadFile(csv)).size(), 5u) << monitor.err();
  first.reset();  // the connection closes and nothing listens for a while
  const size_t before = Lines(ReadFile(csv)).size();
  std::this_thread::sleep_for(2500ms);  // at least one reopen fails meanwhile
  TcpSim second(0, 0, address.port);
  EXPECT_EQ(monitor.wait(60), 0) << monitor.err();
  EXPECT_NE(monitor.err().find("закрыл соединение"), std::string::npos) << monitor.err();
  EXPECT_GT(Lines(ReadFile(csv)).size(), before + 3) << "rows after the simulator came back";
  EXPECT_FALSE(second.server->history().empty());
}

TEST(TcpEndToEnd, ClosedPortFailsWithTheMessage) {
  uint16_t port = 0;
  {
    std::string error;
    net::Socket probe = net::ListenLoopback({"127.0.0.1", 0}, error, &port);
    ASSERT_TRUE(probe.Valid()) << error;
  }  // closed again: nothing listens there
  const std::string address = "127.0.0.1:" + std::to_string(port);
  Child monitor(MonitorArgs(address, "elm327", 0, 0), "tcp_closed");
  EXPECT_EQ(monitor.wait(10), 1) << monitor.err();
  // The connect goes on behind the status line that names it; its failure
  // is the last word.
  const std::vector<std::string> err = Lines(monitor.err());
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.front(), "Подключение к " + address + "…");
  EXPECT_EQ(err.back().rfind("kalvex-cli monitor: Не удалось подключиться к " + address + ": ", 0),
            0u)
      << monitor.err();
  EXPECT_EQ(monitor.out(), "");
}

TEST(TcpEndToEnd, PeerSendingAMegabyteOfJunk) {
  std::string error;
  uint16_t port = 0;
  net::Socket listener = net::ListenLoopback({"127.0.0.1", 0}, error, &port);
  ASSERT_TRUE(listener.Valid()) << error;
  std::atomic<bool> stop{false};
  std::atomic<size_t> sent{0};
  std::thread peer([&] {
    net::Socket conn;
    while (!stop && !conn.Valid()) {
      conn = net::Accept(listener.Handle());
      std::this_thread::sleep_for(5ms);
    }
    std::string junk(1 << 20, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    char sink[4096];
    while (!stop && sent < junk.size()) {
      net::Recv(conn.Handle(), sink, sizeof sink);  // whatever the scanner asks
      const long n = net::Send(conn.Handle(), junk.data() + sent, junk.size() - sent);
      if (n > 0)
        sent += static_cast<size_t>(n);
      else
        std::this_thread::sleep_for(1ms);
    }
    while (!stop) std::this_thread::sleep_for(10ms);  // connected, silent
  });
  auto args = MonitorArgs("127.0.0.1:" + std::to_string(port), "elm327", 0, 0);
  args.insert(args.end(), {"--duration", "4"});
  Child monitor(args, "tcp_junk");
  const int status = monitor.wait(30);
  stop = true;
  peer.join();
  EXPECT_EQ(status, 3) << monitor.err();  // ran its time; the link never came up
  EXPECT_NE(monitor.err().find("Нет связи с ЭБУ"), std::string::npos) << monitor.err();
  EXPECT_EQ(sent, size_t{1} << 20) << "the scanner read it all";
}

}  // namespace
}  // namespace kalvex
