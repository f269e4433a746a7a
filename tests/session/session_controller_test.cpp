// Session controller and drivers: table choices for every make, start/stop
// edge cases, the clear button, the log file, buffers and pauses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "adapter/elm327_driver.h"
#include "adapter/kesta_driver.h"
#include "catalogue/catalogue.h"
#include "protocol/request_catalogue.h"
#include "support/session_harness.h"

namespace kalvex::test {
namespace {

namespace fs = std::filesystem;

std::string Str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Answers every ELM327 set-up line with its echo until LinkState 5; returns
// the text of the first data request.
std::string ElmToPolling(SessionHarness& h) {
  h.click();
  for (int i = 0; i < 12; ++i) {
    if (!h.runUntilWrites(h.port.writes.size() + 1)) return "<no write>";
    std::string w = h.lastWrite();
    w.pop_back();  // CR
    if (h.controller.adapterState().linkState == 5) return w;
    h.receive(w + "\rOK\r\r>");
  }
  return "<no polling>";
}

// Kesta-mini: StartLine, "PS", and for K-line "DD:01:81" answered by C1.
// Returns the text of the next request.
std::string KestaAfterStart(SessionHarness& h, const std::string& reply = "PD:01:C1") {
  h.click();
  h.runUntilWrites(1);
  h.receive("PS\r");
  h.runUntilWrites(2);
  if (!h.controller.sessionState().canSession) {
    EXPECT_EQ(Str(h.port.writes.back().bytes), Str(KestaFrame("DD:01:81")));
    h.receive(reply + "\r");
    h.runUntilWrites(3);
  }
  std::string w = h.lastWrite();
  return w.substr(0, w.size() - 2);  // checksum and CR
}

TEST(KestaFrame, SetUpLinesByteForByte) {
  const auto kline = KestaFrame(KestaStartLine(false, 0x10, 0));
  ASSERT_EQ(kline.size(), 24u);
  EXPECT_EQ(Str(kline).substr(0, 22), "DS:01:0T1P1 10 F1 1:81");
  EXPECT_EQ(kline[22], 0xAE);
  EXPECT_EQ(kline[23], 0x0D);
  const auto can = KestaFrame(KestaStartLine(true, 0, 0xFC00));
  ASSERT_EQ(can.size(), 23u);
  EXPECT_EQ(Str(can).substr(0, 21), "DS:01:1T1P1 FC00 1:81");
  EXPECT_EQ(can[21], 0xA0);
  const auto req = KestaFrame("DD:02:2101");
  ASSERT_EQ(req.size(), 12u);
  EXPECT_EQ(req[10], 0x22);
  EXPECT_EQ(KestaFrame("81"), (std::vector<uint8_t>{'8', '1', 0x69, 0x0D}));
  EXPECT_EQ(KestaFrame(""), (std::vector<uint8_t>{0x00, 0x0D}));
}

TEST(ElmParse, RepliesEchoesAndErrors) {
  struct Case {
    const char* line;
    const char* last;
    bool multi;
    ElmReply result;
    const char* extracted;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"2101610A0B>", "21 01", false, ElmReply::Accepted, "610A0B", {0x61, 0x0A, 0x0B}},
      {"210161010A0B>", "21 01", false, ElmReply::Accepted, "61010A0B", {0x61, 0x01, 0x0A, 0x0B}},
      {"2101NODATA>", "21 01", false, ElmReply::RetryLater, "DAA", {}},
      // an echo longer than the line leaves nothing: prompt only
      {"21>", "22 00 01", false, ElmReply::RetryLater, "", {}},
      // request 5's echo begins with 8 and stays
      {"82C2>", "82", false, ElmReply::Accepted, "82C2", {0x82, 0xC2}},
      {"0:>", "21 01", false, ElmReply::Resend, "0:", {}},
      {"2101010>", "21 01", false, ElmReply::Resend, "010", {}},
      {"21010:3>", "21 01", true, ElmReply::RetryLater, "0:3", {}},
      // the four-character echo: positions 1 and 2 are the count
      {"21020130:6200011122331:44556677889900>",
       "21 02",
       true,
       ElmReply::Accepted,
       nullptr,
       {0x62, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0x00}},
      {"?>", "21 01", false, ElmReply::RetryLater, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string last = c.last;
    ResponseBytes rb;
    ElmParse p = ElmParseReply(c.line, last, c.multi, rb);
    EXPECT_EQ(p.result, c.result);
    if (c.extracted) {
      EXPECT_EQ(p.extracted, c.extracted);
    }
    for (size_t i = 0; i < c.bytes.size(); ++i) EXPECT_EQ(rb[i], c.bytes[i]) << i;
    EXPECT_EQ(rb[c.bytes.size()], 0);
  }
}

TEST(ElmParse, MultiFrameNeverWritesPastResponseBytes) {
  // A count of FF with a line of hundreds of frames.
  std::string line = "0FF0:";
  for (int f = 0; f < 200; ++f) line += "11223344556677" + std::string("1:");
  line += ">";
  std::string last;
  ResponseBytes rb;
  EXPECT_EQ(ElmParseReply(line, last, true, rb).result, ElmReply::Accepted);
  EXPECT_EQ(rb.length, 0xFFu);
}

TEST(ElmCut, NeverOverrunsRxBuffer) {
  std::array<uint8_t, kRxBufferSize> rx{};
  size_t pos = 0;
  std::vector<uint8_t> junk(kRxBufferSize, 'A');
  for (int i = 0; i < 5; ++i) {
    const size_t cap = ElmReadCapacity(pos);
    ASSERT_LE(pos + std::min(cap, junk.size()), kRxBufferSize + (pos >= 800 ? 1024 : 0));
    ElmCutLines(rx, pos, junk.data(), std::min(cap, junk.size()));
    EXPECT_LE(pos, kRxBufferSize);
  }
}

// ---- tables ----------------------------------------------------------------

TEST(Tables, FirstElmRequestForEveryType) {
  // The first request at the end of the ELM327 set-up, by make: expected request per ECU type
  // index.
  auto expected = [](int make, int ecu) -> int {
    switch (make) {
      case kLada:
        return ecu == 6 ? 13 : 11;
      case kHyundai:
        if (ecu <= 3) return 1;
        if (ecu <= 6) return 11;
        if (ecu == 7 || ecu == 10 || ecu == 11 || ecu == 12) return 6;
        return 11;
      case kGreatWall:
        return ecu == 4 ? 20 : 11;
      case kGaz:
        return ecu == 4 ? 13 : 11;
      case kChery:
        return ecu == 2 ? 30 : 11;
      case kNissan:
        return ecu == 1 ? 50 : 40;
      case kKia:
      case kDaewoo:
      case kChevrolet:
        return 6;
      case kCitroen:
      case kPeugeot:
        return 60;
      case kSuzuki:
        return 15;
      default:
        return 11;
    }
  };
  for (int make = 0; make < kMakeCount; ++make) {
    for (int ecu = 0; ecu < static_cast<int>(EcuTypesOf(make).size()); ++ecu) {
      SCOPED_TRACE(testing::Message() << "make " << make << " ecu " << ecu);
      SessionHarness h;
      h.view.make = make;
      h.view.ecu = ecu;
      const uint8_t want = static_cast<uint8_t>(expected(make, ecu));
      EXPECT_EQ(ElmToPolling(h), ElmRequestText(want));
      // the set-up took the CAN path exactly for the "AT SP6" types
      const bool sawIb10 = std::any_of(h.port.writes.begin(), h.port.writes.end(),
                                       [](const auto& w) { return Str(w.bytes) == "AT IB10\r"; });
      EXPECT_EQ(sawIb10, !ElmUsesCan(make, ecu));
    }
  }
}

TEST(FirstRequests, AfterStartCommunication) {
  struct Row {
    int make, ecu, want;
  };
  const Row rows[] = {
      {kLada, 0, 11},    {kHyundai, 0, 10}, {kGreatWall, 0, 11}, {kGreatWall, 4, 20},
      {kGaz, 0, 11},     {kGaz, 4, 13},     {kUaz, 0, 11},       {kByd, 0, 11},
      {kGeely, 0, 11},   {kChery, 0, 11},   {kChery, 2, 30},     {kZaz, 0, 11},
      {kIzh, 0, 11},     {kNissan, 0, 40},  {kDaewoo, 0, 6},     {kChevrolet, 0, 6},
      {kCitroen, 0, 60}, {kPeugeot, 0, 60}, {kSuzuki, 0, 15},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "make " << r.make << " ecu " << r.ecu);
    SessionHarness h;
    h.view.make = r.make;
    h.view.ecu = r.ecu;
    h.view.adapter = 1;
    EXPECT_EQ(KestaAfterStart(h), KestaRequestText(static_cast<uint8_t>(r.want)));
  }
  // GAZ type 4 is a K-line type for the Kesta-mini, with address 0x10.
  SessionHarness h;
  h.view.make = kGaz;
  h.view.ecu = 4;
  h.view.adapter = 1;
  KestaAfterStart(h);
  EXPECT_EQ(Str(h.port.writes[0].bytes), Str(KestaFrame("DS:01:0T1P1 10 F1 1:81")));
}

TEST(FirstRequests, AfterStartDiagnosticSession) {
  struct Row {
    int make, ecu, page, want;  // want -1: unchanged (the request is sent again)
  };
  const Row rows[] = {
      {kLada, 0, 0, 11},      {kLada, 6, 0, 13},     {kHyundai, 0, 0, 1},    {kHyundai, 3, 0, 1},
      {kHyundai, 4, 0, 11},   {kHyundai, 7, 0, 6},   {kHyundai, 9, 0, 11},   {kHyundai, 10, 0, -1},
      {kHyundai, 12, 0, 6},   {kHyundai, 13, 0, 11}, {kGreatWall, 4, 0, 20}, {kGaz, 4, 0, 13},
      {kChery, 2, 0, 30},     {kIzh, 0, 0, 11},      {kNissan, 0, 0, -1},    {kSuzuki, 0, 0, -1},
      {kLada, 0, 1, 12},      {kHyundai, 0, 1, 2},   {kGaz, 0, 1, 2},        {kIzh, 0, 1, 2},
      {kGreatWall, 0, 1, -1}, {kNissan, 0, 1, -1},   {kSuzuki, 0, 1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "make " << r.make << " ecu " << r.ecu << " page " << r.page);
    SessionHarness h;
    h.view.make = r.make;
    h.view.ecu = r.ecu;
    h.view.page = r.page;
    // over the ELM327, then an (unasked) 0x50 reply in the data phase
    const std::string first = ElmToPolling(h);
    const uint8_t before = h.controller.sessionState().nextCommand;
    h.receive(first + "\r50 86\r\r>");
    ASSERT_TRUE(h.runUntilWrites(h.port.writes.size() + 1));
    const uint8_t want = r.want < 0 ? before : static_cast<uint8_t>(r.want);
    EXPECT_EQ(h.lastWrite(), ElmRequestText(want) + "\r");
  }
}

TEST(Tables, FirstKestaCanRequestForEveryCanType) {
  for (int make = 0; make < kMakeCount; ++make) {
    for (int ecu = 0; ecu < static_cast<int>(EcuTypesOf(make).size()); ++ecu) {
      if (!LinkParamsOf(make, ecu).canSession) continue;
      SCOPED_TRACE(testing::Message() << "make " << make << " ecu " << ecu);
      int want = 6;
      if (make == kLada) want = 13;
      if (make == kNissan) want = 50;
      if (make == kHyundai && (ecu == 8 || ecu == 9 || ecu == 13)) want = 11;
      SessionHarness h;
      h.view.make = make;
      h.view.ecu = ecu;
      h.view.adapter = 1;
      EXPECT_EQ(KestaAfterStart(h), KestaRequestText(static_cast<uint8_t>(want)));
      const uint16_t id = LinkParamsOf(make, ecu).canId;
      EXPECT_EQ(Str(h.port.writes[0].bytes), Str(KestaFrame(KestaStartLine(true, 0, id))));
    }
  }
}

TEST(Tables, FirstRequestOverride) {
  SessionHarness h;
  h.view.make = kLada;
  h.view.ecu = 0;
  h.controller.setFirstRequestOverride(12);
  EXPECT_EQ(ElmToPolling(h), "18 00 00 00");
  SessionHarness k;
  k.view.make = kHyundai;
  k.view.ecu = 0;
  k.view.adapter = 1;
  k.controller.setFirstRequestOverride(2);
  EXPECT_EQ(KestaAfterStart(k), "DD:02:1086");  // the diagnostic session still starts
  k.receive("PD:02:5086\r");
  k.runUntilWrites(4);
  EXPECT_EQ(k.lastWrite(), Str(KestaFrame("DD:04:1800FF00")));
}

// ---- start and stop --------------------------------------------------------

TEST(StartStop, FailuresAtStart) {
  {  // port open fails: selectors enabled again, the port's message shown
    SessionHarness h;
    h.port.failOpenWith = "Specified device not found (/dev/none).";
    h.click();
    EXPECT_EQ(h.view.errors,
              std::vector<std::string>{
                  "Порт /dev/fake0 не найден: нет такого устройства (адаптер отключён?)."});
    EXPECT_TRUE(h.view.selectorsEnabled);
    EXPECT_EQ(h.view.caption, kCaptionStart);
    EXPECT_FALSE(h.controller.running());
  }
  {  // no port selected
    SessionHarness h;
    h.view.port.clear();
    h.click();
    EXPECT_EQ(h.view.errors, std::vector<std::string>{kNoPortMessage});
    EXPECT_TRUE(h.view.selectorsEnabled);
    EXPECT_TRUE(h.port.openedPaths.empty());
  }
  {  // an adapter index other than 0 and 1: nothing happens
    SessionHarness h;
    h.view.adapter = -1;
    h.click();
    EXPECT_TRUE(h.port.openedPaths.empty());
    EXPECT_EQ(h.view.caption, kCaptionStart);
    EXPECT_TRUE(h.view.errors.empty());
  }
  {  // whatever the button shows, the session's own state decides
    SessionHarness h;
    h.view.caption = "?";
    h.click();
    EXPECT_EQ(h.port.openedPaths.size(), 1u);
    EXPECT_EQ(h.view.caption, kCaptionStop);
    h.controller.start();  // already running: nothing more is opened
    EXPECT_EQ(h.port.openedPaths.size(), 1u);
    h.controller.stop();
    h.controller.stop();  // already stopped: nothing to close twice
    EXPECT_EQ(h.view.caption, kCaptionStart);
  }
}

TEST(StartStop, StopAndShutdownCancelThePendingWrite) {
  SessionHarness h;
  h.click();
  EXPECT_TRUE(h.controller.writePending());
  h.click();  // stop during the 300 ms pause
  EXPECT_FALSE(h.controller.writePending());
  h.advance(5000);
  EXPECT_TRUE(h.port.writes.empty());
  EXPECT_EQ(h.view.gauge(Component::VS_TOG), 0.0f);

  SessionHarness s;
  s.click();
  s.controller.shutdown();
  EXPECT_FALSE(s.port.isOpen());
  EXPECT_FALSE(s.controller.nextDeadline().has_value());
  s.advance(5000);
  EXPECT_TRUE(s.port.writes.empty());
}

TEST(StartStop, PortErrorStopsTheSession) {
  SessionHarness h;
  h.click();
  h.runUntilWrites(1);
  h.port.failFromThread("device gone");
  EXPECT_EQ(h.view.errors, std::vector<std::string>{"Порт /dev/fake0: device gone"});
  EXPECT_EQ(h.view.caption, kCaptionStart);
  EXPECT_FALSE(h.port.isOpen());
}

TEST(StartStop, EveryStopShowsNoLinkAtOnce) {
  SessionHarness h;
  h.view.make = kLada;
  h.view.ecu = 0;
  const std::string first = ElmToPolling(h);
  h.receive(first + "\r61 01 00\r\r>");
  ASSERT_EQ(h.view.status, kStatusLinked);
  h.port.failFromThread("device gone");
  EXPECT_EQ(h.view.status, kStatusNoLink) << "a lost port";
}

TEST(StartStop, ObserversAndTimer1) {
  SessionHarness h;
  h.view.make = kLada;
  h.view.ecu = 0;
  std::vector<int> starting;
  int accepted = 0;
  h.controller.onStarting = [&](int m, int e, int a) { starting = {m, e, a}; };
  h.controller.onResponseAccepted = [&](const ResponseBytes&) { ++accepted; };
  const std::string first = ElmToPolling(h);
  EXPECT_EQ(starting, (std::vector<int>{0, 0, 0}));
  h.receive(first + "\r61 01 00\r\r>");
  EXPECT_EQ(accepted, 1);
  EXPECT_EQ(h.view.status, kStatusLinked);
  h.advance(10000);  // Timer1 ticks regardless of the session
  EXPECT_EQ(h.view.status, kStatusNoLink);
}

// ---- the clear button -------------------------------------------------------

TEST(ClearButton, PendingClearForMakesOneToFour) {
  SessionHarness h;
  h.view.make = kHyundai;
  h.view.ecu = 0;
  const std::string first = ElmToPolling(h);
  EXPECT_EQ(first, "21 06");
  h.controller.clearFaults();
  // a reply whose decoder may choose another request: the clear still goes out
  h.receive(first + "\r61 06 00 00 00 00 00 00 00 00 00 00\r\r>");
  ASSERT_TRUE(h.runUntilWrites(h.port.writes.size() + 1));
  EXPECT_EQ(h.lastWrite(), "14 FF 00\r");
  h.receive("14 FF 00\r54 FF 00\r\r>");
  ASSERT_TRUE(h.runUntilWrites(h.port.writes.size() + 1));
  EXPECT_EQ(h.lastWrite(), "18 00 FF 00\r");

  SessionHarness n;  // makes 5 to 16: nothing
  n.view.make = kByd;
  n.view.ecu = 0;
  const std::string f2 = ElmToPolling(n);
  n.controller.clearFaults();
  n.receive(f2 + "\r7F 21 12\r\r>");
  n.runUntilWrites(n.port.writes.size() + 1);
  EXPECT_EQ(n.lastWrite(), f2 + "\r");
}

// ---- the read button ---------------------------------------------------------

TEST(ReadButton, NoReadForGreatWallAndAnIdleClickWaitsForTheSession) {
  SessionHarness g;  // GREATWALL has no read request: the rotation goes on
  g.view.make = kGreatWall;
  g.view.ecu = 0;
  const std::string first = ElmToPolling(g);
  g.controller.readFaults();
  g.receive(first + "\r7F 21 12\r\r>");
  ASSERT_TRUE(g.runUntilWrites(g.port.writes.size() + 1));
  EXPECT_EQ(g.lastWrite(), first + "\r");

  SessionHarness h;  // asked before the start: the session reads first
  h.view.make = kCitroen;
  h.view.ecu = 0;
  h.controller.readFaults();
  EXPECT_EQ(ElmToPolling(h), "17 FF 00");
  // the read is asked once: a stop and a new start poll as usual
  h.click();
  EXPECT_EQ(ElmToPolling(h), "21C08001");
}

TEST(ReadButton, ResumeGoesBackToTheFirstDataRequestWithoutAStop) {
  SessionHarness h;
  h.view.make = kCitroen;
  h.view.ecu = 0;
  h.controller.resumeLiveData();  // idle: nothing to resume, the start polls as usual
  const std::string first = ElmToPolling(h);
  EXPECT_EQ(first, "21C08001");
  h.controller.readFaults();
  h.receive(first + "\r7F 21 12\r\r>");
  ASSERT_TRUE(h.runUntilWrites(h.port.writes.size() + 1));
  EXPECT_EQ(h.lastWrite(), "17 FF 00\r");
  // The reads would go on; resumed, the next send is the type's first data
  // request, and the session never stopped.
  h.controller.resumeLiveData();
  h.receive("17 FF 00\r57 00\r\r>");
  ASSERT_TRUE(h.runUntilWrites(h.port.writes.size() + 1));
  EXPECT_EQ(h.lastWrite(), first + "\r");
  EXPECT_TRUE(h.controller.running());
}

// ---- buffers ---------------------------------------------------------------

TEST(Buffers, AnnouncedCountIsNeverTrusted) {
  for (int adapter : {0, 1}) {
    SessionHarness h;
    h.view.adapter = adapter;
    h.click();
    h.runUntilWrites(1);
    h.port.announce(100000);
    h.receive(std::string(3000, 'A'));  // no prompt, no CR
    h.advance(100);
    h.port.announce(std::nullopt);
    h.port.maxReadPerCall = 7;  // a port that hands out bytes in small parts
    h.receive(adapter == 0 ? std::string("AT Z\r>") : std::string("PS\r"));
    h.advance(1000);
    EXPECT_TRUE(h.controller.running());
  }
}

TEST(Buffers, KestaOversizeLineIsDropped) {
  SessionHarness h;
  h.view.make = kLada;
  h.view.ecu = 0;
  h.view.adapter = 1;
  KestaAfterStart(h);
  const size_t writes = h.port.writes.size();
  h.receive("PD:01:" + std::string(1100, '6'));
  h.advance(21);
  h.receive("61\r");  // the tail of the oversize line
  h.advance(50);
  EXPECT_EQ(h.port.writes.size(), writes);    // nothing handled, nothing sent
  EXPECT_TRUE(h.controller.timer3Enabled());  // the retry is still armed
  h.receive("PD:02:6101\r");                  // the next line starts clean
  EXPECT_EQ(h.controller.sessionState().response[0], 0x61);
}

TEST(Buffers, GarbageNeverBreaksTheSession) {
  // Deterministic noise, biased towards the bytes the framers look at.
  const char alphabet[] = "0123456789ABCDEF:>\r\n PDST\x00\xFF?";
  for (int adapter : {0, 1}) {
    for (int make : {kLada, kHyundai, kKia}) {
      SessionHarness h;
      h.view.adapter = adapter;
      h.view.make = make;
      h.view.ecu = make == kHyundai ? 8 : 0;
      h.click();
      uint32_t seed = 12345u + static_cast<uint32_t>(adapter * 31 + make);
      auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
      for (int event = 0; event < 400; ++event) {
        std::string bytes(1 + next() % 300, ' ');
        for (char& c : bytes) c = alphabet[next() % (sizeof alphabet - 1)];
        h.receive(bytes);
        h.advance(static_cast<Millis>(next() % 400));
      }
      EXPECT_TRUE(h.controller.running());
      EXPECT_LE(h.controller.adapterState().rxPos, kRxBufferSize);
    }
  }
}

// ---- log file --------------------------------------------------------------

std::vector<std::string> ReadLines(const std::string& path, bool* crlf = nullptr) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string all = ss.str();
  std::vector<std::string> lines;
  size_t p = 0;
  bool ok = true;
  while (p < all.size()) {
    size_t e = all.find('\n', p);
    if (e == std::string::npos) e = all.size();
    std::string l = all.substr(p, e - p);
    if (l.empty() || l.back() != '\r')
      ok = false;
    else
      l.pop_back();
    lines.push_back(l);
    p = e + 1;
  }
  if (crlf) *crlf = ok;
  return lines;
}

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() /
           ("kalvex-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
  }
  ~TempDir() { fs::remove_all(path); }
};

TEST(Log, SessionLinesNameAndFormat) {
  TempDir dir;
  SessionHarness h((dir.path / "LOG").string());
  h.view.make = kLada;
  h.view.ecu = 0;
  h.controller.setLogEnabled(true);
  const std::string first = ElmToPolling(h);
  h.wallTime = FixedTime(6, 12, 2026, 21, 4, 7);
  h.receive(first + "\r61 01 0A 0B\r\r>");
  h.runUntilWrites(h.port.writes.size() + 1);
  h.receive(first + "\rNO DATA\r\r>");
  h.receive("AT Z\r>");  // in LinkState 5 an AT line gets only " --- "
  const std::string file = (dir.path / "LOG" / "06-12-2026 21_03_55.log").string();
  ASSERT_TRUE(fs::exists(file));
  bool crlf = false;
  const auto lines = ReadLines(file, &crlf);
  EXPECT_TRUE(crlf);
  const std::vector<std::string> want = {
      "06/12/2026 21:03:55",
      "06/12/2026 21:03:55 --- ATZOK>",
      "06/12/2026 21:03:55 --- ATE1OK>",
      "06/12/2026 21:03:55 --- ATH0OK>",
      "06/12/2026 21:03:55 --- ATSP5OK>",
      "06/12/2026 21:03:55 --- ATIB10OK>",
      "06/12/2026 21:03:55 --- ATSH8110F1OK>",
      "06/12/2026 21:03:55 --- ATSW00OK>",
      "06/12/2026 21:04:07 --- 210161010A0B>",
      "06/12/2026 21:04:07 -E- 61010A0B",
      "06/12/2026 21:04:07 --- 2101NODATA>",
      "06/12/2026 21:04:07 -E- DAA",
      "06/12/2026 21:04:07 --- ATZ>",
  };
  EXPECT_EQ(lines, want);
}

TEST(Log, StartsSwitchAndFailures) {
  TempDir dir;
  const fs::path logDir = dir.path / "LOG";
  SessionHarness h(logDir.string());
  h.view.adapter = 1;
  h.controller.setLogEnabled(true);
  h.click();
  h.click();
  h.click();  // a second start within the same second appends
  const std::string file = (logDir / "06-12-2026 21_03_55.log").string();
  EXPECT_EQ(ReadLines(file).size(), 2u);
  h.receive("PS\r");  // a Kesta-mini session logs nothing else
  EXPECT_EQ(ReadLines(file).size(), 2u);
  h.click();

  // switched on mid-session with no file yet: one is created
  SessionHarness m((dir.path / "LOG2").string());
  m.click();
  m.runUntilWrites(1);
  m.controller.setLogEnabled(true);
  const std::string file2 = (dir.path / "LOG2" / "06-12-2026 21_03_55.log").string();
  EXPECT_EQ(ReadLines(file2).size(), 1u);
  m.receive("AT Z\r>");
  EXPECT_EQ(ReadLines((dir.path / "LOG2" / "06-12-2026 21_03_55.log").string()).size(), 2u);

  // the folder cannot be created: the start ends before the port is opened
  std::ofstream(dir.path / "file").put('x');
  SessionHarness bad((dir.path / "file" / "LOG").string());
  bad.controller.setLogEnabled(true);
  bad.click();
  ASSERT_EQ(bad.view.errors.size(), 1u);
  // the folder by name and the reason in words
  EXPECT_EQ(bad.view.errors[0], "Не удалось записать LOG-файл в папку " +
                                    (dir.path / "file" / "LOG").string() +
                                    ": часть пути не является папкой.");
  EXPECT_TRUE(bad.port.openedPaths.empty());
  EXPECT_EQ(bad.view.caption, kCaptionStart);

  // the file goes away during a session: reported once, the session goes on
  TempDir d2;
  SessionHarness g((d2.path / "LOG").string());
  g.view.make = kLada;
  g.view.ecu = 0;
  g.controller.setLogEnabled(true);
  const std::string first = ElmToPolling(g);
  fs::remove_all(d2.path / "LOG");
  std::ofstream(d2.path / "LOG").put('x');
  for (int i = 0; i < 3; ++i) {
    g.receive(first + "\r61 01 00\r\r>");
    ASSERT_TRUE(g.runUntilWrites(g.port.writes.size() + 1));
  }
  EXPECT_EQ(g.view.errors.size(), 1u);
  EXPECT_TRUE(g.controller.logEnabled());
}

// ---- a silent adapter is not a silent ECU ------------------------------------

TEST(AdapterSilence, StatusTellsAdapterFromEcu) {
  struct Case {
    const char* what;
    int adapter;
    const char* answer;  // what the adapter says to its first line; "" nothing
    const char* at2s;    // the label after the first start retry
    const char* at10s;   // after the watchdog tick
  };
  const Case cases[] = {
      {"ELM327, nothing on the port", 0, "", kStatusNoAdapter, kStatusNoAdapter},
      {"ELM327 answers, ECU silent", 0, "AT Z\r\rELM327 v1.5\r\r>", kStatusNoLink, kStatusNoLink},
      {"Kesta-mini, nothing on the port", 1, "", kStatusNoAdapter, kStatusNoAdapter},
      {"Kesta-mini answers, ECU silent", 1, "PS:01:00\r", kStatusNoLink, kStatusNoLink},
  };
  for (const Case& c : cases) {
    SessionHarness h;
    h.view.make = kLada;
    h.view.ecu = 0;
    h.view.adapter = c.adapter;
    h.click();
    ASSERT_TRUE(h.runUntilWrites(1)) << c.what;
    if (*c.answer) h.receive(c.answer);
    h.advance(2100);
    EXPECT_EQ(h.view.status, c.at2s) << c.what;
    h.advance(8000);
    EXPECT_EQ(h.view.status, c.at10s) << c.what;
    h.click();  // stop: the port is closed, no adapter is asked anything
    EXPECT_EQ(h.view.status, kStatusNoLink) << c.what;
  }
}
}  // namespace
}  // namespace kalvex::test
