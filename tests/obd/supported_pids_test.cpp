#include "obd/supported_pids.h"

#include <gtest/gtest.h>

#include "obd/hex_bytes.h"

namespace kalvex::obd {
namespace {

using test::Hex;

TEST(SupportedPids, ReadsTheBitsFromTheTop) {
  SupportedPids s;
  // BE = 1011 1110: 01, 03-07; 1F: 0C-10; A8: 11, 13, 15; 13: 1C, 1F, 20.
  s.addBitmap(0x00, Hex("BE 1F A8 13"));
  EXPECT_EQ(s.list(), Hex("01 03 04 05 06 07 0C 0D 0E 0F 10 11 13 15 1C 1F"));
  EXPECT_TRUE(s.has(0x0C));
  EXPECT_FALSE(s.has(0x02));
  EXPECT_TRUE(s.has(0x20));
  EXPECT_TRUE(s.chainsTo(0x20));
  EXPECT_FALSE(s.chainsTo(0x40));
  EXPECT_EQ(s.nextBitmap(), 0x20);
}

TEST(SupportedPids, FollowsTheChainAndStopsWhereItBreaks) {
  SupportedPids s;
  EXPECT_EQ(s.nextBitmap(), 0x00);  // nothing asked yet
  s.addBitmap(0x00, Hex("00 00 00 01"));
  EXPECT_EQ(s.nextBitmap(), 0x20);
  s.addBitmap(0x20, Hex("80 00 00 01"));  // 21 and the next bitmap
  EXPECT_EQ(s.nextBitmap(), 0x40);
  s.addBitmap(0x40, Hex("40 00 00 00"));  // 42, no further bitmap
  EXPECT_EQ(s.nextBitmap(), std::nullopt);
  EXPECT_EQ(s.list(), Hex("21 42"));
  EXPECT_FALSE(s.chainsTo(0x60));
}

TEST(SupportedPids, NoChainWithoutTheBitmapBefore) {
  SupportedPids s;
  s.addBitmap(0x40, Hex("FF FF FF FF"));  // came without 0x00 and 0x20
  EXPECT_TRUE(s.chainsTo(0x60));          // 0x40's own last bit
  EXPECT_EQ(s.nextBitmap(), 0x00);        // but the chain starts at 0x00
  s.addBitmap(0x00, Hex("00 00 00 00"));
  EXPECT_EQ(s.nextBitmap(), std::nullopt);
}

// An ECU claiming every PID must not keep the caller asking for ever.
TEST(SupportedPids, ABitmapClaimingEverythingEndsAtE0) {
  SupportedPids s;
  int asked = 0;
  while (const auto base = s.nextBitmap()) {
    ASSERT_LT(asked, 8);
    ++asked;
    s.addBitmap(*base, Hex("FF FF FF FF"));
  }
  EXPECT_EQ(asked, 8);  // 00 20 40 60 80 A0 C0 E0
  EXPECT_TRUE(s.hasBitmap(0xE0));
  EXPECT_TRUE(s.has(0xFF));
  EXPECT_EQ(s.list().size(), 255u - 7u);  // 01-FF without the bitmaps 20 ... E0
}

TEST(SupportedPids, IgnoresWhatIsNoBitmap) {
  SupportedPids s;
  s.addBitmap(0x10, Hex("FF FF FF FF"));  // not a bitmap base
  s.addBitmap(0x00, Hex("FF FF FF"));     // short
  EXPECT_TRUE(s.list().empty());
  EXPECT_FALSE(s.hasBitmap(0x00));
  EXPECT_FALSE(s.chainsTo(0x00));
  EXPECT_FALSE(s.chainsTo(0x30));
  s.addBitmap(0x00, Hex("80 00 00 00 FF"));  // a fifth byte is not read
  EXPECT_EQ(s.list(), Hex("01"));
}

TEST(SupportedPids, ABitmapAddedAgainReplacesItsBits) {
  SupportedPids s;
  s.addBitmap(0x00, Hex("FF FF FF FF"));
  s.addBitmap(0x20, Hex("FF FF FF FF"));
  s.addBitmap(0x00, Hex("00 10 00 00"));
  EXPECT_FALSE(s.has(0x01));
  EXPECT_TRUE(s.has(0x0C));
  EXPECT_TRUE(s.has(0x21));  // the other bitmap stays
  EXPECT_FALSE(s.chainsTo(0x20));
}

}  // namespace
}  // namespace kalvex::obd
