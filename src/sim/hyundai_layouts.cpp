// HYUNDAI (make 1): most types answer several local identifiers, each with a
// part of the live data; words are sent low byte first (the high byte sits at
// the higher index).
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// The temperatures of the K-line types: 0.75 °C a bit from -48 °C, rounded.
constexpr Scale kKLineTemperature{0.75L, 1, -48, true};
// The temperatures of the 21 01 and CAN types: 191.1/255 °C a bit from -49 °C.
constexpr Scale kTemperature{191.1L, 255, -49};
constexpr Scale kCanBattery{17.37L, 255};
constexpr Scale kCanMap{2560, 65536000};

// Engine speed as a word of quarter rpm, and as a byte of 40 rpm a step.
std::vector<Field> QuarterRpm(At at, bool round) {
  return Rpm(at, {1, 400, 0, round}, {1, 4, 0, round});
}
std::vector<Field> Rpm40(int at) { return Rpm(at, {40, 100}, {40, 1}); }

// Replies that several types send alike.
// The speed (0x06) and injection time (0x03) of ECU_v.2, v.3 and v.4.
const DataReply kSpeedAt10 = Reply(Local(0x06), 14, {Speed(10, {1.25L, 1, 0, true})});
const DataReply kInjectionAt10 = Reply(Local(0x03), 14, {Injection(10, {208.1L, 255})});
// Injection time and speed (0x02) of ECU_v.9, v.10 and v.14.
const DataReply kCanInjectionAndSpeed = Reply(Local(0x02), 28,
                                              {
                                                  Injection(Word(25, 24), {53717.21L, 65535}),
                                                  Speed(14, {319, 255}),
                                              });
// The throttle word (0x1F) of ECU_v.10 and v.14.
const DataReply kThrottleWord = Reply(Local(0x1F), 10, {Throttle(Word(7, 6), {480, 65535})});
// The speed (0x03) of the CAN types read through 21 02.
DataReply CanSpeed(Scale s) { return Reply(Local(0x03), 52, {Speed(48, s)}); }

// ECU_v.1 (1.3L/1.5L/1.6L)
const EcuLayout kV1 = {{
    Reply(Local(0x06), 8,
          {
              Speed(2, {1.25L, 1, 0, true}),
              QuarterRpm(Word(6, 5), true),
          }),
    Reply(Local(0x03), 10,
          {
              Battery(4, {17.9L, 255}),
              Coolant(5, kKLineTemperature),
              Intake(6, kKLineTemperature),
              Throttle(7, kPercent),
          }),
    Reply(Local(0x04), 10,
          {
              Injection(Word(7, 6), {175, 65535}),
              Map(Word(3, 2), {256, 65535, 0, true}),
          }),
}};

// The 0x02 block of ECU_v.2, v.3 and v.4; ECU_v.3 has its engine speed there,
// 40 rpm a step, rounded on the dial.
DataReply KLineBlock02(bool rpm) {
  return Reply(Local(0x02), 34,
               {
                   Map(Word(13, 12), {256, 65535}),
                   Throttle(22, kPercent),
                   rpm ? Rows(Rpm(25, {40, 100, 0, true}, {40, 1})) : Rows(),
                   Battery(27, {17.9L, 255}),
                   Coolant(29, kKLineTemperature),
                   Intake(31, kKLineTemperature),
               });
}

// ECU_v.2 (1.3L/1.5L/1.6L) and ECU_v.4 (1.6L)
const EcuLayout kV2 = {{
    kSpeedAt10,
    KLineBlock02(false),
    Reply(Local(0x05), 14, {QuarterRpm(Word(10, 9), true)}),
    kInjectionAt10,
}};

// ECU_v.3 (1.1L/1.3L/1.5L/1.6L): engine speed in the 0x02 block.
const EcuLayout kV3 = {{kSpeedAt10, KLineBlock02(true), kInjectionAt10}};

// ECU_v.5 (1.8L/2.0L), ECU_v.6 (1.8L/2.0L CVVT) and ECU_v.7 (2.7L): one 21 01
// reply carries everything; the load row is manifold pressure on ECU_v.5 and
// air mass on the others. `intake` and `speed` are where those bytes sit, the
// throttle two bytes after the intake air and the engine speed word after the
// speed byte.
EcuLayout WholeBlock(size_t length, int intake, Field load, int speed, int injection) {
  return {{
      Reply(Local(0x01), length,
            {
                Battery(2, {25.9L, 255}),
                Coolant(5, kTemperature),
                Intake(intake, kTemperature),
                Throttle(intake + 2, {120, 255}),
                std::move(load),
                Speed(speed),
                Rpm(Word(speed + 2, speed + 1), {1, 100}, {1, 1}),
                Injection(Word(injection + 1, injection), {262.1L, 65535}),
            }),
  }};
}
const EcuLayout kV5 = WholeBlock(48, 7, Map(Word(16, 15), {5205.3L, 655350}), 20, 44);
const EcuLayout kV6 = WholeBlock(80, 10, AirFlow(Word(17, 16), {2048, 65535}), 31, 77);
const EcuLayout kV7 = WholeBlock(60, 7, AirFlow(Word(14, 13), {13347.3L, 65535}), 20, 56);

// ECU_v.8 (1.4L/1.6L) CAN and ECU_v.12 (1.6L) CAN; ECU_v.13 (2.0L) CAN differs
// in the battery scale and the injection time.
EcuLayout CanBlock02(Scale battery, Scale injection) {
  return {{
      Reply(Local(0x02), 48,
            {
                Map(Word(17, 16), kCanMap),
                Throttle(26, kPercent),
                Battery(31, battery),
                Rpm40(29),
                Coolant(33, {191.2L, 255, -49}),
                Intake(35, kTemperature),
                Injection(Word(45, 44), injection),
            }),
      CanSpeed({320, 256}),
  }};
}
const EcuLayout kV8 = CanBlock02({24, 255}, {262.1L, 65536});
const EcuLayout kV13 = CanBlock02({17.4L, 255}, {53717.2L, 65535});

// ECU_v.9 (1.4L/1.6L) CAN
const EcuLayout kV9 = {{
    Reply(Local(0x01), 40,
          {
              Throttle(22, kPercent),
              Battery(7, kCanBattery),
              QuarterRpm(Word(10, 9), false),
              AirFlow(Word(15, 14), {1, 4}),
              Coolant(27, {191.4L, 255, -49}),
              Intake(35, kTemperature),
          }),
    kCanInjectionAndSpeed,
}};

// ECU_v.10 (2.0L) CAN, and ECU_v.14 (1.8L/2.4L) CAN with the engine speed in
// rpm rather than in quarters.
EcuLayout CanBlock01(std::vector<Field> rpm) {
  return {{
      Reply(Local(0x01), 40,
            {
                Battery(7, kCanBattery),
                std::move(rpm),
                Map(Word(19, 18), kCanMap),
                Coolant(27, {191.4L, 255, -49}),
                Intake(35, kTemperature),
            }),
      kCanInjectionAndSpeed,
      kThrottleWord,
  }};
}
const EcuLayout kV10 = CanBlock01(QuarterRpm(Word(10, 9), false));
const EcuLayout kV14 = CanBlock01(Rpm(Word(10, 9), {1, 100}, {1, 1}));

// ECU_v.11 (2.7L) CAN: no coolant, no injection time.
const EcuLayout kV11 = {{
    Reply(Local(0x02), 40,
          {
              Battery(31, kCanBattery),
              Rpm40(29),
              Map(Word(17, 16), kCanMap),
              Intake(35, kTemperature),
          }),
    CanSpeed({319, 255}),
    Reply(Local(0x06), 10, {Throttle(Word(7, 6), {480, 65535})}),
}};

const EcuLayout* const kHyundai[] = {&kV1, &kV2, &kV3,  &kV2,  &kV5, &kV6,  &kV7,
                                     &kV8, &kV9, &kV10, &kV11, &kV8, &kV13, &kV14};

}  // namespace

const EcuLayout* HyundaiLayout(int ecu) { return TypeAt(kHyundai, ecu); }

}  // namespace kalvex::sim
