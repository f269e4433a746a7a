#include "obd/vehicle_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "obd/hex_bytes.h"

namespace kalvex::obd {
namespace {

using test::Hex;
using test::HexThenText;
using namespace std::string_literals;

constexpr const char* kVin = "1HGCM82633A004352";

// The K-line form: "49 tt NN" and four bytes, NN from 1.
std::vector<Message> Pieces(uint32_t ecu, uint8_t type, const std::string& bytes) {
  std::vector<Message> out;
  for (size_t i = 0; i < bytes.size(); i += 4) {
    Message m{ecu, {0x49, type, static_cast<uint8_t>(i / 4 + 1)}};
    m.data.insert(m.data.end(), bytes.begin() + i, bytes.begin() + i + 4);
    out.push_back(m);
  }
  return out;
}

TEST(Vin, OverCan) {
  EXPECT_EQ(ParseVin(HexThenText("49 02 01", kVin)), kVin);
  const std::vector<Message> one = {{0x7E8, HexThenText("49 02 01", kVin)}};
  EXPECT_EQ(ParseVin(one), kVin);
  // Some ECUs pad the front with zeros.
  EXPECT_EQ(ParseVin(HexThenText("49 02 01", "\0\0\0"s + kVin)), kVin);
}

TEST(Vin, OverKLine) {
  std::vector<Message> messages = Pieces(0x10, 0x02, "\0\0\0"s + kVin);
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0].data, HexThenText("49 02 01 00 00 00", "1"));
  EXPECT_EQ(ParseVin(messages), kVin);
  // Out of order, and a piece said twice.
  std::reverse(messages.begin(), messages.end());
  messages.push_back(messages[1]);
  EXPECT_EQ(ParseVin(messages), kVin);
}

TEST(Vin, KLinePieceMissing) {
  std::vector<Message> messages = Pieces(0x10, 0x02, "\0\0\0"s + kVin);
  messages.erase(messages.begin() + 2);
  EXPECT_EQ(ParseVin(messages), std::nullopt);
  messages = Pieces(0x10, 0x02, "\0\0\0"s + kVin);
  messages.erase(messages.begin());  // numbering starts at 2
  EXPECT_EQ(ParseVin(messages), std::nullopt);
}

TEST(Vin, OtherEcusAndInfoTypesKeptApart) {
  std::vector<Message> messages = Pieces(0x10, 0x02, "\0\0\0"s + kVin);
  const std::vector<Message> other = Pieces(0x18, 0x02, "\0\0\0"s + "XXXXXXXXXXXXXXXXX");
  messages.insert(messages.begin() + 1, other.begin(), other.end());
  messages.push_back({0x10, Hex("49 04 01 41 42 43 44")});
  EXPECT_EQ(ParseVin(messages), kVin);
}

TEST(Vin, BytesOutsidePrintableAsciiBecomeQuestionMarks) {
  EXPECT_EQ(ParseVin(HexThenText("49 02 01",
                                 "1HG\x07M8\xC3\xA9"
                                 "633A00435\x7F")),
            "1HG?M8??633A00435?");
  EXPECT_EQ(ParseVin(HexThenText("49 02 01", "1HG\0CM82"s)), "1HG?CM82");  // inside: not padding
  EXPECT_EQ(ParseVin(Hex("49 02 01 00 00 00 00")), std::nullopt);
  EXPECT_EQ(ParseVin(Hex("49 02 01")), std::nullopt);
  EXPECT_EQ(ParseVin(Hex("49 02")), std::nullopt);
  EXPECT_EQ(ParseVin(Hex("7F 09 12")), std::nullopt);
  EXPECT_EQ(ParseVin(std::span<const Message>{}), std::nullopt);
}

TEST(CalibrationIds, BothForms) {
  const std::string ids = "JMB*36761500\0\0\0\0"s + "JMB*47872611\0\0\0\0"s;
  const std::vector<std::string> expected = {"JMB*36761500", "JMB*47872611"};
  EXPECT_EQ(ParseCalibrationIds(HexThenText("49 04 02", ids)), expected);
  EXPECT_EQ(ParseCalibrationIds(Pieces(0x10, 0x04, ids)), expected);
  // Three pieces are no whole calibration ID.
  std::vector<Message> partial = Pieces(0x10, 0x04, ids);
  partial.resize(3);
  EXPECT_TRUE(ParseCalibrationIds(partial).empty());
  // What is not text is shown as '?', a short last one kept.
  EXPECT_EQ(ParseCalibrationIds(HexThenText("49 04 01",
                                            "AB\x01\xFF"
                                            "CD")),
            (std::vector<std::string>{"AB??CD"}));
  EXPECT_TRUE(ParseCalibrationIds(Hex("49 04 01")).empty());
}

TEST(EcuName, BothForms) {
  const std::string name = "ECM\0-EngineControl\0\0"s;
  ASSERT_EQ(name.size(), 20u);
  EXPECT_EQ(ParseEcuName(HexThenText("49 0A 01", name)), "ECM-EngineControl");
  EXPECT_EQ(ParseEcuName(Pieces(0x7E8, 0x0A, name)), "ECM-EngineControl");
  EXPECT_EQ(ParseEcuName(HexThenText("49 0A 01", "TCM\0-Trans\x80\0"s)), "TCM-Trans?");
  EXPECT_EQ(ParseEcuName(Hex("49 0A 01 00 00 00")), std::nullopt);
}

}  // namespace
}  // namespace kalvex::obd
