// CITROEN and PEUGEOT: every type polls 21 C0 80 01 and 21 C4 80 01 in turn;
// which quantity sits in which reply, and its scaling, is per type.
#include "catalogue/catalogue.h"
#include "catalogue/make_registry.h"

namespace kalvex {
namespace {

using namespace MakeNotation;

// clang-format off

// The 0xC4 reply of every type but NFU: the speed alone.
constexpr Row kPlainSpeedC4[] = {
    {{VS_Speed, VI_Speed}, B(20),                             Integer},
};

// CITROEN "Sagem S 2000 PM1"
constexpr Row kSagemC0[] = {
    {{VS_Nmot},            (B(2) * 32) / 100,                 None},
    {{VI_Nmot},            B(2) * 32,                         Integer},
    {{VS_TOG},             B(12) - 40,                        Integer},
    {{VS_TANS},            B(14) - 40,                        Integer},
    {{VS_MAP},             (B(15) * 1305) / 255,              None},
    {{VS_THR},             B(8),                              Integer},
    {{VS_DV},              (B(6) * 209) / 255,                None},
    {{VS_Ub, VI_Ub},       B(3) / 10,                         None},
};

// CITROEN "1.6L 16V NFU": engine speed and supply voltage come with 0xC4.
constexpr Row kNfuC0[] = {
    {{VS_TOG},             (B(12) * 191.4L) / 255 - 48,       None},
    {{VS_TANS},            (B(14) * 191.4L) / 255 - 48,       None},
    {{VS_MAP},             B(15) * 10,                        Integer},
    {{VS_THR},             B(8),                              Integer},
    {{VS_DV},              (B(6) * 99.44L) / 255,             None},
};
constexpr Row kNfuC4[] = {
    {{VS_Nmot},            (B(2) * 40) / 100,                 None},
    {{VI_Nmot},            B(2) * 40,                         Integer},
    {{VS_Ub, VI_Ub},       (B(3) * 28.1L) / 255,              None},
    {{VS_Speed, VI_Speed}, (B(20) * 318) / 255,               None},
};

// CITROEN "2.0L 16V RFJ/RFN": throttle from B[9].
constexpr Row kRfjC0[] = {
    {{VS_Nmot},            (B(2) * 32) / 100,                 None},
    {{VI_Nmot},            B(2) * 32,                         Integer},
    {{VS_TOG},             B(12) - 40,                        Integer},
    {{VS_TANS},            B(14) - 40,                        Integer},
    {{VS_MAP},             (B(15) * 3977) / 255,              None},
    {{VS_THR},             (B(9) * 120) / 255,                None},
    {{VS_DV},              (B(6) * 99.44L) / 255,             None},
    {{VS_Ub, VI_Ub},       B(3) / 10,                         None},
};

// PEUGEOT "MM6LP/MM4.8P(M)": the temperatures fall as the byte rises.
constexpr Row kMm6lpC0[] = {
    {{VS_Nmot},            (B(2) * 32) / 100,                 None},
    {{VI_Nmot},            B(2) * 32,                         Integer},
    {{VS_TOG},             155 - (B(12) * 184) / 255,         None},
    {{VS_TANS},            155 - (B(14) * 184) / 255,         None},
    {{VS_MAP},             (B(15) * 400) / 255,               None},
    {{VS_THR},             B(8),                              Integer},
    {{VS_DV},              (B(6) * 100) / 255,                None},
    {{VS_Ub, VI_Ub},       B(3) / 10,                         None},
};

constexpr Branch kBranches[] = {
    {Ecu(0, 0x61, 0xC0).ForMakes({kCitroen}), kSagemC0,       Command(61)},
    {Ecu(0, 0x61, 0xC4).ForMakes({kCitroen}), kPlainSpeedC4,  Command(60)},
    {Ecu(1, 0x61, 0xC0).ForMakes({kCitroen}), kNfuC0,         Command(61)},
    {Ecu(1, 0x61, 0xC4).ForMakes({kCitroen}), kNfuC4,         Command(60)},
    {Ecu(2, 0x61, 0xC0).ForMakes({kCitroen}), kRfjC0,         Command(61)},
    {Ecu(2, 0x61, 0xC4).ForMakes({kCitroen}), kPlainSpeedC4,  Command(60)},
    {Ecu(0, 0x61, 0xC0).ForMakes({kPeugeot}), kMm6lpC0,       Command(61)},
    {Ecu(0, 0x61, 0xC4).ForMakes({kPeugeot}), kPlainSpeedC4,  Command(60)},
};

// clang-format on

// CITROEN and PEUGEOT share the decoder, the first request and "17 FF 00".
MakeEntry Psa(const char* text, std::vector<EcuTypeEntry> types) {
  return {.text = text,
          .ecuTypes = std::move(types),
          .firstRequests = {{{}, {60, 60, U, U, U}}},
          .visibility = MapShown(),
          .faults = FaultHandling::Read(14, false),
          .branches = kBranches};
}

}  // namespace

const MakeEntry& CitroenMake() {
  static const MakeEntry entry =
      Psa("CITROEN",
          EcuTypes({{KLineLink(0x10), {"Sagem S 2000 PM1", "1.6L 16V NFU", "2.0L 16V RFJ/RFN"}}}));
  return entry;
}

const MakeEntry& PeugeotMake() {
  static const MakeEntry entry = Psa("PEUGEOT", {{"MM6LP/MM4.8P(M)", KLineLink(0x10)}});
  return entry;
}

}  // namespace kalvex
