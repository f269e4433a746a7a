#include "faults/faults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "decode/reply_handling.h"

namespace kalvex {
namespace {

ResponseBytes Reply(std::initializer_list<uint8_t> bytes) {
  ResponseBytes rb;
  for (uint8_t v : bytes) rb.b[rb.length++] = v;
  return rb;
}

std::string LineOf(const char* code) {
  for (const FaultRow& row : FaultDescriptionTable())
    if (std::strcmp(row.code, code) == 0) return row.line;
  ADD_FAILURE() << "no row " << code;
  return {};
}

std::vector<std::string> Lines(std::initializer_list<const char*> codes) {
  std::vector<std::string> out;
  for (const char* c : codes) out.push_back(LineOf(c));
  return out;
}

TEST(FaultTableTest, SeventyFourRowsInAscendingOrderShownAsWritten) {
  const auto& rows = FaultDescriptionTable();
  ASSERT_EQ(rows.size(), 74u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string line = rows[i].line;
    EXPECT_EQ(std::strlen(rows[i].code), 4u);
    EXPECT_EQ(line.substr(0, 7), std::string(rows[i].code) + " - ") << line;
    if (i > 0) {
      EXPECT_LT(std::strcmp(rows[i - 1].code, rows[i].code), 0) << rows[i].code;
    }
  }
  EXPECT_STREQ(rows.front().code, "0102");
  EXPECT_STREQ(rows.back().code, "0617");
  EXPECT_EQ(LineOf("0603"), "0603 - Неисправность ОЗУ блока управления ");
  EXPECT_EQ(LineOf("0201"), "0201 - Цепь управления форсункой цилиндра №1, обрыв");
  EXPECT_EQ(LineOf("0262"), "0262 - Цепь управления форсункой цилиндра №1, замыкание на +12В");
  EXPECT_EQ(LineOf("0480"),
            "0480 - Цепь управления реле вентилятора 1; обрыв, замыкание на +12В или на землю");
  EXPECT_EQ(LineOf("0601"), "0601 - Неисправность FLASH-памяти");
  // Only 0603 ends in a blank.
  for (const FaultRow& row : rows) {
    if (std::strcmp(row.code, "0603") != 0) {
      EXPECT_NE(std::string(row.line).back(), ' ') << row.code;
    }
  }
}

TEST(FaultReplyTest, ListsKnownCodesInReplyOrder) {
  struct Case {
    const char* what;
    ResponseBytes rb;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"two codes", Reply({0x58, 0x02, 0x01, 0x02, 0x20, 0x03, 0x01, 0xE0}),
       Lines({"0102", "0301"})},
      {"0x57 alike", Reply({0x57, 0x02, 0x01, 0x02, 0x20, 0x03, 0x01, 0xE0}),
       Lines({"0102", "0301"})},
      {"reply order, not table order", Reply({0x58, 0x02, 0x06, 0x17, 0x00, 0x01, 0x02, 0x00}),
       Lines({"0617", "0102"})},
      {"unknown code: only the line naming it",
       Reply({0x58, 0x01, 0x01, 0x04, 0x00}),
       {"Ещё 1 код без описания: 0104"}},
      {"hex is upper case: 010A matches nothing",
       Reply({0x58, 0x01, 0x01, 0x0A, 0x00}),
       {"Ещё 1 код без описания: 010A"}},
      {"upper bits kept: 4102 is not 0102",
       Reply({0x58, 0x01, 0x41, 0x02, 0x00}),
       {"Ещё 1 код без описания: 4102"}},
      {"unknown between known: described lines first, then the rest",
       Reply({0x58, 0x04, 0x01, 0x04, 0, 0x01, 0x02, 0, 0x01, 0x0A, 0, 0x06, 0x03, 0}),
       {LineOf("0102"), LineOf("0603"), "Ещё 2 кода без описания: 0104, 010A"}},
      {"duplicates kept", Reply({0x58, 0x02, 0x03, 0x00, 0x00, 0x03, 0x00, 0x00}),
       Lines({"0300", "0300"})},
      {"status byte plays no part", Reply({0x58, 0x02, 0x03, 0x00, 0x20, 0x03, 0x00, 0xE0}),
       Lines({"0300", "0300"})},
      {"N beyond the reply: only received entries",
       Reply({0x58, 0x05, 0x01, 0x02, 0x00, 0x01, 0x03, 0x00}), Lines({"0102", "0103"})},
      {"entry cut after its high byte is dropped", Reply({0x58, 0x02, 0x01, 0x02, 0x00, 0x01}),
       Lines({"0102"})},
      {"entry missing only its status still counts",
       Reply({0x58, 0x02, 0x01, 0x02, 0x00, 0x01, 0x03}), Lines({"0102", "0103"})},
      {"N = 255 on a short reply", Reply({0x58, 0xFF, 0x05, 0x63}), Lines({"0563"})},
      {"N = 1 of a longer reply lists one", Reply({0x58, 0x01, 0x01, 0x02, 0, 0x01, 0x03, 0}),
       Lines({"0102"})},
  };
  for (const Case& c : cases) {
    std::vector<std::string> memo1 = {"old line"};
    int remembered = 0;
    EXPECT_TRUE(HandleFaultReply(c.rb, remembered, memo1)) << c.what;
    EXPECT_EQ(memo1, c.want) << c.what;
    EXPECT_EQ(remembered, c.rb[1]) << c.what;
  }
}

TEST(FaultReplyTest, NeverReadsPastTheReceivedBytes) {
  // Stale bytes beyond `length` (a buffer not cleared by its producer) must
  // not turn into codes.
  ResponseBytes rb = Reply({0x58, 0x03, 0x01, 0x02, 0x00});
  rb.b[5] = 0x01, rb.b[6] = 0x03, rb.b[8] = 0x06, rb.b[9] = 0x03;
  std::vector<std::string> memo1;
  int remembered = 0;
  HandleFaultReply(rb, remembered, memo1);
  EXPECT_EQ(memo1, Lines({"0102"}));

  // A length beyond the buffer is capped, not trusted.
  ResponseBytes full;
  full.b.fill(0x01);
  full.b[0] = 0x58;
  full.b[1] = 0xFF;
  full.length = kResponseSize + 100;
  HandleFaultReply(full, remembered = 0, memo1);
  // 0101 is not in the table; 255 entries looked up, every one named.
  ASSERT_EQ(memo1.size(), 1u);
  EXPECT_EQ(memo1[0].rfind("Ещё 255 кодов без описания: 0101, 0101", 0), 0u);
}

TEST(FaultReplyTest, UndescribedCodesAreCountedInRussian) {
  const struct {
    size_t n;
    const char* head;
  } cases[] = {{1, "Ещё 1 код "},      {2, "Ещё 2 кода "},    {4, "Ещё 4 кода "},
               {5, "Ещё 5 кодов "},    {11, "Ещё 11 кодов "}, {12, "Ещё 12 кодов "},
               {21, "Ещё 21 код "},    {22, "Ещё 22 кода "},  {111, "Ещё 111 кодов "},
               {112, "Ещё 112 кодов "}};
  for (const auto& c : cases) {
    const std::string line = UndescribedCodesLine(std::vector<std::string>(c.n, "0104"));
    EXPECT_EQ(line.rfind(c.head, 0), 0u) << line;
  }
  EXPECT_EQ(UndescribedCodesLine({}), "");
}

TEST(FaultReplyTest, ZeroEntriesEmptyTheList) {
  std::vector<std::string> memo1 = Lines({"0102", "0301"});
  int remembered = 0;
  EXPECT_TRUE(HandleFaultReply(Reply({0x58, 0x00}), remembered, memo1));
  EXPECT_EQ(memo1, std::vector<std::string>{"Ошибок нет"});
  EXPECT_EQ(remembered, 0);
}

TEST(FaultReplyTest, ListIsRebuiltNotAppended) {
  const ResponseBytes rb = Reply({0x58, 0x02, 0x01, 0x02, 0x20, 0x03, 0x01, 0xE0});
  std::vector<std::string> memo1;
  int remembered = 0;
  HandleFaultReply(rb, remembered, memo1);
  remembered = 0;  // every request write resets it
  HandleFaultReply(rb, remembered, memo1);
  EXPECT_EQ(memo1, Lines({"0102", "0301"}));

  // Without a write in between, a reply with the remembered count is not listed.
  const ResponseBytes other = Reply({0x58, 0x02, 0x01, 0x03, 0x00, 0x01, 0x03, 0x00});
  EXPECT_FALSE(HandleFaultReply(other, remembered, memo1));
  EXPECT_EQ(memo1, Lines({"0102", "0301"}));
}

TEST(ClearTest, ClearReplySelectsTheMakesReadRequest) {
  struct Case {
    int make, ecu;
    uint8_t command;
    const char* request;  // NextRequest afterwards
  };
  const char* kUnchanged = "unchanged";
  const Case cases[] = {
      {kLada, 0, 12, "18 00 00 00"},   {kHyundai, 3, 2, "18 00 FF 00"},
      {kGreatWall, 0, 11, "21 01"},    {kGreatWall, 6, 11, "21 01"},
      {kGreatWall, 4, 20, "22 00 11"}, {kGaz, 0, 2, "18 00 FF 00"},
      {kUaz, 0, 2, "18 00 FF 00"},     {kByd, 0, 2, "18 00 FF 00"},
      {kGeely, 0, 2, "18 00 FF 00"},   {kChery, 0, 2, "18 00 FF 00"},
      {kZaz, 0, 2, "18 00 FF 00"},     {kIzh, 0, 2, "18 00 FF 00"},
      {kNissan, 0, 2, kUnchanged},     {kKia, 0, 2, kUnchanged},
      {kDaewoo, 0, 2, kUnchanged},     {kChevrolet, 0, 2, kUnchanged},
      {kCitroen, 0, 14, kUnchanged},   {kPeugeot, 0, 14, kUnchanged},
      {kSuzuki, 0, 12, kUnchanged},    {-1, 0, 3, kUnchanged},
      {kMakeCount, 0, 3, kUnchanged},
  };
  for (const Case& c : cases) {
    RequestChoice next{3, kUnchanged};
    HandleClearReply(c.make, c.ecu, next);
    EXPECT_EQ(next.nextCommand, c.command) << "make " << c.make << " ECU " << c.ecu;
    EXPECT_EQ(next.nextRequest, c.request) << "make " << c.make << " ECU " << c.ecu;
  }
}

TEST(ClearTest, ButtonActsForTheFirstFiveMakes) {
  for (int make = -1; make <= kMakeCount; ++make)
    EXPECT_EQ(ClearButtonActs(make), make >= 0 && make <= 4) << make;
  EXPECT_EQ(kClearRequest, 3);
}

struct NullSink : GaugeSink {
  int sets = 0;
  void setGaugeValue(Component, float) override { ++sets; }
};

TEST(ReplyHandlingTest, FaultAndClearRepliesReachTheirHandlers) {
  NullSink sink;
  ReplyState state;
  state.next = {3, "14 FF 00"};

  // A negative reply to the clear request: everything stays, so it is resent.
  EXPECT_FALSE(HandleReplyData(kLada, 0, Reply({0x7F, 0x14, 0x22}), sink, state));
  EXPECT_EQ(state.next.nextCommand, 3);

  EXPECT_FALSE(HandleReplyData(kLada, 0, Reply({0x54, 0xFF, 0x00}), sink, state));
  EXPECT_EQ(state.next.nextCommand, 12);
  EXPECT_EQ(state.next.nextRequest, "18 00 00 00");

  EXPECT_TRUE(HandleReplyData(kLada, 0, Reply({0x58, 0x01, 0x05, 0x60, 0x00}), sink, state));
  EXPECT_EQ(state.memo1, Lines({"0560"}));
  EXPECT_EQ(state.next.nextCommand, 12);  // the read request is repeated
  EXPECT_EQ(sink.sets, 0);
}

}  // namespace
}  // namespace kalvex
