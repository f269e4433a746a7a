// The ELM327's generic-mode answers, as the chip sends them with headers on,
// read into one message per ECU.
#include "adapter/elm327_obd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kalvex {
namespace {

std::vector<ObdLine> Cut(const std::string& bytes, size_t chunk = 0) {
  ObdLineCutter cutter;
  std::vector<ObdLine> lines;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  if (chunk == 0) chunk = bytes.size();
  for (size_t at = 0; at < bytes.size(); at += chunk)
    cutter.feed(p + at, std::min(chunk, bytes.size() - at), lines);
  return lines;
}

// "7E8: 41 0C 1A F8" per message, "pending 7E8", "bad 2".
std::vector<std::string> Describe(const ObdReply& r) {
  std::vector<std::string> out;
  for (const obd::Message& m : r.messages) {
    char head[16];
    std::snprintf(head, sizeof head, "%X:", m.ecu);
    std::string s = head;
    for (uint8_t b : m.data) {
      char two[4];
      std::snprintf(two, sizeof two, " %02X", b);
      s += two;
    }
    out.push_back(s);
  }
  for (uint32_t e : r.pending) {
    char t[32];
    std::snprintf(t, sizeof t, "pending %X", e);
    out.push_back(t);
  }
  if (r.badLines) out.push_back("bad " + std::to_string(r.badLines));
  return out;
}

struct ReplyCase {
  const char* name;
  ObdFraming framing;
  const char* adapter;  // as sent, CRs and prompt included
  std::vector<std::string> expected;
  ElmLineKind status;
};

const ReplyCase kReplies[] = {
    {"can11_single",
     ObdFraming::Can11,
     "7E8 04 41 0C 1A F8 \r\r>",
     {"7E8: 41 0C 1A F8"},
     ElmLineKind::Data},
    {"can11_padding_ignored",
     ObdFraming::Can11,
     "7E8 03 41 0D 32 AA AA AA AA\r\r>",
     {"7E8: 41 0D 32"},
     ElmLineKind::Data},
    {"can11_multi_pid",
     ObdFraming::Can11,
     "7E8 06 41 0C 1A F8 0D 32\r>",
     {"7E8: 41 0C 1A F8 0D 32"},
     ElmLineKind::Data},
    {"can11_two_ecus_kept_apart",
     ObdFraming::Can11,
     "7E8 06 41 00 BE 3F A8 13 00\r7E9 06 41 00 98 18 80 11 00\r\r>",
     {"7E8: 41 00 BE 3F A8 13", "7E9: 41 00 98 18 80 11"},
     ElmLineKind::Data},
    {"can11_vin_reassembled",
     ObdFraming::Can11,
     "7E8 10 14 49 02 01 31 44 34\r7E8 21 47 50 30 30 52 35 35\r7E8 22 42 31 32 33 34 35 36\r>",
     {"7E8: 49 02 01 31 44 34 47 50 30 30 52 35 35 42 31 32 33 34 35 36"},
     ElmLineKind::Data},
    {"can11_two_ecus_interleaved_frames",
     ObdFraming::Can11,
     "7E8 10 0A 49 04 01 41 42 43\r7E9 10 0A 49 04 01 58 59 5A\r7E9 21 44 45 46 47 00 00 00\r"
     "7E8 21 44 45 46 47 00 00 00\r>",
     {"7E9: 49 04 01 58 59 5A 44 45 46 47", "7E8: 49 04 01 41 42 43 44 45 46 47"},
     ElmLineKind::Data},
    {"can11_lost_consecutive_frame",
     ObdFraming::Can11,
     "7E8 10 14 49 02 01 31 44 34\r7E8 22 42 31 32 33 34 35 36\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"can11_message_never_finished",
     ObdFraming::Can11,
     "7E8 10 14 49 02 01 31 44 34\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"can11_consecutive_without_first",
     ObdFraming::Can11,
     "7E8 21 47 50 30 30 52 35 35\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"can11_single_frame_shorter_than_its_length",
     ObdFraming::Can11,
     "7E8 06 41 0C 1A\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"can11_first_frame_announcing_too_much",
     ObdFraming::Can11,
     "7E8 1F FF 49 02 01 31 44 34\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"can29_single",
     ObdFraming::Can29,
     "18 DA F1 10 03 41 0D 32 00 00 00 00\r\r>",
     {"18DAF110: 41 0D 32"},
     ElmLineKind::Data},
    {"can29_two_ecus",
     ObdFraming::Can29,
     "18 DA F1 10 03 41 0D 32\r18 DA F1 18 03 41 0D 31\r>",
     {"18DAF110: 41 0D 32", "18DAF118: 41 0D 31"},
     ElmLineKind::Data},
    {"can29_vin",
     ObdFraming::Can29,
     "18 DA F1 10 10 14 49 02 01 31 44 34\r18 DA F1 10 21 47 50 30 30 52 35 35\r"
     "18 DA F1 10 22 42 31 32 33 34 35 36\r>",
     {"18DAF110: 49 02 01 31 44 34 47 50 30 30 52 35 35 42 31 32 33 34 35 36"},
     ElmLineKind::Data},
    {"kline_checksum_good",
     ObdFraming::KLine,
     "48 6B 10 41 0C 1A F8 22\r\r>",
     {"10: 41 0C 1A F8"},
     ElmLineKind::Data},
    {"kline_checksum_wrong",
     ObdFraming::KLine,
     "48 6B 10 41 0C 1A F8 23\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"kwp_length_in_format_byte",
     ObdFraming::KLine,
     "84 F1 10 41 0C 1A F8 E4\r>",
     {"10: 41 0C 1A F8"},
     ElmLineKind::Data},
    {"kwp_format_length_disagrees",
     ObdFraming::KLine,
     "85 F1 10 41 0C 1A F8 E5\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"kline_two_ecus",
     ObdFraming::KLine,
     "48 6B 10 41 0D 32 43\r48 6B 18 41 0D 31 4A\r>",
     {"10: 41 0D 32", "18: 41 0D 31"},
     ElmLineKind::Data},
    {"kline_codes_joined",
     ObdFraming::KLine,
     "48 6B 10 43 01 33 02 44 00 00 80\r48 6B 10 43 C1 23 00 00 00 00 EA\r>",
     {"10: 43 01 33 02 44 00 00 C1 23 00 00 00 00"},
     ElmLineKind::Data},
    {"kline_vin_items_one_message_each",
     ObdFraming::KLine,
     "48 6B 10 49 02 01 00 00 00 31 40\r48 6B 10 49 02 02 44 34 47 50 1F\r"
     "48 6B 10 49 02 03 30 30 52 35 F8\r48 6B 10 49 02 04 35 42 31 32 EC\r"
     "48 6B 10 49 02 05 33 34 35 36 E5\r>",
     {"10: 49 02 01 00 00 00 31", "10: 49 02 02 44 34 47 50", "10: 49 02 03 30 30 52 35",
      "10: 49 02 04 35 42 31 32", "10: 49 02 05 33 34 35 36"},
     ElmLineKind::Data},
    {"negative_reply_is_a_message",
     ObdFraming::Can11,
     "7E8 03 7F 01 11\r>",
     {"7E8: 7F 01 11"},
     ElmLineKind::Data},
    {"response_pending_then_answer",
     ObdFraming::Can11,
     "7E8 03 7F 09 78\r7E8 03 7F 09 78\r7E8 03 49 0A 01\r>",
     {"7E8: 49 0A 01"},
     ElmLineKind::Data},
    {"response_pending_only",
     ObdFraming::Can11,
     "7E8 03 7F 09 78\r>",
     {"pending 7E8"},
     ElmLineKind::Empty},
    {"pending_of_one_answer_of_other",
     ObdFraming::Can11,
     "7E8 03 7F 03 78\r7E9 02 43 00\r>",
     {"7E9: 43 00", "pending 7E8"},
     ElmLineKind::Data},
    {"response_pending_under_ever_new_ids_bounded",
     ObdFraming::Can11,
     "700 03 7F 01 78\r701 03 7F 01 78\r702 03 7F 01 78\r703 03 7F 01 78\r"
     "704 03 7F 01 78\r705 03 7F 01 78\r706 03 7F 01 78\r707 03 7F 01 78\r"
     "708 03 7F 01 78\r709 03 7F 01 78\r70A 03 7F 01 78\r70B 03 7F 01 78\r"
     "70C 03 7F 01 78\r70D 03 7F 01 78\r70E 03 7F 01 78\r70F 03 7F 01 78\r"
     "710 03 7F 01 78\r711 03 7F 01 78\r>",
     {"pending 700", "pending 701", "pending 702", "pending 703", "pending 704", "pending 705",
      "pending 706", "pending 707", "pending 708", "pending 709", "pending 70A", "pending 70B",
      "pending 70C", "pending 70D", "pending 70E", "pending 70F", "bad 2"},
     ElmLineKind::Empty},
    {"searching_then_answer",
     ObdFraming::Can11,
     "SEARCHING...\r7E8 06 41 00 BE 3F A8 13\r\r>",
     {"7E8: 41 00 BE 3F A8 13"},
     ElmLineKind::Data},
    {"echo_of_the_request_dropped",
     ObdFraming::Can11,
     "01 0D\r7E8 03 41 0D 32\r>",
     {"7E8: 41 0D 32"},
     ElmLineKind::Data},
    {"data_error_marked_line",
     ObdFraming::KLine,
     "48 6B 10 41 0D 32 43 <DATA ERROR\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"answers_before_a_can_error_kept",
     ObdFraming::Can11,
     "7E8 03 41 0D 32\rCAN ERROR\r>",
     {"7E8: 41 0D 32"},
     ElmLineKind::CanError},
    {"headers_off_line_unreadable",
     ObdFraming::Can11,
     "41 0D 32\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"before_the_protocol_is_known",
     ObdFraming::Unknown,
     "7E8 03 41 0D 32\r>",
     {"bad 1"},
     ElmLineKind::Empty},
    {"lower_case_is_noise", ObdFraming::Can11, "7e8 03 41 0d 32\r>", {"bad 1"}, ElmLineKind::Empty},
    {"overlong_line",
     ObdFraming::Can11,
     "7E8 03 41 0D 32 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
     " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r>",
     {"bad 1"},
     ElmLineKind::Empty},
};

class Replies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(Replies, ReadAsMessages) {
  const ReplyCase& c = GetParam();
  for (size_t chunk : {size_t{0}, size_t{1}, size_t{7}}) {
    const std::vector<ObdLine> lines = Cut(c.adapter, chunk);
    const ObdReply r = ParseObdReply(lines, c.framing, "01 0D");
    EXPECT_EQ(Describe(r), c.expected) << "chunk " << chunk;
    EXPECT_EQ(r.status, c.status);
  }
}

INSTANTIATE_TEST_SUITE_P(Elm327Obd, Replies, ::testing::ValuesIn(kReplies),
                         [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
  const char* line;
  ElmLineKind kind;
};

TEST(Elm327ObdLines, StatusTextsAreStates) {
  const StatusCase cases[] = {
      {"SEARCHING...", ElmLineKind::Searching},
      {"UNABLE TO CONNECT", ElmLineKind::UnableToConnect},
      {"BUS INIT: ...ERROR", ElmLineKind::BusInitError},
      {"BUS INIT: ...OK", ElmLineKind::BusInit},
      {"BUS INIT: ...", ElmLineKind::BusInit},
      {"NO DATA", ElmLineKind::NoData},
      {"CAN ERROR", ElmLineKind::CanError},
      {"BUFFER FULL", ElmLineKind::BufferFull},
      {"STOPPED", ElmLineKind::Stopped},
      {"?", ElmLineKind::Unknown},
      {"OK", ElmLineKind::Ok},
      {"BUS BUSY", ElmLineKind::BusBusy},
      {"FB ERROR", ElmLineKind::BusError},
      {"LV RESET", ElmLineKind::BusError},
      {"ERR94", ElmLineKind::BusError},
      {"7E8 03 41 0D 32 <RX ERROR", ElmLineKind::DataError},
      {"7E8 03 41 0D 32", ElmLineKind::Data},
      {"ELM327 v1.5", ElmLineKind::Text},
      {"12.4V", ElmLineKind::Text},
      {"", ElmLineKind::Empty},
  };
  for (const StatusCase& c : cases) EXPECT_EQ(ClassifyElmLine(c.line), c.kind) << c.line;
}

TEST(Elm327ObdLines, AStatusEndsTheReplyAsItsState) {
  const struct {
    const char* adapter;
    ElmLineKind status;
    bool searching;
  } cases[] = {
      {"SEARCHING...\rUNABLE TO CONNECT\r\r>", ElmLineKind::UnableToConnect, true},
      {"BUS INIT: ...ERROR\r>", ElmLineKind::BusInitError, false},
      {"NO DATA\r\r>", ElmLineKind::NoData, false},
      {"?\r>", ElmLineKind::Unknown, false},
      {"BUFFER FULL\r>", ElmLineKind::BufferFull, false},
      {"STOPPED\r>", ElmLineKind::Stopped, false},
      {">", ElmLineKind::Empty, false},
  };
  for (const auto& c : cases) {
    const ObdReply r = ParseObdReply(Cut(c.adapter), ObdFraming::Can11);
    EXPECT_EQ(r.status, c.status) << c.adapter;
    EXPECT_EQ(r.searching, c.searching) << c.adapter;
    EXPECT_TRUE(r.messages.empty());
  }
}

TEST(Elm327ObdLines, CutAtCarriageReturnAndPrompt) {
  const std::vector<ObdLine> lines = Cut(std::string("\0\0ELM327 v1.5\r\r>AT E0\rOK\r\n>", 27), 3);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, "ELM327 v1.5");
  EXPECT_FALSE(lines[0].prompt);
  EXPECT_EQ(lines[1].text, "");
  EXPECT_TRUE(lines[1].prompt);
  EXPECT_EQ(lines[2].text, "AT E0");
  EXPECT_EQ(lines[3].text, "OK");
  EXPECT_FALSE(lines[3].prompt);
  EXPECT_TRUE(lines[4].prompt);
}

TEST(Elm327ObdLines, GarbageNeverGrowsALineBeyondItsBound) {
  ObdLineCutter cutter;
  std::vector<ObdLine> lines;
  std::vector<uint8_t> noise(100'000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 % 251 + 1);
  // No CR, LF or prompt in it: one line, bounded, marked.
  std::erase_if(noise, [](uint8_t b) { return b == '\r' || b == '\n' || b == '>'; });
  cutter.feed(noise.data(), noise.size(), lines);
  const uint8_t end[] = {'\r', '>'};
  cutter.feed(end, 2, lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_LE(lines[0].text.size(), ObdLineCutter::kMaxLine);
  EXPECT_TRUE(lines[0].overlong);
  EXPECT_FALSE(lines[1].overlong);
}

TEST(Elm327ObdLines, LateAnswerAfterPendingJoinsTheSameAssembler) {
  ObdReplyAssembler a(ObdFraming::Can11);
  a.setRequest("09 02");
  for (const ObdLine& l : Cut("7E8 03 7F 09 78\r>")) a.addLine(l);
  ObdReply first = a.take(false);
  EXPECT_EQ(Describe(first), std::vector<std::string>{"pending 7E8"});
  for (const ObdLine& l : Cut("7E8 10 14 49 02 01 31 44 34\r")) a.addLine(l);
  EXPECT_TRUE(a.take(false).messages.empty());  // still two frames to come, kept
  for (const ObdLine& l : Cut("7E8 21 47 50 30 30 52 35 35\r7E8 22 42 31 32 33 34 35 36\r>"))
    a.addLine(l);
  const ObdReply last = a.take(true);
  ASSERT_EQ(last.messages.size(), 1u);
  EXPECT_EQ(last.messages[0].data.size(), 20u);
  EXPECT_EQ(last.badLines, 0);
}

TEST(Elm327ObdSetup, CommandsAndAnswers) {
  EXPECT_EQ(
      ObdSetupCommands(ObdProtocol::Auto),
      (std::vector<std::string>{"AT Z", "AT E0", "AT L0", "AT S1", "AT H1", "AT AT1", "AT SP 0"}));
  EXPECT_EQ(ObdSetupCommands(ObdProtocol::Can29_250).back(), "AT SP 9");

  const struct {
    const char* option;
    std::optional<ObdProtocol> p;
  } options[] = {{"auto", ObdProtocol::Auto},
                 {"can11", ObdProtocol::Can11_500},
                 {"can29", ObdProtocol::Can29_500},
                 {"can11-250", ObdProtocol::Can11_250},
                 {"can29-250", ObdProtocol::Can29_250},
                 {"kwp", ObdProtocol::KwpFast},
                 {"kwp-slow", ObdProtocol::Kwp5Baud},
                 {"iso9141", ObdProtocol::Iso9141},
                 {"", std::nullopt},
                 {"CAN11", std::nullopt},
                 {"j1850", std::nullopt}};
  for (const auto& o : options) EXPECT_EQ(ParseObdProtocolOption(o.option), o.p) << o.option;

  const struct {
    const char* line;
    std::optional<ObdProtocol> p;
  } dpn[] = {{"A6", ObdProtocol::Can11_500},
             {"7", ObdProtocol::Can29_500},
             {"A3", ObdProtocol::Iso9141},
             {"0", std::nullopt},
             {"A", std::nullopt},
             {"AA6", std::nullopt},
             {"?", std::nullopt}};
  for (const auto& d : dpn) EXPECT_EQ(ParseDescribeProtocolNumber(d.line), d.p) << d.line;

  EXPECT_EQ(ParseAdapterVoltage("12.4V"), 12.4);
  EXPECT_EQ(ParseAdapterVoltage("0.0V"), 0.0);
  EXPECT_EQ(ParseAdapterVoltage("12.4"), std::nullopt);
  EXPECT_EQ(ParseAdapterVoltage("V"), std::nullopt);
  EXPECT_EQ(ParseAdapterVoltage("?"), std::nullopt);

  EXPECT_FALSE(ObdProtocolOf(ObdProtocol::J1850Pwm).tested);
  EXPECT_EQ(ObdProtocolOf(ObdProtocol::Can29_500).framing, ObdFraming::Can29);
}

TEST(Elm327ObdSetup, RequestTexts) {
  const uint8_t six[] = {0x01, 0x0C, 0x0D, 0x05, 0x04, 0x11, 0x0F};
  EXPECT_EQ(ObdRequestText(six, 2), "01 0C 0D 05 04 11 0F 2");
  EXPECT_EQ(ObdRequestText(std::span(six, 2)), "01 0C");
  EXPECT_EQ(ObdRequestText(std::span(six, 2), 15), "01 0C F");
  EXPECT_EQ(ObdRequestText(std::span(six, 2), 16), "01 0C");  // not sayable: no count
}

TEST(Elm327ObdSetup, J1850CrcOfAKnownFrame) {
  // The checksum of "68 6A F1 01 00" is 0x17 by hand (poly 0x1D, init FF, inverted).
  const uint8_t frame[] = {0x68, 0x6A, 0xF1, 0x01, 0x00};
  EXPECT_EQ(J1850Crc(frame), 0x17);
  const std::string line = "41 6B 10 41 0D 32 " + [] {
    const uint8_t b[] = {0x41, 0x6B, 0x10, 0x41, 0x0D, 0x32};
    char t[3];
    std::snprintf(t, sizeof t, "%02X", J1850Crc(b));
    return std::string(t);
  }() + "\r>";
  EXPECT_EQ(Describe(ParseObdReply(Cut(line), ObdFraming::J1850)),
            std::vector<std::string>{"10: 41 0D 32"});
}

}  // namespace
}  // namespace kalvex
