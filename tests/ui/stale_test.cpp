// Stale values on a manual clock: a gauge refreshed once per rotation is
// never dimmed in a healthy session, whatever the rotation and pace, and is
// dimmed soon after replies stop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/clock.h"
#include "ui/gauge_model.h"

namespace kalvex {
namespace {

GaugeModel Meter() { return GaugeModel(GaugeKind::Meter180, GaugeSettings{}); }

// The request numbers of one rotation, as the decoders choose them.
const std::vector<int> kLadaRotation = {11};          // "21 01" again and again
const std::vector<int> kHyundaiRotation = {1, 9, 7};  // 21 06 > 21 03 > 21 04
const std::vector<int> kNissanRotation = {40, 41, 42, 43, 44, 45, 46, 47};  // the longest

struct PaceCase {
  const char* name;
  const std::vector<int>* rotation;
  Millis gap;  // between two replies
};

// 200 ms pause plus the adapter's and the ECU's time is the described pace;
// a second between requests is a slow ECU or adapter.
const PaceCase kHealthy[] = {
    {"single request, described pace", &kLadaRotation, 260},
    {"three requests, described pace", &kHyundaiRotation, 260},
    {"longest rotation, described pace", &kNissanRotation, 260},
    {"longest rotation, slow adapter", &kNissanRotation, 450},
    {"single request, 1 s", &kLadaRotation, 1000},
    {"three requests, 1 s", &kHyundaiRotation, 1000},
    {"longest rotation, 1 s", &kNissanRotation, 1000},
};

TEST(StaleGauges, NeverDimmedInAHealthySessionDimmedAfterRepliesStop) {
  for (const PaceCase& c : kHealthy) {
    SCOPED_TRACE(c.name);
    ManualClock clock;
    RefreshPace pace;
    // Each gauge is refreshed by exactly one step of the rotation; the
    // last step's gauge waits longest at the start.
    const std::vector<int>& rot = *c.rotation;
    std::vector<GaugeModel> gauges(rot.size(), Meter());
    pace.start(clock.now());
    for (GaugeModel& g : gauges) {
      g.updateStale(clock.now(), pace);
      EXPECT_TRUE(g.stale()) << "values from before the session are stale";
    }
    const int replies = static_cast<int>(rot.size()) * 12;
    Millis lastReply = 0;
    for (int r = 0; r < replies; ++r) {
      // Time passes in small steps up to the reply; nothing refreshed in
      // this session may look stale meanwhile.
      for (Millis t = 0; t < c.gap; t += 10) {
        clock.advance(10);
        for (size_t k = 0; k < gauges.size(); ++k) {
          gauges[k].updateStale(clock.now(), pace);
          if (r > static_cast<int>(k)) {
            ASSERT_FALSE(gauges[k].stale()) << "reply " << r << " gauge " << k;
          }
        }
      }
      const size_t step = static_cast<size_t>(r) % rot.size();
      gauges[step].refreshed(clock.now());
      EXPECT_FALSE(gauges[step].stale());
      pace.reply(rot[(step + 1) % rot.size()], clock.now());
      lastReply = clock.now();
    }
    // Replies stop: every gauge dims, at the described pace within 5 s.
    std::vector<Millis> dimmedAfter(gauges.size(), -1);
    for (Millis t = 10; t <= 60000; t += 10) {
      clock.set(lastReply + t);
      for (size_t k = 0; k < gauges.size(); ++k) {
        gauges[k].updateStale(clock.now(), pace);
        if (gauges[k].stale() && dimmedAfter[k] < 0) dimmedAfter[k] = t;
      }
    }
    for (size_t k = 0; k < gauges.size(); ++k) {
      ASSERT_GT(dimmedAfter[k], 0) << "gauge " << k << " never dimmed";
      if (c.gap <= 300) {
        EXPECT_LE(dimmedAfter[k], 5000) << "gauge " << k;
      }
    }
    // The next value brings it back at once.
    EXPECT_TRUE(gauges[0].refreshed(clock.now()));
    EXPECT_FALSE(gauges[0].stale());
    EXPECT_FALSE(gauges[0].updateStale(clock.now(), pace));
  }
}

// The pace the rule learns, from the replies alone.
TEST(RefreshPace, LearnsRotationAndInterval) {
  struct Case {
    std::vector<int> requests;  // chosen after each reply, one per 300 ms
    int rotation;
  } cases[] = {
      {{11, 11, 11, 11}, 1},
      {{9, 7, 1, 9, 7, 1, 9}, 3},
      {{6, 9, 6, 8, 6, 9, 6, 8}, 4},  // a request twice in one rotation
      {{40, 41, 42}, 3},              // not come round yet: every reply counts
  };
  for (const Case& c : cases) {
    RefreshPace pace;
    pace.start(0);
    Millis t = 0;
    for (int r : c.requests) pace.reply(r, t += 300);
    EXPECT_EQ(pace.rotation(), c.rotation);
    EXPECT_EQ(pace.interval(), 300);
    EXPECT_EQ(pace.staleAfter(), std::max<Millis>(RefreshPace::kMinStaleMs, c.rotation * 450));
  }
  RefreshPace fresh;
  fresh.start(0);
  EXPECT_EQ(fresh.interval(), RefreshPace::kUnknownIntervalMs);
  EXPECT_EQ(fresh.staleAfter(), RefreshPace::kMinStaleMs);
}

}  // namespace
}  // namespace kalvex
