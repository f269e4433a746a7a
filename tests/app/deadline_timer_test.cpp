// The timer both hosts run their core's deadlines on.
#include "app/deadline_timer.h"

#include <gtest/gtest.h>

#include <QObject>
#include <vector>

#include "support/qt_test_app.h"

namespace kalvex {
namespace {

TEST(TimerWaitMs, RoundsUpAndStaysInAQTimersRange) {
  struct Case {
    const char* name;
    Micros deadline, now;
    int waitMs;
  };
  const Case cases[] = {
      {"due now", 5'000'000, 5'000'000, 0},
      {"passed long ago", 1'000, 9'000'000, 0},
      {"a microsecond ahead waits a whole millisecond", 5'000'001, 5'000'000, 1},
      {"whole milliseconds as they are", 5'020'000, 5'000'000, 20},
      {"a fraction over rounds up", 5'020'001, 5'000'000, 21},
      {"negative clock readings", -999, -2'000, 2},
      {"a day at the most", 100LL * 24 * 3600 * 1'000'000, 0, 24 * 3600 * 1000},
  };
  for (const Case& c : cases) EXPECT_EQ(TimerWaitMs(c.deadline, c.now), c.waitMs) << c.name;
}

TEST(DeadlineTimer, FiresOnceArmedAndNotOnceDisarmed) {
  TestApp();
  QObject context;
  ManualClock clock;
  struct Step {
    const char* name;
    std::optional<Micros> first, second;  // armed twice in a row
    bool fires;
  };
  const Step steps[] = {
      {"disarmed before the loop ran: nothing", clock.nowMicros() - 1, std::nullopt, false},
      {"a deadline now fires", std::nullopt, clock.nowMicros(), true},
      {"re-armed later: the earlier arming does not stand", clock.nowMicros(),
       clock.nowMicros() + 3'600'000'000LL, false},
  };
  for (const Step& step : steps) {
    int fired = 0;
    DeadlineTimer timer(&context, clock, [&fired] { ++fired; });
    timer.arm(step.first);
    timer.arm(step.second);
    RunUntil([&] { return fired > 0; }, 200);
    EXPECT_EQ(fired > 0, step.fires) << step.name;
    EXPECT_LE(fired, 1) << step.name;  // single shot
  }
}

// The beat tells each change of the core's running state once, runs the
// core's deadlines when due, and after a stop does neither.
TEST(SessionPulse, TellsEachRunningChangeOnceAndNothingAfterStop) {
  TestApp();
  QObject context;
  ManualClock clock;
  bool running = false;
  std::optional<Micros> deadline;
  int timerRuns = 0;
  std::vector<bool> told;
  SessionPulse pulse(&context, clock,
                     {[&] { return running; }, [&] { return deadline; },
                      [&] {
                        ++timerRuns;
                        deadline.reset();
                      },
                      [&](bool r) { told.push_back(r); }});
  pulse.rearm();  // not running: nothing to tell
  running = true;
  pulse.rearm();
  pulse.rearm();  // the same state again: told once
  deadline = clock.nowMicros();
  pulse.rearm();
  RunUntil([&] { return timerRuns > 0; }, 200);
  running = false;
  pulse.rearm();
  EXPECT_EQ(told, (std::vector<bool>{true, false}));
  EXPECT_EQ(timerRuns, 1);

  EXPECT_TRUE(pulse.stop());
  EXPECT_FALSE(pulse.stop());  // a second shutdown does nothing
  running = true;
  deadline = clock.nowMicros();
  pulse.rearm();
  RunUntil([] { return false; }, 50);
  EXPECT_EQ(told.size(), 2u);
  EXPECT_EQ(timerRuns, 1);
}

}  // namespace
}  // namespace kalvex
