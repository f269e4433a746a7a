// Numbers on the command line: kalvex-cli takes and refuses the same texts
// as the window does (both go through the strict decimal parsers).
#include <gtest/gtest.h>

#include "cli/cli_args.h"

namespace kalvex::cli {
namespace {

TEST(Numbers, SpacesSignsAndOtherSpellingsAreRefused) {
  struct Case {
    const char* text;
    bool integer, number;
  };
  const Case cases[] = {
      {"20", true, true},    {"-5", true, true},    {"007", true, true},     {" 20", false, false},
      {"+20", false, false}, {"20 ", false, false}, {"\t20", false, false},  {"0x14", false, false},
      {"1e3", false, true},  {"2.5", false, true},  {"inf", false, false},   {"nan", false, false},
      {"", false, false},    {"-", false, false},   {"1e999", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseInteger(c.text, -100, 10000).has_value(), c.integer) << '"' << c.text << '"';
    EXPECT_EQ(ParseNumber(c.text, -100, 1e6).has_value(), c.number) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace kalvex::cli
