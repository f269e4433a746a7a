// GAZ and UAZ: UAZ fits the first four GAZ ECU types under the same indices,
// so one table serves both makes; only GAZ has the Euro-5 type on "22 00 01".
#include "catalogue/catalogue.h"
#include "catalogue/make_registry.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// "Bosch ME17.9.7 Euro-3" and "Euro-4". The coolant is a whole word. The
// injection product passes 2^31 for words above 51201; it is kept exact in
// 64 bits, so such words show their true value.
constexpr Row kMe1797[] = {
    {{VS_Nmot},            W(2, 3) / 400,                       Round},
    {{VI_Nmot},            W(2, 3) / 4,                         Round},
    {{VS_TOG},             W(8, 9) * 0.75L - 48,                Round},
    {{VS_TANS},            B(11) * 0.75L - 48,                  Round},
    {{VS_MRV},             W(19, 20) / 10,                      Round},
    {{VS_THR},             (W(25, 26) * 15984) / 655360,        None},
    {{VS_DV},              (W(27, 28) * 41942) / 6553600,       None},
    {{VS_Ub, VI_Ub},       B(49) / 10,                          None},
    {{VS_Speed, VI_Speed}, (W(108, 109) * 2) / 65536,           Round},
};

// "Микас 10.3/11.3"
constexpr Row kMikas103[] = {
    {{VS_Nmot},            W(18, 19) / 100,                     Round},
    {{VI_Nmot},            W(18, 19),                           Integer},
    {{VS_THR},             W(20, 21) / 10,                      None},
    {{VS_DV},              W(24, 25) / 100,                     None},
    {{VS_Ub, VI_Ub},       B(37) / 10,                          None},
    {{VS_Speed, VI_Speed}, B(36),                               Integer},
    {{VS_MRV},             W(26, 27) / 10,                      Round},
    {{VS_TOG},             B(30) - 40,                          Integer},
    {{VS_TANS},            B(31) - 40,                          Integer},
};

// "Микас 11 Euro-2": words low byte first; "21 01" and "21 03" alternate.
constexpr Row kMikas11Main[] = {
    {{VS_Nmot},            W(3, 2) / 200,                       Round},
    {{VI_Nmot},            W(3, 2) / 2,                         Round},
    {{VS_TOG},             W(5, 4) / 128,                       Round},
    {{VS_TANS},            W(7, 6) / 128,                       Round},
    {{VS_MRV},             W(23, 22) / 128,                     Round},
    {{VS_THR},             W(9, 8) / 128,                       None},
    {{VS_DV},              W(19, 18) / 200,                     None},
    {{VS_Speed, VI_Speed}, W(42, 41),                           Integer},
};
constexpr Row kMikas11Battery[] = {
    {{VS_Ub, VI_Ub},       W(3, 2) / 256,                       None},
};

// "Bosch ME 17.9.71 Euro-5" (GAZ only): temperatures offset by 49, throttle
// scaled by 32767.
constexpr Row kMe17971[] = {
    {{VS_Ub, VI_Ub},       B(4) / 10,                           None},
    {{VS_TOG},             B(5) * 0.75L - 49,                   None},
    {{VS_Nmot},            W(6, 7) / 400,                       None},
    {{VI_Nmot},            W(6, 7) / 4,                         None},
    {{VS_Speed, VI_Speed}, B(8) * 1.25L,                        Round},
    {{VS_DV},              (W(10, 11) * 419.4L) / 65535,        None},
    {{VS_THR},             (W(12, 13) * 800) / 32767,           None},
    {{VS_MRV},             W(18, 19) * 0.1L,                    None},
    {{VS_TANS},            B(37) * 0.75L - 49,                  None},
};

constexpr Branch kBranches[] = {
    {Ecus({0, 3}, 0x61, 0x01),     kMe1797,          Request(11)},
    {Ecu(1, 0x61, 0x01),           kMikas103,        Request(11)},
    {Ecu(2, 0x61, 0x01),           kMikas11Main,     Request(9)},
    {Ecu(2, 0x61, 0x03),           kMikas11Battery,  Request(11)},
    // Every 0x62 reply, whatever its identifier; the request stays.
    {Ecu(4, 0x62).ForMakes({kGaz}), kMe17971,        KeepRequest},
};

// clang-format on

// "Bosch ME 17.9.71 Euro-5" is reached over CAN through the ELM327 but served
// as a K-line type: no K-line header step, CanSession stays false, and the
// Kesta-mini uses the K-line set-up line with address 0x10.
LinkParams Euro5Link() {
  LinkParams p = KLineLink(0x10);
  p.elmCan = true;
  p.elmProtocol = "AT SP6";
  p.elmKLineHeader.clear();
  p.elmCanHeader = "AT SH7E0";
  return p;
}

// UAZ fits the first four GAZ types under the same indices.
std::vector<EcuTypeEntry> GazUazTypes(bool euro5) {
  std::vector<EcuTypeEntry> types =
      EcuTypes({{KLineLink(0x10),
                 {"Bosch ME17.9.7 Euro-3", QT_TRANSLATE_NOOP("kalvex", "Микас 10.3/11.3"),
                  QT_TRANSLATE_NOOP("kalvex", "Микас 11 Euro-2"), "Bosch ME17.9.7 Euro-4"}}});
  if (euro5) types.emplace_back("Bosch ME 17.9.71 Euro-5", Euro5Link());
  return types;
}

}  // namespace

const MakeEntry& GazMake() {
  static const MakeEntry entry{
      .text = QT_TRANSLATE_NOOP("kalvex", "GAZ (ГАЗ)"),
      .ecuTypes = GazUazTypes(true),
      // clang-format off
      .firstRequests = {
          // ECU types ELM  0xC1  0x50  0x50 faults  Kesta CAN
          {Set({4}),  {13,  13,   13,   2,           U }},
          {{},        {11,  11,   11,   2,           U }},
      },
      // clang-format on
      .visibility = MrvShown(),
      .faults = FaultHandling::Read(2, true).WithClearButton(),
      .branches = kBranches,
  };
  return entry;
}

const MakeEntry& UazMake() {
  static const MakeEntry entry{
      .text = QT_TRANSLATE_NOOP("kalvex", "UAZ (УАЗ)"),
      .ecuTypes = GazUazTypes(false),
      .firstRequests = {{{}, {11, 11, 11, 2, U}}},
      .visibility = MrvShown(),
      .faults = FaultHandling::Read(2, true).WithClearButton(),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
