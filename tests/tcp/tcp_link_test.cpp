// The TCP link against a scripted peer on a loopback address (127.0.0.1
// only): connecting, bytes both ways in order, the notification rule, a peer
// that closes, a refused or unanswered connect, a megabyte of junk. Built for
// Linux and for Windows (run under wine).
#include "link/tcp_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link/link_factory.h"
#include "link/port_discovery.h"
#include "link/tcp_socket.h"
#include "support/test_dispatcher.h"

namespace kalvex {
namespace {

using namespace std::chrono_literals;
using testing_support::TestDispatcher;

// The far end: a listener on 127.0.0.1 and the one connection it accepts.
class Peer {
 public:
  Peer() { listener_ = net::ListenLoopback({"127.0.0.1", 0}, error_, &port_); }
  bool Listening() const { return listener_.Valid(); }
  uint16_t port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  void StopListening() { listener_.Close(); }

  bool Accept() {
    for (int i = 0; i < 500 && !conn_.Valid(); ++i) {
      conn_ = net::Accept(listener_.Handle());
      if (!conn_.Valid()) std::this_thread::sleep_for(10ms);
    }
    return conn_.Valid();
  }
  void Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const long n = net::Send(conn_.Handle(), bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n < 0 && net::WouldBlock(net::LastError())) {
        std::this_thread::sleep_for(1ms);
      } else {
        return;
      }
    }
  }
  // What arrives within `limit`, until `count` bytes are there.
  std::string Receive(size_t count, std::chrono::milliseconds limit = 3000ms) {
    std::string got;
    const auto until = std::chrono::steady_clock::now() + limit;
    char buf[4096];
    while (got.size() < count && std::chrono::steady_clock::now() < until) {
      const long n = net::Recv(conn_.Handle(), buf, sizeof buf);
      if (n > 0)
        got.append(buf, static_cast<size_t>(n));
      else if (n == 0)
        break;
      else
        std::this_thread::sleep_for(1ms);
    }
    return got;
  }
  void Hangup() { conn_.Close(); }

 private:
  std::string error_;
  uint16_t port_ = 0;
  net::Socket listener_;
  net::Socket conn_;
};

// The link under test with its notifications and errors recorded in order.
struct Recorder {
  TestDispatcher ui;
  TcpLink link{ui.dispatcher()};
  std::string received;
  std::vector<std::string> events;  // "rx N" / "error TEXT"
  bool readInHandler = true;

  Recorder() {
    link.setRxHandler([this](size_t count) {
      events.push_back("rx " + std::to_string(count));
      if (!readInHandler) return;
      uint8_t buf[1024];
      const size_t n = link.readBytes(buf, std::min(count, sizeof buf));
      received.append(reinterpret_cast<char*>(buf), n);
    });
    link.setErrorHandler([this](const std::string& text) { events.push_back("error " + text); });
  }
  bool Errored() const {
    for (const auto& e : events)
      if (e.rfind("error ", 0) == 0) return true;
    return false;
  }
};

TEST(TcpAddress, PortTextsThatOpenTheTcpLink) {
  struct Row {
    const char* text;
    bool network;
    const char* host;
    int port;
  };
  const Row rows[] = {
      {"tcp://127.0.0.1:35000", true, "127.0.0.1", 35000},
      {"127.0.0.1:35000", true, "127.0.0.1", 35000},
      {"[::1]:35000", true, "::1", 35000},
      {"tcp://[::1]:1", true, "::1", 1},
      {"localhost:35000", true, "localhost", 35000},
      {"/dev/ttyUSB0", false, "", 0},
      {"/dev/serial/by-id/usb-FTDI:1", false, "", 0},
      {"COM3", false, "", 0},
      {"\\\\.\\COM3", false, "", 0},
      {"::1:35000", false, "", 0},  // an IPv6 address needs its brackets
      {"127.0.0.1:0", false, "", 0},
      {"127.0.0.1:65536", false, "", 0},
      {"127.0.0.1:", false, "", 0},
      {":35000", false, "", 0},
      {"my host:35000", false, "", 0},
      // "tcp://" changes nothing: each text is checked as it is without it
      {"127.0.0.1:65535", true, "127.0.0.1", 65535},
      {"tcp://127.0.0.1:65535", true, "127.0.0.1", 65535},
      {"tcp://[::1]:35000", true, "::1", 35000},
      {"tcp://localhost:1", true, "localhost", 1},
      {"::::", false, "", 0},
      {"tcp://::::", false, "", 0},
      {"127.0.0.1:99999", false, "", 0},
      {"tcp://127.0.0.1:99999", false, "", 0},
      {"tcp://127.0.0.1:65536", false, "", 0},
      {"tcp://127.0.0.1:0", false, "", 0},
      {"tcp://::1:35000", false, "", 0},
      {"tcp://[::1]", false, "", 0},
      {"tcp://[]:35000", false, "", 0},
      {"[]:35000", false, "", 0},
      {"tcp://:35000", false, "", 0},
      {"tcp://", false, "", 0},
      {"tcp://127.0.0.1:", false, "", 0},
      {"tcp://my host:35000", false, "", 0},
      {"tcp:// 127.0.0.1:35000", false, "", 0},
      {"127.0.0.1: 35000", false, "", 0},
      {"tcp://127.0.0.1:35000 ", false, "", 0},
      {"tcp:///dev/ttyUSB0:1", false, "", 0},
      {"tcp://./x:1", false, "", 0},
      {"tcp://.x:1", false, "", 0},
      {".x:1", false, "", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const auto parsed = net::ParseTcpAddress(r.text);
    EXPECT_EQ(IsNetworkPortText(r.text) && parsed.has_value(), r.network);
    if (!r.network) continue;
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->host, r.host);
    EXPECT_EQ(parsed->port, r.port);
    // The session hands the text on unchanged, on Windows too.
    EXPECT_EQ(DevicePathForPortText(r.text), r.text);
  }
  EXPECT_EQ(net::ParseTcpAddress("[::1]:80")->Text(), "[::1]:80");
  EXPECT_TRUE(net::ParseTcpAddress("127.0.0.1:0", true));
  EXPECT_TRUE(net::IsLoopbackHost("127.0.0.1"));
  EXPECT_TRUE(net::IsLoopbackHost("127.5.6.7"));
  EXPECT_TRUE(net::IsLoopbackHost("::1"));
  EXPECT_FALSE(net::IsLoopbackHost("192.168.0.10"));
  EXPECT_FALSE(net::IsLoopbackHost("localhost"));  // names are not checked, so refused
  EXPECT_FALSE(net::IsLoopbackHost("::"));
}

TEST(TcpLink, BytesBothWaysInOrder) {
  Peer peer;
  ASSERT_TRUE(peer.Listening());
  Recorder r;
  r.link.openDevice("tcp://" + peer.Address());
  ASSERT_TRUE(peer.Accept());
  EXPECT_TRUE(r.link.isOpen());
  const std::string a = "AT Z\r", b = "AT E1\r";
  EXPECT_EQ(r.link.writeBytes(reinterpret_cast<const uint8_t*>(a.data()), a.size()), a.size());
  EXPECT_EQ(r.link.writeBytes(reinterpret_cast<const uint8_t*>(b.data()), b.size()), b.size());
  EXPECT_EQ(peer.Receive(a.size() + b.size()), a + b);

  peer.Send("ELM327 v1.5\r\r>");
  peer.Send("41 00\r>");
  EXPECT_TRUE(r.ui.RunUntil([&] { return r.received.size() == 21; }));
  EXPECT_EQ(r.received, "ELM327 v1.5\r\r>41 00\r>");
  EXPECT_FALSE(r.Errored());

  r.link.closeDevice();
  EXPECT_FALSE(r.link.isOpen());
  EXPECT_EQ(r.link.writeBytes(reinterpret_cast<const uint8_t*>(a.data()), a.size()), 0u);
  r.link.closeDevice();  // idempotent
}

TEST(TcpLink, HandlerThatReadsNothingParksUntilAsked) {
  Peer peer;
  Recorder r;
  r.readInHandler = false;
  r.link.openDevice(peer.Address());
  ASSERT_TRUE(peer.Accept());
  peer.Send("abc");
  EXPECT_TRUE(r.ui.RunUntil([&] { return !r.events.empty(); }));
  peer.Send("def");
  r.ui.RunFor(200ms);
  EXPECT_EQ(r.events, std::vector<std::string>{"rx 3"});
  r.readInHandler = true;
  r.link.requestRxNotify();
  EXPECT_TRUE(r.ui.RunUntil([&] { return r.received == "abcdef"; }));
  EXPECT_EQ(r.events.back(), "rx 6");
}

TEST(TcpLink, PeerThatClosesIsALostPortAfterItsLastBytes) {
  Peer peer;
  Recorder r;
  r.link.openDevice(peer.Address());
  ASSERT_TRUE(peer.Accept());
  peer.Send("41 0C 0B B8\r>");
  peer.Hangup();
  EXPECT_TRUE(r.ui.RunUntil([&] { return r.Errored(); }));
  r.ui.RunFor(100ms);
  EXPECT_EQ(r.received, "41 0C 0B B8\r>");
  ASSERT_GE(r.events.size(), 2u);
  EXPECT_EQ(r.events.back(), "error Адаптер " + peer.Address() + " закрыл соединение");
  EXPECT_EQ(r.events.front().rfind("rx ", 0), 0u);
  size_t errors = 0;
  for (const auto& e : r.events) errors += e.rfind("error ", 0) == 0;
  EXPECT_EQ(errors, 1u);
  // The link is let go as a gone serial port is: a close, then a new open.
  r.link.closeDevice();
  Peer again;
  r.link.openDevice(again.Address());
  EXPECT_TRUE(again.Accept());
}

TEST(TcpLink, RefusedConnectNamesTheAddressAndTheReason) {
  Peer closed;
  const std::string address = closed.Address();
  closed.StopListening();
  TestDispatcher ui;
  TcpLink link(ui.dispatcher());
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  try {
    link.openDevice(address);
  } catch (const EVaCommError& e) {
    error = e.what();
  }
  const auto took = std::chrono::steady_clock::now() - start;
  const std::string prefix = "Не удалось подключиться к " + address + ": ";
  ASSERT_EQ(error.rfind(prefix, 0), 0u) << error;
  EXPECT_GT(error.size(), prefix.size());  // the system's own text follows
  EXPECT_FALSE(link.isOpen());
  EXPECT_LT(took, 6s);  // a hang guard: the connect gives up after 5 s at most
}

TEST(TcpLink, AnAddressThatIsNoneIsRefusedBeforeConnecting) {
  TcpLink link;
  try {
    link.openDevice("tcp://nothing");
    FAIL();
  } catch (const EVaCommError& e) {
    EXPECT_STREQ(e.what(), "Неверный адрес адаптера: tcp://nothing (нужно ХОСТ:ПОРТ)");
  }
  // Through OpenLink too: a bad "tcp://" text is refused as an address, never
  // tried as a serial port of that name.
  TestDispatcher ui;
  try {
    OpenLink("tcp://127.0.0.1:99999", ui.dispatcher());
    FAIL();
  } catch (const EVaCommError& e) {
    EXPECT_STREQ(e.what(), "Неверный адрес адаптера: tcp://127.0.0.1:99999 (нужно ХОСТ:ПОРТ)");
  }
}

TEST(TcpLink, MegabyteOfJunkArrivesWholeAndInOrder) {
  Peer peer;
  Recorder r;
  r.link.openDevice(peer.Address());
  ASSERT_TRUE(peer.Accept());
  std::string junk(1 << 20, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919) % 251);
  std::thread sender([&] { peer.Send(junk); });
  const bool all = r.ui.RunUntil([&] { return r.received.size() >= junk.size(); }, 30000ms);
  sender.join();
  ASSERT_TRUE(all) << r.received.size();
  EXPECT_TRUE(r.received == junk);
  EXPECT_FALSE(r.Errored());
}

TEST(OpenLink, PicksTheLinkByThePortTextAndKeepsHandlersAcrossOpens) {
  Peer first;
  TestDispatcher ui;
  auto direct = OpenLink("tcp://" + first.Address(), ui.dispatcher());
  EXPECT_NE(dynamic_cast<TcpLink*>(direct.get()), nullptr);
  EXPECT_TRUE(direct->isOpen());
  ASSERT_TRUE(first.Accept());
  direct.reset();

  PortLink port(ui.dispatcher());
  std::string got;
  port.setRxHandler([&](size_t count) {
    uint8_t buf[64];
    got.append(reinterpret_cast<char*>(buf), port.readBytes(buf, std::min(count, sizeof buf)));
  });
  Peer second;
  port.openDevice(second.Address());
  ASSERT_TRUE(second.Accept());
  EXPECT_THROW(port.openDevice(second.Address()), EVaCommError);  // already open
  port.closeDevice();
  Peer third;
  port.openDevice(third.Address());
  ASSERT_TRUE(third.Accept());
  third.Send(">");
  EXPECT_TRUE(ui.RunUntil([&] { return got == ">"; }));
  port.closeDevice();
#ifndef _WIN32
  // Anything else is a serial device, with the serial port's own message.
  EXPECT_THROW(
      {
        try {
          port.openDevice("/dev/kalvex-no-such-port");
        } catch (const EVaCommError& e) {
          EXPECT_STREQ(e.what(), "Specified device not found (/dev/kalvex-no-such-port).");
          throw;
        }
      },
      EVaCommError);
#endif
}

#ifdef __linux__
TEST(TcpLink, UnansweredConnectGivesUpAfterFiveSeconds) {
  // A listener nobody accepts from, its queue filled: Linux then drops
  // further handshakes, so the next connect is never answered.
  Peer silent;
  std::vector<std::unique_ptr<TcpLink>> fillers;
  std::string error;
  for (int i = 0; i < 16 && error.empty(); ++i) {
    auto link = std::make_unique<TcpLink>();
    const auto start = std::chrono::steady_clock::now();
    try {
      link->openDevice(silent.Address());
      fillers.push_back(std::move(link));
    } catch (const EVaCommError& e) {
      error = e.what();
      const auto took = std::chrono::steady_clock::now() - start;
      EXPECT_GE(took, 4900ms);
      EXPECT_LT(took, 6s);
    }
  }
  EXPECT_EQ(error, "Не удалось подключиться к " + silent.Address() + ": " +
                       net::ErrorText(net::TimedOutCode()));
}
#endif

}  // namespace
}  // namespace kalvex
