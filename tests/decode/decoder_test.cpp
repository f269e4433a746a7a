#include "decode/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/decoder_table.h"
#include "catalogue/first_request.h"
#include "protocol/request_catalogue.h"

namespace kalvex {
namespace {

using enum Component;
using Set = std::pair<Component, float>;

struct RecordingSink : GaugeSink {
  std::vector<Set> sets;
  void setGaugeValue(Component c, float v) override { sets.emplace_back(c, v); }
};

// A reply: leading bytes, then (index, value) pokes; the length covers both.
ResponseBytes Reply(std::initializer_list<uint8_t> head,
                    std::initializer_list<std::pair<int, uint8_t>> pokes = {}) {
  ResponseBytes rb;
  size_t i = 0;
  for (uint8_t v : head) rb.b[i++] = v;
  rb.length = i;
  for (auto [at, v] : pokes) {
    rb.b[static_cast<size_t>(at)] = v;
    rb.length = std::max(rb.length, static_cast<size_t>(at) + 1);
  }
  return rb;
}

std::string Describe(const std::vector<Set>& sets) {
  std::string s;
  for (auto [c, v] : sets) s += std::string(ComponentName(c)) + "=" + std::to_string(v) + " ";
  return s;
}

// ---- evaluation rules, on formulas written in the test ------------------

TEST(FormulaTest, EvaluatesLeftToRightWithExactIntegersAndTiesToEven) {
  using namespace table;
  struct Case {
    const char* what;
    Formula f;
    std::initializer_list<uint8_t> bytes;
    float want;
  };
  const Case cases[] = {
      {"byte minus offset goes negative", B(0) - 40, {0}, -40},
      {"word, high byte first", W(1, 0), {0x34, 0x12}, 0x1234},
      {"word, other order", W(0, 1), {0x34, 0x12}, 0x3412},
      {"product beyond 32 bits stays exact",
       (W(0, 1) * 41942) / 6553600,
       {0xFF, 0xFF},
       419.413605f},
      {"division is never integer division", W(0, 1) / 400, {0x0B, 0xB8}, 7.5f},
      {"round tie down to even", Round(B(0) * 1.25L), {2}, 2},
      {"round tie up to even", Round(B(0) * 1.25L), {6}, 8},
      {"round tie 12.5", Round(B(0) * 1.25L), {10}, 12},
      {"negative tie to even", Round((B(0) - 50) / 4), {44}, -2},
      {"negative round", Round((B(0) - 50) / 4), {46}, -1},
      {"positive tie 1.5", Round((B(0) - 50) / 4), {56}, 2},
      {"inner round then offset", Round((B(0) * 191.2L) / 255) - 40, {100}, 35},
      {"constant minus quotient", 155 - (B(0) * 184) / 255, {255}, -29},
      {"decimal constants at extended precision", B(0) * 0.05L + 5.2L, {176}, 14},
      {"decimal product", B(0) * 0.073675L, {200}, 14.7349997f},
      {"decimal word product", W(0, 1) * 0.0133L, {0x03, 0xE8}, 13.3000002f},
      {"unrounded fraction passes", B(0) * 0.75L - 48, {1}, -47.25f},
      {"bytes past the reply read 0", B(600) - 40, {}, -40},
      {"word past the reply reads 0", W(700, 701) + 1, {}, 1},
  };
  for (const Case& c : cases) {
    ResponseBytes rb = Reply(c.bytes);
    EXPECT_EQ(Evaluate(c.f, rb), c.want) << c.what;
  }
  // -0.5 rounds to zero (printed as 0 by the CLI).
  ResponseBytes rb = Reply({48});
  EXPECT_EQ(Evaluate(Round((B(0) - 50) / 4), rb), 0.0f);
}

TEST(FormulaTest, IntegerFormulasAreRecognised) {
  using namespace table;
  EXPECT_TRUE((B(13) * 40).integral());
  EXPECT_TRUE((B(10) - 40).integral());
  EXPECT_FALSE((W(23, 22) / 125).integral());
  EXPECT_FALSE((B(20) * 0.05L).integral());
}

// ---- the LADA decoder -----------------------------------------------------

struct LadaCase {
  const char* what;
  int ecu;
  ResponseBytes rb;
  std::vector<Set> want;
};

TEST(LadaDecoderTest, EveryTypeSetsItsRowsInTableOrder) {
  const LadaCase cases[] = {
      {"Январь 5.1 P-83",
       0,
       Reply({0x61, 0x01}, {{19, 100},
                            {13, 21},
                            {20, 176},
                            {10, 0},
                            {25, 0x01},
                            {24, 0x2C},
                            {12, 50},
                            {23, 0x03},
                            {22, 0xE8}}),
       {{VS_Speed, 100},
        {VI_Speed, 100},
        {VS_Nmot, 8},
        {VI_Nmot, 840},
        {VS_Ub, 14},
        {VI_Ub, 14},
        {VS_TOG, -40},
        {VS_MRV, 30},
        {VS_THR, 50},
        {VS_DV, 8}}},
      {"Январь 5.1 Euro 2: words two bytes on",
       1,
       Reply({0x61, 0x01}, {{19, 60},
                            {13, 20},
                            {20, 0},
                            {10, 130},
                            {27, 0x01},
                            {26, 0x2C},
                            {12, 3},
                            {25, 0x03},
                            {24, 0xE8}}),
       {{VS_Speed, 60},
        {VI_Speed, 60},
        {VS_Nmot, 8},
        {VI_Nmot, 800},
        {VS_Ub, 5.2f},
        {VI_Ub, 5.2f},
        {VS_TOG, 90},
        {VS_MRV, 30},
        {VS_THR, 3},
        {VS_DV, 8}}},
      {"Январь 7.2: plus intake air",
       2,
       Reply({0x61, 0x01}, {{19, 1},
                            {13, 50},
                            {20, 176},
                            {10, 39},
                            {36, 65},
                            {27, 0x00},
                            {26, 0x05},
                            {12, 99},
                            {25, 0x00},
                            {24, 0x19}}),
       {{VS_Speed, 1},
        {VI_Speed, 1},
        {VS_Nmot, 20},
        {VI_Nmot, 2000},
        {VS_Ub, 14},
        {VI_Ub, 14},
        {VS_TOG, -1},
        {VS_TANS, 25},
        {VS_MRV, 0.5f},
        {VS_THR, 99},
        {VS_DV, 0.2f}}},
      {"M73 / Bosch M7.9.7",
       3,
       Reply({0x61, 0x01}, {{7, 2},
                            {9, 21},
                            {6, 200},
                            {4, 1},
                            {5, 0},
                            {10, 0x0B},
                            {11, 0xB8},
                            {8, 51},
                            {18, 0x03},
                            {19, 0xE8}}),
       {{VS_Speed, 2},
        {VI_Speed, 2},
        {VS_Nmot, 8},
        {VI_Nmot, 840},
        {VS_Ub, 14.7349997f},
        {VI_Ub, 14.7349997f},
        {VS_TOG, -47.25f},
        {VS_TANS, -48},
        {VS_MRV, 300},
        {VS_THR, 20},
        {VS_DV, 13.3000002f}}},
      {"Bosch MP7.0",
       4,
       Reply(
           {0x61, 0x01},
           {{16, 60}, {17, 20}, {11, 150}, {12, 255}, {15, 255}, {26, 5}, {18, 0x01}, {19, 0xF4}}),
       {{VS_Speed, 60},
        {VI_Speed, 60},
        {VS_Nmot, 8},
        {VI_Nmot, 800},
        {VS_Ub, 14.1450005f},
        {VI_Ub, 14.1450005f},
        {VS_TOG, 143.25f},
        {VS_THR, 100},
        {VS_MRV, 1.25f},
        {VS_DV, 12}}},
      {"M74 / Bosch ME17.9.7",
       5,
       Reply({0x61, 0x01}, {{8, 6},
                            {3, 141},
                            {5, 64},
                            {23, 63},
                            {18, 0x00},
                            {19, 0x01},
                            {6, 0x0B},
                            {7, 0xB8},
                            {12, 0x10},
                            {13, 0x04},
                            {10, 0x03},
                            {11, 0x0D}}),
       {{VS_Speed, 8},
        {VI_Speed, 8},
        {VS_Ub, 14.1000004f},
        {VI_Ub, 14.1000004f},
        {VS_TOG, 0},
        {VS_TANS, -0.75f},
        {VS_MRV, 0.1f},
        {VS_Nmot, 7.5f},
        {VI_Nmot, 750},
        {VS_THR, 100},
        {VS_DV, 5}}},
      {"М74 CAN: reply to 22 00 01",
       6,
       Reply({0x62, 0x00, 0x01}, {{4, 125},
                                  {6, 160},
                                  {7, 0x17},
                                  {8, 0x70},
                                  {9, 10},
                                  {11, 0x06},
                                  {12, 0x1A},
                                  {13, 0x08},
                                  {14, 0x02},
                                  {19, 0x03},
                                  {20, 0xE8},
                                  {24, 100}}),
       {{VS_Ub, 12.5f},
        {VI_Ub, 12.5f},
        {VS_TOG, 72},
        {VS_Nmot, 15},
        {VI_Nmot, 1500},
        {VS_Speed, 12},
        {VI_Speed, 12},
        {VS_DV, 10},
        {VS_THR, 50},
        {VS_MRV, 100},
        {VS_TANS, 27}}},
      {"short reply: everything missing reads 0",
       0,
       Reply({0x61}),
       {{VS_Speed, 0},
        {VI_Speed, 0},
        {VS_Nmot, 0},
        {VI_Nmot, 0},
        {VS_Ub, 5.2f},
        {VI_Ub, 5.2f},
        {VS_TOG, -40},
        {VS_MRV, 0},
        {VS_THR, 0},
        {VS_DV, 0}}},
      {"B[1] is not tested: a reply to another identifier decodes too",
       4,
       Reply({0x61, 0x07}, {{16, 5}}),
       {{VS_Speed, 5},
        {VI_Speed, 5},
        {VS_Nmot, 0},
        {VI_Nmot, 0},
        {VS_Ub, 0},
        {VI_Ub, 0},
        {VS_TOG, -48},
        {VS_THR, 0},
        {VS_MRV, 0},
        {VS_DV, 0}}},
  };
  for (const LadaCase& c : cases) {
    RecordingSink sink;
    RequestChoice next{11, "21 01"};
    Decode(kLada, c.ecu, c.rb, sink, next);
    EXPECT_EQ(sink.sets, c.want) << c.what << "\n got: " << Describe(sink.sets);
    // LADA never changes the request.
    EXPECT_EQ(next.nextCommand, 11) << c.what;
    EXPECT_EQ(next.nextRequest, "21 01") << c.what;
  }
}

TEST(LadaDecoderTest, SpeedAndEngineSpeedEdgeRows) {
  struct Case {
    int ecu;
    ResponseBytes rb;
    Component c;
    float want;
  };
  const Case cases[] = {
      {0, Reply({0x61}, {{13, 20}}), VS_Nmot, 8},
      {0, Reply({0x61}, {{13, 21}}), VS_Nmot, 8},  // 8.4
      {0, Reply({0x61}, {{13, 22}}), VS_Nmot, 9},  // 8.8
      {0, Reply({0x61}, {{20, 0}}), VS_Ub, 5.2f},
      {3, Reply({0x61}, {{7, 6}}), VS_Speed, 8},      // 7.5 to even
      {3, Reply({0x61}, {{4, 0}}), VS_TOG, -48},      // no rounding
      {5, Reply({0x61}, {{8, 2}}), VI_Speed, 2},      // 2.5 to even
      {6, Reply({0x62}, {{9, 255}}), VS_Speed, 319},  // 318.75, beyond the gauge: unclamped
      {5, Reply({0x61}, {{6, 0xFF}, {7, 0xFF}}), VI_Nmot, 16383.75f},
  };
  for (const Case& c : cases) {
    RecordingSink sink;
    RequestChoice next;
    Decode(kLada, c.ecu, c.rb, sink, next);
    bool found = false;
    for (auto [comp, v] : sink.sets)
      if (comp == c.c) {
        EXPECT_EQ(v, c.want) << "ECU " << c.ecu << " " << ComponentName(c.c);
        found = true;
      }
    EXPECT_TRUE(found) << "ECU " << c.ecu << " did not set " << ComponentName(c.c);
  }
}

TEST(LadaDecoderTest, UnmatchedRepliesChangeNothing) {
  struct Case {
    const char* what;
    int make, ecu;
    ResponseBytes rb;
  };
  const Case cases[] = {
      {"negative reply", kLada, 0, Reply({0x7F, 0x21, 0x12}, {{19, 9}})},
      {"0x62 for type 0", kLada, 0, Reply({0x62, 0x00, 0x01}, {{19, 9}})},
      {"0x62 for type 5", kLada, 5, Reply({0x62, 0x00, 0x01})},
      {"0x61 for type 6", kLada, 6, Reply({0x61, 0x01}, {{4, 9}})},
      {"fault reply", kLada, 0, Reply({0x58, 0x01, 0x01, 0x02, 0x00})},
      {"clear reply", kLada, 0, Reply({0x54})},
      {"empty reply", kLada, 0, Reply({})},
      {"ECU type past the make", kLada, 7, Reply({0x61, 0x01})},
      {"negative ECU type", kLada, -1, Reply({0x61, 0x01})},
      {"no make chosen", -1, 0, Reply({0x61, 0x01})},
      {"make past the list", kMakeCount, 0, Reply({0x61, 0x01})},
  };
  for (const Case& c : cases) {
    RecordingSink sink;
    RequestChoice next{13, "22 00 01"};
    Decode(c.make, c.ecu, c.rb, sink, next);
    EXPECT_TRUE(sink.sets.empty()) << c.what << ": " << Describe(sink.sets);
    EXPECT_EQ(next.nextCommand, 13) << c.what;
    EXPECT_EQ(next.nextRequest, "22 00 01") << c.what;
  }
}

TEST(LadaDecoderTest, TypesThatDoNotCarryAGaugeLeaveIt) {
  // Types 0, 1 and 4 have no intake air temperature; no LADA type sets VS_MAP.
  for (int ecu = 0; ecu < 7; ++ecu) {
    RecordingSink sink;
    RequestChoice next;
    ResponseBytes rb = Reply({static_cast<uint8_t>(ecu == 6 ? 0x62 : 0x61)});
    Decode(kLada, ecu, rb, sink, next);
    bool tans = false, map = false;
    for (auto [c, v] : sink.sets) {
      tans |= c == VS_TANS;
      map |= c == VS_MAP;
    }
    EXPECT_EQ(tans, !(ecu == 0 || ecu == 1 || ecu == 4)) << "ECU " << ecu;
    EXPECT_FALSE(map) << "ECU " << ecu;
  }
}

// Future tables must keep to what the session can send.
TEST(DecoderTablesTest, EveryBranchIsWellFormed) {
  for (int make = 0; make < kMakeCount; ++make) {
    for (const table::Branch& b : table::BranchesOf(make)) {
      if (!b.guard.makes.contains(make)) continue;
      EXPECT_NE(b.guard.ecus.bits, 0u) << "make " << make;
      for (int ecu = 0; ecu < 64; ++ecu) {
        if ((b.guard.ecus.bits >> ecu) & 1u) {
          EXPECT_TRUE(ValidEcuType(make, ecu)) << make << " " << ecu;
        }
      }
      EXPECT_TRUE(b.guard.sid == 0x61 || b.guard.sid == 0x62) << "make " << make;
      EXPECT_FALSE(b.rows.empty()) << "make " << make;
      if (b.next.kind != table::Next::Keep) {
        EXPECT_TRUE(IsRequestKey(b.next.command)) << "make " << make;
      }
      // Makes 0 to 9 name the text with the number, 10 to 16 the number only.
      if (b.next.kind == table::Next::CommandAndText) {
        EXPECT_LE(make, 9);
      }
      if (b.next.kind == table::Next::CommandOnly) {
        EXPECT_GE(make, 10);
      }
    }
  }
  EXPECT_EQ(table::BranchesOf(kLada).size(), 7u);
}

// Over the whole catalogue: every ECU type has a branch, and every branch can
// be reached, i.e. its guard matches the reply to a request that the type
// sends (a first request of the session, or one a branch of the type names).
TEST(DecoderTablesTest, EveryTypeIsCoveredAndEveryBranchIsReachable) {
  auto bytesOf = [](uint8_t number) {
    std::vector<int> bytes;
    std::string digits;
    for (char c : ElmRequestText(number))
      if (c != ' ') digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
      bytes.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
  };
  auto answers = [](const table::Guard& g, const std::vector<int>& req) {
    auto at = [&](size_t i) { return i < req.size() ? req[i] : -2; };
    return !req.empty() && g.sid == at(0) + 0x40 && (g.id1 == table::kAny || g.id1 == at(1)) &&
           (g.id2 == table::kAny || g.id2 == at(2));
  };
  for (int make = 0; make < kMakeCount; ++make) {
    const int types = static_cast<int>(EcuTypesOf(make).size());
    for (int ecu = 0; ecu < types; ++ecu) {
      std::vector<const table::Branch*> mine;
      for (const table::Branch& b : table::BranchesOf(make))
        if (b.guard.makes.contains(make) && b.guard.ecus.contains(ecu)) mine.push_back(&b);
      EXPECT_FALSE(mine.empty()) << "no branch for make " << make << " type " << ecu;
      // The requests the type sends: the first ones, then whatever the
      // branches answering those name, until nothing new comes.
      std::vector<uint8_t> sent;
      for (auto at : {FirstRequestPoint::ElmSetUpDone, FirstRequestPoint::StartCommunication,
                      FirstRequestPoint::SessionStartData, FirstRequestPoint::KestaCanSetUp}) {
        const uint8_t n = FirstRequest(make, ecu, at);
        if (n != kUnchanged && n != 10 && std::find(sent.begin(), sent.end(), n) == sent.end())
          sent.push_back(n);
      }
      std::vector<bool> reached(mine.size(), false);
      for (size_t i = 0; i < sent.size(); ++i) {
        for (size_t k = 0; k < mine.size(); ++k) {
          if (!answers(mine[k]->guard, bytesOf(sent[i]))) continue;
          reached[k] = true;
          const table::Next& next = mine[k]->next;
          if (next.kind == table::Next::Keep) continue;
          EXPECT_TRUE(IsRequestKey(next.command)) << make << " " << ecu;
          if (std::find(sent.begin(), sent.end(), next.command) == sent.end())
            sent.push_back(next.command);
        }
      }
      for (size_t k = 0; k < mine.size(); ++k)
        EXPECT_TRUE(reached[k]) << "make " << make << " type " << ecu << ": branch "
                                << (mine[k] - table::BranchesOf(make).data()) << " unreachable";
    }
  }
}

}  // namespace
}  // namespace kalvex
