#include "catalogue/first_request.h"

#include <array>
#include <initializer_list>

#include "catalogue/catalogue.h"

namespace kalvex {

namespace {

constexpr uint8_t U = kUnchanged;

// ECU types a row applies to; {} is every index (the make's other types,
// and indices no list holds).
struct EcuSet {
  uint64_t bits = 0;
  constexpr EcuSet() = default;
  constexpr EcuSet(std::initializer_list<int> ecus) {
    for (int e : ecus) bits |= uint64_t{1} << e;
  }
  constexpr bool contains(int ecu) const {
    return bits == 0 || (ecu >= 0 && ecu < 64 && ((bits >> ecu) & 1u) != 0);
  }
};

struct Row {
  int make;
  EcuSet ecus;
  // ElmSetUpDone, StartCommunication, SessionStartData, SessionStartFaults, KestaCanSetUp
  std::array<uint8_t, 5> first;
};

// The first row of a make whose ECU set holds the type wins.
// clang-format off
constexpr Row kRows[] = {
    // make        ECU types           ELM  0xC1  0x50  0x50 faults  Kesta CAN
    {kLada,       {6},                 {13,  11,   13,   12,          13}},
    {kLada,       {},                  {11,  11,   11,   12,          U }},
    {kHyundai,    {0, 1, 2, 3},        {1,   10,   1,    2,           U }},
    {kHyundai,    {4, 5, 6},           {11,  10,   11,   2,           U }},
    {kHyundai,    {7, 11, 12},         {6,   10,   6,    2,           6 }},
    {kHyundai,    {10},                {6,   10,   U,    2,           6 }},
    {kHyundai,    {8, 9, 13},          {11,  10,   11,   2,           11}},
    {kHyundai,    {},                  {U,   10,   U,    2,           U }},
    {kGreatWall,  {4},                 {20,  20,   20,   U,           U }},
    {kGreatWall,  {},                  {11,  11,   11,   U,           U }},
    {kGaz,        {4},                 {13,  13,   13,   2,           U }},
    {kGaz,        {},                  {11,  11,   11,   2,           U }},
    {kUaz,        {},                  {11,  11,   11,   2,           U }},
    {kByd,        {},                  {11,  11,   11,   2,           U }},
    {kGeely,      {},                  {11,  11,   11,   2,           U }},
    {kChery,      {2},                 {30,  30,   30,   2,           U }},
    {kChery,      {},                  {11,  11,   11,   2,           U }},
    {kZaz,        {},                  {11,  11,   11,   2,           U }},
    {kIzh,        {},                  {11,  11,   11,   2,           U }},
    {kNissan,     {1},                 {50,  U,    U,    U,           50}},
    {kNissan,     {0},                 {40,  40,   U,    U,           U }},
    {kNissan,     {},                  {40,  U,    U,    U,           U }},
    {kKia,        {},                  {6,   6,    U,    U,           6 }},
    {kDaewoo,     {},                  {6,   6,    U,    U,           U }},
    {kChevrolet,  {},                  {6,   6,    U,    U,           U }},
    {kCitroen,    {},                  {60,  60,   U,    U,           U }},
    {kPeugeot,    {},                  {60,  60,   U,    U,           U }},
    {kSuzuki,     {},                  {15,  15,   U,    U,           U }},
};
// clang-format on

}  // namespace

uint8_t FirstRequest(int make, int ecu, FirstRequestPoint at) {
  for (const Row& row : kRows)
    if (row.make == make && row.ecus.contains(ecu)) return row.first[static_cast<size_t>(at)];
  return kUnchanged;
}

}  // namespace kalvex
