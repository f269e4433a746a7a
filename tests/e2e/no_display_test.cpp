// The installed window started where there is no screen: one line saying
// so and status 1, not Qt's abort with its page of advice.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace kalvex {
namespace {

TEST(NoDisplay, OneLineAndStatusOne) {
  const struct {
    const char* what;
    std::vector<std::string> env;  // after "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"
    const char* said;
  } cases[] = {
      {"no display at all", {}, "kalvex: нет графического дисплея"},
      {"a display nobody serves",
       {"DISPLAY=:97"},
       "kalvex: не удалось открыть графический дисплей"},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-u", "DISPLAY",        "-u", "WAYLAND_DISPLAY",
                                     "-u", "QT_QPA_PLATFORM"};
    args.insert(args.end(), c.env.begin(), c.env.end());
    args.push_back(testing::BinaryDir() + "/kalvex");
    testing::Child child("/usr/bin/env", args, "nodisplay" + std::to_string(n++));
    ASSERT_TRUE(child.started()) << c.what;
    EXPECT_EQ(child.wait(), 1) << c.what;
    const std::string err = child.err();
    EXPECT_EQ(err.rfind(c.said, 0), 0u) << c.what << ": " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.what << ": " << err;
  }
}

}  // namespace
}  // namespace kalvex
