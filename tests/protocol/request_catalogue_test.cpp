#include "protocol/request_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace kalvex {
namespace {

TEST(RequestCatalogue, KeysAndGaps) {
  const std::set<int> keys = {1,  2,  3,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 20, 21,
                              22, 23, 24, 25, 26, 30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 41,
                              42, 43, 44, 45, 46, 47, 50, 51, 52, 53, 54, 55, 56, 57, 60, 61};
  ASSERT_EQ(keys.size(), 48u);
  for (int n = 0; n < 256; ++n) {
    const auto b = static_cast<uint8_t>(n);
    const bool key = keys.count(n) > 0;
    EXPECT_EQ(IsRequestKey(b), key) << n;
    EXPECT_EQ(ElmRequestText(b).empty(), !key) << n;
    EXPECT_EQ(KestaRequestText(b).empty(), !key) << n;
  }
}

TEST(RequestCatalogue, TextsAndSpacing) {
  struct Row {
    int n;
    const char* elm;
    const char* kesta;
  };
  const Row rows[] = {
      {1, "21 06", "DD:02:2106"},
      {2, "18 00 FF 00", "DD:04:1800FF00"},
      {3, "14 FF 00", "DD:03:14FF00"},
      {5, "82", "DD:01:82"},
      {10, "10 86", "DD:02:1086"},
      {11, "21 01", "DD:02:2101"},
      {12, "18 00 00 00", "DD:04:18000000"},
      {13, "22 00 01", "DD:03:220001"},
      {14, "17 FF 00", "DD:03:17FF00"},
      {15, "21 00", "DD:02:2100"},
      {21, "22 00 0B", "DD:03:22000B"},
      {38, "21 1F", "DD:02:211F"},
      {40, "2211010401", "DD:05:2211010401"},
      {47, "2212060401", "DD:05:2212060401"},
      {50, "221101", "DD:03:221101"},
      {57, "221206", "DD:03:221206"},
      {60, "21C08001", "DD:04:21C08001"},
      {61, "21C48001", "DD:04:21C48001"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ElmRequestText(static_cast<uint8_t>(r.n)), r.elm) << r.n;
    EXPECT_EQ(KestaRequestText(static_cast<uint8_t>(r.n)), r.kesta) << r.n;
  }
}

// The Kesta-mini byte count always equals the pairs that follow, and both
// forms carry the same bytes.
TEST(RequestCatalogue, KestaCountMatchesElmBytes) {
  for (int n = 0; n < 256; ++n) {
    const auto b = static_cast<uint8_t>(n);
    if (!IsRequestKey(b)) continue;
    std::string elm = ElmRequestText(b);
    elm.erase(std::remove(elm.begin(), elm.end(), ' '), elm.end());
    const std::string& k = KestaRequestText(b);
    ASSERT_EQ(k.substr(0, 3), "DD:");
    ASSERT_EQ(k[5], ':');
    EXPECT_EQ(std::stoi(k.substr(3, 2)) * 2, static_cast<int>(k.size() - 6)) << n;
    EXPECT_EQ(k.substr(6), elm) << n;
    // Requests up to 38 are spaced, from 40 on they are not.
    EXPECT_EQ(ElmRequestText(b).find(' ') != std::string::npos, n <= 38 && elm.size() > 2) << n;
  }
}

}  // namespace
}  // namespace kalvex
