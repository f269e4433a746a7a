// Conformance of the session, the ELM327 driver, the Kesta-mini driver and the
// session log against the behaviour the program promises, checked from the
// outside: what goes onto the line, when, and what the window shows. The
// expected tables below are written out independently of the catalogue code.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "adapter/adapter_registry.h"
#include "catalogue/catalogue.h"
#include "link/port_discovery.h"
#include "support/session_harness.h"

namespace kalvex::test {
namespace {

namespace fs = std::filesystem;

// Every make and ECU type the registry holds: a new make is checked too.
int MakeCount() { return static_cast<int>(Makes().size()); }
int EcuCount(int make) { return static_cast<int>(EcuTypesOf(make).size()); }

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// A Kesta-mini line: the text, the sum of its characters modulo 256, CR.
std::string Framed(const std::string& text) {
  unsigned sum = 0;
  for (unsigned char c : text) sum += c;
  return text + static_cast<char>(sum & 0xFF) + '\r';
}

std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F)
      out.push_back(static_cast<char>(c));
    else
      out += "\\x" + std::string{"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
  }
  return out;
}

std::string Hex2(unsigned v) {
  static const char* d = "0123456789ABCDEF";
  return std::string{d[(v >> 4) & 15], d[v & 15]};
}

// Request numbers the first-request tables use, in both adapter forms.
struct Request {
  int number;
  const char* elm;
  const char* kesta;
};
constexpr Request kRequests[] = {
    {1, "21 06", "DD:02:2106"},
    {2, "18 00 FF 00", "DD:04:1800FF00"},
    {3, "14 FF 00", "DD:03:14FF00"},
    {6, "21 02", "DD:02:2102"},
    {10, "10 86", "DD:02:1086"},
    {11, "21 01", "DD:02:2101"},
    {12, "18 00 00 00", "DD:04:18000000"},
    {13, "22 00 01", "DD:03:220001"},
    {15, "21 00", "DD:02:2100"},
    {20, "22 00 11", "DD:03:220011"},
    {30, "21 20", "DD:02:2120"},
    {40, "2211010401", "DD:05:2211010401"},
    {50, "221101", "DD:03:221101"},
    {60, "21C08001", "DD:04:21C08001"},
};
std::string ElmText(int n) {
  for (const Request& r : kRequests)
    if (r.number == n) return r.elm;
  return "?";
}
std::string KestaText(int n) {
  for (const Request& r : kRequests)
    if (r.number == n) return r.kesta;
  return "?";
}

// ---- link parameters and first-request tables ----------------------------------

bool CanSessionType(int make, int ecu) {
  return (make == 0 && ecu == 6) || (make == 1 && ecu >= 7) || make == 11 ||
         (make == 10 && ecu == 1);
}
bool ElmOnCan(int make, int ecu) {  // "AT SP6" types
  return (make == 0 && ecu == 6) || (make == 1 && ecu >= 7) || make == 11 ||
         (make == 3 && ecu == 4);
}
unsigned Address(int make, int ecu) {
  switch (make) {
    case 0:
      return ecu == 4 ? 0x11 : 0x10;
    case 1:
      return ecu == 3 ? 0x0F : 0x11;
    case 2:
    case 5:
    case 6:
    case 8:
      return 0x11;
    case 7:
      return ecu == 1 ? 0x10 : ecu == 2 ? 0x17 : 0x11;
    case 16:
      return ecu == 0 ? 0x01 : 0x11;
    default:
      return 0x10;  // GAZ, UAZ, IZH, NISSAN, DAEWOO .. PEUGEOT
  }
}
bool Id7E7(int make, int ecu) { return (make == 1 && ecu == 7) || make == 11; }

// The first data requests of every ECU type: when the ELM327 set-up ends
// (LinkState 4 to 5), when a Kesta-mini confirms its CAN set-up line, after
// the start-communication reply (0xC1), and after the diagnostic session
// reply (0x50) on a data page and on the fault page. P: the request before
// stays; N: not a Kesta-mini CAN type. A make without rows fails the tests.
constexpr int P = -1;
constexpr int N = -2;
struct FirstRow {
  int make;
  std::vector<int> ecus;  // empty: every type
  int elm, kestaCan, afterStartCommunication, afterSessionData, afterSessionFaults;
};
// clang-format off
const std::vector<FirstRow> kFirstRequests = {
    {0,  {0, 1, 2, 3, 4, 5},        11, N,  11, 11, 12},
    {0,  {6},                       13, 13, 11, 13, 12},
    {1,  {0, 1, 2, 3},              1,  N,  10, 1,  2},
    {1,  {4, 5, 6},                 11, N,  10, 11, 2},
    {1,  {7, 11, 12},               6,  6,  10, 6,  2},
    {1,  {8, 9, 13},                11, 11, 10, 11, 2},
    {1,  {10},                      6,  6,  10, P,  2},
    {2,  {4},                       20, N,  20, 20, P},
    {2,  {},                        11, N,  11, 11, P},
    {3,  {4},                       13, N,  13, 13, 2},
    {3,  {},                        11, N,  11, 11, 2},
    {4,  {},                        11, N,  11, 11, 2},
    {5,  {},                        11, N,  11, 11, 2},
    {6,  {},                        11, N,  11, 11, 2},
    {7,  {2},                       30, N,  30, 30, 2},
    {7,  {},                        11, N,  11, 11, 2},
    {8,  {},                        11, N,  11, 11, 2},
    {9,  {},                        11, N,  11, 11, 2},
    {10, {0},                       40, N,  40, P,  P},
    {10, {1},                       50, 50, P,  P,  P},
    {11, {},                        6,  6,  6,  P,  P},
    {12, {},                        6,  N,  6,  P,  P},
    {13, {},                        6,  N,  6,  P,  P},
    {14, {},                        60, N,  60, P,  P},
    {15, {},                        60, N,  60, P,  P},
    {16, {},                        15, N,  15, P,  P},
};
// clang-format on

const FirstRow& FirstRequestsOf(int make, int ecu) {
  for (const FirstRow& r : kFirstRequests)
    if (r.make == make && (r.ecus.empty() || std::count(r.ecus.begin(), r.ecus.end(), ecu)))
      return r;
  ADD_FAILURE() << "no first-request row for make " << make << " ecu " << ecu;
  static const FirstRow kNone{-1, {}, 0, 0, 0, 0, 0};
  return kNone;
}
int OrPrev(int want, int prev) { return want == P ? prev : want; }
int FirstElm(int make, int ecu) { return FirstRequestsOf(make, ecu).elm; }
int FirstKestaCan(int make, int ecu) { return FirstRequestsOf(make, ecu).kestaCan; }
int AfterStartCommunication(int make, int ecu, int prev) {
  return OrPrev(FirstRequestsOf(make, ecu).afterStartCommunication, prev);
}
int AfterSessionStart(int make, int ecu, int page, int prev) {
  const FirstRow& r = FirstRequestsOf(make, ecu);
  return OrPrev(page == 1 ? r.afterSessionFaults : r.afterSessionData, prev);
}

std::vector<std::string> ExpectedElmSetUp(int make, int ecu) {
  if (ElmOnCan(make, ecu))
    return {"AT Z", "AT E1", "AT H0", "AT SP6", Id7E7(make, ecu) ? "AT SH7E7" : "AT SH7E0"};
  const std::string kHeader =
      "AT SH" + std::string(make == 16 ? "80" : "81") + Hex2(Address(make, ecu)) + "F1";
  return {"AT Z",
          "AT E1",
          "AT H0",
          "AT SP5",
          "AT IB10",
          kHeader,
          (make == 10 && ecu == 1) ? "AT SH7E0" : "AT SW00"};
}

std::string ExpectedStartLine(int make, int ecu) {
  if (CanSessionType(make, ecu))
    return std::string("DS:01:1T1P1 ") + (Id7E7(make, ecu) ? "FCE0" : "FC00") + " 1:81";
  return "DS:01:0T1P1 " + Hex2(Address(make, ecu)) + " F1 1:81";
}

// ---- driving helpers -------------------------------------------------------------

// Starts an ELM327 session and answers every AT line with its echo and OK.
// Returns the texts written (CR removed) up to the first line that is not an
// AT command; `gaps` gets the time from the click or reply to each write.
std::vector<std::string> ElmSetUp(SessionHarness& h, std::vector<Millis>* gaps = nullptr) {
  h.click();
  std::vector<std::string> out;
  Millis mark = h.clock.now();
  for (int i = 0; i < 12; ++i) {
    const size_t n = h.port.writes.size();
    if (!h.runUntilWrites(n + 1)) break;
    std::string t = Text(h.port.writes[n].bytes);
    if (gaps) gaps->push_back(h.port.writes[n].at - mark);
    if (t.empty() || t.back() != '\r') {
      out.push_back("<no CR>" + t);
      break;
    }
    t.pop_back();
    out.push_back(t);
    if (t.rfind("AT", 0) != 0) break;
    mark = h.clock.now();
    h.receive(t + "\rOK\r\r>");
  }
  return out;
}

// Kesta-mini: StartLine, "PS", and on K-line "DD:01:81" answered by C1.
// Returns the text of the last line written (frame removed).
std::string KestaToPolling(SessionHarness& h) {
  h.click();
  if (!h.runUntilWrites(1)) return "<none>";
  h.receive("PS\r");
  if (!h.runUntilWrites(2)) return "<none>";
  if (Text(h.port.writes[1].bytes) == Framed("DD:01:81")) {
    h.receive("PD:01:C1\r");
    if (!h.runUntilWrites(3)) return "<none>";
  }
  const std::string w = Text(h.port.writes.back().bytes);
  return w.size() >= 2 ? w.substr(0, w.size() - 2) : w;
}

std::string NextWrite(SessionHarness& h, Millis* after = nullptr) {
  const size_t n = h.port.writes.size();
  const Millis from = h.clock.now();
  if (!h.runUntilWrites(n + 1, 20000)) return "<none>";
  if (after) *after = h.port.writes[n].at - from;
  return Text(h.port.writes[n].bytes);
}

SessionHarness& Select(SessionHarness& h, int make, int ecu, int adapter, int page = 0) {
  h.view.make = make;
  h.view.ecu = ecu;
  h.view.adapter = adapter;
  h.view.page = page;
  return h;
}

std::vector<uint8_t> Resp(const SessionHarness& h, size_t n) {
  const auto& rb = h.controller.sessionState().response;
  std::vector<uint8_t> v;
  for (size_t i = 0; i < n; ++i) v.push_back(rb[i]);
  return v;
}

// ---- ELM327 set-up ---------------------------------------------------------------

TEST(ElmSetUp, EveryTypeSendsItsCommandsThenItsFirstRequest) {
  for (int make = 0; make < MakeCount(); ++make) {
    for (int ecu = 0; ecu < EcuCount(make); ++ecu) {
      SCOPED_TRACE(testing::Message() << "make " << make << " ecu " << ecu);
      SessionHarness h;
      Select(h, make, ecu, 0);
      std::vector<Millis> gaps;
      auto want = ExpectedElmSetUp(make, ecu);
      want.push_back(ElmText(FirstElm(make, ecu)));
      EXPECT_EQ(ElmSetUp(h, &gaps), want);
      // "AT Z" more than 300 ms after the open, every other line more than
      // 200 ms after the reply before it
      ASSERT_FALSE(gaps.empty());
      EXPECT_EQ(gaps[0], 301);
      for (size_t i = 1; i < gaps.size(); ++i) EXPECT_EQ(gaps[i], 201) << i;
      EXPECT_EQ(h.port.writes[0].bytes.size(), 5u);  // "AT Z" + CR
      EXPECT_EQ(h.controller.adapterState().linkState, 5);
    }
  }
}

TEST(ElmSetUp, NoMakeLeavesTheHeaderLineEmpty) {
  SessionHarness h;
  Select(h, -1, -1, 0);
  const std::vector<std::string> want = {"AT Z", "AT E1", "AT H0", "AT SP5", "AT IB10", ""};
  EXPECT_EQ(ElmSetUp(h), want);
  // the chip answers a lone CR without an AT echo: the same lone CR again
  h.receive("\r?\r\r>");
  EXPECT_EQ(NextWrite(h), "\r");
  EXPECT_EQ(h.controller.adapterState().linkState, 3);
}

TEST(ElmSetUp, LinkStateStepsAndWhatAdvancesThem) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  h.click();
  EXPECT_EQ(NextWrite(h), "AT Z\r");
  EXPECT_EQ(h.controller.adapterState().linkState, 0);
  // echo, three CRs, identification, two CRs, prompt
  h.receive("AT Z\r\r\rELM327 v2.1\r\r>");
  EXPECT_EQ(h.controller.adapterState().linkState, 11);
  EXPECT_EQ(NextWrite(h), "AT E1\r");
  // a reply without the echo does not advance: the same command again
  h.receive("OK\r\r>");
  EXPECT_EQ(h.controller.adapterState().linkState, 11);
  EXPECT_EQ(NextWrite(h), "AT E1\r");
  // a question mark after the echo still advances
  h.receive("AT E1\r?\r\r>");
  EXPECT_EQ(h.controller.adapterState().linkState, 12);
  EXPECT_EQ(NextWrite(h), "AT H0\r");
  // any "AT" line counts as the echo, whatever follows
  h.receive("ATXYZ>");
  EXPECT_EQ(h.controller.adapterState().linkState, 1);
  EXPECT_EQ(NextWrite(h), "AT SP5\r");
}

// ---- pauses, deferred input ------------------------------------------------------

TEST(Pauses, NothingIsWrittenAtExactlyThePause) {
  // The start line (after 300 ms), then one reply each: more than 200 ms.
  for (int adapter : {0, 1}) {
    SCOPED_TRACE(adapter);
    SessionHarness h;
    Select(h, 0, 0, adapter);
    h.click();
    h.advance(300);
    EXPECT_TRUE(h.port.writes.empty());
    h.advance(1);
    EXPECT_EQ(h.port.writes.size(), 1u);
    h.receive(adapter == 0 ? "AT Z\r>" : "PS\r");
    h.advance(200);
    EXPECT_EQ(h.port.writes.size(), 1u);
    h.advance(1);
    ASSERT_EQ(h.port.writes.size(), 2u);
    EXPECT_EQ(Text(h.port.writes[1].bytes), adapter == 0 ? "AT E1\r" : Framed("DD:01:81"));
  }
  // Kesta-mini: DTR on at the open, the start line more than 300 ms later.
  SessionHarness k;
  Select(k, 0, 0, 1);
  k.click();
  EXPECT_EQ(k.port.dtrChanges, std::vector<bool>{true});
  // In the data phase, for both adapters.
  SessionHarness e;
  Select(e, 0, 0, 0);
  ElmSetUp(e);
  e.receive("21 01\r61 01 00\r\r>");
  e.advance(200);
  const size_t n = e.port.writes.size();
  e.advance(1);
  EXPECT_EQ(e.port.writes.size(), n + 1);
}

// The ELM327 pauses after every event that leaves a line unfinished; the
// Kesta-mini only after the first part of a line.
TEST(Pauses, TwentyMillisecondsAfterUnfinishedEvents) {
  {
    SessionHarness h;
    Select(h, 0, 0, 0);
    ElmSetUp(h);
    const Millis t = h.clock.now();
    h.receive("21 01\r61");
    h.advance(21);
    h.receive(" 01");   // unfinished again: another 20 ms
    h.receive(" 0A>");  // waits for that pause
    NextWrite(h);
    EXPECT_EQ(h.port.writes.back().at - t, 21 + 21 + 201);
    EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0x0A}));
  }
  {
    SessionHarness h;
    Select(h, 0, 0, 1);
    KestaToPolling(h);
    const Millis t = h.clock.now();
    h.receive("PD:0");
    h.advance(21);
    h.receive("3:C1E");  // a continuation: no pause
    h.receive("F8F\r");
    NextWrite(h);
    EXPECT_EQ(h.port.writes.back().at - t, 21 + 201);
    EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0xC1, 0xEF, 0x8F}));
  }
}

TEST(Pauses, InputDuringAPendingWriteWaitsForTheWrite) {
  {  // ELM327: the echo of "AT E1" arrives before "AT E1" has been written
    SessionHarness h;
    Select(h, 0, 0, 0);
    h.click();
    NextWrite(h);
    h.receive("AT Z\r>");
    h.advance(100);
    h.receive("AT E1\rOK\r\r>");
    h.advance(50);
    EXPECT_EQ(h.controller.adapterState().linkState, 11);
    EXPECT_EQ(h.port.writes.size(), 1u);
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), "AT E1\r");
    EXPECT_EQ(after, 51);  // 201 after the first reply
    EXPECT_EQ(h.controller.adapterState().linkState, 12);
    EXPECT_EQ(NextWrite(h, &after), "AT H0\r");
    EXPECT_EQ(after, 201);
  }
  {  // Kesta-mini: C1 arrives while "DD:01:81" waits for its pause
    SessionHarness h;
    Select(h, 0, 0, 1);
    h.click();
    NextWrite(h);
    h.receive("PS\r");
    h.advance(50);
    h.receive("PD:01:C1\r");
    EXPECT_EQ(h.controller.sessionState().nextCommand, 0);
    EXPECT_EQ(NextWrite(h), Framed("DD:01:81"));
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), Framed("DD:02:2101"));
    EXPECT_EQ(after, 201);
  }
  {  // an ELM327 line in two parts: the second part waits out the 20 ms pause
    SessionHarness h;
    Select(h, 0, 0, 0);
    ElmSetUp(h);
    h.receive("21 01\r61 0");
    h.receive("1 0A\r\r>");
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), "21 01\r");
    EXPECT_EQ(after, 21 + 201);
    EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0x0A}));
  }
}

// ---- timers ----------------------------------------------------------------------

TEST(Timers, Timer2RepeatsTheStartEveryTwoSeconds) {
  {  // ELM327: "AT Z" at once, LinkState 0, NextCommand 0
    SessionHarness h;
    Select(h, 0, 0, 0);
    h.click();
    NextWrite(h);
    EXPECT_TRUE(h.controller.timer2Enabled());
    h.advance(1999);
    EXPECT_EQ(h.port.writes.size(), 1u);
    h.advance(1);
    ASSERT_EQ(h.port.writes.size(), 2u);
    EXPECT_EQ(Text(h.port.writes[1].bytes), "AT Z\r");
    h.advance(2000);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.controller.adapterState().linkState, 0);
    // the first reply line stops it, even one that is not an echo
    h.receive("?\r>");
    EXPECT_FALSE(h.controller.timer2Enabled());
    EXPECT_EQ(h.controller.adapterState().linkState, 0);
  }
  {  // Kesta-mini: "81" framed, never the start line again
    SessionHarness h;
    Select(h, 0, 0, 1);
    h.click();
    NextWrite(h);
    h.advance(2000);
    h.advance(2000);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[1].bytes, (std::vector<uint8_t>{'8', '1', 0x69, 0x0D}));
    EXPECT_EQ(h.port.writes[2].bytes, (std::vector<uint8_t>{'8', '1', 0x69, 0x0D}));
    EXPECT_EQ(h.controller.sessionState().nextCommand, 0);
    h.receive("PS\r");
    EXPECT_FALSE(h.controller.timer2Enabled());
    EXPECT_EQ(NextWrite(h), Framed("DD:01:81"));
    h.advance(5000);
  }
}

TEST(Timers, Timer3WritesOnceMoreAfterOneSecond) {
  struct Row {
    const char* name;
    int make, ecu, adapter;
    int answered;      // ELM: set-up lines answered; -1: up to the data phase
    std::string want;  // what the retry writes
  };
  const Row rows[] = {
      {"ELM set-up AT E1", 0, 0, 0, 1, "AT E1\r"},
      {"ELM CAN header", 0, 6, 0, 4, "AT SH7E0\r"},
      {"ELM data request", 0, 0, 0, -1, "21 01\r"},
      {"Kesta StartCommunication", 0, 0, 1, 1, Framed("DD:01:81")},
      {"Kesta data request", 0, 0, 1, -1, Framed("DD:02:2101")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SessionHarness h;
    Select(h, r.make, r.ecu, r.adapter);
    if (r.answered < 0) {
      if (r.adapter == 0)
        ElmSetUp(h);
      else
        KestaToPolling(h);
    } else {
      h.click();
      NextWrite(h);
      for (int i = 0; i < r.answered; ++i) {
        if (r.adapter == 1) {
          h.receive("PS\r");
        } else {
          std::string t = Text(h.port.writes.back().bytes);
          t.pop_back();
          h.receive(t + "\rOK\r\r>");
        }
        NextWrite(h);
      }
    }
    ASSERT_TRUE(h.controller.timer3Enabled());
    const size_t n = h.port.writes.size();
    const Millis sent = h.port.writes.back().at;
    EXPECT_EQ(Text(h.port.writes.back().bytes), r.want);
    h.advance(1200);
    EXPECT_EQ(h.port.writes.size(), n);
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), r.want);
    EXPECT_EQ(h.port.writes.back().at - sent, 1201);
    EXPECT_FALSE(h.controller.timer3Enabled());
    h.advance(8000);  // retried once only
    EXPECT_EQ(h.port.writes.size(), n + 1);
  }
}

// The retry in LinkState 5 takes the text of NextCommand afresh: a LADA clear
// click while "21 01" is unanswered makes the retry the clear request.
TEST(Timers, RetryRebuildsTheRequestFromNextCommand) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  ElmSetUp(h);
  h.controller.clearFaults();
  h.advance(1200);
  EXPECT_EQ(NextWrite(h), "14 FF 00\r");
  // the retry's own echo is the one removed from its reply
  h.receive("14 FF 00\r54 FF 00\r\r>");
  EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x54, 0xFF, 0x00}));
  EXPECT_EQ(NextWrite(h), "18 00 00 00\r");

  SessionHarness k;
  Select(k, 0, 0, 1);
  KestaToPolling(k);
  k.controller.clearFaults();
  k.advance(1200);
  EXPECT_EQ(NextWrite(k), Framed("DD:03:14FF00"));
}

TEST(Timers, Timer1AndTheStatusLabel) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  EXPECT_EQ(h.view.status, kStatusNoLink);
  ElmSetUp(h);  // about 2 s of set-up
  h.receive("21 01\r61 01 00\r\r>");
  EXPECT_EQ(h.view.status, kStatusLinked);
  // the AT echoes did not count as accepted responses
  EXPECT_EQ(std::count(h.view.statusHistory.begin(), h.view.statusHistory.end(),
                       std::string(kStatusLinked)),
            1);
  h.click();  // stop: the port is closed, so no link at once; Timer1 goes on ticking
  EXPECT_EQ(h.view.status, kStatusNoLink);
  h.advance(10000);
  EXPECT_EQ(h.view.status, kStatusNoLink);
}

// ---- ELM327 lines in LinkState 5 -------------------------------------------------

enum class Outcome { Accept, Resend, Retry };

TEST(ElmReplies, WhatEachLineLeadsTo) {
  struct Row {
    std::string reply;
    Outcome outcome;
    std::vector<uint8_t> bytes;  // Accept: ResponseBytes, the rest 0
  };
  const std::string nul("\0", 1);
  const Row rows[] = {
      {"21 01\r61 01 0A 0B\r\r>", Outcome::Accept, {0x61, 0x01, 0x0A, 0x0B}},
      {"21 01\r\n61 01\r\n\r\n>", Outcome::Accept, {0x61, 0x01}},
      {"21 01\r61" + nul + " 01\r>", Outcome::Accept, {0x61, 0x01}},
      // an odd digit at the end stores nothing
      {"21 01\r61 0\r>", Outcome::Accept, {0x61}},
      // a pair that is not two hex digits stores nothing and the parse
      // stays there: everything after the ':' reads as 0
      {"21 01\r61:01 0A\r>", Outcome::Accept, {0x61}},
      // lower-case letters are not kept by the filter
      {"21 01\r61 0a\r>", Outcome::Accept, {0x61}},
      // a negative reply is accepted and changes nothing
      {"21 01\r7F 21 12\r\r>", Outcome::Accept, {0x7F, 0x21, 0x12}},
      {"21 01\r5F\r>", Outcome::Accept, {0x5F}},
      {"21 01\r9A\r>", Outcome::Accept, {0x9A}},
      // error and status texts keep only hexadecimal letters
      {"21 01\rNO DATA\r\r>", Outcome::Retry, {}},
      {"21 01\rSTOPPED\r\r>", Outcome::Retry, {}},
      {"21 01\rSEARCHING...\r\r>", Outcome::Retry, {}},
      {"21 01\rBUS INIT: ...ERROR\r\r>", Outcome::Retry, {}},
      {"21 01\rCAN ERROR\r\r>", Outcome::Retry, {}},
      {"21 01\rBUFFER FULL\r\r>", Outcome::Retry, {}},
      {"21 01\rDATA ERROR\r\r>", Outcome::Retry, {}},
      // positive 0xC1 / 0xC2 replies are not accepted over the ELM327
      {"21 01\rC1 EF 8F\r\r>", Outcome::Retry, {}},
      {"21 01\rC2\r\r>", Outcome::Retry, {}},
      // only the prompt is left: one retry after 1 s
      {"21 01\r\r>", Outcome::Retry, {}},
      {"?\r\r>", Outcome::Retry, {}},
      {"21 01\r?\r\r>", Outcome::Retry, {}},
      {"21>", Outcome::Retry, {}},
      // "A" after filtering, an AT line, "1".."4" left after the echo, ":",
      // and "0" without CAN: the same request at once
      {"21 01\rUNABLE TO CONNECT\r\r>", Outcome::Resend, {}},
      {"AT Z\r>", Outcome::Resend, {}},
      {"A1 01\r>", Outcome::Resend, {}},
      {"21 01\r41 00\r>", Outcome::Resend, {}},
      {"21 01\r:12\r>", Outcome::Resend, {}},
      {"21 01\r010\r0: 61 01 00 00 00 00\r>", Outcome::Resend, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << '"' << Printable(r.reply) << '"');
    SessionHarness h;
    Select(h, 0, 0, 0);
    ASSERT_EQ(ElmSetUp(h).back(), "21 01");
    const size_t n = h.port.writes.size();
    h.receive(r.reply);
    EXPECT_EQ(h.controller.adapterState().linkState, 5);
    EXPECT_EQ(h.controller.sessionState().nextCommand, 11);
    switch (r.outcome) {
      case Outcome::Accept: {
        EXPECT_EQ(h.view.status, kStatusLinked);
        EXPECT_EQ(Resp(h, r.bytes.size() + 4), [&] {
          auto v = r.bytes;
          v.resize(r.bytes.size() + 4, 0);
          return v;
        }());
        Millis after = 0;
        EXPECT_EQ(NextWrite(h, &after), "21 01\r");
        EXPECT_EQ(after, 201);
        break;
      }
      case Outcome::Resend: {
        EXPECT_EQ(h.view.status, kStatusNoLink);
        Millis after = 0;
        EXPECT_EQ(NextWrite(h, &after), "21 01\r");
        EXPECT_EQ(after, 201);
        break;
      }
      case Outcome::Retry: {
        EXPECT_EQ(h.view.status, kStatusNoLink);
        h.advance(1000);
        EXPECT_EQ(h.port.writes.size(), n);
        EXPECT_TRUE(h.controller.timer3Enabled());
        Millis after = 0;
        EXPECT_EQ(NextWrite(h, &after), "21 01\r");
        EXPECT_EQ(after, 201);  // 1201 after the reply
        break;
      }
    }
  }
}

TEST(ElmReplies, TwoRepliesInOneEventAndAReplyCarriedOver) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  ElmSetUp(h);
  // a late reply and the reply to its retry: the newest is handled, one send
  h.receive("21 01\r61 01 11\r\r>21 01\r61 01 22\r\r>");
  EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0x22}));
  const size_t n = h.port.writes.size();
  h.advance(1200);  // before the Timer3 retry of that send
  EXPECT_EQ(h.port.writes.size(), n + 1);
  // the start of the next line stays for the next event
  h.receive("21 01\r61 01 33\r\r>21 01\r61 0");
  EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0x33}));
  h.advance(300);
  h.receive("1 44\r\r>");
  EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0x44}));
}

TEST(ElmReplies, AnErrorAnsweredAgainIsRetriedAgain) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  ElmSetUp(h);
  for (int i = 0; i < 3; ++i) {
    h.receive("21 01\rNO DATA\r\r>");
    h.advance(1000);
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), "21 01\r");
    EXPECT_EQ(after, 201);
  }
}

TEST(ElmReplies, ResponseBytesStartFromZeroAtEveryEvent) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  ElmSetUp(h);
  h.receive("21 01\r61 01 AA BB CC DD\r\r>");
  NextWrite(h);
  h.receive("21 01\r61 01\r\r>");
  EXPECT_EQ(Resp(h, 6), (std::vector<uint8_t>{0x61, 0x01, 0, 0, 0, 0}));

  SessionHarness k;
  Select(k, 0, 0, 1);
  KestaToPolling(k);
  k.receive("PD:06:6101AABBCCDD\r");
  NextWrite(k);
  k.receive("PD:02:6101\r");
  EXPECT_EQ(Resp(k, 6), (std::vector<uint8_t>{0x61, 0x01, 0, 0, 0, 0}));
}

TEST(ElmReplies, EightHundredBytesWithoutAPromptAreDropped) {
  for (size_t junk : {799u, 800u}) {
    SCOPED_TRACE(junk);
    SessionHarness h;
    Select(h, 0, 0, 0);
    h.click();
    NextWrite(h);
    h.receive(std::string(junk, 'x'));
    h.advance(21);
    h.receive("AT Z\r>");
    h.advance(1000);
    if (junk == 799) {
      // the line begins with the junk, so it is not an echo: a lone CR again
      ASSERT_EQ(h.port.writes.size(), 2u);
      EXPECT_EQ(Text(h.port.writes[1].bytes), "\r");
      EXPECT_EQ(h.controller.adapterState().linkState, 0);
    } else {
      // everything held and the bytes just read are gone; nothing is sent
      EXPECT_EQ(h.port.writes.size(), 1u);
      h.receive("AT Z\r>");  // the next line starts clean
      EXPECT_EQ(h.controller.adapterState().linkState, 11);
      EXPECT_EQ(NextWrite(h), "AT E1\r");
    }
  }
}

TEST(ElmReplies, OversizeEventsNeverOverrun) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  h.click();
  NextWrite(h);
  h.port.announce(1u << 20);
  h.receive(std::string(5000, '6'));
  h.advance(100);
  h.receive(std::string(3000, '1') + ">");
  h.advance(100);
  h.port.announce(std::nullopt);
  h.advance(3000);
  h.receive("AT Z\r>");
  h.advance(300);
  EXPECT_TRUE(h.controller.running());
  EXPECT_EQ(h.controller.adapterState().linkState, 11);
  // 799 bytes held, then a full ReadBuffer with the prompt at its end
  h.receive(std::string(799, 'y'));
  h.advance(30);
  h.receive(std::string(1023, 'z') + ">");
  h.advance(3000);
  h.receive("AT E1\r>");
  h.advance(300);
  EXPECT_TRUE(h.controller.running());
}

// ---- CAN multi-frame replies -----------------------------------------------------

std::string Frames(const std::vector<uint8_t>& bytes, const char* count) {
  std::string s = std::string(count) + "\r";
  size_t i = 0;
  for (int f = 0; i < bytes.size(); ++f) {
    s += "0123456789ABCDEF"[f & 15];
    s += ":";
    for (size_t k = 0; k < (f == 0 ? 6u : 7u) && i < bytes.size(); ++k, ++i)
      s += " " + Hex2(bytes[i]);
    s += "\r";
  }
  return s + "\r>";
}

std::vector<uint8_t> Seq(uint8_t first, uint8_t second, size_t n) {
  std::vector<uint8_t> v = {first, second};
  for (size_t i = 2; i < n; ++i) v.push_back(static_cast<uint8_t>(0x10 + i));
  return v;
}

TEST(MultiFrame, EveryByteOfTheReplyArrives) {
  struct Row {
    const char* name;
    int make, ecu;
    std::string echo;
    std::string reply;
    std::vector<uint8_t> want;
  };
  const std::vector<uint8_t> ex13 = {0x62, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44,
                                     0x55, 0x66, 0x77, 0x88, 0x99, 0x00};
  const auto b14 = Seq(0x62, 0x00, 14);
  auto p14 = b14;
  p14.resize(20, 0xAA);
  const auto b56 = Seq(0x61, 0x02, 56);
  const auto b25 = Seq(0x62, 0x00, 25);
  const auto b255 = Seq(0x61, 0x02, 255);
  const Row rows[] = {
      {"the 13-byte example", 0, 6, "22 00 01",
       "013\r0: 62 00 01 11 22 33\r1: 44 55 66 77 88 99 00\r\r>", ex13},
      {"14 bytes", 0, 6, "22 00 01", Frames(b14, "00E"), b14},
      // the chip shows the last frame whole, filler bytes included
      {"14 bytes, last frame padded", 0, 6, "22 00 01", Frames(p14, "00E"), b14},
      {"25 bytes", 0, 6, "22 00 01", Frames(b25, "019"), b25},
      {"56 bytes to a four-character request (KIA)", 11, 0, "21 02", Frames(b56, "038"), b56},
      {"56 bytes, HYUNDAI 7", 1, 7, "21 02", Frames(b56, "038"), b56},
      // 37 frames: the frame digit wraps after F
      {"255 bytes", 11, 1, "21 02", Frames(b255, "0FF"), b255},
      {"a short CAN reply in one frame",
       0,
       6,
       "22 00 01",
       "62 00 01 7B\r\r>",
       {0x62, 0x00, 0x01, 0x7B}},
      // NISSAN 1: K-line headers, but a CAN session
      {"NISSAN 1", 10, 1, "221101", Frames(b14, "00E"), b14},
      // GAZ 4 runs on CAN through the ELM327 without CanSession
      {"GAZ 4", 3, 4, "22 00 01", Frames(b14, "00E"), b14},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SessionHarness h;
    Select(h, r.make, r.ecu, 0);
    ASSERT_EQ(ElmSetUp(h).back(), r.echo);
    h.receive(r.echo + "\r" + r.reply);
    EXPECT_EQ(h.view.status, kStatusLinked);
    EXPECT_EQ(Resp(h, r.want.size()), r.want);
    EXPECT_EQ(NextWrite(h).substr(0, 2), r.echo.substr(0, 2));
  }
}

// LADA type 6 reads B[19] to B[24], which sit in the fourth frame of its
// 25-byte reply.
TEST(MultiFrame, LadaCanGaugesFromTheLastFrame) {
  std::vector<uint8_t> b(25, 0);
  b[0] = 0x62;
  b[2] = 0x01;
  b[4] = 140;   // VS_Ub 14.0
  b[6] = 164;   // VS_TOG 164 * 0.75 - 48 = 75
  b[7] = 0x0B;  // W(7,8) = 3000: VI_Nmot 750, VS_Nmot 7.5
  b[8] = 0xB8;
  b[9] = 6;      // speed Round(7.5) = 8
  b[19] = 0x01;  // W(19,20) = 300: VS_MRV 30
  b[20] = 0x2C;
  b[24] = 100;  // VS_TANS 27
  SessionHarness h;
  Select(h, 0, 6, 0);
  ElmSetUp(h);
  h.receive("22 00 01\r" + Frames(b, "019"));
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_Ub), 14.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_TOG), 75.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VI_Nmot), 750.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_Nmot), 7.5f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_Speed), 8.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_MRV), 30.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_TANS), 27.0f);
  EXPECT_EQ(NextWrite(h), "22 00 01\r");
}

TEST(MultiFrame, ABrokenCountIsRetriedLater) {
  SessionHarness h;
  Select(h, 0, 6, 0);
  ElmSetUp(h);
  const size_t n = h.port.writes.size();
  h.receive("22 00 01\r0:11 22\r1:33\r>");  // the count is missing
  EXPECT_EQ(h.view.status, kStatusNoLink);
  h.advance(1000);
  EXPECT_EQ(h.port.writes.size(), n);
  EXPECT_EQ(NextWrite(h), "22 00 01\r");
}

// ---- Kesta-mini ------------------------------------------------------------------

TEST(Kesta, StartLineAndTheRequestAfterPsForEveryType) {
  for (int make = 0; make < MakeCount(); ++make) {
    for (int ecu = 0; ecu < EcuCount(make); ++ecu) {
      SCOPED_TRACE(testing::Message() << "make " << make << " ecu " << ecu);
      SessionHarness h;
      Select(h, make, ecu, 1);
      h.click();
      ASSERT_EQ(NextWrite(h), Framed(ExpectedStartLine(make, ecu)));
      h.receive("PS\r");
      if (CanSessionType(make, ecu)) {
        EXPECT_EQ(NextWrite(h), Framed(KestaText(FirstKestaCan(make, ecu))));
        // an unasked C1 in a CAN session takes the request after the start-communication reply
        h.receive("PD:01:C1\r");
        const int want = AfterStartCommunication(make, ecu, FirstKestaCan(make, ecu));
        EXPECT_EQ(NextWrite(h), Framed(KestaText(want)));
      } else {
        EXPECT_EQ(NextWrite(h), Framed("DD:01:81"));
        h.receive("PD:01:C1\r");
        EXPECT_EQ(NextWrite(h), Framed(KestaText(AfterStartCommunication(make, ecu, 0))));
      }
    }
  }
}

TEST(Kesta, SetUpLinesByteForByte) {
  struct Row {
    int make, ecu;
    std::string bytes;
  };
  const Row rows[] = {
      {0, 0, "DS:01:0T1P1 10 F1 1:81\xAE\r"},    // 24 bytes
      {0, 6, "DS:01:1T1P1 FC00 1:81\xA0\r"},     // 23 bytes
      {-1, -1, "DS:01:0T1P1 10 F1 1:81\xAE\r"},  // no make: address 0x10
  };
  for (const Row& r : rows) {
    SessionHarness h;
    Select(h, r.make, r.ecu, 1);
    h.click();
    EXPECT_EQ(NextWrite(h), r.bytes);
  }
  EXPECT_EQ(Framed("DD:02:2101"), std::string("DD:02:2101\x22\r"));
}

TEST(Kesta, SessionStartReplyOnBothPagesForEveryType) {
  for (int page : {0, 1}) {
    for (int make = 0; make < MakeCount(); ++make) {
      for (int ecu = 0; ecu < EcuCount(make); ++ecu) {
        SCOPED_TRACE(testing::Message() << "make " << make << " ecu " << ecu << " page " << page);
        SessionHarness h;
        Select(h, make, ecu, 1, page);
        const int prev = CanSessionType(make, ecu) ? FirstKestaCan(make, ecu)
                                                   : AfterStartCommunication(make, ecu, 0);
        ASSERT_EQ(KestaToPolling(h), KestaText(prev));
        h.receive("PD:02:5086\r");
        EXPECT_EQ(NextWrite(h), Framed(KestaText(AfterSessionStart(make, ecu, page, prev))));
      }
    }
  }
}

TEST(Kesta, HyundaiKLineGoesThroughTheDiagnosticSession) {
  for (int page : {0, 1}) {
    SessionHarness h;
    Select(h, 1, 5, 1, page);
    EXPECT_EQ(KestaToPolling(h), "DD:02:1086");
    h.receive("PD:02:5086\r");
    EXPECT_EQ(NextWrite(h), Framed(page == 1 ? "DD:04:1800FF00" : "DD:02:2101"));
  }
}

TEST(Kesta, PdLines) {
  struct Row {
    std::string line;
    bool accepted;
    std::vector<uint8_t> bytes;
  };
  std::string p128 = "PD:80:", p255 = "PD:FF:";
  std::vector<uint8_t> b128, b255;
  for (int i = 0; i < 255; ++i) {
    const uint8_t v = static_cast<uint8_t>(0x61 + i);
    if (i < 128) {
      p128 += Hex2(v);
      b128.push_back(v);
    }
    p255 += Hex2(v);
    b255.push_back(v);
  }
  const Row rows[] = {
      {"PD:03:C1EF8F", true, {0xC1, 0xEF, 0x8F}},
      {"PD:03:c1ef8f", true, {0xC1, 0xEF, 0x8F}},
      {"PDx03yC1EF8F", true, {0xC1, 0xEF, 0x8F}},   // separators are not checked
      {"PD:01:C1EF8F", true, {0xC1}},               // pairs after the count are ignored
      {"PD:05:C1EF", true, {0xC1, 0xEF, 0, 0, 0}},  // fewer pairs than the count
      {"PD:03:C1 EF8F", true, {0xC1, 0, 0}},        // a pair below "0" stops the parse
      {"PD:00:", true, {}},
      {p128, true, b128},  // counts of 126 and more
      {p255, true, b255},
      {"PS garbage", false, {}},
      {"XYZ", false, {}},
      {"P", false, {}},
      {"", false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line.substr(0, 20));
    SessionHarness h;
    Select(h, 0, 0, 1);
    ASSERT_EQ(KestaToPolling(h), "DD:02:2101");
    h.view.status = kStatusNoLink;
    h.receive(r.line + "\r");
    EXPECT_EQ(h.view.status, r.accepted ? kStatusLinked : kStatusNoLink);
    if (r.accepted) {
      auto want = r.bytes;
      want.resize(r.bytes.size() + 3, 0);
      EXPECT_EQ(Resp(h, want.size()), want);
    }
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), Framed("DD:02:2101"));
    EXPECT_EQ(after, 201);
    EXPECT_TRUE(h.view.errors.empty());
  }
}

TEST(Kesta, NonHexadecimalPdIsReportedOnceAndResent) {
  struct Row {
    std::string line, error;
  };
  const Row rows[] = {
      {"PD:02:C1GZ", "'$GZ' is not a valid integer value"},
      {"PD:XY:C1", "'$XY' is not a valid integer value"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    SessionHarness h;
    Select(h, 0, 0, 1);
    KestaToPolling(h);
    h.view.status = kStatusNoLink;
    for (int i = 0; i < 3; ++i) {
      h.receive(r.line + "\r");
      EXPECT_EQ(h.view.status, kStatusNoLink);
      Millis after = 0;
      EXPECT_EQ(NextWrite(h, &after), Framed("DD:02:2101"));
      EXPECT_EQ(after, 201);
    }
    EXPECT_EQ(h.view.errors, std::vector<std::string>{r.error});
    EXPECT_TRUE(h.controller.running());
  }
}

TEST(Kesta, LinesSplitOrJoinedAcrossEvents) {
  {  // three events; the 20 ms pause only after the first part
    SessionHarness h;
    Select(h, 0, 0, 1);
    KestaToPolling(h);
    h.receive("PD:0");
    h.receive("3:C1E");
    h.receive("F8F\r");
    Millis after = 0;
    EXPECT_EQ(NextWrite(h, &after), Framed("DD:02:2101"));
    EXPECT_EQ(after, 21 + 201);
    EXPECT_EQ(Resp(h, 4), (std::vector<uint8_t>{0xC1, 0xEF, 0x8F, 0}));
  }
  {  // the start of a second line in the same event is lost
    SessionHarness h;
    Select(h, 0, 0, 1);
    KestaToPolling(h);
    h.receive("PD:01:C1\rPD:0");
    EXPECT_EQ(NextWrite(h), Framed("DD:02:2101"));
    h.view.status = kStatusNoLink;
    h.receive("3:C1EF8F\r");
    EXPECT_EQ(h.view.status, kStatusNoLink);
    EXPECT_EQ(NextWrite(h), Framed("DD:02:2101"));
  }
  {  // an oversize line is dropped and the next one starts clean
    SessionHarness h;
    Select(h, 0, 0, 1);
    KestaToPolling(h);
    h.port.announce(1u << 16);
    h.receive("PD:02:" + std::string(1500, 'A'));
    h.advance(30);
    h.port.announce(std::nullopt);
    h.receive(std::string(700, 'B') + "\r");
    h.advance(30);
    h.receive("PD:02:6101\r");
    EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0}));
  }
}

// With NextCommand 0 the send step writes the pending line, which only a
// "PS" line sets; after any other line it is the empty request.
TEST(Kesta, SendStepWithNoRequestChosen) {
  for (const char* line : {"PD:03:7F8112", "XYZ"}) {
    SCOPED_TRACE(line);
    SessionHarness h;
    Select(h, 0, 0, 1);
    h.click();
    NextWrite(h);
    h.receive("PS\r");
    ASSERT_EQ(NextWrite(h), Framed("DD:01:81"));
    h.receive(std::string(line) + "\r");
    EXPECT_EQ(NextWrite(h), std::string("\x00\r", 2));
  }
}

TEST(Kesta, OnlyTheFirstTwoCharactersMakeAPsLine) {
  struct Row {
    const char* line;
    bool ps;
  };
  const Row rows[] = {{"PS", true},  {"PS:01", true}, {"PSxyz 1", true},
                      {"pS", false}, {"SP", false},   {"P", false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    SessionHarness h;
    Select(h, 0, 0, 1);
    h.click();
    NextWrite(h);
    h.receive(std::string(r.line) + "\r");
    EXPECT_EQ(NextWrite(h), r.ps ? Framed("DD:01:81") : std::string("\x00\r", 2));
  }
}

TEST(Kesta, AWriteAbandonsAHalfReceivedLine) {
  SessionHarness h;
  Select(h, 0, 0, 1);
  KestaToPolling(h);
  h.receive("PD:0");  // the rest never comes
  h.advance(1300);    // Timer3 writes the request again
  ASSERT_EQ(h.port.writes.size(), 4u);
  h.receive("PD:02:6101\r");
  EXPECT_EQ(h.view.status, kStatusLinked);
  EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x01, 0}));
}

// A line of 1023 characters and its CR fill RxBuffer exactly and are
// handled; a longer one is dropped and the next line starts clean.
TEST(Kesta, LongestLineThatFits) {
  for (size_t chars : {1023u, 1024u, 1030u}) {
    SCOPED_TRACE(chars);
    std::string line = "PD:03:C1EF8F";
    line.resize(chars, '.');
    SessionHarness h;
    Select(h, 0, 0, 1);
    KestaToPolling(h);
    h.view.status = kStatusNoLink;
    h.receive(line + "\r");
    h.advance(30);
    EXPECT_EQ(h.view.status, chars == 1023 ? kStatusLinked : kStatusNoLink);
    h.advance(3000);
    h.view.status = kStatusNoLink;
    h.receive("PD:02:6102\r");
    EXPECT_EQ(h.view.status, kStatusLinked);
    EXPECT_EQ(Resp(h, 3), (std::vector<uint8_t>{0x61, 0x02, 0}));
  }
}

TEST(Kesta, C2ReplyEndsTheSession) {
  SessionHarness h;
  Select(h, 0, 0, 1);
  KestaToPolling(h);
  const size_t n = h.port.writes.size();
  h.receive("PD:01:C2\r");
  h.advance(5000);
  EXPECT_EQ(h.port.writes.size(), n);
  EXPECT_FALSE(h.port.isOpen());
  EXPECT_EQ(h.view.caption, kCaptionStart);
  EXPECT_TRUE(h.view.selectorsEnabled);
  EXPECT_FALSE(h.controller.timer3Enabled());
}

// ---- start and stop --------------------------------------------------------------

TEST(StartStop, UnknownAdapterIndexOnlyCreatesTheLog) {
  const fs::path dir = fs::temp_directory_path() / "kalvex-conf-adapter";
  fs::remove_all(dir);
  for (int adapter : {static_cast<int>(Adapters().size()), -1}) {  // past the registry, none
    SessionHarness h((dir / "LOG").string());
    Select(h, 0, 0, adapter);
    h.controller.setLogEnabled(true);
    h.click();
    h.advance(3000);
    EXPECT_TRUE(h.port.openedPaths.empty());
    EXPECT_TRUE(h.port.writes.empty());
    EXPECT_EQ(h.view.caption, kCaptionStart);
    EXPECT_TRUE(h.view.selectorsEnabled);
    EXPECT_FALSE(h.controller.timer2Enabled());
    EXPECT_TRUE(fs::exists(dir / "LOG" / "06-12-2026 21_03_55.log"));
  }
  fs::remove_all(dir);
}

TEST(StartStop, StopSendsNothingAndKeepsWhatItShould) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  ElmSetUp(h);
  h.receive("21 01\r61 01 00 00 00 00 00 00 00 00 7D 00 0F 16\r\r>");
  ASSERT_FLOAT_EQ(h.view.gauge(Component::VS_TOG), 85.0f);
  NextWrite(h);
  const size_t n = h.port.writes.size();
  h.click();
  h.advance(10000 - 1);
  EXPECT_EQ(h.port.writes.size(), n);  // no StopCommunication, no retry
  EXPECT_EQ(h.view.caption, kCaptionStart);
  EXPECT_TRUE(h.view.selectorsEnabled);
  EXPECT_FALSE(h.port.isOpen());
  EXPECT_FALSE(h.controller.timer2Enabled());
  EXPECT_FALSE(h.controller.timer3Enabled());
  EXPECT_EQ(h.controller.adapterState().linkState, 5);  // stop leaves LinkState
  EXPECT_EQ(h.controller.sessionState().nextCommand, 0);
  EXPECT_EQ(h.controller.sessionState().nextRequest, "81");
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_TOG), 0.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VI_Nmot), 880.0f);
  EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_THR), 15.0f);
}

TEST(StartStop, RestartRecomputesTheBusAndLinkState) {
  {  // ELM327: LADA 6 on CAN, then LADA 0 on K-line
    SessionHarness h;
    Select(h, 0, 6, 0);
    EXPECT_EQ(ElmSetUp(h)[3], "AT SP6");
    h.click();
    Select(h, 0, 0, 0);
    const auto again = ElmSetUp(h);
    EXPECT_EQ(again.front(), "AT Z");
    ASSERT_GE(again.size(), 4u);
    EXPECT_EQ(again[3], "AT SP5");
    EXPECT_EQ(again.back(), "21 01");
    EXPECT_FALSE(h.controller.sessionState().canSession);
  }
  {  // Kesta-mini: CAN line, then the K-line line
    SessionHarness h;
    Select(h, 0, 6, 1);
    h.click();
    EXPECT_EQ(NextWrite(h), Framed("DS:01:1T1P1 FC00 1:81"));
    h.click();
    Select(h, 0, 4, 1);
    h.click();
    EXPECT_EQ(NextWrite(h), Framed("DS:01:0T1P1 11 F1 1:81"));
    h.receive("PS\r");
    EXPECT_EQ(NextWrite(h), Framed("DD:01:81"));
  }
}

TEST(StartStop, TheClickLocksTheSelectorsAtOnce) {
  for (int adapter : {0, 1}) {
    SessionHarness h;
    Select(h, 0, 0, adapter);
    h.click();
    EXPECT_EQ(h.view.caption, kCaptionStop);
    EXPECT_FALSE(h.view.selectorsEnabled);
    EXPECT_FALSE(h.view.portSelectorEnabled);
    EXPECT_TRUE(h.port.writes.empty());  // the first line waits out its pause
    EXPECT_EQ(h.port.openedPaths, std::vector<std::string>{DevicePathForPortText("/dev/fake0")});
    // DTR goes on for the Kesta-mini only
    EXPECT_EQ(h.port.dtrChanges.empty() || h.port.dtrChanges.back() == false, adapter == 0);
  }
}

// A clear click while idle is undone by the next start, which resets
// NextCommand before the first request is chosen.
TEST(ClearButton, AClickWhileIdleDoesNotReachTheNextSession) {
  for (int make : {0, 1, 3}) {
    SCOPED_TRACE(make);
    SessionHarness h;
    Select(h, make, 0, 0);
    h.controller.clearFaults();
    EXPECT_EQ(ElmSetUp(h).back(), ElmText(FirstElm(make, 0)));
  }
}

// The request after the session-start reply does not depend on the adapter: an unasked 0x50 over
// the ELM327.
TEST(StartStop, SessionStartReplyOverTheElm) {
  struct Row {
    int make, ecu, page;
    std::string want;
  };
  const Row rows[] = {
      {0, 0, 1, "18 00 00 00"}, {0, 6, 0, "22 00 01"}, {3, 2, 1, "18 00 FF 00"},
      {2, 0, 1, "21 01"},       {16, 0, 1, "21 00"},   {1, 10, 0, "21 02"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "make " << r.make << " ecu " << r.ecu << " page " << r.page);
    SessionHarness h;
    Select(h, r.make, r.ecu, 0, r.page);
    const std::string first = ElmSetUp(h).back();
    h.receive(first + "\r50 86\r\r>");
    EXPECT_EQ(NextWrite(h), r.want + "\r");
  }
}

TEST(StartStop, FaultListThroughTheSession) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  ElmSetUp(h);
  h.controller.clearFaults();
  h.receive("21 01\r7F 21 12\r\r>");
  ASSERT_EQ(NextWrite(h), "14 FF 00\r");
  // a negative reply to the clear keeps the clear request
  h.receive("14 FF 00\r7F 14 22\r\r>");
  ASSERT_EQ(NextWrite(h), "14 FF 00\r");
  h.receive("14 FF 00\r54 FF 00\r\r>");
  ASSERT_EQ(NextWrite(h), "18 00 00 00\r");
  // 0x57 is listed like 0x58; upper bits of the code are kept (4102), and
  // the code the table lacks is named after the described lines
  h.receive("18 00 00 00\r57 02 41 02 00 01 15 00\r\r>");
  EXPECT_EQ(
      h.view.faultLines,
      (std::vector<std::string>{"0115 - Неверный сигнал датчика температуры охлаждающей жидкости",
                                "Ещё 1 код без описания: 4102"}));
  ASSERT_EQ(NextWrite(h), "18 00 00 00\r");
  // N promises three entries, the reply holds one
  h.receive("18 00 00 00\r58 03 05 01 00\r\r>");
  EXPECT_EQ(h.view.faultLines,
            std::vector<std::string>{"0501 - Ошибка датчика скорости автомобиля"});
  ASSERT_EQ(NextWrite(h), "18 00 00 00\r");
  // no codes stored any more: the list says so
  h.receive("18 00 00 00\r58 00\r\r>");
  EXPECT_EQ(h.view.faultLines, std::vector<std::string>{"Ошибок нет"});
  EXPECT_EQ(NextWrite(h), "18 00 00 00\r");
}

TEST(StartStop, StopForgetsAHalfReceivedLine) {
  {
    SessionHarness h;
    Select(h, 0, 0, 0);
    ElmSetUp(h);
    h.receive("21 01\r61 0");
    h.advance(30);
    h.click();
    h.click();
    NextWrite(h);
    h.receive("AT Z\r>");
    EXPECT_EQ(h.controller.adapterState().linkState, 11);
  }
  {
    SessionHarness h;
    Select(h, 0, 0, 1);
    h.click();
    NextWrite(h);
    h.receive("PD:0");
    h.advance(30);
    h.click();
    h.click();
    NextWrite(h);
    h.receive("PS\r");
    EXPECT_EQ(NextWrite(h), Framed("DD:01:81"));
  }
}

// The clear button for makes 0 to 4 reaches the line at the next send
// whatever the reply before it chose; the clear reply then picks the read
// request of the make (GREATWALL goes back to its first data request).
TEST(ClearButton, ClearAndTheRequestAfterTheClearReply) {
  struct Row {
    int make, ecu;
    bool click;
    std::string afterClear;  // what follows a 0x54 reply
  };
  const Row rows[] = {
      {0, 0, true, "18 00 00 00"},   {1, 0, true, "18 00 FF 00"},  {2, 0, true, "21 01"},
      {2, 4, true, "22 00 11"},      {3, 0, true, "18 00 FF 00"},  {4, 1, true, "18 00 FF 00"},
      {5, 0, false, "18 00 FF 00"},  {9, 0, false, "18 00 FF 00"}, {10, 0, false, "18 00 FF 00"},
      {13, 0, false, "18 00 FF 00"}, {14, 1, false, "17 FF 00"},   {15, 0, false, "17 FF 00"},
      {16, 1, false, "18 00 00 00"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "make " << r.make << " ecu " << r.ecu);
    SessionHarness h;
    Select(h, r.make, r.ecu, 0);
    const std::string first = ElmSetUp(h).back();
    h.controller.clearFaults();
    // a data reply of the polled service: the decoder may pick another request
    std::string reply = "6" + first.substr(1, 1) + " " + first.substr(first.size() - 2);
    for (int i = 0; i < 40; ++i) reply += " 00";
    h.receive(first + "\r" + reply + "\r\r>");
    const std::string next = NextWrite(h);
    if (r.click) {
      EXPECT_EQ(next, "14 FF 00\r");
    } else {
      EXPECT_NE(next, "14 FF 00\r");
    }
    h.receive(next.substr(0, next.size() - 1) + "\r54 FF 00\r\r>");
    EXPECT_EQ(NextWrite(h), r.afterClear + "\r");
  }
}

TEST(StartStop, FailedOpenReEnablesTheSelectors) {
  SessionHarness h;
  Select(h, 0, 0, 0);
  h.port.failOpenWith = "Port busy";
  h.click();
  EXPECT_EQ(h.view.errors, std::vector<std::string>{"Порт /dev/fake0: Port busy"});
  EXPECT_TRUE(h.view.selectorsEnabled);
  EXPECT_EQ(h.view.caption, kCaptionStart);
  h.advance(5000);
  EXPECT_TRUE(h.port.writes.empty());
}

// ---- session log -----------------------------------------------------------------

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(Log, LinesOfAnElmSessionOverCan) {
  const fs::path dir = fs::temp_directory_path() / "kalvex-conf-log";
  fs::remove_all(dir);
  SessionHarness h((dir / "LOG").string());
  h.wallTime = FixedTime(3, 2, 2027, 7, 5, 9);
  Select(h, 0, 6, 0);
  h.controller.setLogEnabled(true);
  ElmSetUp(h);
  h.wallTime = FixedTime(3, 2, 2027, 7, 5, 10);
  h.receive("22 00 01\r013\r0: 62 00 01 11 22 33\r1: 44 55 66 77 88 99 00\r\r>");
  NextWrite(h);
  h.receive("22 00 01\r\r>");  // only the prompt: no " -E- " line
  h.advance(1300);
  h.receive("22 00 01\rCAN ERROR\r\r>");
  h.controller.setLogEnabled(false);  // stops the lines at once
  h.advance(1300);
  h.receive("22 00 01\r62 00 01\r\r>");
  const std::string want =
      "03/02/2027 07:05:09\r\n"
      "03/02/2027 07:05:09 --- ATZOK>\r\n"
      "03/02/2027 07:05:09 --- ATE1OK>\r\n"
      "03/02/2027 07:05:09 --- ATH0OK>\r\n"
      "03/02/2027 07:05:09 --- ATSP6OK>\r\n"
      "03/02/2027 07:05:09 --- ATSH7E0OK>\r\n"
      "03/02/2027 07:05:10 --- 2200010130:6200011122331:44556677889900>\r\n"
      "03/02/2027 07:05:10 -E- 0130:6200011122331:44556677889900\r\n"
      "03/02/2027 07:05:10 --- 220001>\r\n"
      "03/02/2027 07:05:10 --- 220001CANERROR>\r\n"
      "03/02/2027 07:05:10 -E- CAE\r\n";
  EXPECT_EQ(ReadAll(dir / "LOG" / "03-02-2027 07_05_09.log"), want);
  fs::remove_all(dir);
}

// Switched on during a session, the log goes to the file of an earlier start.
TEST(Log, SwitchedOnMidSessionUsesTheEarlierFile) {
  const fs::path dir = fs::temp_directory_path() / "kalvex-conf-mlog";
  fs::remove_all(dir);
  SessionHarness h((dir / "LOG").string());
  Select(h, 0, 0, 0);
  h.controller.setLogEnabled(true);
  h.click();
  h.click();
  h.controller.setLogEnabled(false);
  h.wallTime = FixedTime(6, 12, 2026, 22, 0, 0);
  ElmSetUp(h);  // no new file: the switch is off
  h.controller.setLogEnabled(true);
  h.receive("21 01\r61 01 05\r\r>");
  EXPECT_EQ(ReadAll(dir / "LOG" / "06-12-2026 21_03_55.log"),
            "06/12/2026 21:03:55\r\n"
            "06/12/2026 22:00:00 --- 2101610105>\r\n"
            "06/12/2026 22:00:00 -E- 610105\r\n");
  EXPECT_FALSE(fs::exists(dir / "LOG" / "06-12-2026 22_00_00.log"));
  fs::remove_all(dir);
}

TEST(Log, KestaSessionWritesTheFirstLineOnly) {
  const fs::path dir = fs::temp_directory_path() / "kalvex-conf-klog";
  fs::remove_all(dir);
  SessionHarness h((dir / "LOG").string());
  h.wallTime = FixedTime(31, 12, 2026, 23, 59, 58);
  Select(h, 0, 0, 1);
  h.controller.setLogEnabled(true);
  KestaToPolling(h);
  h.receive("PD:02:6101\r");
  NextWrite(h);
  EXPECT_EQ(ReadAll(dir / "LOG" / "31-12-2026 23_59_58.log"), "31/12/2026 23:59:58\r\n");
  // stop and start within the same second: the same file, appended to
  h.click();
  h.click();
  EXPECT_EQ(ReadAll(dir / "LOG" / "31-12-2026 23_59_58.log"),
            "31/12/2026 23:59:58\r\n31/12/2026 23:59:58\r\n");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kalvex::test
