// HYUNDAI: most types spread their live data over several local identifiers,
// so every branch decodes one identifier and names the next one; the chain
// closes on the type's first request. Words come low byte first in these
// ECUs, so W(6, 5) is B[6] * 256 + B[5].
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// ECU_v.1 (1.3L/1.5L/1.6L): 21 06 > 21 03 > 21 04
constexpr Row kV1Id06[] = {
    {{VS_Speed, VI_Speed}, B(2) * 1.25L,                    Round},
    {{VS_Nmot},            W(6, 5) / 400,                   Round},
    {{VI_Nmot},            W(6, 5) / 4,                     Round},
};
constexpr Row kV1Id03[] = {
    {{VS_Ub, VI_Ub},       (B(4) * 17.9L) / 255,            None},
    {{VS_TOG},             B(5) * 0.75L - 48,               Round},
    {{VS_TANS},            B(6) * 0.75L - 48,               Round},
    {{VS_THR},             (B(7) * 100) / 255,              None},
};
constexpr Row kV1Id04[] = {
    {{VS_DV},              (W(7, 6) * 175) / 65535,         None},
    {{VS_MAP},             (W(3, 2) * 256) / 65535,         Round},
};

// ECU_v.2 and ECU_v.4: 21 06 > 21 02 > 21 05 > 21 03. ECU_v.3 answers
// 21 06 and 21 03 alike.
constexpr Row kV2Id06[] = {
    {{VS_Speed, VI_Speed}, B(10) * 1.25L,                   Round},
};
constexpr Row kV2Id02[] = {
    {{VS_MAP},             (W(13, 12) * 256) / 65535,       None},
    {{VS_THR},             (B(22) * 100) / 255,             None},
    {{VS_Ub, VI_Ub},       (B(27) * 17.9L) / 255,           None},
    {{VS_TOG},             B(29) * 0.75L - 48,              Round},
    {{VS_TANS},            B(31) * 0.75L - 48,              Round},
};
constexpr Row kV2Id05[] = {
    {{VS_Nmot},            W(10, 9) / 400,                  Round},
    {{VI_Nmot},            W(10, 9) / 4,                    Round},
};
constexpr Row kV2Id03[] = {
    {{VS_DV},              (B(10) * 208.1L) / 255,          None},
};

// ECU_v.3 (1.1L/1.3L/1.5L/1.6L): 21 06 > 21 02 > 21 03; engine speed comes
// with the 0x02 block, in steps of 40 rpm.
constexpr Row kV3Id02[] = {
    {{VS_MAP},             (W(13, 12) * 256) / 65535,       None},
    {{VS_THR},             (B(22) * 100) / 255,             None},
    {{VS_Nmot},            (B(25) * 40) / 100,              Round},
    {{VI_Nmot},            B(25) * 40,                      Integer},
    {{VS_Ub, VI_Ub},       (B(27) * 17.9L) / 255,           None},
    {{VS_TOG},             B(29) * 0.75L - 48,              Round},
    {{VS_TANS},            B(31) * 0.75L - 48,              Round},
};

// ECU_v.5, v.6 and v.7 answer everything in one 21 01 reply.
// ECU_v.5 (1.8L/2.0L)
constexpr Row kV5[] = {
    {{VS_Ub, VI_Ub},       (B(2) * 25.9L) / 255,            None},
    {{VS_TOG},             (B(5) * 191.1L) / 255 - 49,      None},
    {{VS_TANS},            (B(7) * 191.1L) / 255 - 49,      None},
    {{VS_THR},             (B(9) * 120) / 255,              None},
    {{VS_MAP},             (W(16, 15) * 5205.3L) / 655350,  None},
    {{VS_Speed, VI_Speed}, B(20),                           Integer},
    {{VS_Nmot},            W(22, 21) / 100,                 None},
    {{VI_Nmot},            W(22, 21),                       Integer},
    {{VS_DV},              (W(45, 44) * 262.1L) / 65535,    None},
};
// ECU_v.6 (1.8L/2.0L CVVT): air mass instead of manifold pressure.
constexpr Row kV6[] = {
    {{VS_Ub, VI_Ub},       (B(2) * 25.9L) / 255,            None},
    {{VS_TOG},             (B(5) * 191.1L) / 255 - 49,      None},
    {{VS_TANS},            (B(10) * 191.1L) / 255 - 49,     None},
    {{VS_THR},             (B(12) * 120) / 255,             None},
    {{VS_MRV},             (W(17, 16) * 2048) / 65535,      None},
    {{VS_Speed, VI_Speed}, B(31),                           Integer},
    {{VS_Nmot},            W(33, 32) / 100,                 None},
    {{VI_Nmot},            W(33, 32),                       Integer},
    {{VS_DV},              (W(78, 77) * 262.1L) / 65535,    None},
};
// ECU_v.7 (2.7L)
constexpr Row kV7[] = {
    {{VS_Ub, VI_Ub},       (B(2) * 25.9L) / 255,            None},
    {{VS_TOG},             (B(5) * 191.1L) / 255 - 49,      None},
    {{VS_TANS},            (B(7) * 191.1L) / 255 - 49,      None},
    {{VS_THR},             (B(9) * 120) / 255,              None},
    {{VS_MRV},             (W(14, 13) * 13347.3L) / 65535,  None},
    {{VS_Speed, VI_Speed}, B(20),                           Integer},
    {{VS_Nmot},            W(22, 21) / 100,                 None},
    {{VI_Nmot},            W(22, 21),                       Integer},
    {{VS_DV},              (W(57, 56) * 262.1L) / 65535,    None},
};

// ECU_v.8 and ECU_v.12 CAN (7, 11), and ECU_v.13 (2.0L) CAN (12), which
// differs in supply voltage and injection time: 21 02 > 21 03. The
// injection word of ECU_v.8 and v.12 is divided by 65536, unlike the other
// CAN types.
constexpr Row kV8Id02[] = {
    {{VS_MAP},             (W(17, 16) * 2560) / 65536000,   None},
    {{VS_THR},             (B(26) * 100) / 255,             None},
    {{VS_Ub, VI_Ub},       (B(31) * 24) / 255,              None,  Only({7, 11})},
    {{VS_Ub, VI_Ub},       (B(31) * 17.4L) / 255,           None,  Only({12})},
    {{VS_Nmot},            (B(29) * 40) / 100,              None},
    {{VI_Nmot},            B(29) * 40,                      Integer},
    {{VS_TOG},             (B(33) * 191.2L) / 255 - 49,     None},
    {{VS_TANS},            (B(35) * 191.1L) / 255 - 49,     None},
    {{VS_DV},              (W(45, 44) * 262.1L) / 65536,    None,  Only({7, 11})},
    {{VS_DV},              (W(45, 44) * 53717.2L) / 65535,  None,  Only({12})},
};
constexpr Row kV8Id03[] = {
    {{VS_Speed, VI_Speed}, (B(48) * 320) / 256,             None},
};

// ECU_v.9 (1.4L/1.6L) CAN: 21 01 > 21 02; its 0x02 reply is that of
// ECU_v.10 and v.14.
constexpr Row kV9Id01[] = {
    {{VS_THR},             (B(22) * 100) / 255,             None},
    {{VS_Ub, VI_Ub},       (B(7) * 17.37L) / 255,           None},
    {{VS_Nmot},            W(10, 9) / 400,                  None},
    {{VI_Nmot},            W(10, 9) / 4,                    None},
    {{VS_MRV},             W(15, 14) / 4,                   None},
    {{VS_TOG},             (B(27) * 191.4L) / 255 - 49,     None},
    {{VS_TANS},            (B(35) * 191.1L) / 255 - 49,     None},
};
constexpr Row kCanId02[] = {
    {{VS_DV},              (W(25, 24) * 53717.21L) / 65535, None},
    {{VS_Speed, VI_Speed}, (B(14) * 319) / 255,             None},
};

// ECU_v.10 (2.0L) CAN (9), and ECU_v.14 (1.8L/2.4L) CAN (13) with the
// engine speed in rpm: 21 01 > 21 02 > 21 1F. The throttle word 0x1F is also
// ECU_v.11's 0x06 reply.
constexpr Row kV10Id01[] = {
    {{VS_Ub, VI_Ub},       (B(7) * 17.37L) / 255,           None},
    {{VS_Nmot},            W(10, 9) / 400,                  None,  Only({9})},
    {{VI_Nmot},            W(10, 9) / 4,                    None,  Only({9})},
    {{VS_Nmot},            W(10, 9) / 100,                  None,  Only({13})},
    {{VI_Nmot},            W(10, 9),                        Integer, Only({13})},
    {{VS_MAP},             (W(19, 18) * 2560) / 65536000,   None},
    {{VS_TOG},             (B(27) * 191.4L) / 255 - 49,     None},
    {{VS_TANS},            (B(35) * 191.1L) / 255 - 49,     None},
};
constexpr Row kThrottleWord[] = {
    {{VS_THR},             (W(7, 6) * 480) / 65535,         None},
};

// ECU_v.11 (2.7L) CAN: 21 02 > 21 03 > 21 06; no coolant, no injection time.
constexpr Row kV11Id02[] = {
    {{VS_Ub, VI_Ub},       (B(31) * 17.37L) / 255,          None},
    {{VS_Nmot},            (B(29) * 40) / 100,              None},
    {{VI_Nmot},            B(29) * 40,                      Integer},
    {{VS_MAP},             (W(17, 16) * 2560) / 65536000,   None},
    {{VS_TANS},            (B(35) * 191.1L) / 255 - 49,     None},
};
constexpr Row kV11Id03[] = {
    {{VS_Speed, VI_Speed}, (B(48) * 319) / 255,             None},
};


// Request numbers of the local identifiers polled.
constexpr uint8_t k2101 = 11, k2102 = 6, k2103 = 9, k2104 = 7, k2105 = 8, k2106 = 1, k211F = 38;

// Types that share a reply share its rows, but each type keeps its own
// branches.
constexpr Branch kBranches[] = {
    // K-line
    {Ecu(0, 0x61, 0x06),   kV1Id06,       Request(k2103)},
    {Ecu(0, 0x61, 0x03),   kV1Id03,       Request(k2104)},
    {Ecu(0, 0x61, 0x04),   kV1Id04,       Request(k2106)},

    {Ecu(1, 0x61, 0x06),   kV2Id06,       Request(k2102)},
    {Ecu(1, 0x61, 0x02),   kV2Id02,       Request(k2105)},
    {Ecu(1, 0x61, 0x05),   kV2Id05,       Request(k2103)},
    {Ecu(1, 0x61, 0x03),   kV2Id03,       Request(k2106)},

    {Ecu(2, 0x61, 0x06),   kV2Id06,       Request(k2102)},
    {Ecu(2, 0x61, 0x02),   kV3Id02,       Request(k2103)},
    {Ecu(2, 0x61, 0x03),   kV2Id03,       Request(k2106)},

    {Ecu(3, 0x61, 0x06),   kV2Id06,       Request(k2102)},
    {Ecu(3, 0x61, 0x02),   kV2Id02,       Request(k2105)},
    {Ecu(3, 0x61, 0x05),   kV2Id05,       Request(k2103)},
    {Ecu(3, 0x61, 0x03),   kV2Id03,       Request(k2106)},

    {Ecu(4, 0x61, 0x01),   kV5,           Request(k2101)},
    {Ecu(5, 0x61, 0x01),   kV6,           Request(k2101)},
    {Ecu(6, 0x61, 0x01),   kV7,           Request(k2101)},

    // CAN
    {Ecu(7, 0x61, 0x02),   kV8Id02,       Request(k2103)},
    {Ecu(7, 0x61, 0x03),   kV8Id03,       Request(k2102)},

    {Ecu(8, 0x61, 0x01),   kV9Id01,       Request(k2102)},
    {Ecu(8, 0x61, 0x02),   kCanId02,      Request(k2101)},

    {Ecu(9, 0x61, 0x01),   kV10Id01,      Request(k2102)},
    {Ecu(9, 0x61, 0x02),   kCanId02,      Request(k211F)},
    {Ecu(9, 0x61, 0x1F),   kThrottleWord, Request(k2101)},

    {Ecu(10, 0x61, 0x02),  kV11Id02,      Request(k2103)},
    {Ecu(10, 0x61, 0x03),  kV11Id03,      Request(k2106)},
    {Ecu(10, 0x61, 0x06),  kThrottleWord, Request(k2102)},

    {Ecu(11, 0x61, 0x02),  kV8Id02,       Request(k2103)},
    {Ecu(11, 0x61, 0x03),  kV8Id03,       Request(k2102)},

    {Ecu(12, 0x61, 0x02),  kV8Id02,       Request(k2103)},
    {Ecu(12, 0x61, 0x03),  kV8Id03,       Request(k2102)},

    {Ecu(13, 0x61, 0x01),  kV10Id01,      Request(k2102)},
    {Ecu(13, 0x61, 0x02),  kCanId02,      Request(k211F)},
    {Ecu(13, 0x61, 0x1F),  kThrottleWord, Request(k2101)},
};

// clang-format on

}  // namespace

const MakeEntry& HyundaiMake() {
  static const MakeEntry entry{
      .text = "HYUNDAI",
      .ecuTypes = EcuTypes({
          {KLineLink(0x11),
           {"ECU_v.1 (1.3L/1.5L/1.6L)", "ECU_v.2 (1.3L/1.5L/1.6L)",
            "ECU_v.3 (1.1L/1.3L/1.5L/1.6L)"}},
          {KLineLink(0x0F), {"ECU_v.4 (1.6L)"}},
          {KLineLink(0x11), {"ECU_v.5 (1.8L/2.0L)", "ECU_v.6 (1.8L/2.0L CVVT)", "ECU_v.7 (2.7L)"}},
          {CanLink(0x7E7), {"ECU_v.8 (1.4L/1.6L) CAN"}},
          {CanLink(0x7E0),
           {"ECU_v.9 (1.4L/1.6L) CAN", "ECU_v.10 (2.0L) CAN", "ECU_v.11 (2.7L) CAN",
            "ECU_v.12 (1.6L) CAN", "ECU_v.13 (2.0L) CAN", "ECU_v.14 (1.8L/2.4L) CAN"}},
      }),
      // clang-format off
      .firstRequests = {
          // ECU types         ELM  0xC1  0x50  0x50 faults  Kesta CAN
          {Set({0, 1, 2, 3}), {1,   10,   1,    2,           U }},
          {Set({4, 5, 6}),    {11,  10,   11,   2,           U }},
          {Set({7, 11, 12}),  {6,   10,   6,    2,           6 }},
          {Set({10}),         {6,   10,   U,    2,           6 }},
          {Set({8, 9, 13}),   {11,  10,   11,   2,           11}},
          {{},                {U,   10,   U,    2,           U }},
      },
      // clang-format on
      // Type 4 shows VS_MAP: that is the gauge its decoder fills.
      .visibility = MapShown({{{0, 1, 2, 3, 4, 7, 9, 11, 12, 13},
                               {Show(VS_TOG), Show(VS_DV), Show(VS_MAP), Hide(VS_MRV)}},
                              {{5, 6, 8}, {Show(VS_TOG), Show(VS_DV), Show(VS_MRV), Hide(VS_MAP)}},
                              {{10}, {Hide(VS_TOG), Hide(VS_DV), Hide(VS_MRV), Show(VS_MAP)}}}),
      .faults = FaultHandling::Read(2, true).WithClearButton(),  // "18 00 FF 00"
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
