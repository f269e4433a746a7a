#include "session/decode_case.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvex {
namespace {

TEST(ParseHexBytesTest, AcceptsPairsWithOptionalBlanks) {
  struct Case {
    const char* text;
    bool ok;
    size_t length;
  };
  const Case cases[] = {
      {"6101FF", true, 3}, {"61 01 ff", true, 3}, {" 61\t01  FF \r", true, 3}, {"", true, 0},
      {"6", false, 0},     {"61 0", false, 0},    {"6 1", false, 0},           {"6G", false, 0},
      {"0x61", false, 0},  {"61-01", false, 0},
  };
  for (const Case& c : cases) {
    ResponseBytes rb;
    std::string error;
    EXPECT_EQ(ParseHexBytes(c.text, rb, error), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(rb.length, c.length) << c.text;
    } else {
      EXPECT_FALSE(error.empty()) << c.text;
    }
  }
  ResponseBytes rb;
  std::string error;
  ASSERT_TRUE(ParseHexBytes("61 01 ff", rb, error));
  EXPECT_EQ(rb.b[0], 0x61);
  EXPECT_EQ(rb.b[2], 0xFF);
  EXPECT_EQ(rb.b[3], 0);
}

TEST(ParseHexBytesTest, TakesAtMost1024Bytes) {
  std::string hex(2 * 1024, 'A');
  ResponseBytes rb;
  std::string error;
  EXPECT_TRUE(ParseHexBytes(hex, rb, error));
  EXPECT_EQ(rb.length, 1024u);
  EXPECT_FALSE(ParseHexBytes(hex + "00", rb, error));
  EXPECT_NE(error.find("1024"), std::string::npos) << error;
}

TEST(AppendGaugeValueTest, PrintsTheFloatWithNineDigits) {
  struct Case {
    float v;
    const char* text;
  };
  const Case cases[] = {
      {0.0f, "0"},
      {-0.0f, "0"},
      {840, "840"},
      {5.2f, "5.19999981"},
      {-47.25f, "-47.25"},
      {14.735f, "14.7349997"},
      {16383.75f, "16383.75"},
      {1e10f, "1e+10"},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendGaugeValue(out, c.v);
    EXPECT_EQ(out, c.text);
  }
}

TEST(DecodeCaseTest, BlocksForGoodAndBadLines) {
  struct Case {
    const char* line;
    bool ok;
    const char* block;
  };
  const Case cases[] = {
      {"0 6 13 62 00 01 00 78 00 70", true,
       "VS_Ub 12\nVI_Ub 12\nVS_TOG 36\nVS_Nmot 0\nVI_Nmot 0\nVS_Speed 0\nVI_Speed 0\n"
       "VS_DV 0\nVS_THR 0\nVS_MRV 0\nVS_TANS -48\nNextCommand 13\n"},
      {"0 0 12 5802010220030101", true,
       "Memo1 0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала\n"
       "Memo1 0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре\nNextCommand 12\n"},
      {"0 0 3 54", true, "NextCommand 12\n"},
      {"0 0 11 7F 21 12", true, "NextCommand 11\n"},
      {"0\t0\t0\t", true, "NextCommand 0\n"},
      {"2 4 3 54", true, "NextCommand 20\n"},
      {"17 0 0 61", false, "error make out of range: 17\n"},
      {"-1 0 0 61", false, "error make out of range: -1\n"},
      {"0 7 0 61", false, "error ECU type out of range for make 0: 7\n"},
      {"0 0 256 61", false, "error next request number out of range: 256\n"},
      {"0 0 0 6Z", false, "error bad hex at character 1\n"},
      {"0 0", false, "error expected: MAKE ECU NEXT HEX\n"},
      {"a 0 0 61", false, "error expected: MAKE ECU NEXT HEX\n"},
  };
  DecodeCaseRunner runner;
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(runner.runLine(c.line, out), c.ok) << c.line;
    EXPECT_EQ(out, c.block) << c.line;
  }
}

TEST(DecodeCaseTest, EveryCaseStartsFresh) {
  DecodeCaseRunner runner;
  std::string out;
  runner.runLine("0 0 12 58 01 01 02 00", out);
  out.clear();
  // Same count again: listed again (nothing remembered), and no old lines.
  runner.runLine("0 0 12 58 01 01 03 00", out);
  EXPECT_EQ(out,
            "Memo1 0103 - Датчик массового расхода воздуха, высокий уровень выходного сигнала\n"
            "NextCommand 12\n");
  out.clear();
  runner.runLine("0 0 12 61", out);
  EXPECT_EQ(out.find("Memo1"), std::string::npos);
}

}  // namespace
}  // namespace kalvex
