#include "protocol/number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kalvex {
namespace {

std::string Printf(const char* format, double v) {
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, format, v);
  return std::string(buf, static_cast<size_t>(n));
}

std::string General9(double v) {
  std::string s;
  AppendGeneral9(s, v);
  return s;
}

// The digits must be printf's for every value a decoder or a CSV can hold:
// the golden files and the Windows output were made with "%.9g".
void ExpectSameAsPrintf(double v) {
  ASSERT_EQ(General9(v), Printf("%.9g", v)) << std::hexfloat << v;
}

TEST(NumberFormat, EdgeValuesAsPrintf) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::vector<double> values = {
      0.0, -0.0, 1.0, -1.0, 0.1, 0.5, 2.5, 1e-5, 1e-4, 9.9999999949999e-5, 1e8, 1e9, 999999999.0,
      999999999.5, 999999998.5, 9999999995.0, 123456789.0, 1234567885.0, 1234567895.0, 100000000.5,
      0.000123456789,
      // the edges of a double and of a float held in one
      DBL_MIN, -DBL_MIN, DBL_MAX, -DBL_MAX, std::numeric_limits<double>::denorm_min(),
      -std::numeric_limits<double>::denorm_min(), std::nextafter(DBL_MIN, 0.0), FLT_MAX, -FLT_MAX,
      FLT_MIN, std::numeric_limits<float>::denorm_min(), FLT_EPSILON, DBL_EPSILON,
      // what the decoders print: scaled bytes in float
      static_cast<double>(0.1f), static_cast<double>(17.9f), static_cast<double>(-40.0f),
      static_cast<double>(14.1f * 0.05f + 5.2f), static_cast<double>(1.0f / 3.0f)};
  for (double v : values) ExpectSameAsPrintf(v);
  EXPECT_EQ(General9(kInf), "inf");
  EXPECT_EQ(General9(-kInf), "-inf");
  EXPECT_EQ(General9(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(General9(-std::numeric_limits<double>::quiet_NaN()), "-nan");
}

// Exact ties at the ninth digit round to even, as printf does: integers of
// ten digits ending in 5 and halves of nine-digit integers, both exact in a
// double, and powers of two and ten around every exponent switch.
TEST(NumberFormat, TiesAndPowersAsPrintf) {
  for (int64_t n = 1'000'000'005; n < 1'000'100'000; n += 10) {
    ExpectSameAsPrintf(static_cast<double>(n));
    ExpectSameAsPrintf(static_cast<double>(n / 10) + 0.5);
  }
  for (int e = -1074; e <= 1023; ++e) {
    const double p = std::ldexp(1.0, e);
    ExpectSameAsPrintf(p);
    ExpectSameAsPrintf(std::nextafter(p, 0.0));
    ExpectSameAsPrintf(-std::nextafter(p, HUGE_VAL));
  }
  for (int e = -320; e <= 308; ++e) {
    const double p = std::pow(10.0, e);
    ExpectSameAsPrintf(p);
    ExpectSameAsPrintf(std::nextafter(p, 0.0));
    ExpectSameAsPrintf(std::nextafter(p, HUGE_VAL));
  }
}

// Random bit patterns over all doubles and over all floats (every gauge
// value is a float), fixed seeds so a failure repeats.
TEST(NumberFormat, RandomBitsAsPrintf) {
  std::mt19937_64 rng(27);
  for (int i = 0; i < 400'000; ++i) {
    const double d = std::bit_cast<double>(rng());
    if (std::isfinite(d)) ExpectSameAsPrintf(d);
    const float f = std::bit_cast<float>(static_cast<uint32_t>(rng()));
    if (std::isfinite(f)) ExpectSameAsPrintf(static_cast<double>(f));
  }
  // Values of the size gauges show, with few significant digits.
  std::uniform_int_distribution<int> digits(-99999, 99999);
  std::uniform_int_distribution<int> scale(0, 6);
  for (int i = 0; i < 200'000; ++i)
    ExpectSameAsPrintf(static_cast<double>(static_cast<float>(digits(rng)) /
                                           static_cast<float>(std::pow(10, scale(rng)))));
}

TEST(NumberFormat, Fixed3AsPrintf) {
  std::mt19937_64 rng(3);
  std::uniform_int_distribution<int64_t> ms(0, 400'000'000'000);
  for (int i = 0; i < 100'000; ++i) {
    const double s = static_cast<double>(ms(rng)) / 1000.0;
    std::string out;
    AppendFixed3(out, s);
    ASSERT_EQ(out, Printf("%.3f", s)) << s;
  }
  for (double s : {0.0, -0.0, 0.0005, 0.0015, 0.0025, 1e15, 86400.5, -3.25}) {
    std::string out;
    AppendFixed3(out, s);
    EXPECT_EQ(out, Printf("%.3f", s)) << s;
  }
}

}  // namespace
}  // namespace kalvex
