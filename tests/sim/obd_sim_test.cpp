// The generic OBD-II car and its ELM327, against exchanges written by hand
// from SAE J1979, ISO 15765-4, ISO 9141-2 / 14230-4 and the chip's command
// set. Times are the chip's own (milliseconds after the request).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "sim/adapter_sim.h"
#include "sim/engine_model.h"
#include "sim/obd_car.h"
#include "sim/obd_elm327_sim.h"
#include "sim/pty_server.h"
#include "sim/pty_test_client.h"

namespace kalvex::sim {
namespace {

struct Line {
  std::string sent;      // without CR
  std::string expected;  // echo + reply, prompt included
};

// A chip with its car, fresh from power-on.
struct Bench {
  explicit Bench(ObdCarOptions car = {}, ObdSimOptions chip = {})
      : car(car), elm(this->car, chip) {}
  // Echo and reply as one text; `promptAt` gets the prompt's time.
  std::string say(const std::string& line, int* promptAt = nullptr) {
    std::string echo;
    std::vector<TimedText> reply;
    elm.handleLine(line, echo, reply);
    int last = 0;
    for (const TimedText& t : reply) {
      EXPECT_GE(t.atMs, last) << line << ": parts out of order";
      last = t.atMs;
      echo += t.text;
    }
    if (promptAt) *promptAt = last;
    return echo;
  }
  ObdCar car;
  ObdElm327Sim elm;
};

void Play(Bench& b, const std::vector<Line>& script, const std::string& name) {
  for (const Line& l : script) EXPECT_EQ(b.say(l.sent), l.expected) << name << ": " << l.sent;
}

std::vector<uint8_t> Data(const std::string& spaced) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < spaced.size(); i += 3)
    out.push_back(static_cast<uint8_t>(std::stoul(spaced.substr(i, 2), nullptr, 16)));
  return out;
}

TEST(ObdElm327Sim, AtCommands) {
  struct Case {
    const char* name;
    std::vector<Line> script;
  };
  const Case cases[] = {
      {"reset and identity",
       {{"ATZ", "ATZ\r\r\rELM327 v1.5\r\r>"},
        {"AT E0", "AT E0\rOK\r\r>"},
        {"ATI", "ELM327 v1.5\r\r>"},
        {"AT@1", "OBDII to RS232 Interpreter\r\r>"},
        {"ATWS", "\r\rELM327 v1.5\r\r>"},
        {"ate0", "ate0\rOK\r\r>"},
        {"ATL1", "OK\r\n\r\n>"},
        {"ATXYZ", "?\r\n\r\n>"},
        {"ATD", "OK\r\r>"}}},
      {"protocol choice",
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATDP", "AUTO\r\r>"},
        {"ATDPN", "A0\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"ATDP", "ISO 15765-4 (CAN 11/500)\r\r>"},
        {"ATDPN", "6\r\r>"},
        {"AT SP A3", "OK\r\r>"},
        {"ATDP", "AUTO, ISO 9141-2\r\r>"},
        {"ATDPN", "A3\r\r>"},
        {"ATTP5", "OK\r\r>"},
        {"ATDP", "ISO 14230-4 (KWP FAST)\r\r>"},
        {"ATSP D", "?\r\r>"},
        {"ATSP", "?\r\r>"},
        {"ATSP0", "OK\r\r>"},
        {"0100", "SEARCHING...\r41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"},
        {"ATDP", "AUTO, ISO 15765-4 (CAN 11/500)\r\r>"},
        {"ATDPN", "A6\r\r>"}}},
      {"settings take their arguments",
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATST19", "OK\r\r>"},
        {"ATST1", "?\r\r>"},
        {"ATAT2", "OK\r\r>"},
        {"ATAT3", "?\r\r>"},
        {"ATSH7E0", "OK\r\r>"},
        {"ATSH7E", "?\r\r>"},
        {"ATSHDA10F1", "OK\r\r>"},
        {"ATCRA7E8", "OK\r\r>"},
        {"ATCRA", "OK\r\r>"},
        {"ATCAF0", "OK\r\r>"},
        {"ATCAF1", "OK\r\r>"}}},
  };
  for (const Case& c : cases) {
    Bench b;
    Play(b, c.script, c.name);
  }
}

TEST(ObdElm327Sim, RequestTranscriptsByProtocolAndHeaders) {
  struct Case {
    const char* name;
    ObdBus bus;
    std::vector<Line> script;
  };
  // The VIN 1D4GP00R55B123456 in ASCII: 31 44 34 47 50 30 30 52 35 35 42 31
  // 32 33 34 35 36.
  const Case cases[] = {
      {"CAN 11-bit, headers off",
       ObdBus::Can11,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"0100", "41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"},
        {"01 20", "41 20 80 02 20 01\r\r>"},
        {"0140", "41 40 44 80 80 00\r\r>"},
        {"0160", "NO DATA\r\r>"},
        {"010A", "NO DATA\r\r>"},
        {"0122", "NO DATA\r\r>"},
        {"0101", "41 01 83 07 65 05\r\r>"},
        {"0902",
         "014\r0: 49 02 01 31 44 34\r1: 47 50 30 30 52 35 35\r2: 42 31 32 33 34 35 36\r\r>"},
        {"03", "008\r0: 43 03 03 01 04 20\r1: 01 71 AA AA AA AA AA\r43 00\r\r>"},
        {"07", "47 01 04 42\r47 00\r\r>"},
        {"0A", "4A 01 04 20\r4A 00\r\r>"},
        {"020200", "42 02 00 03 01\r\r>"},
        {"02 00 00", "42 00 00 78 3A 80 00\r\r>"},
        {"020201", "NO DATA\r\r>"},
        {"22F190", "7F 22 11\r\r>"},
        {"ATS0", "OK\r\r>"},
        {"0100", "4100BE3FA813\r410000180000\r\r>"},
        {"0902", "014\r0:490201314434\r1:47503030523535\r2:42313233343536\r\r>"}}},
      {"CAN 11-bit, headers on",
       ObdBus::Can11,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATH1", "OK\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"0100", "7E8 06 41 00 BE 3F A8 13 AA\r7E9 06 41 00 00 18 00 00 00\r\r>"},
        {"0902",
         "7E8 10 14 49 02 01 31 44 34\r7E8 21 47 50 30 30 52 35 35\r"
         "7E8 22 42 31 32 33 34 35 36\r\r>"},
        {"07", "7E8 04 47 01 04 42 AA AA AA\r7E9 02 47 00 00 00 00 00 00\r\r>"},
        {"ATSH7E1", "OK\r\r>"},
        {"0100", "7E9 06 41 00 00 18 00 00 00\r\r>"},
        {"ATSH7E5", "OK\r\r>"},
        {"0100", "NO DATA\r\r>"},
        {"ATSH7DF", "OK\r\r>"},
        {"ATCRA7E8", "OK\r\r>"},
        {"0100", "7E8 06 41 00 BE 3F A8 13 AA\r\r>"},
        {"ATCRA", "OK\r\r>"},
        {"ATS0", "OK\r\r>"},
        {"0101", "7E806410183076505AA\r\r>"},
        {"ATCAF0", "OK\r\r>"},
        // The tester writes the PCI byte itself: 01 01 is service 01 alone.
        {"020101", "7E806410183076505AA\r\r>"},
        {"020101x", "?\r\r>"},
        {"0101", "NO DATA\r\r>"},
        {"ATH0", "OK\r\r>"},
        {"ATS1", "OK\r\r>"},
        {"02 01 01", "06 41 01 83 07 65 05 AA\r\r>"}}},
      {"CAN 29-bit, headers on",
       ObdBus::Can29,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATH1", "OK\r\r>"},
        {"ATSP7", "OK\r\r>"},
        {"0100", "18 DA F1 10 06 41 00 BE 3F A8 13 AA\r18 DA F1 18 06 41 00 00 18 00 00 00\r\r>"},
        {"0902",
         "18 DA F1 10 10 14 49 02 01 31 44 34\r18 DA F1 10 21 47 50 30 30 52 35 35\r"
         "18 DA F1 10 22 42 31 32 33 34 35 36\r\r>"},
        {"ATSHDA10F1", "OK\r\r>"},
        {"0A", "18 DA F1 10 04 4A 01 04 20 AA AA AA\r\r>"},
        {"ATSH7E0", "OK\r\r>"},
        {"0A", "NO DATA\r\r>"},
        {"ATH0", "OK\r\r>"},
        {"ATSHDB33F1", "OK\r\r>"},
        {"0100", "41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"}}},
      {"ISO 9141-2, headers on and off",
       ObdBus::Iso9141,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATH1", "OK\r\r>"},
        {"ATSP3", "OK\r\r>"},
        {"0100",
         "BUS INIT: ...OK\r48 6B 10 41 00 BE 3F A8 13 BC\r48 6B 18 41 00 00 18 00 00 24\r\r>"},
        {"0101", "48 6B 10 41 01 83 07 65 05 F9\r\r>"},
        {"03", "48 6B 10 43 03 01 04 20 01 71 A0\r48 6B 18 43 00 00 00 00 00 00 0E\r\r>"},
        {"ATH0", "OK\r\r>"},
        {"0902",
         "49 02 01 00 00 00 31\r49 02 02 44 34 47 50\r49 02 03 30 30 52 35\r"
         "49 02 04 35 42 31 32\r49 02 05 33 34 35 36\r\r>"},
        {"0901", "49 01 05\r\r>"},
        {"010C0D", "NO DATA\r\r>"},
        {"ATSH686AF1", "OK\r\r>"},
        {"07", "47 04 42 00 00 00 00\r47 00 00 00 00 00 00\r\r>"},
        {"ATSH681018", "OK\r\r>"},
        {"07", "NO DATA\r\r>"},
        {"ATSH6818F1", "OK\r\r>"},
        {"07", "47 00 00 00 00 00 00\r\r>"}}},
      {"ISO 14230-4, found by the search",
       ObdBus::Kwp,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATH1", "OK\r\r>"},
        {"ATSP0", "OK\r\r>"},
        {"0100", "SEARCHING...\r86 F1 10 41 00 BE 3F A8 13 80\r86 F1 18 41 00 00 18 00 00 E8\r\r>"},
        {"ATDP", "AUTO, ISO 14230-4 (KWP 5BAUD)\r\r>"},
        {"0A", "87 F1 10 4A 04 20 00 00 00 00 F6\r87 F1 18 4A 00 00 00 00 00 00 DA\r\r>"}}},
  };
  for (const Case& c : cases) {
    ObdCarOptions o;
    o.bus = c.bus;
    Bench b(o);
    Play(b, c.script, c.name);
  }
}

TEST(ObdElm327Sim, ConnectionFailuresAndRefusals) {
  struct Case {
    const char* name;
    ObdCarOptions car;
    ObdSimOptions chip;
    std::vector<Line> script;
  };
  ObdCarOptions can11, silent, refusing, kwp;
  silent.silent = true;
  refusing.refuse = true;
  kwp.bus = ObdBus::Kwp;
  ObdSimOptions searching, oldChip;
  searching.searching = true;
  oldChip.oldChip = true;
  const Case cases[] = {
      {"a protocol the car does not speak",
       can11,
       {},
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATSP7", "OK\r\r>"},
        {"0100", "UNABLE TO CONNECT\r\r>"},
        {"ATSP5", "OK\r\r>"},
        {"0100", "BUS INIT: ...ERROR\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"0100", "41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"}}},
      {"a K-line car on CAN",
       kwp,
       {},
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"0100", "UNABLE TO CONNECT\r\r>"},
        {"ATSP5", "OK\r\r>"},
        {"0100", "BUS INIT: ...OK\r41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"}}},
      {"a silent car",
       silent,
       {},
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATSP0", "OK\r\r>"},
        {"0100", "SEARCHING...\rUNABLE TO CONNECT\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"0100", "NO DATA\r\r>"},
        {"ATSP3", "OK\r\r>"},
        {"0100", "BUS INIT: ...ERROR\r\r>"}}},
      {"searching announced from power-on",
       can11,
       searching,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"0100", "SEARCHING...\r41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"},
        {"0100", "41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"},
        {"ATPC", "OK\r\r>"},
        {"0100", "41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"}}},
      {"a car refusing everything",
       refusing,
       {},
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"0100", "7F 01 22\r7F 01 22\r\r>"},
        {"0902", "7F 09 22\r7F 09 22\r\r>"}}},
      {"an old chip",
       can11,
       oldChip,
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATI", "ELM327 v1.0\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"01001", "?\r\r>"},
        {"010C0D", "?\r\r>"},
        {"01 00", "41 00 BE 3F A8 13\r41 00 00 18 00 00\r\r>"}}},
      {"malformed requests",
       can11,
       {},
       {{"ATE0", "ATE0\rOK\r\r>"},
        {"ATSP6", "OK\r\r>"},
        {"01G0", "?\r\r>"},
        {"1", "?\r\r>"},
        {"010", "?\r\r>"},
        {"01 02 03 04 05 06 07 08", "?\r\r>"},
        {"0100 1", "41 00 BE 3F A8 13\r\r>"},
        {"", "41 00 BE 3F A8 13\r\r>"}}},
  };
  for (const Case& c : cases) {
    Bench b(c.car, c.chip);
    Play(b, c.script, c.name);
  }
}

TEST(ObdElm327Sim, MultiPidRequestsOnCan) {
  Bench b;
  b.say("ATE0");
  b.say("ATSP6");
  b.say("ATH1");
  // Each ECU answers once with every PID it holds, in the order asked.
  const std::string text = b.say("01 0C 0D 05 0A");
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\r', at);
    if (end == std::string::npos || end == at) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  ASSERT_EQ(lines.size(), 3u) << text;
  // Engine: 41 0C A B 0D A 05 A = 8 bytes, a first and a consecutive frame.
  EXPECT_EQ(lines[0].substr(0, 16), "7E8 10 08 41 0C ") << text;
  EXPECT_EQ(lines[0].substr(21, 4), " 0D ");
  EXPECT_EQ(lines[1].substr(0, 10), "7E8 21 05 ");
  // Transmission: 41 0C A B 0D A, one frame.
  EXPECT_EQ(lines[2].substr(0, 13), "7E9 06 41 0C ");
  EXPECT_EQ(lines[2].substr(18, 4), " 0D ");
  // Both read the same engine speed.
  EXPECT_EQ(lines[0].substr(16, 5), lines[2].substr(13, 5));
}

TEST(ObdElm327Sim, ClearingCodes) {
  Bench b;
  const std::vector<Line> script = {
      {"ATE0", "ATE0\rOK\r\r>"},
      {"ATSP6", "OK\r\r>"},
      {"0101", "41 01 83 07 65 05\r\r>"},
      {"04", "44\r44\r\r>"},
      // Lamp off, no codes; every monitor incomplete again.
      {"0101", "41 01 00 07 65 65\r\r>"},
      {"03", "43 00\r43 00\r\r>"},
      {"07", "47 00\r47 00\r\r>"},
      // The permanent code stays until the monitors have run.
      {"0A", "4A 01 04 20\r4A 00\r\r>"},
      // The freeze frame is gone: no code, only PID 02 left.
      {"020200", "42 02 00 00 00\r\r>"},
      {"020C00", "NO DATA\r\r>"},
      {"020000", "42 00 00 40 00 00 00\r\r>"},
      {"0121", "41 21 00 00\r\r>"},
      // A chip reset is not a new car.
      {"ATZ", "\r\rELM327 v1.5\r\r>"},
      {"ATE0", "ATE0\rOK\r\r>"},
      {"03", "43 00\r43 00\r\r>"},
  };
  Play(b, script, "clear");
  b.car.reset();
  EXPECT_EQ(b.say("0101"), "41 01 83 07 65 05\r\r>");
}

TEST(ObdElm327Sim, PromptTimeFollowsTheTimeoutOrTheReplyCount) {
  struct Case {
    const char* name;
    ObdBus bus;
    int pendingMs;
    std::vector<std::string> setUp;  // after ATE0
    std::string request;
    int promptAt;
    size_t replyLines;
  };
  // CAN: engine at 12 ms, transmission at 18; K-line: P2 30 ms plus one ms
  // a byte, 5-baud wake-up 2300 ms.
  const Case cases[] = {
      {"no count: the whole default timeout", ObdBus::Can11, 0, {"ATSP6"}, "0100", 18 + 200, 2},
      {"count 1: at the first reply", ObdBus::Can11, 0, {"ATSP6"}, "01001", 12, 1},
      {"count 2: at the second", ObdBus::Can11, 0, {"ATSP6"}, "01002", 18, 2},
      {"count 3 never reached", ObdBus::Can11, 0, {"ATSP6"}, "01003", 18 + 200, 2},
      {"AT ST 0A, fixed", ObdBus::Can11, 0, {"ATSP6", "ATAT0", "ATST0A"}, "0100", 18 + 40, 2},
      {"AT ST 02: the ECUs are too slow",
       ObdBus::Can11,
       0,
       {"ATSP6", "ATAT0", "ATST02"},
       "0100",
       8,
       1},
      {"adaptive 1 after one answer",
       ObdBus::Can11,
       0,
       {"ATSP6", "0100"},
       "0100",
       18 + 2 * 12 + 8,
       2},
      {"adaptive 2 after one answer",
       ObdBus::Can11,
       0,
       {"ATSP6", "ATAT2", "0100"},
       "0100",
       18 + 12 + 4,
       2},
      {"adaptive never longer than ST",
       ObdBus::Can11,
       0,
       {"ATSP6", "ATST05", "0100"},
       "0100",
       18 + 20,
       2},
      {"adaptive off", ObdBus::Can11, 0, {"ATSP6", "ATAT0", "0100"}, "0100", 18 + 200, 2},
      {"physical: one ECU", ObdBus::Can11, 0, {"ATSP6", "ATSH7E0"}, "0100", 12 + 200, 1},
      {"multi-frame: the last frame counts",
       ObdBus::Can11,
       0,
       {"ATSP6", "ATH1"},
       "09021",
       12 + 2,
       3},
      {"K-line wake-up and count", ObdBus::Iso9141, 0, {"ATSP3"}, "01001", 2300 + 30 + 10, 2},
      {"K-line no count", ObdBus::Iso9141, 0, {"ATSP3"}, "0100", 2300 + 2 * (30 + 10) + 200, 3},
      {"K-line VIN: five messages", ObdBus::Kwp, 0, {"ATSP5", "0100"}, "09025", 5 * (30 + 11), 5},
      {"response pending: waited for", ObdBus::Can11, 3000, {"ATSP6"}, "0100", 12 + 3000 + 200, 4},
      {"response pending: not counted",
       ObdBus::Can11,
       3000,
       {"ATSP6", "ATSH7E0"},
       "01001",
       12 + 3000,
       3},
      {"search, then CAN", ObdBus::Can11, 0, {"ATSP0"}, "01001", 100 + 100 + 2300 + 100 + 12, 2},
  };
  for (const Case& c : cases) {
    ObdCarOptions o;
    o.bus = c.bus;
    o.pendingMs = c.pendingMs;
    Bench b(o);
    b.say("ATE0");
    for (const std::string& s : c.setUp) b.say(s);
    int promptAt = -1;
    const std::string text = b.say(c.request, &promptAt);
    EXPECT_EQ(promptAt, c.promptAt) << c.name << "\n" << text;
    size_t lines = 0;
    for (size_t at = 0; (at = text.find('\r', at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, c.replyLines + 1) << c.name << "\n" << text;  // + the empty line
  }
}

TEST(ObdElm327Sim, AnyLineEndsInAPromptWithItsPartsInOrder) {
  // Lines a confused or hostile scanner might send, built from pieces of
  // real commands; every one must come back with exactly one prompt.
  const char* pieces[] = {"AT", "SP",   "A",        "0",  "1",      "7",   "C",    "F",
                          "H1", "S0",   "SH",       "7E", "DA10F1", "CRA", "CAF0", "ST",
                          "FF", "01",   "09",       "02", "0D",     " ",   "\t",   "Z",
                          "?",  "\x7f", "\xc3\xa9", "04", "7F",     "1",   "DP"};
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int bus = 0; bus < 4; ++bus) {
    ObdCarOptions o;
    o.bus = static_cast<ObdBus>(bus);
    o.pendingMs = bus == 3 ? 2100 : 0;
    Bench b(o);
    for (int i = 0; i < 600; ++i) {
      std::string line;
      for (uint32_t n = next() % 6; n > 0; --n) line += pieces[next() % std::size(pieces)];
      int promptAt = -1;
      const std::string text = b.say(line, &promptAt);
      ASSERT_EQ(text.back(), '>') << line;
      ASSERT_EQ(std::count(text.begin(), text.end(), '>'), 1) << line << "\n" << text;
      ASSERT_GE(promptAt, 0);
    }
  }
}

// Several lines in one write: each is answered after the prompt of the one
// before, never beside it (found by fuzzing: "S50" and its repeat).
TEST(ObdAdapterSim, LinesSentTogetherAreAnsweredOneAfterAnother) {
  for (const char* bytes : {"s50\r\r", "0100\r0100\r", "ATZ\r0902\r03\r"}) {
    SCOPED_TRACE(bytes);
    AdapterSim adapter(ObdSimOptions{});
    std::string now;
    std::vector<TimedText> later;
    adapter.feed("ATE0\r", now, later);
    later.clear();
    adapter.feed(bytes, now, later);
    int at = 0, prompts = 0, lastPromptAt = -1;
    for (const TimedText& t : later) {
      EXPECT_GE(t.atMs, at) << t.text;
      at = t.atMs;
      if (t.text.find('>') != std::string::npos) {
        EXPECT_GE(t.atMs, lastPromptAt);
        lastPromptAt = t.atMs;
        ++prompts;
      }
    }
    EXPECT_EQ(prompts, static_cast<int>(std::count(bytes, bytes + std::strlen(bytes), '\r')));
  }
}

TEST(ObdCar, TroubleCodeBytes) {
  // SAE J2012: the letter in the top two bits, then the four digits.
  const std::pair<const char*, const char*> cases[] = {
      {"P0301", "03 01"}, {"P0420", "04 20"}, {"P2A0F", "2A 0F"},
      {"C1234", "52 34"}, {"B0001", "80 01"}, {"U0100", "C1 00"},
  };
  for (const auto& [code, bytes] : cases) EXPECT_EQ(DtcBytes(code), Data(bytes)) << code;
}

TEST(ObdCar, CurrentDataEncodesTheEngineByTheStandardsFormulas) {
  struct Pid {
    uint8_t pid;
    std::function<double(const std::vector<uint8_t>&)> decode;  // J1979, from A at [0]
    std::function<double(const EngineState&)> model;
    double tolerance;
  };
  const Pid pids[] = {
      {0x05, [](auto& d) { return d[0] - 40.0; }, [](auto& s) { return s.coolantC; }, 0.5},
      {0x0B, [](auto& d) { return d[0] * 1.0; }, [](auto& s) { return s.mapKPa; }, 0.5},
      {0x0C, [](auto& d) { return (d[0] * 256 + d[1]) / 4.0; }, [](auto& s) { return s.rpm; },
       0.125},
      {0x0D, [](auto& d) { return d[0] * 1.0; }, [](auto& s) { return s.speedKmh; }, 0.5},
      {0x0F, [](auto& d) { return d[0] - 40.0; }, [](auto& s) { return s.intakeC; }, 0.5},
      {0x10, [](auto& d) { return (d[0] * 256 + d[1]) / 100.0; },
       [](auto& s) { return s.airFlowKgH / 3.6; }, 0.005},
      {0x11, [](auto& d) { return d[0] * 100.0 / 255.0; }, [](auto& s) { return s.throttlePct; },
       0.2},
      {0x42, [](auto& d) { return (d[0] * 256 + d[1]) / 1000.0; },
       [](auto& s) { return s.batteryV; }, 0.0005},
  };
  ObdCar car;
  for (uint32_t step : {0u, 3u, 30u, 70u, 104u, 120u, 150u, 200u, 245u, 280u, 400u}) {
    for (const Pid& p : pids) {
      car.setStep(step);
      const auto replies = car.answer({0x01, p.pid}, ObdCar::kEngine);
      ASSERT_EQ(replies.size(), 1u);
      const std::vector<uint8_t>& r = replies[0].bytes;
      ASSERT_GE(r.size(), 3u);
      ASSERT_EQ(r[0], 0x41);
      ASSERT_EQ(r[1], p.pid);
      const std::vector<uint8_t> data(r.begin() + 2, r.end());
      EXPECT_NEAR(p.decode(data), p.model(EngineAt(step)), p.tolerance)
          << "PID " << int(p.pid) << " step " << step;
    }
  }
  // A current-data answer moves the drive on by one step.
  car.setStep(10);
  car.answer({0x01, 0x0C}, -1);
  EXPECT_EQ(car.step(), 11u);
  car.answer({0x09, 0x02}, -1);
  EXPECT_EQ(car.step(), 11u);
}

TEST(ObdPtyServer, AnswersAScannerOnThePseudoTerminal) {
  PtyServerOptions options;
  options.obd = ObdSimOptions{};
  std::string error;
  auto server = PtyServer::Start(options, error);
  ASSERT_TRUE(server) << error;
  testing::PtyTestClient client(server->slavePath());
  ASSERT_TRUE(client.ok());
  const Line script[] = {
      {"ATZ", "ATZ\r\r\rELM327 v1.5\r\r>"},
      {"ATE0", "ATE0\rOK\r\r>"},
      {"ATH1", "OK\r\r>"},
      {"ATSP0", "OK\r\r>"},
      {"0100", "SEARCHING...\r7E8 06 41 00 BE 3F A8 13 AA\r7E9 06 41 00 00 18 00 00 00\r\r>"},
      {"ATDPN", "A6\r\r>"},
      {"09021",
       "7E8 10 14 49 02 01 31 44 34\r7E8 21 47 50 30 30 52 35 35\r"
       "7E8 22 42 31 32 33 34 35 36\r\r>"},
  };
  for (const Line& l : script) {
    client.send(l.sent + "\r");
    EXPECT_EQ(client.readUntil('>', 1, 10000), l.expected) << l.sent;
  }
  EXPECT_EQ(server->mode(), AdapterSim::Mode::Obd);
  server->setSilent(true);
  client.send("0100\r");
  EXPECT_EQ(client.readUntil('>', 1, 10000), "NO DATA\r\r>");
  server->stop();
}

}  // namespace
}  // namespace kalvex::sim
