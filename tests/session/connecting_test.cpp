// A start whose port opens later (a Wi-Fi adapter's connect): what the
// window shows while it waits, and how each way the wait ends leaves the
// session.
#include <gtest/gtest.h>

#include <string>

#include "app/button_captions.h"
#include "support/session_harness.h"

namespace kalvex::test {
namespace {

TEST(Connecting, EachWayTheWaitEnds) {
  enum class End { Opened, Failed, Stopped, LimitPassed };
  struct Case {
    const char* name;
    Millis after;  // into the wait
    End end;
    bool runs;         // the session runs afterwards
    int errors;        // error messages shown
    int cancelled;     // opens the port was told to give up
    const char* sent;  // the first write (ELM327's reset after its pause), or none
  };
  const Case cases[] = {
      {"opened", 800, End::Opened, true, 0, 0, "AT Z\r"},
      {"failed", 800, End::Failed, false, 1, 0, ""},
      {"stopped", 800, End::Stopped, false, 0, 1, ""},
      {"limit", kOpenLimitMs, End::LimitPassed, false, 1, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SessionHarness h;
    h.view.port = "tcp://127.0.0.1:35000";
    h.port.openLater = true;
    int finished = 0;
    h.controller.onOpenFinished = [&](bool) { ++finished; };
    h.click();
    // While it waits: a session for the button, the address on the label,
    // the lists locked, nothing open.
    EXPECT_TRUE(h.controller.running());
    EXPECT_TRUE(h.controller.connecting());
    EXPECT_EQ(h.view.caption, kCaptionStop);
    EXPECT_EQ(h.view.status, "Подключение к 127.0.0.1:35000…");
    EXPECT_FALSE(h.view.selectorsEnabled);
    EXPECT_FALSE(h.port.isOpen());
    h.start();  // a second start while waiting starts nothing
    EXPECT_EQ(h.port.cancelledOpens, 0);
    h.click();  // the button stops the wait
    EXPECT_EQ(h.port.cancelledOpens, 1);
    EXPECT_EQ(h.view.caption, kCaptionStart);
    h.click();  // and starts again, for the case proper
    ASSERT_TRUE(h.port.openPending());
    h.advance(c.after - 1);
    EXPECT_EQ(h.view.status, "Подключение к 127.0.0.1:35000…") << "held until the wait ends";
    switch (c.end) {
      case End::Opened:
        h.port.finishOpen();
        break;
      case End::Failed:
        h.port.finishOpen("refused");
        break;
      case End::Stopped:
        h.click();
        break;
      case End::LimitPassed:
        h.advance(1);
        break;
    }
    // A report that comes after the wait was given up changes nothing.
    h.port.finishOpen();
    h.advance(500);
    EXPECT_EQ(h.controller.running(), c.runs);
    EXPECT_FALSE(h.controller.connecting());
    EXPECT_EQ(h.view.caption, c.runs ? kCaptionStop : kCaptionStart);
    EXPECT_EQ(h.view.selectorsEnabled, !c.runs);
    EXPECT_EQ(static_cast<int>(h.view.errors.size()), c.errors);
    EXPECT_EQ(h.port.cancelledOpens, 1 + c.cancelled);
    EXPECT_EQ(h.lastWrite(), c.sent);
    EXPECT_EQ(finished, c.end == End::Stopped ? 0 : 1) << "said once, not for a stop";
    if (!c.runs) {
      EXPECT_EQ(h.view.status, kStatusNoLink);
    }
    if (c.errors) {
      EXPECT_NE(h.view.errors[0].find("127.0.0.1:35000"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace kalvex::test
