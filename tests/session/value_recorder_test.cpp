#include "session/value_recorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace kalvex {
namespace {

using enum Component;

// One step of a run: the values a reply sets, then its acceptance at `at`.
struct Step {
  std::vector<std::pair<Component, float>> sets;
  Millis at;
  bool always = false;
  bool row;  // a row is expected
};

TEST(ValueRecorder, OneRowPerReplyThatSetValuesCarryingEveryValueSetSoFar) {
  SessionValues store;
  ValueRecorder rec(&store);
  std::vector<Millis> seen;
  rec.onRow = [&](Millis t, const GaugeValues&) { seen.push_back(t); };
  rec.begin(1000);
  const std::vector<Step> steps = {
      {{{VS_Nmot, 8.0f}, {VI_Nmot, 800.0f}}, 1200, false, true},
      {{}, 1400, false, false},  // a fault reply: nothing set, no row
      {{{VS_TOG, 90.0f}}, 1600, false, true},
      {{}, 1800, true, true},  // replay: a row for every accepted reply
  };
  for (const Step& s : steps) {
    for (auto [c, v] : s.sets) rec.setGaugeValue(c, v);
    EXPECT_EQ(rec.replyAccepted(s.at, s.always), s.row) << s.at;
    EXPECT_EQ(rec.lastReplyMadeRow(), s.row) << s.at;
  }
  ASSERT_EQ(store.size(), 3u);
  EXPECT_EQ(seen, (std::vector<Millis>{200, 600, 800}));
  // Later rows keep the values set before them; unset stays empty.
  EXPECT_EQ(store[1].value(VI_Nmot), 800.0f);
  EXPECT_EQ(store[1].value(VS_TOG), 90.0f);
  EXPECT_EQ(store[0].value(VS_TOG), std::nullopt);
  EXPECT_EQ(store[1].value(VS_Speed), std::nullopt);

  rec.begin(5000);  // a new session forgets values and rows
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(rec.current()[static_cast<size_t>(VI_Nmot)], std::nullopt);
  EXPECT_FALSE(rec.replyAccepted(5100));
}

TEST(ValueRecorder, TeeGivesBothSinksTheSameValues) {
  ValueRecorder a, b;
  GaugeTee tee(a, b);
  tee.setGaugeValue(VS_MAP, 101.5f);
  EXPECT_EQ(a.current()[static_cast<size_t>(VS_MAP)], 101.5f);
  EXPECT_EQ(b.current()[static_cast<size_t>(VS_MAP)], 101.5f);
}

}  // namespace
}  // namespace kalvex
