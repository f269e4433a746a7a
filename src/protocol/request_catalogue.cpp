#include "protocol/request_catalogue.h"

#include <array>

namespace kalvex {
namespace {

struct Entry {
  uint8_t number;
  const char* elm;
  const char* kesta;
};

// clang-format off
constexpr Entry kEntries[] = {
    { 1, "21 06", "DD:02:2106"},
    { 2, "18 00 FF 00", "DD:04:1800FF00"},
    { 3, "14 FF 00", "DD:03:14FF00"},
    { 5, "82", "DD:01:82"},
    { 6, "21 02", "DD:02:2102"},
    { 7, "21 04", "DD:02:2104"},
    { 8, "21 05", "DD:02:2105"},
    { 9, "21 03", "DD:02:2103"},
    {10, "10 86", "DD:02:1086"},
    {11, "21 01", "DD:02:2101"},
    {12, "18 00 00 00", "DD:04:18000000"},
    {13, "22 00 01", "DD:03:220001"},
    {14, "17 FF 00", "DD:03:17FF00"},
    {15, "21 00", "DD:02:2100"},
    {20, "22 00 11", "DD:03:220011"},
    {21, "22 00 0B", "DD:03:22000B"},
    {22, "22 11 41", "DD:03:221141"},
    {23, "22 00 0F", "DD:03:22000F"},
    {24, "22 00 05", "DD:03:220005"},
    {25, "22 00 0D", "DD:03:22000D"},
    {26, "22 00 0C", "DD:03:22000C"},
    {30, "21 20", "DD:02:2120"},
    {31, "21 21", "DD:02:2121"},
    {32, "21 22", "DD:02:2122"},
    {33, "21 23", "DD:02:2123"},
    {34, "21 24", "DD:02:2124"},
    {35, "21 29", "DD:02:2129"},
    {36, "21 2C", "DD:02:212C"},
    {37, "21 43", "DD:02:2143"},
    {38, "21 1F", "DD:02:211F"},
    {40, "2211010401", "DD:05:2211010401"},
    {41, "2211020401", "DD:05:2211020401"},
    {42, "2211030401", "DD:05:2211030401"},
    {43, "2211060401", "DD:05:2211060401"},
    {44, "22110E0401", "DD:05:22110E0401"},
    {45, "22111E0401", "DD:05:22111E0401"},
    {46, "2212010401", "DD:05:2212010401"},
    {47, "2212060401", "DD:05:2212060401"},
    {50, "221101", "DD:03:221101"},
    {51, "221102", "DD:03:221102"},
    {52, "221103", "DD:03:221103"},
    {53, "221106", "DD:03:221106"},
    {54, "22110E", "DD:03:22110E"},
    {55, "22111E", "DD:03:22111E"},
    {56, "221201", "DD:03:221201"},
    {57, "221206", "DD:03:221206"},
    {60, "21C08001", "DD:04:21C08001"},
    {61, "21C48001", "DD:04:21C48001"},
};
// clang-format on

struct Table {
  std::array<std::string, 256> elm;
  std::array<std::string, 256> kesta;
  std::array<bool, 256> key{};
  Table() {
    for (const Entry& e : kEntries) {
      elm[e.number] = e.elm;
      kesta[e.number] = e.kesta;
      key[e.number] = true;
    }
  }
};

const Table& table() {
  static const Table t;
  return t;
}

}  // namespace

const std::string& ElmRequestText(uint8_t number) { return table().elm[number]; }
const std::string& KestaRequestText(uint8_t number) { return table().kesta[number]; }
bool IsRequestKey(uint8_t number) { return table().key[number]; }

}  // namespace kalvex
