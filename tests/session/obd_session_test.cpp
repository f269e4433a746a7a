// The generic OBD-II session against a scripted ELM327 on a manual clock:
// what it asks, in which order and form, and what it makes of the answers.
#include "session/obd_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/log_file.h"
#include "support/fake_port.h"

namespace kalvex {
namespace {

using test::FakePort;

// The adapter's answer to a request (without CR, prompt added by the
// harness); nullopt: silence.
using Answer = std::function<std::optional<std::string>(const std::string& request)>;

// Answers of a well-behaved ELM327 to the set-up and identification.
std::optional<std::string> AdapterAnswer(const std::string& req, const char* dpn = "A6") {
  if (req == "AT Z") return "\r\rELM327 v1.5\r";
  if (req.rfind("AT SP", 0) == 0 || req.rfind("AT ", 0) == 0) {
    if (req == "AT DPN") return dpn;
    if (req == "AT RV") return "12.6V";
    return "OK";
  }
  return std::nullopt;
}

struct Harness {
  ManualClock clock;
  FakePort port{clock};
  LogFile log{"/nonexistent-obd-test"};
  ObdSession session{port, clock, log};
  Answer answer;
  Millis answerDelay = 30;  // the adapter's time to answer
  std::vector<std::string> requests;
  std::map<std::string, int> asked;
  size_t handled = 0;
  std::vector<std::pair<Millis, std::string>> late;  // extra bytes at a time

  explicit Harness(Answer a) : answer(std::move(a)) {
    port.setRxHandler([this](size_t n) { session.onRx(n); });
  }

  // Runs until the session ends, `maxRequests` were written or `limit` ms passed.
  void run(const ObdOptions& o, size_t maxRequests = 200, Millis limit = 120'000) {
    session.start("/dev/fake", o);
    const Millis end = clock.now() + limit;
    while (session.running() && clock.now() < end && requests.size() < maxRequests) {
      while (handled < port.writes.size()) {
        const auto& w = port.writes[handled++];
        std::string text(w.bytes.begin(), w.bytes.end());
        if (!text.empty() && text.back() == '\r') text.pop_back();
        requests.push_back(text);
        ++asked[text];
        if (auto a = answer(text)) late.emplace_back(clock.now() + answerDelay, *a + "\r\r>");
      }
      std::optional<Micros> next = session.nextDeadlineMicros();
      for (const auto& [at, bytes] : late)
        if (!next || at * 1000 < *next) next = at * 1000;
      if (!next) break;
      clock.setMicros(std::max(*next, clock.nowMicros()));
      for (auto it = late.begin(); it != late.end();) {
        if (it->first <= clock.now()) {
          const std::string bytes = it->second;
          it = late.erase(it);
          port.deliver(bytes);
        } else {
          ++it;
        }
      }
      session.onTimer();
    }
  }
  int polls() const {
    int n = 0;
    for (const std::string& r : requests) n += r.rfind("01 ", 0) == 0;
    return n;
  }
};

// A two-ECU CAN car: engine 7E8 (RPM, speed, coolant, load, throttle...),
// gearbox 7E9 (speed and coolant only).
std::optional<std::string> CanCar(const std::string& req) {
  if (auto a = AdapterAnswer(req)) return a;
  static const std::map<std::string, std::string> car = {
      // 0x00: 01 04 05 0C 0D 11 20(chain); 7E9: 05 0D
      {"01 00", "7E8 06 41 00 18 18 80 01\r7E9 06 41 00 08 08 00 00"},
      {"01 20", "7E8 06 41 20 00 00 00 00"},
      {"09 02",
       "7E8 10 14 49 02 01 31 48 47\r7E8 21 43 4D 38 32 36 33 33\r7E8 22 41 30 30 34 33 35 32"},
      {"09 04",
       "7E8 10 13 49 04 01 4B 41 4C\r7E8 21 56 45 58 2D 30 31 00\r7E8 22 00 00 00 00 00 "
       "00 00"},
      {"09 0A", "NO DATA"},
      {"01 01", "7E8 06 41 01 82 07 65 04\r7E9 06 41 01 00 04 00 00"},
      {"03", "7E8 06 43 02 03 01 01 71"},
      {"07", "7E8 04 47 01 04 20"},
      {"0A", "7E8 03 7F 0A 11"},
      {"02 02 00", "7E8 05 42 02 00 03 01"},
      {"02 00 00", "7E8 07 42 00 00 00 08 00 00"},  // frame holds 0x0D
      {"02 0D 00", "7E8 04 42 0D 00 37"},
      {"04", "7E8 01 44"},
  };
  if (auto it = car.find(req); it != car.end()) return it->second;
  if (req.rfind("01 ", 0) == 0) {
    // Polls: every PID answered by each ECU that has it, in one message.
    std::string e8 = "41", e9 = "41";
    const std::map<std::string, std::string> engine = {
        {"04", "80"}, {"05", "5A"}, {"0C", "1A F8"}, {"0D", "32"}, {"11", "40"}};
    const std::map<std::string, std::string> gearbox = {{"05", "5B"}, {"0D", "31"}};
    for (size_t at = 3; at + 1 < req.size(); at += 3) {
      const std::string pid = req.substr(at, 2);
      if (engine.count(pid)) e8 += " " + pid + " " + engine.at(pid);
      if (gearbox.count(pid)) e9 += " " + pid + " " + gearbox.at(pid);
    }
    auto frame = [](const char* id, const std::string& data) {
      const size_t n = (data.size() + 1) / 3;
      char head[16];
      std::snprintf(head, sizeof head, "%s %02zX ", id, n);
      if (n <= 7) return std::string(head) + data;
      // Longer than a frame: first frame and consecutive frames.
      std::string out;
      std::snprintf(head, sizeof head, "%s 10 %02zX ", id, n);
      out = head + data.substr(0, 6 * 3 - 1);
      std::string rest = data.substr(6 * 3);
      for (int seq = 1; !rest.empty(); ++seq) {
        std::snprintf(head, sizeof head, "\r%s 2%X ", id, seq);
        const size_t take = std::min(rest.size(), size_t{7 * 3});
        out += head + rest.substr(0, take);
        rest = take < rest.size() ? rest.substr(take) : "";
        while (!out.empty() && out.back() == ' ') out.pop_back();
      }
      return out;
    };
    std::string out;
    if (e8.size() > 2) out += frame("7E8", e8);
    if (e9.size() > 2) out += (out.empty() ? "" : "\r") + frame("7E9", e9);
    return out.empty() ? "NO DATA" : out;
  }
  return "NO DATA";
}

TEST(ObdSession, CanCarWithTwoEcusReadWhole) {
  Harness h(CanCar);
  ObdOptions o;
  o.poll = true;
  h.run(o, 60);
  const ObdResults& r = h.session.results();
  EXPECT_EQ(h.session.failure(), ObdFailure::None) << h.session.failureText();
  // The set-up as written, then the search, then identification.
  ASSERT_GE(h.requests.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(h.requests.begin(), h.requests.begin() + 10),
            (std::vector<std::string>{"AT Z", "AT E0", "AT L0", "AT S1", "AT H1", "AT AT1",
                                      "AT SP 0", "01 00", "AT DPN", "AT RV"}));
  EXPECT_EQ(r.protocol, ObdProtocol::Can11_500);
  EXPECT_TRUE(r.protocolChosenByAdapter);
  EXPECT_EQ(r.voltage, 12.6);
  ASSERT_EQ(r.ecus.size(), 2u);
  EXPECT_EQ(r.ecus[0].id, 0x7E8u);
  EXPECT_EQ(r.ecus[1].id, 0x7E9u);
  EXPECT_EQ(r.ecus[0].vin, "1HGCM82633A004352");
  EXPECT_EQ(r.ecus[0].calibrationIds, std::vector<std::string>{"KALVEX-01"});
  // The engine's chain went on to 0x20 (bit 0x20 set), the gearbox's did not.
  EXPECT_EQ(h.asked["01 20"], 1);
  EXPECT_EQ(h.asked["01 40"], 0);
  ASSERT_TRUE(r.ecus[0].status);
  EXPECT_TRUE(r.mil());
  EXPECT_EQ(r.storedCount(), 2);
  // Stored P0301 P0171 and pending P0420; permanent refused (7F): none.
  ASSERT_TRUE(r.codesRead);
  std::vector<std::string> codes;
  for (const ObdCode& c : r.codes)
    codes.push_back(c.code + (c.kind == ObdCodeKind::Stored ? " stored" : " pending"));
  EXPECT_EQ(codes, (std::vector<std::string>{"P0301 stored", "P0171 stored", "P0420 pending"}));
  ASSERT_EQ(r.freezeFrames.size(), 1u);
  EXPECT_EQ(r.freezeFrames[0].code, "P0301");
  ASSERT_EQ(r.freezeFrames[0].pids.size(), 1u);
  EXPECT_EQ(r.freezeFrames[0].pids[0].pid, 0x0D);
  // Polling: the supported number PIDs, six at most a request, with the
  // count of ECUs that have any of them.
  EXPECT_EQ(h.session.pollPids(), (std::vector<uint8_t>{0x04, 0x05, 0x0C, 0x0D, 0x11}));
  EXPECT_EQ(h.asked["01 04 05 0C 0D 11 2"], h.polls() - 4);  // less 01 00 twice, 01 20, 01 01
  std::vector<std::string> columns;
  for (const ObdColumn& c : h.session.columns()) columns.push_back(c.name);
  EXPECT_EQ(columns, (std::vector<std::string>{"OBD_04", "OBD_05_7E8", "OBD_05_7E9", "OBD_0C",
                                               "OBD_0D_7E8", "OBD_0D_7E9", "OBD_11"}));
  const auto rpm = r.values.find({0x7E8, 0x0C});
  ASSERT_NE(rpm, r.values.end());
  EXPECT_DOUBLE_EQ(*rpm->second.value, 1726.0);
  EXPECT_DOUBLE_EQ(*r.values.at({0x7E9, 0x0D}).value, 0x31);
  EXPECT_DOUBLE_EQ(*r.values.at({0x7E8, 0x0D}).value, 0x32);
}

TEST(ObdSession, ChosenPidsOnlyAndPauseKept) {
  Harness h(CanCar);
  ObdOptions o;
  o.poll = true;
  o.readCodes = false;
  o.readInfo = false;
  o.pids = {0x0D, 0x0C, 0x2F};  // 0x2F: supported by nobody, left out
  o.pause = 100;
  h.run(o, 20);
  EXPECT_EQ(h.session.pollPids(), (std::vector<uint8_t>{0x0D, 0x0C}));
  EXPECT_GT(h.asked["01 0D 0C 2"], 3);
  // Each request waits the pause after the answer before it is written.
  for (size_t i = 12; i + 1 < h.port.writes.size(); ++i)
    EXPECT_GE(h.port.writes[i + 1].at - h.port.writes[i].at, 100 + h.answerDelay);
}

TEST(ObdSession, AdapterRefusingSeveralPidsFallsBackToOneAtATime) {
  Harness h([](const std::string& req) -> std::optional<std::string> {
    // An adapter that knows neither the count nor several PIDs.
    if (req.rfind("01 ", 0) == 0 && req.size() > 5) return "?";
    return CanCar(req);
  });
  ObdOptions o;
  o.poll = true;
  o.readCodes = false;
  o.readInfo = false;
  h.run(o, 40);
  EXPECT_FALSE(h.session.multiPid());
  EXPECT_EQ(h.asked["01 04 05 0C 0D 11 2"], 1);  // once, then never again
  EXPECT_GE(h.asked["01 0C"], 2);
  EXPECT_TRUE(h.session.results().values.count({0x7E8, 0x0C}));
}

// PIDs chosen by hand that the table does not know (0x65 here, which the
// car has): their answers cannot be split, so they are not polled, and the
// PIDs beside them are still read.
TEST(ObdSession, ChosenPidsTheTableDoesNotKnowAreLeftOut) {
  const struct {
    std::vector<uint8_t> chosen;
    std::vector<uint8_t> polled;
  } cases[] = {
      {{0x0C, 0x65, 0x0D}, {0x0C, 0x0D}},
      {{0x65, 0x0D}, {0x0D}},
      {{0x65}, {}},
  };
  for (const auto& c : cases) {
    Harness h([](const std::string& req) -> std::optional<std::string> {
      if (auto a = AdapterAnswer(req, "6")) return a;
      static const std::map<std::string, std::string> car = {
          {"01 00", "7E8 06 41 00 00 18 00 01"},  // 0C 0D, chain
          {"01 20", "7E8 06 41 20 00 00 00 01"},
          {"01 40", "7E8 06 41 40 00 00 00 01"},
          {"01 60", "7E8 06 41 60 08 00 00 00"},  // 65
          {"01 0C 65 0D 1", "7E8 10 09 41 0C 1A F8 65 03\r7E8 21 00 0D 32 00 00 00 00"},
          {"01 65 0D 1", "7E8 05 41 65 03 00 0D 32"},
          {"01 0C 0D 1", "7E8 06 41 0C 1A F8 0D 32"},
          {"01 0D 1", "7E8 03 41 0D 32"},
          {"01 65 1", "7E8 04 41 65 03 00"},
      };
      if (auto it = car.find(req); it != car.end()) return it->second;
      return "NO DATA";
    });
    ObdOptions o;
    o.protocol = ObdProtocol::Can11_500;
    o.poll = true;
    o.readCodes = o.readInfo = false;
    o.pids = c.chosen;
    h.run(o, 40);
    EXPECT_EQ(h.session.pollPids(), c.polled) << c.chosen.size();
    for (uint8_t pid : c.polled)
      EXPECT_TRUE(h.session.results().values.count({0x7E8, pid})) << std::hex << int{pid};
  }
}

// Cars that misbehave: each must end (or keep polling) without spinning.
struct BadCarCase {
  const char* name;
  std::function<std::optional<std::string>(const std::string&)> car;
  ObdFailure failure;
  size_t maxRequests;  // written before the session settles
};

std::optional<std::string> NegativeToAll(const std::string& req) {
  if (auto a = AdapterAnswer(req)) return a;
  if (req == "01 00") return "7E8 06 41 00 18 18 80 00";
  return "7E8 03 7F " + req.substr(0, 2) + " 11";
}

std::optional<std::string> ClaimsEverything(const std::string& req) {
  if (auto a = AdapterAnswer(req)) return a;
  if (req.size() == 5 && req.rfind("01 ", 0) == 0 &&
      std::string("02468ACE").find(req[3]) != std::string::npos && req[4] == '0')
    return "7E8 06 41 " + req.substr(3) + " FF FF FF FF";
  if (req.rfind("01 ", 0) == 0) return "NO DATA";
  return "NO DATA";
}

const BadCarCase kBadCars[] = {
    {"unable_to_connect",
     [](const std::string& req) -> std::optional<std::string> {
       if (auto a = AdapterAnswer(req)) return a;
       return "SEARCHING...\rUNABLE TO CONNECT";
     },
     ObdFailure::NoCar, 8},
    {"bus_init_error",
     [](const std::string& req) -> std::optional<std::string> {
       if (auto a = AdapterAnswer(req)) return a;
       return "BUS INIT: ...ERROR";
     },
     ObdFailure::NoCar, 8},
    {"no_data_to_the_first_request",
     [](const std::string& req) -> std::optional<std::string> {
       if (auto a = AdapterAnswer(req)) return a;
       return "NO DATA";
     },
     ObdFailure::NoCar, 8},
    {"no_adapter", [](const std::string&) -> std::optional<std::string> { return std::nullopt; },
     ObdFailure::NoAdapter, 1},
    {"adapter_gone_after_set_up",
     [](const std::string& req) -> std::optional<std::string> {
       if (req == "01 00") return "7E8 06 41 00 18 18 80 00";
       if (auto a = AdapterAnswer(req)) return a;
       return std::nullopt;
     },
     ObdFailure::AdapterLost, 14},
    {"negative_reply_to_everything", NegativeToAll, ObdFailure::None, 40},
    {"bitmap_claims_every_pid", ClaimsEverything, ObdFailure::None, 200},
};

class BadCars : public ::testing::TestWithParam<BadCarCase> {};

TEST_P(BadCars, EndCleanly) {
  const BadCarCase& c = GetParam();
  Harness h(c.car);
  ObdOptions o;
  o.poll = true;
  h.run(o, 400, 600'000);
  EXPECT_EQ(h.session.failure(), c.failure) << h.session.failureText();
  EXPECT_FALSE(h.session.running()) << "still running after " << h.requests.size();
  EXPECT_LE(h.requests.size(), c.maxRequests);
  EXPECT_FALSE(h.port.isOpen());
  if (c.failure != ObdFailure::None) {
    EXPECT_FALSE(h.session.failureText().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(ObdSession, BadCars, ::testing::ValuesIn(kBadCars),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ObdSession, BitmapClaimingEverythingStopsTheChainAtC0) {
  Harness h(ClaimsEverything);
  ObdOptions o;
  o.poll = true;
  o.readCodes = false;
  o.readInfo = false;
  h.run(o, 400, 600'000);
  for (const char* base : {"01 00", "01 20", "01 40", "01 60", "01 80", "01 A0", "01 C0"})
    EXPECT_EQ(h.asked[base], 1 + (std::string(base) == "01 00")) << base;
  EXPECT_EQ(h.asked["01 E0"], 0);
  // Every PID polled went unanswered and left the poll: the session ends.
  EXPECT_EQ(h.session.phase(), ObdPhase::Done);
  EXPECT_TRUE(h.session.pollPids().empty());
}

TEST(ObdSession, CarFallingSilentKeepsItsPidsAndIsReadAgain) {
  int polls = 0;
  Harness h([&polls](const std::string& req) -> std::optional<std::string> {
    // Ignition off for polls 5 to 40, then on again.
    if (req.rfind("01 0C", 0) == 0 && ++polls >= 5 && polls < 40) return "NO DATA";
    return CanCar(req);
  });
  ObdOptions o;
  o.poll = true;
  o.readCodes = o.readInfo = false;
  o.pids = {0x0C, 0x0D};
  h.run(o, 70);
  EXPECT_TRUE(h.session.running());
  EXPECT_EQ(h.session.pollPids(), (std::vector<uint8_t>{0x0C, 0x0D}));
  EXPECT_GT(polls, 45);
  EXPECT_GE(h.session.results().values.at({0x7E8, 0x0C}).at,
            h.port.writes[h.port.writes.size() - 5].at);
}

TEST(ObdSession, UnableToConnectIsQuick) {
  Harness h([](const std::string& req) -> std::optional<std::string> {
    if (auto a = AdapterAnswer(req)) return a;
    return "SEARCHING...\rUNABLE TO CONNECT";
  });
  h.run(ObdOptions{});
  EXPECT_EQ(h.session.failure(), ObdFailure::NoCar);
  EXPECT_NE(h.session.failureText().find("UNABLE TO CONNECT"), std::string::npos);
  EXPECT_LT(h.clock.now() - 1'000'000, 2000);
}

TEST(ObdSession, ResponsePendingIsWaitedForNotResent) {
  for (Millis late : {Millis{3000}, Millis{6000}}) {
    Harness* hp = nullptr;
    Harness h([&hp, late](const std::string& req) -> std::optional<std::string> {
      if (req == "09 02") {
        // "Wait": the answer comes after the prompt, `late` ms on.
        hp->late.emplace_back(hp->clock.now() + late,
                              "7E8 10 14 49 02 01 31 48 47\r7E8 21 43 4D 38 32 36 33 33\r"
                              "7E8 22 41 30 30 34 33 35 32\r\r>");
        return "7E8 03 7F 09 78";
      }
      return CanCar(req);
    });
    hp = &h;
    ObdOptions o;
    o.readCodes = false;
    h.run(o);
    EXPECT_EQ(h.asked["09 02"], 1) << late;
    EXPECT_EQ(h.session.phase(), ObdPhase::Done) << late;
    const ObdEcu* engine = h.session.results().ecu(0x7E8);
    ASSERT_NE(engine, nullptr);
    if (late < kObdPendingLimit)
      EXPECT_EQ(engine->vin, "1HGCM82633A004352");
    else
      EXPECT_FALSE(engine->vin);  // given up after the bound, the session went on
    EXPECT_EQ(h.asked["09 04"], 1) << late;
  }
}

TEST(ObdSession, RepliesTooShortOrTooLongForThePid) {
  Harness h([](const std::string& req) -> std::optional<std::string> {
    if (auto a = AdapterAnswer(req, "6")) return a;
    if (req == "01 00") return "7E8 06 41 00 00 18 00 00";  // 0C 0D
    if (req == "01 0C 0D 1") return "7E8 03 41 0C 1A";      // 0C short, 0D missing
    if (req == "01 0C") return "7E8 04 41 0C 1A F8";
    if (req == "01 0D") return "7E8 05 41 0D 32 00 00";  // a stray tail after 0D
    return "NO DATA";
  });
  ObdOptions o;
  o.protocol = ObdProtocol::Can11_500;
  o.poll = true;
  o.readCodes = o.readInfo = false;
  h.run(o, 30);
  const auto& v = h.session.results().values;
  EXPECT_FALSE(v.count({0x7E8, 0x0C}));  // never a value from a short reply
  EXPECT_FALSE(h.session.results().protocolChosenByAdapter);
}

TEST(ObdSession, ClearThenReadAgain) {
  std::map<std::string, int> seen;
  bool cleared = false;
  Harness h([&](const std::string& req) -> std::optional<std::string> {
    if (req == "04") {
      cleared = true;
      return "7E8 01 44";
    }
    if (cleared && req == "03") return "7E8 02 43 00";
    if (cleared && req == "01 01") return "7E8 06 41 01 00 07 65 04";
    return CanCar(req);
  });
  ObdOptions o;
  o.clear = true;
  o.readInfo = false;
  h.run(o);
  const ObdResults& r = h.session.results();
  EXPECT_EQ(r.clear, ObdClear::Done);
  EXPECT_EQ(h.asked["03"], 2);
  EXPECT_FALSE(r.mil());
  for (const ObdCode& c : r.codes) EXPECT_NE(c.kind, ObdCodeKind::Stored) << c.code;
  // The clear comes after the first read of the codes.
  const auto at = std::find(h.requests.begin(), h.requests.end(), "04");
  EXPECT_NE(std::find(h.requests.begin(), at, "03"), at);
}

// The codes read again while polling: an ECU that does not answer this
// time keeps the codes it gave (they were not read, not gone); an ECU that
// answers, even "none" or a refusal, has its codes replaced.
TEST(ObdSession, CodesOfAnEcuThatDidNotAnswerAreKept) {
  const struct {
    const char* name;
    std::optional<std::string> secondRead;  // the answer to the second "03"
    std::vector<std::string> stored;        // the stored codes after it
  } cases[] = {
      {"silence", std::nullopt, {"P0301", "P0171"}},
      {"can_error", "CAN ERROR", {"P0301", "P0171"}},
      {"no_data", "NO DATA", {"P0301", "P0171"}},
      {"only_the_gearbox_answers", "7E9 02 43 00", {"P0301", "P0171"}},
      {"engine_says_none", "7E8 02 43 00", {}},
      {"engine_refuses", "7E8 03 7F 03 22", {}},
  };
  for (const auto& c : cases) {
    int reads = 0;
    Harness h([&](const std::string& req) -> std::optional<std::string> {
      if (req == "03" && ++reads == 2) return c.secondRead;
      return CanCar(req);
    });
    std::vector<std::vector<std::string>> seen;  // the stored codes at each complete read
    h.session.onCodes = [&] {
      std::vector<std::string> stored;
      for (const ObdCode& code : h.session.results().codes)
        if (code.kind == ObdCodeKind::Stored) stored.push_back(code.code);
      seen.push_back(stored);
    };
    ObdOptions o;
    o.poll = true;
    o.readInfo = false;
    o.pids = {0x0D};
    o.codesEvery = 500;
    h.run(o, 60);
    ASSERT_GE(seen.size(), 2u) << c.name;
    EXPECT_EQ(seen[0], (std::vector<std::string>{"P0301", "P0171"})) << c.name;
    EXPECT_EQ(seen[1], c.stored) << c.name;
  }
}

// The freeze frame across a second read of the faults ("read again", or the
// read after a clear): replaced by what the ECU answers, kept when it says
// nothing, gone once the ECU confirmed a clear.
TEST(ObdSession, FreezeFrameAcrossASecondRead) {
  const struct {
    const char* name;
    bool clear;                              // the second read follows a clear
    std::optional<std::string> clearReply;   // the answer to "04"
    std::optional<std::string> secondFrame;  // the answer to the second "02 02 00"
    std::string code;                        // the frame's code after it; "" none
  } cases[] = {
      {"reread_silence", false, {}, std::nullopt, "P0301"},
      {"reread_no_data", false, {}, "NO DATA", "P0301"},
      {"reread_same", false, {}, "7E8 05 42 02 00 03 01", "P0301"},
      {"reread_other", false, {}, "7E8 05 42 02 00 01 71", "P0171"},
      {"reread_none_stored", false, {}, "7E8 05 42 02 00 00 00", ""},
      {"reread_refused", false, {}, "7E8 03 7F 02 12", ""},
      {"cleared_then_silence", true, "7E8 01 44", std::nullopt, ""},
      {"clear_refused_then_silence", true, "7E8 03 7F 04 22", std::nullopt, "P0301"},
      {"clear_unanswered_then_silence", true, "NO DATA", std::nullopt, "P0301"},
  };
  for (const auto& c : cases) {
    int frameReads = 0;
    Harness h([&](const std::string& req) -> std::optional<std::string> {
      if (req == "02 02 00" && ++frameReads == 2) return c.secondFrame;
      if (req == "04") return c.clearReply;
      return CanCar(req);
    });
    bool asked = false;
    h.session.onValues = [&](const auto&) {
      // Polling begins once the first read, freeze frame included, is done.
      if (!asked) asked = h.session.requestCodes(c.clear);
    };
    ObdOptions o;
    o.poll = true;
    o.readInfo = false;
    o.pids = {0x0D};
    h.run(o, 60);
    ASSERT_TRUE(asked) << c.name;
    ASSERT_EQ(frameReads, 2) << c.name;
    const std::vector<ObdFreezeFrame>& frames = h.session.results().freezeFrames;
    if (c.code.empty()) {
      EXPECT_TRUE(frames.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(frames.size(), 1u) << c.name;
    EXPECT_EQ(frames[0].code, c.code) << c.name;
    // Read twice, a kept frame still holds each PID once.
    ASSERT_EQ(frames[0].pids.size(), 1u) << c.name;
    EXPECT_EQ(frames[0].pids[0].pid, 0x0D) << c.name;
  }
}

// Codes a confirmed clear erased do not come back for want of an answer to
// the read after it; permanent codes are the ECU's to drop.
TEST(ObdSession, ConfirmedClearErasesWhatTheRereadMisses) {
  std::map<std::string, int> reads;
  Harness h([&](const std::string& req) -> std::optional<std::string> {
    if (req == "03" || req == "07") {
      if (++reads[req] > 1) return "NO DATA";
    }
    if (req == "0A") return "7E8 04 4A 01 04 20";
    return CanCar(req);
  });
  ObdOptions o;
  o.clear = true;
  o.readInfo = false;
  h.run(o);
  EXPECT_EQ(reads["03"], 2);
  EXPECT_EQ(h.session.results().clear, ObdClear::Done);
  std::vector<std::string> left;
  for (const ObdCode& c : h.session.results().codes) left.push_back(c.code);
  EXPECT_EQ(left, (std::vector<std::string>{"P0420"}));
}

TEST(ObdSession, ClearRefusedByTheEcu) {
  Harness h([](const std::string& req) -> std::optional<std::string> {
    if (req == "04") return "7E8 03 7F 04 22";
    return CanCar(req);
  });
  ObdOptions o;
  o.clear = true;
  o.readInfo = false;
  h.run(o);
  EXPECT_EQ(h.session.results().clear, ObdClear::Refused);
  EXPECT_EQ(h.session.results().clearRefusal, 0x22);
}

// K-line: one PID a request, no count, at least 55 ms between requests,
// codes three to a message joined, checksums checked.
std::optional<std::string> KLineCar(const std::string& req) {
  if (auto a = AdapterAnswer(req, "A5")) return a;
  static const std::map<std::string, std::string> car = {
      {"01 00", "86 F1 10 41 00 00 18 00 00 E0"},
      {"03", "87 F1 10 43 01 33 02 44 00 00 45\r87 F1 10 43 C1 23 00 00 00 00 AF"},
      {"01 0C", "84 F1 10 41 0C 1A F8 E4"},
      {"01 0D", "83 F1 10 41 0D 32 04"},
  };
  if (auto it = car.find(req); it != car.end()) return it->second;
  return "NO DATA";
}

TEST(ObdSession, KLineCar) {
  Harness h(KLineCar);
  ObdOptions o;
  o.poll = true;
  o.readInfo = false;
  o.pause = 20;
  h.run(o, 40);
  const ObdResults& r = h.session.results();
  EXPECT_EQ(r.protocol, ObdProtocol::KwpFast);
  ASSERT_EQ(r.ecus.size(), 1u);
  EXPECT_EQ(r.ecus[0].id, 0x10u);
  std::vector<std::string> codes;
  for (const ObdCode& c : r.codes) codes.push_back(c.code);
  EXPECT_EQ(codes, (std::vector<std::string>{"P0133", "P0244", "U0123"}));
  EXPECT_GE(h.asked["01 0C"], 2);
  EXPECT_EQ(h.asked["01 0C 0D"] + h.asked["01 0C 0D 1"], 0);
  EXPECT_DOUBLE_EQ(*r.values.at({0x10, 0x0C}).value, 1726.0);
  for (size_t i = 12; i + 1 < h.port.writes.size(); ++i)
    EXPECT_GE(h.port.writes[i + 1].at - h.port.writes[i].at, kKLineMinRequestPause);
}

// A peer answering one request under ever new ids (a Wi-Fi adapter gone
// wrong, or worse): the ECUs and values kept stay bounded, whichever request
// it floods, and the car's own ECUs are still read.
TEST(ObdSession, AnswersUnderEverNewIdsKeepTheResultsBounded) {
  const struct {
    const char* name;
    const char* flooded;  // the requests (by their start) answered under new ids too
  } cases[] = {
      {"bitmaps", "01 00"},
      {"readiness", "01 01"},
      {"vin", "09 02"},
      {"polls", "01 0D"},
  };
  for (const auto& c : cases) {
    int nextId = 0x100;
    Harness h([&](const std::string& req) -> std::optional<std::string> {
      std::optional<std::string> a = CanCar(req);
      if (!a || req.rfind(c.flooded, 0) != 0) return a;
      // The engine's lines again, under twenty ids never seen before.
      std::string engine;
      for (size_t at = 0; at < a->size();) {
        const size_t end = std::min(a->find('\r', at), a->size());
        if (a->compare(at, 3, "7E8") == 0) engine += a->substr(at + 3, end - at - 3) + "\n";
        at = end + 1;
      }
      std::string out = *a;
      for (int i = 0; i < 20 && nextId <= 0x7DF; ++i, ++nextId) {
        char id[8];
        std::snprintf(id, sizeof id, "%03X", nextId);
        for (size_t at = 0; at < engine.size();) {
          const size_t end = engine.find('\n', at);
          out += "\r" + std::string(id) + engine.substr(at, end - at);
          at = end + 1;
        }
      }
      return out;
    });
    ObdOptions o;
    o.poll = true;
    o.pids = {0x0D};
    h.run(o, 60);
    const ObdResults& r = h.session.results();
    EXPECT_GE(nextId, 0x100 + 20) << c.name << ": the flood never came";
    EXPECT_LE(r.ecus.size(), kObdMaxEcus) << c.name;
    ASSERT_TRUE(r.ecu(0x7E8)) << c.name;
    EXPECT_TRUE(r.values.count({0x7E8, 0x0D})) << c.name;
    size_t strays = 0;  // values of an ECU the results do not hold
    for (const auto& [key, value] : r.values) strays += r.ecu(key.first) == nullptr;
    EXPECT_EQ(strays, 0u) << c.name;
  }
}

TEST(ObdSession, PortThatDoesNotOpen) {
  Harness h(CanCar);
  h.port.failOpenWith = "Порт занят";
  h.run(ObdOptions{});
  EXPECT_EQ(h.session.failure(), ObdFailure::Port);
  EXPECT_EQ(h.session.failureText(), "Порт занят");
  EXPECT_TRUE(h.requests.empty());
}

// A Wi-Fi adapter's connect goes on behind the window: the session runs
// meanwhile, writes nothing, and ends the wait in each of its ways once.
TEST(ObdSession, OpenInTheBackgroundEachWayTheWaitEnds) {
  enum class End { Opened, Failed, Stopped, LimitPassed };
  struct Case {
    const char* name;
    End end;
    bool runs;  // the session runs afterwards
    ObdFailure failure;
    const char* failureText;  // as the port said it
    int cancelled;            // opens the port was told to give up
    const char* sent;         // the first write after the open's pause, or none
    int reports;              // onOpenFinished calls
  };
  const Case cases[] = {
      {"opened", End::Opened, true, ObdFailure::None, "", 0, "AT Z\r", 1},
      {"failed", End::Failed, false, ObdFailure::Port, "refused", 0, "", 1},
      {"stopped", End::Stopped, false, ObdFailure::None, "", 1, "", 0},
      {"limit", End::LimitPassed, false, ObdFailure::Port, "no answer in time", 1, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(CanCar);
    h.port.openLater = true;
    int reports = 0;
    h.session.onOpenFinished = [&] { ++reports; };
    ObdOptions o;
    o.openInBackground = true;
    h.session.start("tcp://127.0.0.1:35000", o);
    const Micros started = h.clock.nowMicros();
    ASSERT_TRUE(h.port.openPending());
    EXPECT_TRUE(h.session.running());
    EXPECT_TRUE(h.session.connecting());
    EXPECT_EQ(h.session.nextDeadlineMicros().value_or(-1), started + Micros{kOpenLimitMs} * 1000);
    h.clock.advance(800);
    h.session.onTimer();  // an early tick changes nothing
    EXPECT_TRUE(h.session.connecting());
    switch (c.end) {
      case End::Opened:
        h.port.finishOpen();
        break;
      case End::Failed:
        h.port.finishOpen("refused");
        break;
      case End::Stopped:
        h.session.stop();
        break;
      case End::LimitPassed:
        h.clock.setMicros(started + Micros{kOpenLimitMs} * 1000);
        h.session.onTimer();
        break;
    }
    h.port.finishOpen();  // a report after the wait was given up changes nothing
    EXPECT_FALSE(h.session.connecting());
    h.clock.advance(kObdOpenPause + 1);
    h.session.onTimer();
    EXPECT_EQ(h.session.running(), c.runs);
    EXPECT_EQ(h.session.failure(), c.failure);
    EXPECT_EQ(h.session.failureText(), c.failureText);
    EXPECT_EQ(h.port.cancelledOpens, c.cancelled);
    const std::string sent = h.port.writes.empty() ? ""
                                                   : std::string(h.port.writes[0].bytes.begin(),
                                                                 h.port.writes[0].bytes.end());
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(reports, c.reports);
  }
}

// A port that opens at once (a serial port, the demo's link) behaves in the
// background as it did in the foreground.
TEST(ObdSession, OpenInTheBackgroundThatEndsAtOnce) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "fails" : "opens");
    Harness h(CanCar);
    if (fails) h.port.failOpenWith = "Порт занят";
    int reports = 0;
    h.session.onOpenFinished = [&] { ++reports; };
    std::vector<ObdPhase> phases;
    h.session.onPhase = [&](ObdPhase p) { phases.push_back(p); };
    ObdOptions o;
    o.openInBackground = true;
    h.session.start("/dev/fake", o);
    EXPECT_FALSE(h.session.connecting());
    EXPECT_EQ(h.session.failure(), fails ? ObdFailure::Port : ObdFailure::None);
    EXPECT_EQ(phases, std::vector<ObdPhase>{fails ? ObdPhase::Failed : ObdPhase::SettingUp});
    EXPECT_EQ(reports, 0);
  }
}

}  // namespace
}  // namespace kalvex
