// A whole session core on a manual clock: fake view, fake port, a log file in
// a folder of the test's choice, the real controller and drivers. Time moves
// only through the helpers here, which run every deadline that falls due on
// the way, just as the Qt shell's timer does. Header-only.
#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "session/log_file.h"
#include "session/session_controller.h"
#include "support/fake_port.h"
#include "support/fake_view.h"

namespace kalvex::test {

inline std::tm FixedTime(int d, int mo, int y, int h, int mi, int s) {
  std::tm t{};
  t.tm_mday = d;
  t.tm_mon = mo - 1;
  t.tm_year = y - 1900;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return t;
}

struct SessionHarness {
  explicit SessionHarness(std::string logFolder = "/nonexistent-kalvex-log")
      : port(clock),
        log(std::move(logFolder), [this] { return wallTime; }),
        controller(view, port, clock, log) {
    port.setRxHandler([this](size_t n) { controller.VaComm1RxChar(n); });
    port.setErrorHandler([this](const std::string& m) { controller.onPortError(m); });
  }

  ManualClock clock;
  FakeView view;
  FakePort port;
  std::tm wallTime = FixedTime(6, 12, 2026, 21, 3, 55);
  LogFile log;
  SessionController controller;

  // Runs every deadline up to now + ms, then leaves the clock at now + ms.
  void advance(Millis ms) {
    const Millis target = clock.now() + ms;
    for (int guard = 0; guard < 1000000; ++guard) {
      auto d = controller.nextDeadline();
      if (!d || *d > target) break;
      if (*d > clock.now()) clock.set(*d);
      controller.onTimer();
      port.pump();
    }
    clock.set(target);
  }
  // Runs deadlines until the port has `count` writes (or `limit` ms passed).
  bool runUntilWrites(size_t count, Millis limit = 60000) {
    const Millis end = clock.now() + limit;
    while (port.writes.size() < count) {
      auto d = controller.nextDeadline();
      if (!d || *d > end) return false;
      if (*d > clock.now()) clock.set(*d);
      controller.onTimer();
      port.pump();
    }
    return true;
  }
  // The start button as the window wires it: stop while running, else start.
  void click() {
    if (controller.running())
      stop();
    else
      start();
  }
  void start() {
    controller.start();
    port.pump();
  }
  void stop() {
    controller.stop();
    port.pump();
  }
  void receive(const std::string& bytes) { port.deliver(bytes); }
  std::string lastWrite() const {
    if (port.writes.empty()) return {};
    const auto& w = port.writes.back().bytes;
    return std::string(w.begin(), w.end());
  }
};

}  // namespace kalvex::test
