// Whole LADA "Январь 5.1 P-83" sessions on a manual clock: the real
// controller, drivers, decoder and fault handling behind a scripted adapter.
// Every expected value below is worked out by hand from the type 0 table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/session_harness.h"

namespace kalvex::test {
namespace {

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// A Kesta-mini line: the text, the sum of its characters modulo 256, CR.
std::string Framed(const std::string& text) {
  unsigned sum = 0;
  for (unsigned char c : text) sum += c;
  return text + static_cast<char>(sum & 0xFF) + '\r';
}

// The next write must be `want` (CR included) and come more than 200 ms
// after the reply that caused it.
void ExpectWrite(SessionHarness& h, const std::string& want, Millis pause = 201) {
  const size_t n = h.port.writes.size();
  const Millis from = h.clock.now();
  ASSERT_TRUE(h.runUntilWrites(n + 1)) << "nothing written, expected " << want;
  EXPECT_EQ(Text(h.port.writes[n].bytes), want);
  EXPECT_EQ(h.port.writes[n].at - from, pause) << want;
}

// One reply to "21 01" as the ECU of type 0 sends it: 30 bytes, the rest 0.
struct Engine {
  int coolant;   // B[10]
  int throttle;  // B[12]
  int rpm40;     // B[13], rpm / 40
  int speed;     // B[19]
  int volts;     // B[20]
  int inj;       // W(23,22)
  int air;       // W(25,24)
};

std::vector<uint8_t> ReplyBytes(const Engine& e) {
  std::vector<uint8_t> b(30, 0);
  b[0] = 0x61;
  b[1] = 0x01;
  b[2] = 0x33;  // bytes no type 0 row reads
  b[10] = static_cast<uint8_t>(e.coolant);
  b[12] = static_cast<uint8_t>(e.throttle);
  b[13] = static_cast<uint8_t>(e.rpm40);
  b[19] = static_cast<uint8_t>(e.speed);
  b[20] = static_cast<uint8_t>(e.volts);
  b[22] = static_cast<uint8_t>(e.inj & 0xFF);
  b[23] = static_cast<uint8_t>(e.inj >> 8);
  b[24] = static_cast<uint8_t>(e.air & 0xFF);
  b[25] = static_cast<uint8_t>(e.air >> 8);
  b[29] = 0x5A;
  return b;
}

std::string Hex(const std::vector<uint8_t>& b, const char* sep) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < b.size(); ++i) {
    if (i) s += sep;
    s += d[b[i] >> 4];
    s += d[b[i] & 15];
  }
  return s;
}

// Ten engine states; the last one is checked on the gauges.
std::vector<Engine> TenStates() {
  std::vector<Engine> v;
  for (int k = 0; k < 10; ++k)
    v.push_back({40 + 9 * k, 3 + k, 20 + k / 2, 6 * k, 170 + k, 250 + 5 * k, 200 + 5 * k});
  return v;
}

// After the tenth state: coolant 121, throttle 12, B[13] 24, speed 54,
// B[20] 179, injection word 295, air word 245.
//   VS_Speed, VI_Speed = 54
//   VS_Nmot = Round(24 * 40 / 100) = Round(9.6) = 10; VI_Nmot = 960
//   VS_Ub, VI_Ub = 179 * 0.05 + 5.2 = 14.15
//   VS_TOG = 121 - 40 = 81
//   VS_MRV = 245 * 0.1 = 24.5
//   VS_THR = 12
//   VS_DV = 295 / 125 = 2.36
void ExpectTenthStateOnGauges(const FakeView& v) {
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_Speed), 54.0f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VI_Speed), 54.0f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_Nmot), 10.0f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VI_Nmot), 960.0f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_Ub), 14.15f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VI_Ub), 14.15f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_TOG), 81.0f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_MRV), 24.5f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_THR), 12.0f);
  EXPECT_FLOAT_EQ(v.gauge(Component::VS_DV), 2.36f);
  // type 0 has no intake air or manifold pressure row
  EXPECT_EQ(v.gauges.count(Component::VS_TANS), 0u);
  EXPECT_EQ(v.gauges.count(Component::VS_MAP), 0u);
}

TEST(LadaSession, ElmFromResetToTenRepliesThenClearAndFaultList) {
  SessionHarness h;
  h.view.make = 0;
  h.view.ecu = 0;
  h.view.adapter = 0;
  h.click();
  ExpectWrite(h, "AT Z\r", 301);
  h.receive("AT Z\r\r\rELM327 v1.5\r\r>");
  ExpectWrite(h, "AT E1\r");
  h.receive("AT E1\rOK\r\r>");
  ExpectWrite(h, "AT H0\r");
  h.receive("AT H0\rOK\r\r>");
  ExpectWrite(h, "AT SP5\r");
  h.receive("AT SP5\rOK\r\r>");
  ExpectWrite(h, "AT IB10\r");
  h.receive("AT IB10\rOK\r\r>");
  ExpectWrite(h, "AT SH8110F1\r");
  h.receive("AT SH8110F1\rOK\r\r>");
  ExpectWrite(h, "AT SW00\r");
  h.receive("AT SW00\rOK\r\r>");
  ExpectWrite(h, "21 01\r");
  EXPECT_EQ(h.controller.adapterState().linkState, 5);

  const auto states = TenStates();
  for (size_t k = 0; k < states.size(); ++k) {
    SCOPED_TRACE(k);
    const auto bytes = ReplyBytes(states[k]);
    // the chip echoes the request, then the reply as spaced pairs
    h.receive("21 01\r" + Hex(bytes, " ") + " \r\r>");
    EXPECT_EQ(h.view.status, kStatusLinked);
    const auto& rb = h.controller.sessionState().response;
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(rb[i], bytes[i]) << i;
    EXPECT_EQ(rb[bytes.size()], 0);
    ExpectWrite(h, "21 01\r");
    if (k == 0) {
      // B[10] = 40 gives 0 degrees; B[13] = 20 gives 800 rpm, 8 hundreds
      EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_TOG), 0.0f);
      EXPECT_FLOAT_EQ(h.view.gauge(Component::VI_Nmot), 800.0f);
      EXPECT_FLOAT_EQ(h.view.gauge(Component::VS_Nmot), 8.0f);
    }
  }
  ExpectTenthStateOnGauges(h.view);
  EXPECT_TRUE(h.view.faultLines.empty());

  // Clear: the click sends nothing; the clear request is the next send.
  const size_t before = h.port.writes.size();
  h.controller.clearFaults();
  h.advance(100);
  EXPECT_EQ(h.port.writes.size(), before);
  h.receive("21 01\r" + Hex(ReplyBytes(states.back()), " ") + "\r\r>");
  ExpectWrite(h, "14 FF 00\r");
  h.receive("14 FF 00\r54 FF 00\r\r>");
  ExpectWrite(h, "18 00 00 00\r");
  EXPECT_EQ(h.controller.sessionState().nextCommand, 12);
  // four entries: 0102, 0301, 0104 (not in the table), 0603
  h.receive("18 00 00 00\r58 04 01 02 20 03 01 E0 01 04 20 06 03 00\r\r>");
  const std::vector<std::string> memo = {
      "0102 - Датчик массового расхода воздуха, низкий уровень выходного сигнала",
      "0301 - Обнаружены пропуски воспламенения в 1-ом цилиндре",
      "0603 - Неисправность ОЗУ блока управления ",
      "Ещё 1 код без описания: 0104",
  };
  EXPECT_EQ(h.view.faultLines, memo);
  // a fault reply keeps the request: the read goes on
  ExpectWrite(h, "18 00 00 00\r");
  // the same reply again rebuilds the list instead of appending to it
  h.receive("18 00 00 00\r58 04 01 02 20 03 01 E0 01 04 20 06 03 00\r\r>");
  EXPECT_EQ(h.view.faultLines, memo);
  ExpectWrite(h, "18 00 00 00\r");
  // the fault replies left the gauges alone
  ExpectTenthStateOnGauges(h.view);
  EXPECT_TRUE(h.view.errors.empty());
}

TEST(LadaSession, KestaKLineFromSetUpLineToTenReplies) {
  SessionHarness h;
  h.view.make = 0;
  h.view.ecu = 0;
  h.view.adapter = 1;
  h.click();
  ASSERT_TRUE(h.runUntilWrites(1));
  // "DS:01:0T1P1 10 F1 1:81", checksum 0xAE, CR: 24 bytes
  EXPECT_EQ(Text(h.port.writes[0].bytes), std::string("DS:01:0T1P1 10 F1 1:81\xAE\r"));
  h.receive("PS\r");
  ExpectWrite(h, Framed("DD:01:81"));
  h.receive("PD:01:C1\r");
  EXPECT_EQ(h.controller.sessionState().nextCommand, 11);
  const std::string poll = std::string("DD:02:2101\x22\r");
  ASSERT_EQ(poll, Framed("DD:02:2101"));
  ExpectWrite(h, poll);

  for (const Engine& e : TenStates()) {
    const auto bytes = ReplyBytes(e);
    h.receive("PD:1E:" + Hex(bytes, "") + "\r");  // 0x1E = 30 bytes
    const auto& rb = h.controller.sessionState().response;
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(rb[i], bytes[i]) << i;
    EXPECT_EQ(h.view.status, kStatusLinked);
    ExpectWrite(h, poll);
  }
  ExpectTenthStateOnGauges(h.view);
  EXPECT_TRUE(h.view.errors.empty());
}

}  // namespace
}  // namespace kalvex::test
