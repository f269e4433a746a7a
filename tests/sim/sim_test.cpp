// The simulator on its own, against exchanges written from the adapters'
// protocol descriptions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "sim/adapter_sim.h"
#include "sim/elm327_sim.h"
#include "sim/engine_model.h"
#include "sim/kesta_sim.h"
#include "sim/pty_server.h"
#include "sim/pty_test_client.h"

namespace kalvex::sim {
namespace {

// Parses spaced hex pairs ("61 01 0A") into bytes.
std::vector<uint8_t> Bytes(const std::string& text) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size(); i += 3)
    out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  return out;
}

struct ElmExchange {
  std::string sent;      // without CR
  std::string expected;  // echo + reply
};

std::string Exchange(Elm327Sim& elm, const std::string& line) {
  std::string echo, reply;
  elm.handleLine(line, echo, reply);
  return echo + reply;
}

// The step both simulated chips take first on every line: echo, then the
// command, a blank line standing for the one before.
TEST(ElmTakeCommand, EchoesAndRepeatsThePreviousCommand) {
  struct Step {
    std::string line;
    bool echoOn;
    std::string eol;
    std::string echo;     // what is echoed
    std::string command;  // what runs
  };
  const Step steps[] = {
      {"", true, "\r", "\r", ""},  // nothing before: nothing to repeat
      {"at rv", true, "\r", "at rv\r", "ATRV"},
      {"", true, "\r", "\r", "ATRV"},
      {" \t", false, "\r", "", "ATRV"},  // white space and controls alone count as blank
      {"01 0c", false, "\r", "", "010C"},
      {"", true, "\r\n", "\r\n", "010C"},
      {"\x7f\xff", true, "\r", "\x7f\xff\r", "010C"},  // bytes the chip does not read
  };
  std::string last;
  for (const Step& step : steps) {
    std::string echo;
    EXPECT_EQ(ElmTakeCommand(step.line, step.echoOn, step.eol, echo, last), step.command)
        << step.line;
    EXPECT_EQ(echo, step.echo) << step.line;
    EXPECT_EQ(last, step.command) << step.line;
  }
}

TEST(IsHexDigits, DigitsOfEitherCaseOnly) {
  const std::pair<std::string, bool> cases[] = {
      {"", false}, {"0", true}, {"aF09", true}, {"0G", false}, {"01 0C", false}, {"-1", false},
  };
  for (const auto& [text, hex] : cases) EXPECT_EQ(IsHexDigits(text), hex) << text;
}

TEST(Elm327Sim, KLineSetUpExchanges) {
  SimulatedEcu ecu;
  ecu.select(0, 0);
  Elm327Sim elm(ecu);
  elm.reset();
  const ElmExchange script[] = {
      {"AT Z", "AT Z\r\r\rELM327 v1.5\r\r>"},
      {"AT E1", "AT E1\rOK\r\r>"},
      {"AT H0", "AT H0\rOK\r\r>"},
      {"AT SP5", "AT SP5\rOK\r\r>"},
      {"AT IB10", "AT IB10\rOK\r\r>"},
      {"AT SH8110F1", "AT SH8110F1\rOK\r\r>"},
      {"AT SW00", "AT SW00\rOK\r\r>"},
      {"AT FOO", "AT FOO\r?\r\r>"},
      {"AT SP", "AT SP\r?\r\r>"},
      {"21 0G", "21 0G\r?\r\r>"},
      {"19 02", "19 02\r7F 19 11\r\r>"},
      {"21 07", "21 07\r7F 21 12\r\r>"},
      {"18 00 00 00", "18 00 00 00\r58 04 01 02 20 03 01 E0 05 62 20 16 02 20\r\r>"},
      {"14 FF 00", "14 FF 00\r54 FF 00\r\r>"},
      {"18 00 FF 00", "18 00 FF 00\r58 00\r\r>"},
      {"17 FF 00", "17 FF 00\r57 00\r\r>"},
      {"AT E0", "AT E0\rOK\r\r>"},  // echoed: echo was still on when it arrived
      {"82", "C2\r\r>"},
  };
  for (const auto& step : script) EXPECT_EQ(Exchange(elm, step.sent), step.expected) << step.sent;
}

TEST(Elm327Sim, KLineLiveDataCarriesTheEngine) {
  SimulatedEcu ecu;
  ecu.select(0, 0);
  Elm327Sim elm(ecu);
  elm.reset();
  Exchange(elm, "AT SP5");
  const std::string out = Exchange(elm, "21 01");
  ASSERT_EQ(out.rfind("21 01\r", 0), 0u) << out;
  ASSERT_EQ(out.substr(out.size() - 3), "\r\r>");
  const auto b = Bytes(out.substr(6, out.size() - 9));
  ASSERT_EQ(b.size(), 38u);
  // Step 0: cranking at 200 rpm, coolant 5 C, battery 10.4 V, standing.
  EXPECT_EQ(b[0], 0x61);
  EXPECT_EQ(b[1], 0x01);
  EXPECT_EQ(b[13], 5);    // 200 / 40
  EXPECT_EQ(b[10], 45);   // 5 + 40
  EXPECT_EQ(b[20], 104);  // (10.4 - 5.2) / 0.05
  EXPECT_EQ(b[19], 0);
  ASSERT_EQ(ecu.history().size(), 1u);
  EXPECT_EQ(ecu.history()[0].bytes, b);
  EXPECT_FLOAT_EQ(*ecu.history()[0].values[static_cast<size_t>(Component::VI_Nmot)], 200);
  EXPECT_EQ(ecu.engineStep(), 1u);
}

TEST(Elm327Sim, StatusTextsAndAddressing) {
  SimulatedEcu ecu;
  ecu.select(0, 4);  // Bosch MP7.0 at 0x11
  Elm327Sim elm(ecu, ElmOptions{true, true});
  elm.reset();
  Exchange(elm, "AT E0");
  EXPECT_EQ(Exchange(elm, "AT SH8110F1"), "OK\r\r>");
  EXPECT_EQ(Exchange(elm, "21 01"), "BUS INIT: ...ERROR\r\r>");  // nobody at 0x10
  Exchange(elm, "AT SH8111F1");
  Exchange(elm, "AT SP5");
  std::string out = Exchange(elm, "21 01");
  EXPECT_EQ(out.rfind("BUS INIT: ...OK\r61 01 ", 0), 0u) << out;
  out = Exchange(elm, "21 01");  // announced only once
  EXPECT_EQ(out.rfind("61 01 ", 0), 0u) << out;
  ecu.setSilent(true);
  EXPECT_EQ(Exchange(elm, "21 01"), "NO DATA\r\r>");
  ecu.setSilent(false);
  EXPECT_EQ(Exchange(elm, "").substr(0, 6), "61 01 ");  // a lone CR repeats the last request
  Exchange(elm, "AT SP6");
  EXPECT_EQ(Exchange(elm, "21 01"), "CAN ERROR\r\r>");  // a K-line ECU on a CAN protocol
  Exchange(elm, "AT SP0");
  out = Exchange(elm, "21 01");
  EXPECT_EQ(out.rfind("SEARCHING...\r61 01 ", 0), 0u) << out;
  Exchange(elm, "AT H1");
  EXPECT_EQ(Exchange(elm, "81"), "83 F1 11 C1 EF 8F C4\r\r>");  // format, tester, ECU, data, sum
}

TEST(Elm327Sim, CanMultiFrameLayout) {
  // Up to 7 bytes: one line; longer: count line then frames of 6, 7, 7 ...
  EXPECT_EQ(CanReplyLines({0x7F, 0x22, 0x12}, true, true), std::vector<std::string>{"7F 22 12"});
  const std::vector<uint8_t> thirteen = {0x62, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44,
                                         0x55, 0x66, 0x77, 0x88, 0x99, 0x00};
  EXPECT_EQ(CanReplyLines(thirteen, true, true),
            (std::vector<std::string>{"00D", "0: 62 00 01 11 22 33", "1: 44 55 66 77 88 99 00"}));
  EXPECT_EQ(CanReplyLines(thirteen, false, true),
            (std::vector<std::string>{"00D", "0:620001112233", "1:44556677889900"}));
  std::vector<uint8_t> eight(8, 0x01);
  EXPECT_EQ(CanReplyLines(eight, true, true),
            (std::vector<std::string>{"008", "0: 01 01 01 01 01 01", "1: 01 01 AA AA AA AA AA"}));
  EXPECT_EQ(CanReplyLines(eight, true, false).back(), "1: 01 01");

  // 130 bytes: 19 frames, the index wraps after F.
  std::vector<uint8_t> big(130);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i);
  const auto lines = CanReplyLines(big, true, true);
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[0], "082");
  EXPECT_EQ(lines[16].substr(0, 2), "F:");
  EXPECT_EQ(lines[17].substr(0, 2), "0:");
  EXPECT_EQ(lines[19].substr(0, 2), "2:");
  EXPECT_EQ(lines[17], "0: 6F 70 71 72 73 74 75");  // frame 16 starts at byte 6 + 15 * 7
}

TEST(Elm327Sim, CanSessionOfLadaType6) {
  SimulatedEcu ecu;
  ecu.select(0, 6);
  Elm327Sim elm(ecu);
  elm.reset();
  Exchange(elm, "AT SP6");
  EXPECT_EQ(Exchange(elm, "AT SH7E7"), "AT SH7E7\rOK\r\r>");
  EXPECT_EQ(Exchange(elm, "22 00 01"), "22 00 01\rNO DATA\r\r>");  // another ECU's identifier
  Exchange(elm, "AT SH7E0");
  const std::string out = Exchange(elm, "22 00 01");
  // 28 bytes: count 01C, frames 0 to 4, the last with one byte and six pads.
  ASSERT_EQ(out.rfind("22 00 01\r01C\r0: 62 00 01 ", 0), 0u) << out;
  EXPECT_NE(out.find("\r4: "), std::string::npos);
  EXPECT_NE(out.find(" AA AA AA AA AA AA\r\r>"), std::string::npos) << out;
  EXPECT_EQ(Exchange(elm, "21 01"), "21 01\r7F 21 12\r\r>");
  EXPECT_EQ(Exchange(elm, "81"), "81\r7F 81 11\r\r>");  // no StartCommunication on CAN
}

TEST(KestaSim, FramesChecksumsAndReplies) {
  EXPECT_EQ(KestaChecksum("DS:01:0T1P1 10 F1 1:81"), 0xAE);
  EXPECT_EQ(KestaChecksum("DS:01:1T1P1 FC00 1:81"), 0xA0);
  EXPECT_EQ(KestaChecksum("DD:02:2101"), 0x22);

  SimulatedEcu ecu;
  ecu.select(0, 0);
  KestaSim k(ecu);
  auto run = [&](const std::string& bytes) {
    std::string reply;
    k.feed(bytes, reply);
    return reply;
  };
  EXPECT_EQ(run("DS:01:0T1P1 10 F1 1:81\xAF\r"), "");  // wrong checksum
  EXPECT_EQ(run(KestaFrame("DS:01:0T1P1 10 F1 1:81")), "PS\r");
  EXPECT_EQ(run(KestaFrame("DD:02:2101")), "");  // K-line not started yet
  EXPECT_EQ(run(KestaFrame("DD:01:81")), "PD:03:C1EF8F\r");
  EXPECT_EQ(run(KestaFrame("DD:03:2101")), "");  // count does not match
  EXPECT_EQ(run("DD:02:2101\x23\r"), "");        // checksum off by one
  EXPECT_EQ(run(KestaFrame("DD:04:18000000")), "PD:0E:58040102200301E0056220160220\r");
  EXPECT_EQ(run(KestaFrame("DD:03:14FF00")), "PD:03:54FF00\r");
  EXPECT_EQ(run(KestaFrame("DD:03:17FF00")), "PD:02:5700\r");
  EXPECT_EQ(run(KestaFrame("DD:02:1086")), "PD:02:5086\r");
  EXPECT_EQ(run(KestaFrame("")), "");  // the empty request of request number 0

  // A reply split over several feeds is assembled.
  std::string frame = KestaFrame("DD:02:2101");
  std::string reply;
  k.feed(frame.substr(0, 3), reply);
  k.feed(frame.substr(3, 5), reply);
  EXPECT_EQ(reply, "");
  k.feed(frame.substr(8), reply);
  ASSERT_EQ(reply.rfind("PD:26:6101", 0), 0u) << reply;
  EXPECT_EQ(reply.size(), 6 + 38 * 2 + 1u);

  // A checksum byte that is itself 0x0D does not end the frame early.
  std::string text;
  for (int x = 0; x < 65536 && text.empty(); ++x) {
    char t[24];
    std::snprintf(t, sizeof t, "DD:04:18%02X%02X00", x >> 8, x & 0xFF);
    if (KestaChecksum(t) == '\r') text = t;
  }
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(run(text + "\r"), "");
  EXPECT_EQ(run("\r"), "PD:02:5800\r");
}

TEST(SimulatedEcu, EveryTypeHasLiveDataAndAnswersTheSessionServices) {
  SimulatedEcu ecu;
  for (int make = 0; make < kMakeCount; ++make) {
    for (int type = 0; type < static_cast<int>(EcuTypesOf(make).size()); ++type) {
      ecu.select(make, type);
      EXPECT_TRUE(ecu.hasLiveData()) << make << " " << type;
    }
  }
  ecu.select(1, 0);  // HYUNDAI v.1 polls 21 06, 21 03 and 21 04, never 21 01
  EXPECT_TRUE(ecu.present());
  EXPECT_EQ(ecu.answer({0x81}, false), (std::vector<uint8_t>{0xC1, 0xEF, 0x8F}));
  EXPECT_EQ(ecu.answer({0x10, 0x86}, false), (std::vector<uint8_t>{0x50, 0x86}));
  EXPECT_EQ(ecu.answer({0x21, 0x01}, false), (std::vector<uint8_t>{0x7F, 0x21, 0x12}));
  EXPECT_EQ(ecu.answer({0x18, 0x00, 0xFF, 0x00}, false)->size(), 14u);
  ecu.select(0, 7);  // no such type: nobody on the bus
  EXPECT_FALSE(ecu.present());
  EXPECT_EQ(ecu.answer({0x81}, false), std::nullopt);
}

TEST(KestaSim, CanSetUpAndAddressing) {
  SimulatedEcu ecu;
  ecu.select(0, 6);
  KestaSim k(ecu);
  auto run = [&](const std::string& text) {
    std::string reply;
    k.feed(KestaFrame(text), reply);
    return reply;
  };
  EXPECT_EQ(run("DD:03:220001"), "");  // not set up
  EXPECT_EQ(run("DS:01:1T1P1 FCE0 1:81"), "PS\r");
  EXPECT_EQ(run("DD:03:220001"), "");  // 0x7E7 is not this ECU
  EXPECT_EQ(run("DS:01:1T1P1 FC00 1:81"), "PS\r");
  EXPECT_EQ(run("DD:03:220001").rfind("PD:1C:620001", 0), 0u);
  EXPECT_EQ(run("DS:01:0T1P1 10 F1 1:81"), "PS\r");
  EXPECT_EQ(run("DD:01:81"), "");               // a CAN ECU on K-line: nobody answers
  EXPECT_EQ(run("DS:01:2T1P1 FC00 1:81"), "");  // not a bus
}

TEST(AdapterSim, SwitchesAdapterAtEachSetUpLine) {
  AdapterSim sim;
  sim.ecu().select(0, 0);
  std::string now, later;
  EXPECT_TRUE(sim.feed("AT Z\rAT E1\r", now, later));
  EXPECT_EQ(now, "AT Z\rAT E1\r");
  EXPECT_EQ(later, "\r\rELM327 v1.5\r\r>OK\r\r>");
  EXPECT_EQ(sim.mode(), AdapterSim::Mode::Elm327);

  now.clear(), later.clear();
  EXPECT_TRUE(sim.feed(KestaFrame("DS:01:0T1P1 10 F1 1:81") + KestaFrame("DD:01:81"), now, later));
  EXPECT_EQ(sim.mode(), AdapterSim::Mode::Kesta);
  EXPECT_EQ(now, "");
  EXPECT_EQ(later, "PS\rPD:03:C1EF8F\r");

  now.clear(), later.clear();
  EXPECT_FALSE(sim.feed(KestaFrame("DD:02:2101").substr(0, 4), now, later));
  EXPECT_TRUE(sim.feed("\rATZ\r", now, later));  // the broken frame is dropped
  EXPECT_EQ(sim.mode(), AdapterSim::Mode::Elm327);
  EXPECT_EQ(later, "\r\rELM327 v1.5\r\r>");

  // A line without an end never grows without bound.
  now.clear(), later.clear();
  EXPECT_FALSE(sim.feed(std::string(5000, 'A'), now, later));
  EXPECT_TRUE(sim.feed("\rAT Z\r", now, later));
}

// Each LADA type's bytes stand for the engine within the resolution of the
// layout, at every phase of the drive cycle.
TEST(EncodeReply, LadaLayoutsCarryTheEngine) {
  struct Tolerance {
    Component c;
    double (*truth)(const EngineState&);
  };
  const Tolerance checks[] = {
      {Component::VI_Speed, [](const EngineState& e) { return e.speedKmh; }},
      {Component::VI_Nmot, [](const EngineState& e) { return e.rpm; }},
      {Component::VS_TOG, [](const EngineState& e) { return e.coolantC; }},
      {Component::VI_Ub, [](const EngineState& e) { return e.batteryV; }},
      {Component::VS_THR, [](const EngineState& e) { return e.throttlePct; }},
      {Component::VS_MRV, [](const EngineState& e) { return e.airFlowKgH; }},
      {Component::VS_DV, [](const EngineState& e) { return e.injectionMs; }},
  };
  for (int type = 0; type <= 6; ++type) {
    const EcuLayout* layout = EcuLayoutOf(0, type);
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->replies.size(), 1u);
    for (uint32_t step = 0; step < 600; step += 7) {
      const EngineState e = EngineAt(step);
      const EncodedReply r = EncodeReply(layout->replies[0], e);
      for (const auto& check : checks) {
        const auto v = r.values[static_cast<size_t>(check.c)];
        ASSERT_TRUE(v.has_value()) << type << " " << ComponentName(check.c);
        // A quantity beyond what the layout can carry saturates.
        double top = 0;
        for (const Field& f : layout->replies[0].fields)
          for (Component c : f.components)
            if (c == check.c) top = ((f.lo >= 0 ? 65535.0 : 255.0) * f.m) / f.d + f.a;
        const double truth = std::min(check.truth(e), top);
        // Whole units for integer rows, 1 % of the value otherwise.
        const double tol = std::max(1.25, std::fabs(truth) * 0.01) + 0.5;
        const double tolerance = check.c == Component::VI_Nmot ? 40 : tol;
        EXPECT_NEAR(*v, truth, tolerance)
            << "type " << type << " step " << step << " " << ComponentName(check.c);
      }
    }
  }
  EXPECT_EQ(EcuLayoutOf(0, 7), nullptr);
  EXPECT_EQ(EcuLayoutOf(-1, 0), nullptr);
}

TEST(EngineModel, MovesThroughItsPhases) {
  double maxSpeed = 0, maxRpm = 0;
  int batteryChanges = 0;
  for (uint32_t s = 0; s < 300; ++s) {
    maxSpeed = std::max(maxSpeed, EngineAt(s).speedKmh);
    maxRpm = std::max(maxRpm, EngineAt(s).rpm);
    if (s > 0 && EngineAt(s).batteryV != EngineAt(s - 1).batteryV) ++batteryChanges;
  }
  EXPECT_GE(maxSpeed, 90);
  EXPECT_GE(maxRpm, 3500);
  EXPECT_GT(batteryChanges, 250);  // the voltage needle never rests
  EXPECT_LT(EngineAt(0).coolantC, 10);
  EXPECT_DOUBLE_EQ(EngineAt(1000).coolantC, 90);
  EXPECT_NE(EngineAt(6).rpm, EngineAt(7).rpm);  // the needles move at once
}

TEST(PtyServer, ServesBothAdaptersOnOneTerminal) {
  std::string error;
  auto server = PtyServer::Start({0, 0, 0, false}, error);
  ASSERT_NE(server, nullptr) << error;
  {
    testing::PtyTestClient c(server->slavePath());
    ASSERT_TRUE(c.ok());
    c.send("AT Z\r");
    EXPECT_EQ(c.readUntil('>'), "AT Z\r\r\rELM327 v1.5\r\r>");
    c.send("21 01\r");
    EXPECT_EQ(c.readUntil('>').rfind("21 01\r61 01 ", 0), 0u);
  }
  server->select(0, 6);  // another car between two sessions
  {
    testing::PtyTestClient c(server->slavePath());
    ASSERT_TRUE(c.ok());
    c.send(KestaFrame("DS:01:1T1P1 FC00 1:81"));
    EXPECT_EQ(c.readUntil('\r'), "PS\r");
    c.send(KestaFrame("DD:03:220001"));
    EXPECT_EQ(c.readUntil('\r').rfind("PD:1C:620001", 0), 0u);
    EXPECT_EQ(server->mode(), AdapterSim::Mode::Kesta);
  }
  const auto history = server->history();
  ASSERT_EQ(history.size(), 1u);  // select() cold-started the engine
  EXPECT_EQ(history[0].bytes[0], 0x62);
  const auto lines = server->receivedLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), KestaFrame("DD:03:220001"));
  server->stop();
  server->stop();
}

TEST(PtyServer, ReplyDelayAndStaleOutput) {
  std::string error;
  auto server = PtyServer::Start({0, 0, 600, false}, error);
  ASSERT_NE(server, nullptr) << error;
  testing::PtyTestClient c(server->slavePath());
  c.send("AT Z\r");
  EXPECT_EQ(c.readUntil('\r'), "AT Z\r");  // the echo comes at once
  EXPECT_EQ(c.readUntil('>'), "\r\rELM327 v1.5\r\r>");
  c.send("21 01\r");
  EXPECT_EQ(c.readUntil('\r'), "21 01\r");
  // A new session before the reply: the old reply is never delivered.
  c.send("AT Z\r");
  EXPECT_EQ(c.readUntil('>', 1, 3000), "AT Z\r\r\rELM327 v1.5\r\r>");
  EXPECT_EQ(c.drain(400), "");
}

}  // namespace
}  // namespace kalvex::sim
