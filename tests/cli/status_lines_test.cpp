#include "cli/status_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kalvex::cli {
namespace {

TEST(StatusLines, WatchdogFlipTakenBackByTheNextReplyIsNotPrinted) {
  struct Step {
    Millis at;
    std::optional<LinkStatus> status;  // none: only the clock moves (the loop's deadline)
    bool running;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<LinkStatus> printed;
  };
  const Case cases[] = {
      {"healthy link: the tick and the next reply",
       {{0, LinkStatus::NoLink, true},
        {300, LinkStatus::Linked, true},
        {10000, LinkStatus::NoLink, true},
        {10200, LinkStatus::Linked, true},
        {20000, LinkStatus::NoLink, true},
        {20300, LinkStatus::Linked, true}},
       {LinkStatus::NoLink, LinkStatus::Linked}},
      {"a link lost for good is printed once the grace is over",
       {{0, LinkStatus::NoLink, true},
        {300, LinkStatus::Linked, true},
        {10000, LinkStatus::NoLink, true},
        {11199, std::nullopt, true},
        {11200, std::nullopt, true},
        {12000, LinkStatus::Linked, true}},
       {LinkStatus::NoLink, LinkStatus::Linked, LinkStatus::NoLink, LinkStatus::Linked}},
      {"a stop is printed at once",
       {{0, LinkStatus::NoLink, true},
        {300, LinkStatus::Linked, true},
        {500, LinkStatus::NoLink, false}},
       {LinkStatus::NoLink, LinkStatus::Linked, LinkStatus::NoLink}},
      {"a silent adapter is printed at once",
       {{0, LinkStatus::NoLink, true},
        {2000, LinkStatus::NoAdapter, true},
        {10000, LinkStatus::NoAdapter, true}},
       {LinkStatus::NoLink, LinkStatus::NoAdapter}},
  };
  for (const Case& c : cases) {
    StatusLines lines(1200);
    std::vector<LinkStatus> printed;
    for (const Step& s : c.steps) {
      if (const auto due = lines.takeDue(s.at)) printed.push_back(*due);
      if (s.status) {
        if (const auto now = lines.set(*s.status, s.running, s.at)) printed.push_back(*now);
      }
    }
    EXPECT_EQ(printed, c.printed) << c.what;
  }
}

TEST(StatusLines, HeldLineIsFlushedAtTheEnd) {
  StatusLines lines(1200);
  lines.set(LinkStatus::Linked, true, 0);
  EXPECT_FALSE(lines.set(LinkStatus::NoLink, true, 100));
  ASSERT_TRUE(lines.due());
  EXPECT_EQ(*lines.due(), 1300);
  EXPECT_EQ(lines.takeDue(200, true), std::optional<LinkStatus>(LinkStatus::NoLink));
  EXPECT_FALSE(lines.due());
}

}  // namespace
}  // namespace kalvex::cli
