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

}  // namespace
}  // namespace kalvex::test
