#include "cli/status_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvex::cli {
namespace {

TEST(StatusLines, WatchdogFlipTakenBackByTheNextReplyIsNotPrinted) {
  struct Step {
    Millis at;
    const char* text;  // nullptr: only the clock moves (the loop's deadline)
    bool running;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::string> printed;
  };
  const Case cases[] = {
      {"healthy link: the tick and the next reply",
       {{0, kStatusNoLink, true},
        {300, kStatusLinked, true},
        {10000, kStatusNoLink, true},
        {10200, kStatusLinked, true},
        {20000, kStatusNoLink, true},
        {20300, kStatusLinked, true}},
       {kStatusNoLink, kStatusLinked}},
      {"a link lost for good is printed once the grace is over",
       {{0, kStatusNoLink, true},
        {300, kStatusLinked, true},
        {10000, kStatusNoLink, true},
        {11199, nullptr, true},
        {11200, nullptr, true},
        {12000, kStatusLinked, true}},
       {kStatusNoLink, kStatusLinked, kStatusNoLink, kStatusLinked}},
      {"a stop is printed at once",
       {{0, kStatusNoLink, true}, {300, kStatusLinked, true}, {500, kStatusNoLink, false}},
       {kStatusNoLink, kStatusLinked, kStatusNoLink}},
      {"a silent adapter is printed at once",
       {{0, kStatusNoLink, true}, {2000, kStatusNoAdapter, true}, {10000, kStatusNoAdapter, true}},
       {kStatusNoLink, kStatusNoAdapter}},
  };
  for (const Case& c : cases) {
    StatusLines lines(1200);
    std::vector<std::string> printed;
    for (const Step& s : c.steps) {
      if (const auto due = lines.takeDue(s.at)) printed.push_back(*due);
      if (s.text) {
        if (const auto now = lines.set(s.text, s.running, s.at)) printed.push_back(*now);
      }
    }
    EXPECT_EQ(printed, c.printed) << c.what;
  }
}

TEST(StatusLines, HeldLineIsFlushedAtTheEnd) {
  StatusLines lines(1200);
  lines.set(kStatusLinked, true, 0);
  EXPECT_FALSE(lines.set(kStatusNoLink, true, 100));
  ASSERT_TRUE(lines.due());
  EXPECT_EQ(*lines.due(), 1300);
  EXPECT_EQ(lines.takeDue(200, true), std::optional<std::string>(kStatusNoLink));
  EXPECT_FALSE(lines.due());
}

}  // namespace
}  // namespace kalvex::cli
