// Negative replies and the names of who answered.
#include <gtest/gtest.h>

#include "obd/ecu_name.h"
#include "obd/hex_bytes.h"
#include "obd/negative_reply.h"

namespace kalvex::obd {
namespace {

using test::Hex;

TEST(NegativeReply, Read) {
  const auto r = ReadNegativeReply(Hex("7F 01 12"));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->service, 0x01);
  EXPECT_EQ(r->code, 0x12);
  EXPECT_EQ(ReadNegativeReply(Hex("7F 09 78 00"))->code, kResponsePending);
  EXPECT_FALSE(ReadNegativeReply(Hex("7F 01")));
  EXPECT_FALSE(ReadNegativeReply(Hex("41 0C 1A F8")));
  EXPECT_FALSE(ReadNegativeReply({}));
}

TEST(NegativeReply, EachCodeNamed) {
  struct Row {
    uint8_t code;
    const char* ru;
    const char* en;
  };
  const Row rows[] = {
      {0x10, "Общий отказ", "General reject"},
      {0x11, "Сервис не поддерживается", "Service not supported"},
      {0x12, "Подфункция не поддерживается или неверный формат",
       "Sub-function not supported or invalid format"},
      {0x21, "ЭБУ занят, повторите запрос", "Busy, repeat request"},
      {0x22, "Условия не выполнены", "Conditions not correct"},
      {0x31, "Запрос вне допустимого диапазона", "Request out of range"},
      {0x78, "Ответ готовится, ждите", "Response pending, wait"},
      {0x99, "код 0x99", "code 0x99"},
      {0x00, "код 0x00", "code 0x00"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NegativeReplyName(row.code, Lang::Ru), row.ru) << +row.code;
    EXPECT_EQ(NegativeReplyName(row.code, Lang::En), row.en) << +row.code;
  }
}

TEST(EcuName, ByIdentifier) {
  struct Row {
    uint32_t ecu;
    const char* ru;
    const char* en;
  };
  const Row rows[] = {
      {0x7E8, "ЭБУ двигателя (7E8)", "Engine (7E8)"},
      {0x7E9, "ЭБУ КПП (7E9)", "Transmission (7E9)"},
      {0x7EA, "ЭБУ 7EA", "ECU 7EA"},
      {0x18DAF110, "ЭБУ двигателя (18DAF110)", "Engine (18DAF110)"},
      {0x18DAF118, "ЭБУ КПП (18DAF118)", "Transmission (18DAF118)"},
      {0x18DAF11A, "ЭБУ 18DAF11A", "ECU 18DAF11A"},
      {0x18DB3310, "ЭБУ 18DB3310", "ECU 18DB3310"},  // not a reply to the tester
      {0x10, "ЭБУ двигателя (10)", "Engine (10)"},
      {0x18, "ЭБУ КПП (18)", "Transmission (18)"},
      {0x28, "ЭБУ 28", "ECU 28"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(EcuName(row.ecu, Lang::Ru), row.ru) << std::hex << row.ecu;
    EXPECT_EQ(EcuName(row.ecu, Lang::En), row.en) << std::hex << row.ecu;
  }
}

}  // namespace
}  // namespace kalvex::obd
