// Whole sessions on a manual clock: the real session controller and adapter
// drivers talk to the simulator in-process, through a SerialLink that feeds
// every write to it. Every LADA type over both adapters, from the start
// button to ten live-data replies, checked byte for byte and value for value
// against what the simulator encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/button_captions.h"
#include "link/serial_link.h"
#include "protocol/clock.h"
#include "session/log_file.h"
#include "session/session_controller.h"
#include "session/session_view.h"
#include "sim/adapter_sim.h"

namespace kalvex {
namespace {

// The port, with the simulator on the other end of the line.
class SimLink final : public SerialLink {
 public:
  explicit SimLink(sim::AdapterSim& sim) : sim_(sim) {}

  void openDevice(const std::string& path) override {
    if (path != "sim") throw EVaCommError("Specified device not found (" + path + ").");
    open_ = true;
    armed_ = true;
    rx_.clear();
  }
  void closeDevice() override { open_ = false; }
  bool isOpen() const override { return open_; }
  size_t readBytes(uint8_t* dst, size_t capacity) override {
    const size_t n = std::min(capacity, rx_.size());
    std::copy(rx_.begin(), rx_.begin() + static_cast<long>(n), dst);
    rx_.erase(0, n);
    return n;
  }
  size_t writeBytes(const uint8_t* src, size_t count) override {
    if (!open_) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(src), count);
    written += bytes;
    std::string now, later;
    sim_.feed(bytes, now, later);
    rx_ += now + later;
    return count;
  }
  void setDtr(bool) override {}
  void setRxHandler(RxHandler) override {}
  void requestRxNotify() override { armed_ = true; }
  void setErrorHandler(ErrorHandler) override {}

  // Delivers one bytes-received notification if one is due, as the port's
  // event thread would: again after a handler that read something, else
  // only after requestRxNotify().
  bool deliver(SessionController& session) {
    if (!open_ || rx_.empty() || !armed_) return false;
    const size_t before = rx_.size();
    session.VaComm1RxChar(before);
    armed_ = rx_.size() < before;
    return true;
  }

  std::string written;

 private:
  sim::AdapterSim& sim_;
  std::string rx_;
  bool open_ = false;
  bool armed_ = true;
};

class FakeView final : public SessionView {
 public:
  int make = 0, ecu = 0, adapter = 0;
  std::string caption = kCaptionStart, status;
  std::array<std::optional<float>, kComponentCount> values{};
  std::vector<std::string> errors;

  int makeIndex() const override { return make; }
  int ecuTypeIndex() const override { return ecu; }
  int adapterIndex() const override { return adapter; }
  int activePage() const override { return 0; }
  std::string portText() const override { return "sim"; }
  void setSelectorsEnabled(bool) override {}
  void setPortSelectorEnabled(bool) override {}
  void showRunning(bool running) override { caption = running ? kCaptionStop : kCaptionStart; }
  void setStatusText(const std::string& t) override { status = t; }
  void setFaultLines(const std::vector<std::string>&) override {}
  void showError(const std::string& m) override { errors.push_back(m); }
  void setGaugeValue(Component c, float v) override { values[static_cast<size_t>(c)] = v; }
};

std::vector<std::string> Lines(const std::string& written) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : written) {
    if (c == '\r') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  return out;
}

// The first lines the ELM327 (and the Kesta-mini in a CAN session) must have
// been sent for a LADA type.
std::vector<std::string> ExpectedOpening(int adapter, int ecu) {
  if (adapter == 0 && ecu == 6) return {"AT Z", "AT E1", "AT H0", "AT SP6", "AT SH7E0", "22 00 01"};
  if (adapter == 0)
    return {"AT Z",    "AT E1",   "AT H0",
            "AT SP5",  "AT IB10", std::string("AT SH81") + (ecu == 4 ? "11" : "10") + "F1",
            "AT SW00", "21 01"};
  if (ecu == 6) return {"DS:01:1T1P1 FC00 1:81\xA0", "DD:03:220001"};
  return {};
}

struct SessionResult {
  int data = 0;                    // live-data replies accepted
  Millis firstData = -1;           // since the start button
  size_t lostReplies = 0;          // encoded by the simulator but not accepted before the first
  std::vector<std::string> lines;  // written to the adapter
};

// From the start button to `replies` live-data replies (or a stall), each
// one checked byte for byte and value for value against the simulator.
SessionResult RunSession(int adapter, int ecu, sim::ElmOptions options, int replies) {
  SessionResult r;
  sim::AdapterSim sim(options);
  sim.ecu().select(0, ecu);
  SimLink link(sim);
  FakeView view;
  view.ecu = ecu;
  view.adapter = adapter;
  ManualClock clock;
  LogFile log;
  SessionController session(view, link, clock, log);

  Millis lastData = 0;
  const Millis start = clock.now();
  session.onResponseAccepted = [&](const ResponseBytes& rb) {
    if (rb[0] != 0x61 && rb[0] != 0x62) return;
    const auto& history = sim.ecu().history();
    ASSERT_FALSE(history.empty());
    if (r.data == 0) r.lostReplies = history.size() - 1;
    ASSERT_EQ(history.size(), r.lostReplies + r.data + 1) << "one request, one reply";
    const sim::EncodedReply& sent = history.back();
    ASSERT_EQ(rb.length, sent.bytes.size());
    EXPECT_TRUE(std::equal(sent.bytes.begin(), sent.bytes.end(), rb.b.begin()));
    for (int c = 0; c < kComponentCount; ++c)
      EXPECT_EQ(view.values[c], sent.values[c]) << ComponentName(static_cast<Component>(c));
    if (r.data == 0)
      r.firstData = clock.now() - start;
    else
      EXPECT_GT(clock.now() - lastData, 200) << "more than 200 ms between requests";
    lastData = clock.now();
    ++r.data;
  };

  session.start();
  EXPECT_TRUE(session.running()) << (view.errors.empty() ? "" : view.errors[0]);
  for (int guard = 0; r.data < replies && guard < 10000; ++guard) {
    if (link.deliver(session)) continue;
    const auto due = session.nextDeadline();
    if (!due) break;
    clock.set(std::max(clock.now(), *due));
    session.onTimer();
  }
  EXPECT_EQ(view.status, kStatusLinked);
  EXPECT_TRUE(view.errors.empty());
  session.stop();
  EXPECT_FALSE(session.running());
  EXPECT_FALSE(link.isOpen());
  r.lines = Lines(link.written);
  return r;
}

TEST(InProcessSession, EveryLadaTypeOverBothAdaptersToTenReplies) {
  constexpr int kReplies = 10;
  for (int adapter = 0; adapter <= 1; ++adapter) {
    for (int ecu = 0; ecu <= 6; ++ecu) {
      SCOPED_TRACE("adapter " + std::to_string(adapter) + " LADA type " + std::to_string(ecu));
      const SessionResult r = RunSession(adapter, ecu, {}, kReplies);
      ASSERT_EQ(r.data, kReplies);
      EXPECT_EQ(r.lostReplies, 0u);
      // Set-up pauses and all: the needles move within three seconds.
      EXPECT_LT(r.firstData, 3000);

      const std::vector<std::string> opening = ExpectedOpening(adapter, ecu);
      if (adapter == 1 && ecu != 6) {
        ASSERT_GE(r.lines.size(), 3u);
        EXPECT_EQ(r.lines[0].substr(0, 22),
                  "DS:01:0T1P1 " + std::string(ecu == 4 ? "11" : "10") + " F1 1:81");
        EXPECT_EQ(r.lines[1], "DD:01:81\xC6");
        EXPECT_EQ(r.lines[2], "DD:02:2101\x22");
      } else {
        ASSERT_GE(r.lines.size(), opening.size());
        for (size_t i = 0; i < opening.size(); ++i)
          EXPECT_EQ(r.lines[i].substr(0, opening[i].size()), opening[i]) << i;
      }
    }
  }
}

// "BUS INIT: ...OK" before the first K-line reply is a status text to the
// scanner: that reply is dropped and the request goes again a second later.
// A fixed CAN protocol announces nothing.
TEST(InProcessSession, BusInitTextCostsOneRetry) {
  const SessionResult kLine = RunSession(0, 0, sim::ElmOptions{true, true}, 5);
  EXPECT_EQ(kLine.data, 5);
  EXPECT_EQ(kLine.lostReplies, 1u);
  ASSERT_GE(kLine.lines.size(), 9u);
  EXPECT_EQ(kLine.lines[7], "21 01");
  EXPECT_EQ(kLine.lines[8], "21 01");
  EXPECT_GT(kLine.firstData, 1000 + 1700);

  const SessionResult can = RunSession(0, 6, sim::ElmOptions{true, true}, 5);
  EXPECT_EQ(can.data, 5);
  EXPECT_EQ(can.lostReplies, 0u);
}

}  // namespace
}  // namespace kalvex
