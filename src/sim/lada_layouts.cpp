// LADA (make 0): every type answers one request that refreshes all gauges.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// 40 rpm a step: the dial rounded to whole hundreds, the number as it is.
std::vector<Field> Rpm40(int at) { return Rpm(at, {40, 100, 0, true}, {40, 1}); }

constexpr Scale kMinus48{0.75L, 1, -48};
constexpr Scale kSpeed125{1.25L, 1, 0, true};

// Январь 5.1 P-83 (words at 22), Январь 5.1 Euro 2 (the two words two bytes
// further on) and Январь 7.2 (as Euro 2 plus intake air).
EcuLayout January(size_t length, int words, bool intake) {
  return {{
      Reply(Local(0x01), length,
            {
                Speed(19),
                Rpm40(13),
                Battery(20, {0.05L, 1, 5.2L}),
                Coolant(10, kMinus40),
                intake ? Rows(Intake(36, kMinus40)) : Rows(),
                AirFlow(Word(words + 3, words + 2), {0.1L}),
                Throttle(12),
                Injection(Word(words + 1, words), {1, 125}),
            }),
  }};
}
const EcuLayout kType0 = January(38, 22, false);
const EcuLayout kType1 = January(40, 24, false);
const EcuLayout kType2 = January(42, 24, true);

// M73 / Bosch M7.9.7: words high byte first.
const EcuLayout kType3 = {{
    Reply(Local(0x01), 24,
          {
              Speed(7, kSpeed125),
              Rpm40(9),
              Battery(6, {0.073675L}),
              Coolant(4, kMinus48),
              Intake(5, kMinus48),
              AirFlow(Word(10, 11), {0.1L}),
              Throttle(8, kPercent),
              Injection(Word(18, 19), {0.0133L}),
          }),
}};

// Bosch MP7.0: no intake air.
const EcuLayout kType4 = {{
    Reply(Local(0x01), 30,
          {
              Speed(16),
              Rpm40(17),
              Battery(11, {0.0943L}),
              Coolant(12, kMinus48),
              Throttle(15, kPercent),
              AirFlow(26, {1, 4}),
              Injection(Word(18, 19), {0.024L}),
          }),
}};

// M74 / Bosch ME17.9.7
const EcuLayout kType5 = {{
    Reply(Local(0x01), 30,
          {
              Speed(8, kSpeed125),
              Battery(3, kTenths),
              Coolant(5, kMinus48),
              Intake(23, kMinus48),
              AirFlow(Word(18, 19), {0.1L}),
              Rpm(Word(6, 7), {1, 400}, {1, 4}),
              Throttle(Word(12, 13), {1, 41}),
              Injection(Word(10, 11), {1, 156.2L}),
          }),
}};

// М74 CAN / Bosch ME17.9.7 CAN / M75 / M86: 22 00 01 over CAN, a reply long
// enough to need five frames.
const EcuLayout kType6 = {{
    Reply(Common(0x00, 0x01), 28,
          {
              Battery(4, kTenths),
              Coolant(6, kMinus48),
              Rpm(Word(7, 8), {1, 400}, {1, 4}),
              Speed(9, kSpeed125),
              Injection(Word(11, 12), {1, 156.2L}),
              Throttle(Word(13, 14), {1, 41}),
              AirFlow(Word(19, 20), {0.1L}),
              Intake(24, kMinus48),
          }),
}};

const EcuLayout* const kLada[] = {&kType0, &kType1, &kType2, &kType3, &kType4, &kType5, &kType6};

}  // namespace

const EcuLayout* LadaLayout(int ecu) { return TypeAt(kLada, ecu); }

}  // namespace kalvex::sim
