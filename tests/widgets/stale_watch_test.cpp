// The stale rule's upkeep both dashboards share, and the gauge each kind of
// row makes.
#include "ui/widgets/stale_watch.h"

#include <gtest/gtest.h>

#include <QObject>
#include <string>
#include <vector>

#include "support/qt_test_app.h"
#include "ui/widgets/gauges.h"

namespace kalvex {
namespace {

TEST(StaleWatch, FollowsTheSessionOnItsClock) {
  TestApp();
  ManualClock clock(5'000);
  QObject context;
  std::vector<Millis> applied;  // the times the rule was applied at
  StaleWatch watch(&context, [&](Millis now, const RefreshPace&) { applied.push_back(now); });
  watch.setClock(&clock);

  enum class Do { Start, Reply, Check, Stop, Clear };
  struct Step {
    Do action;
    bool running, ended, watching;
    bool applies;  // the rule is applied at once
  };
  const Step steps[] = {
      {Do::Check, false, false, false, true}, {Do::Start, true, false, true, true},
      {Do::Reply, true, false, true, false},  // learnt, applied at the next look
      {Do::Reply, true, false, true, false},  {Do::Check, true, false, true, true},
      {Do::Stop, false, true, false, true},  // what is shown is from the session
      {Do::Clear, false, false, false, true}, {Do::Start, true, false, true, true},
      {Do::Clear, false, false, true, true},  // emptied while running: the timer stays
      {Do::Stop, false, false, false, true},  // nothing of the session was left to end
  };
  int index = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(index++);
    clock.advance(100);
    const size_t before = applied.size();
    switch (step.action) {
      case Do::Start:
        watch.sessionStarted();
        break;
      case Do::Reply:
        watch.reply(11);
        break;
      case Do::Check:
        watch.check();
        break;
      case Do::Stop:
        watch.sessionStopped();
        break;
      case Do::Clear:
        watch.cleared();
        break;
    }
    EXPECT_EQ(watch.pace().running(), step.running);
    EXPECT_EQ(watch.pace().ended(), step.ended);
    EXPECT_EQ(watch.watching(), step.watching);
    ASSERT_EQ(applied.size(), before + (step.applies ? 1 : 0));
    if (step.applies) {
      EXPECT_EQ(applied.back(), clock.now()) << "the session's clock";
    }
  }
  EXPECT_EQ(watch.pace().sessionStart(), 5'000 + 8 * 100);
}

TEST(StaleWatch, WithoutAClockReadsASteadyOne) {
  TestApp();
  QObject context;
  StaleWatch watch(&context, [](Millis, const RefreshPace&) {});
  ManualClock clock(42);
  watch.setClock(&clock);
  EXPECT_EQ(watch.now(), 42);
  watch.setClock(nullptr);  // the session ended and took its clock along
  const Millis steady = SteadyClock().now();
  EXPECT_NEAR(static_cast<double>(watch.now()), static_cast<double>(steady), 1000.0);
}

TEST(MakeGauge, EachKindMakesItsWidget) {
  TestApp();
  const std::pair<GaugeKind, std::string> cases[] = {
      {GaugeKind::Meter180, "kalvex::Dial180Gauge"},
      {GaugeKind::Meter120, "kalvex::Dial120Gauge"},
      {GaugeKind::VMeter, "kalvex::VerticalGauge"},
      {GaugeKind::Thermometer, "kalvex::ThermometerGauge"},
      {GaugeKind::ValueInd, "kalvex::ValueDisplay"},
  };
  QWidget parent;
  for (const auto& [kind, className] : cases) {
    GaugeWidget* g = MakeGauge(kind, GaugeSettings{}, &parent);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->metaObject()->className(), className);
    EXPECT_EQ(g->parent(), &parent);
  }
}

}  // namespace
}  // namespace kalvex
