// The pace chosen with --pause: only data requests take it, K-line sessions
// never wait less than 55 ms, set-up lines and retries keep 200 ms.
#include <gtest/gtest.h>

#include "support/session_harness.h"

namespace kalvex::test {
namespace {

// Gap between the reply that completed at `since` and the next write.
Millis GapToNextWrite(SessionHarness& h, Millis since) {
  const size_t before = h.port.writes.size();
  if (!h.runUntilWrites(before + 1, 5000)) return -1;
  return h.port.writes.back().at - since;
}

struct Case {
  int adapter, make, ecu;
  std::optional<Millis> asked;
  Millis dataPause;  // the pause before a data request
  const char* what;
};

TEST(RequestPause, DataRequestsOnlyWithTheKLineFloor) {
  const Case cases[] = {
      {0, 0, 0, std::nullopt, 200, "ELM327 K-line, the default"},
      {0, 0, 0, 20, 55, "ELM327 AT SP5: the K-line floor"},
      {0, 0, 0, 100, 100, "ELM327 K-line above the floor"},
      {0, 0, 6, 20, 20, "ELM327 AT SP6"},
      {0, 10, 1, 20, 55, "NISSAN type 1: AT SP5 with a CAN header"},
      {0, 3, 4, 30, 30, "GAZ type 4: AT SP6 though not a CAN session"},
      {0, 0, 6, 5, 20, "below the range: 20"},
      {0, 0, 6, 5000, 1000, "above the range: 1000"},
      {1, 0, 0, 20, 55, "Kesta-mini K-line start line"},
      {1, 0, 6, 20, 20, "Kesta-mini CAN start line"},
      {1, 3, 4, 20, 55, "GAZ type 4 on a Kesta-mini is K-line"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SessionHarness h;
    h.view.make = c.make;
    h.view.ecu = c.ecu;
    h.view.adapter = c.adapter;
    if (c.asked) h.controller.setRequestPause(*c.asked);
    h.click();
    ASSERT_TRUE(h.runUntilWrites(1, 1000));
    if (c.adapter == 0) {
      // Every AT line keeps 200 ms, whatever the pace.
      while (h.controller.adapterState().linkState != 5) {
        std::string text = h.lastWrite();
        text.pop_back();
        h.receive(text + "\rOK\r\r>");
        const Millis gap = GapToNextWrite(h, h.clock.now());
        if (h.controller.adapterState().linkState != 5)
          ASSERT_EQ(gap, 201) << text;
        else
          EXPECT_EQ(gap, c.dataPause + 1) << "first data request";
      }
      h.receive(h.lastWrite() + "7F 21 12\r\r>");
    } else {
      h.receive("PS\r");
      EXPECT_EQ(GapToNextWrite(h, h.clock.now()), c.dataPause + 1) << "first request";
      h.receive("PD:03:7F2112\r");
    }
    EXPECT_EQ(GapToNextWrite(h, h.clock.now()), c.dataPause + 1) << "request after a reply";
    // No reply: Timer3's retry comes after 1 s and its own 200 ms pause.
    const Millis sent = h.port.writes.back().at;
    EXPECT_EQ(GapToNextWrite(h, sent), 1000 + 201) << "retry";
  }
}

// "More than P ms after the reply" to the microsecond: not at P ms, at the
// very next microsecond, wherever in a millisecond the reply came; the
// timers count from the write the same way. Shells that wait in whole
// milliseconds are given the first one at or after the deadline.
TEST(RequestPause, MoreThanThePauseToTheMicrosecond) {
  struct Row {
    Micros into;  // where in its millisecond the reply completes
    Millis pause;
  };
  for (const Row r : {Row{0, 20}, Row{1, 20}, Row{999, 20}, Row{500, 200}, Row{0, 1000}}) {
    SCOPED_TRACE(testing::Message() << "reply at +" << r.into << " us, pause " << r.pause);
    SessionHarness h;
    h.view.make = 0;
    h.view.ecu = 6;  // CAN: the pause asked for, no K-line floor
    h.view.adapter = 1;
    h.controller.setRequestPause(r.pause);
    h.click();
    ASSERT_TRUE(h.runUntilWrites(1, 1000));
    h.receive("PS\r");
    ASSERT_TRUE(h.runUntilWrites(2, 2000));
    const size_t writes = h.port.writes.size();
    const Micros reply = (h.clock.now() + 7) * 1000 + r.into;
    h.clock.setMicros(reply);
    h.receive("PD:03:7F2112\r");
    const Micros due = reply + r.pause * 1000 + 1;
    EXPECT_EQ(h.controller.nextDeadlineMicros(), due);
    EXPECT_EQ(h.controller.nextDeadline(), CeilMillis(due));
    h.clock.setMicros(due - 1);
    h.controller.onTimer();
    EXPECT_EQ(h.port.writes.size(), writes) << "written after exactly the pause";
    h.clock.setMicros(due);
    h.controller.onTimer();
    ASSERT_EQ(h.port.writes.size(), writes + 1);
    // Timer3 is armed at the write: its retry 1 s on, not a millisecond more.
    EXPECT_EQ(h.controller.nextDeadlineMicros(), due + 1'000'000);
  }
}

TEST(RequestPause, MillisecondsOfAMicrosecondClock) {
  const struct {
    Micros us;
    Millis floor, ceil;
  } rows[] = {{0, 0, 0},    {1, 0, 1},   {999, 0, 1},     {1000, 1, 1},
              {1001, 1, 2}, {-1, -1, 0}, {-1000, -1, -1}, {-1001, -2, -1}};
  for (const auto& r : rows) {
    ManualClock c;
    c.setMicros(r.us);
    EXPECT_EQ(c.now(), r.floor) << r.us;
    EXPECT_EQ(CeilMillis(r.us), r.ceil) << r.us;
  }
}

}  // namespace
}  // namespace kalvex::test
