// The text helpers every front end and reader shares: what they take and
// what they refuse, whatever the locale.
#include "protocol/text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace kalvex {
namespace {

TEST(Text, StrictNumbersRefuseWhatAFriendlierParserWouldTake) {
  // A comma decimal locale must not change a thing.
  std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");
  struct Row {
    const char* text;
    std::optional<int> integer;
    std::optional<double> number;
  };
  const Row rows[] = {
      {"12", 12, 12.0},
      {"-7", -7, -7.0},
      {"0.5", std::nullopt, 0.5},
      {"1e3", std::nullopt, 1000.0},
      {"0,5", std::nullopt, std::nullopt},
      {" 1", std::nullopt, std::nullopt},
      {"+1", std::nullopt, std::nullopt},
      {"1 ", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"inf", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"1e999", std::nullopt, std::nullopt},
      {"99999999999", std::nullopt, 99999999999.0},
      {"", std::nullopt, std::nullopt},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ParseDecimal(r.text), r.integer) << '"' << r.text << '"';
    EXPECT_EQ(ParseDecimalNumber(r.text), r.number) << '"' << r.text << '"';
  }
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(ParseInteger("20", 20, 1000), 20);
  EXPECT_FALSE(ParseInteger("19", 20, 1000));
  EXPECT_FALSE(ParseNumber("0", 0.001, 1e7));
}

TEST(Text, HexOutIsReadBackByHexIn) {
  for (int v = 0; v < 256; ++v) {
    const std::string s = hex::Byte(static_cast<uint8_t>(v));
    ASSERT_EQ(s.size(), 2u);
    ASSERT_TRUE(hex::IsStrictDigit(s[0]) && hex::IsStrictDigit(s[1])) << s;
    EXPECT_EQ(hex::DigitValue(s[0]) * 16 + hex::DigitValue(s[1]), v);
  }
  // The ELM327 sends upper case only; the Kesta-mini either.
  EXPECT_FALSE(hex::IsStrictDigit('a'));
  EXPECT_TRUE(hex::IsLenientDigit('a'));
  EXPECT_FALSE(hex::IsLenientDigit('g'));
}

}  // namespace
}  // namespace kalvex
