// LADA (ВАЗ): one branch per ECU type. Each reply to the single polled
// request refreshes every gauge of the type; no branch changes the request.
#include "catalogue/make_registry.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// "Январь 5.1 P-83" (0); "Январь 5.1 Euro 2" (1), whose two words sit two
// bytes further on; "Январь 7.2" (2): as Euro 2 plus intake air temperature.
constexpr Row kJanuary[] = {
    {{VS_Speed, VI_Speed}, B(19),                 Integer},
    {{VS_Nmot},            (B(13) * 40) / 100,    Round},
    {{VI_Nmot},            B(13) * 40,            Integer},
    {{VS_Ub, VI_Ub},       B(20) * 0.05L + 5.2L,  None},
    {{VS_TOG},             B(10) - 40,            Integer},
    {{VS_TANS},            B(36) - 40,            Integer, Only({2})},
    {{VS_MRV},             W(25, 24) * 0.1L,      None,    Only({0})},
    {{VS_MRV},             W(27, 26) * 0.1L,      None,    Only({1, 2})},
    {{VS_THR},             B(12),                 Integer},
    {{VS_DV},              W(23, 22) / 125,       None,    Only({0})},
    {{VS_DV},              W(25, 24) / 125,       None,    Only({1, 2})},
};

// "M73 / Bosch M7.9.7": words high byte first.
constexpr Row kType3[] = {
    {{VS_Speed, VI_Speed}, B(7) * 1.25L,          Round},
    {{VS_Nmot},            (B(9) * 40) / 100,     Round},
    {{VI_Nmot},            B(9) * 40,             Integer},
    {{VS_Ub, VI_Ub},       B(6) * 0.073675L,      None},
    {{VS_TOG},             B(4) * 0.75L - 48,     None},
    {{VS_TANS},            B(5) * 0.75L - 48,     None},
    {{VS_MRV},             W(10, 11) * 0.1L,      None},
    {{VS_THR},             (B(8) * 100) / 255,    None},
    {{VS_DV},              W(18, 19) * 0.0133L,   None},
};

// "Bosch MP7.0": no intake air temperature.
constexpr Row kType4[] = {
    {{VS_Speed, VI_Speed}, B(16),                 Integer},
    {{VS_Nmot},            (B(17) * 40) / 100,    Round},
    {{VI_Nmot},            B(17) * 40,            Integer},
    {{VS_Ub, VI_Ub},       B(11) * 0.0943L,       None},
    {{VS_TOG},             B(12) * 0.75L - 48,    None},
    {{VS_THR},             (B(15) * 100) / 255,   None},
    {{VS_MRV},             B(26) / 4,             None},
    {{VS_DV},              W(18, 19) * 0.024L,    None},
};

// "M74 / Bosch ME17.9.7"
constexpr Row kType5[] = {
    {{VS_Speed, VI_Speed}, B(8) * 1.25L,          Round},
    {{VS_Ub, VI_Ub},       B(3) / 10,             None},
    {{VS_TOG},             B(5) * 0.75L - 48,     None},
    {{VS_TANS},            B(23) * 0.75L - 48,    None},
    {{VS_MRV},             W(18, 19) * 0.1L,      None},
    {{VS_Nmot},            W(6, 7) / 400,         None},
    {{VI_Nmot},            W(6, 7) / 4,           None},
    {{VS_THR},             W(12, 13) / 41,        None},
    {{VS_DV},              W(10, 11) / 156.2L,    None},
};

// "М74 CAN / Bosch ME17.9.7 CAN / M75 / M86": reply to "22 00 01", the
// identifier in B[1] and B[2], the data after it.
constexpr Row kType6[] = {
    {{VS_Ub, VI_Ub},       B(4) / 10,             None},
    {{VS_TOG},             B(6) * 0.75L - 48,     None},
    {{VS_Nmot},            W(7, 8) / 400,         None},
    {{VI_Nmot},            W(7, 8) / 4,           None},
    {{VS_Speed, VI_Speed}, B(9) * 1.25L,          Round},
    {{VS_DV},              W(11, 12) / 156.2L,    None},
    {{VS_THR},             W(13, 14) / 41,        None},
    {{VS_MRV},             W(19, 20) * 0.1L,      None},
    {{VS_TANS},            B(24) * 0.75L - 48,    None},
};

// No LADA branch tests B[1]; the request chosen at start is polled for good.
constexpr Branch kBranches[] = {
    {Ecu(0, 0x61), kJanuary,  KeepRequest},
    {Ecu(1, 0x61), kJanuary,  KeepRequest},
    {Ecu(2, 0x61), kJanuary,  KeepRequest},
    {Ecu(3, 0x61), kType3,    KeepRequest},
    {Ecu(4, 0x61), kType4,    KeepRequest},
    {Ecu(5, 0x61), kType5,    KeepRequest},
    {Ecu(6, 0x62), kType6,    KeepRequest},
};

// clang-format on

}  // namespace

const MakeEntry& LadaMake() {
  const std::vector<ComponentSetting> all = {
      Show(VS_Speed), Show(VI_Speed), Show(VS_Nmot), Show(VI_Nmot), Show(VS_TOG), Show(VS_Ub),
      Show(VI_Ub),    Show(VS_THR),   Show(VS_DV),   Show(VS_MRV),  Hide(VS_MAP)};
  auto withTans = [&](bool shown) {
    std::vector<ComponentSetting> s = all;
    s.push_back({VS_TANS, shown});
    return s;
  };
  static const MakeEntry entry{
      .text = QT_TRANSLATE_NOOP("kalvex", "LADA (ВАЗ)"),
      .ecuTypes = EcuTypes({
          {KLineLink(0x10),
           {QT_TRANSLATE_NOOP("kalvex", "Январь 5.1 P-83"),
            QT_TRANSLATE_NOOP("kalvex", "Январь 5.1 Euro 2"),
            QT_TRANSLATE_NOOP("kalvex", "Январь 7.2"), "M73 / Bosch M7.9.7"}},
          {KLineLink(0x11), {"Bosch MP7.0"}},
          {KLineLink(0x10), {"M74 / Bosch ME17.9.7"}},
          {CanLink(0x7E0),
           {QT_TRANSLATE_NOOP("kalvex", "М74 CAN / Bosch ME17.9.7 CAN / M75 / M86")}},
      }),
      // clang-format off
      .firstRequests = {
          // ECU types ELM  0xC1  0x50  0x50 faults  Kesta CAN
          {Set({6}),  {13,  11,   13,   12,          13}},
          {{},        {11,  11,   11,   12,          U }},
      },
      // clang-format on
      .visibility = MrvShownNoTans({{{0, 1, 4}, withTans(false)}, {{2, 3, 5, 6}, withTans(true)}}),
      // "18 00 00 00"; no branch changes the request, so a clear click sets it
      .faults = FaultHandling::Read(12, true).WithClearButton(FaultHandling::ClearTaken::AtClick),
      .branches = kBranches,
  };
  return entry;
}

}  // namespace kalvex
