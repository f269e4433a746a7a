// Chery (make 7): six types answer one long reply to 21 01; the QQ3/QQ6
// answers eight local identifiers with one word each.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

// Tiggo Delphi system 2.0L-2.4L (4G63-4G64). The temperatures are rounded
// before the offset; an offset of whole degrees rounds the same after it.
const EcuLayout kTiggoDelphi = {{
    Reply(Local(0x01), 30,
          {
              Rpm(Word(26, 27), {1, 100, 0, true}, {1, 1}),
              Coolant(14, {191.2L, 255, -40, true}),
              Intake(12, {191.2L, 255, -40, true}),
              Map(9, {94, 255, 10.4L}),
              Throttle(24, kPercent),
              Injection(Word(28, 29), {2, 255}),
              Battery(10, kTenths),
              Speed(25),
          }),
}};

// A15: no supply voltage, no speed.
const EcuLayout kA15 = {{
    Reply(Local(0x01), 68,
          {
              Rpm(Word(34, 35), {1, 400, 0, true}, {1, 4, 0, true}),
              Coolant(41, kMinus40),
              Intake(43, kMinus40),
              Map(49),
              Throttle(55, kPercent),
              Injection(Word(66, 67), {1, 2560}),
          }),
}};

// Chery A3/A5 (3), Chery FORA 1.6/2.0 (5) and UAES (6) share the reply and
// differ in the rpm rounding, the air flow word, the throttle byte and the
// voltage factor.
EcuLayout A3Fora(int type) {
  const bool a3 = type == 3;
  return {{
      Reply(Local(0x01), 68,
            {
                Rpm(Word(34, 35), {1, 400, 0, true}, {1, 4, 0, a3}),
                Coolant(41, kMinus40),
                Intake(43, kMinus40),
                a3 ? AirFlow(Word(48, 49), kTenths) : AirFlow(Word(51, 52)),
                Throttle(type == 5 ? 60 : 61, kPercent),
                Injection(66, kTenths),
                Battery(33, {type == 6 ? 0.07L : 0.065L}),
                Speed(38),
            }),
  }};
}
const EcuLayout kA3A5 = A3Fora(3);
const EcuLayout kFora = A3Fora(5);
const EcuLayout kUaes = A3Fora(6);

// Siemens 372 System
const EcuLayout kSiemens372 = {{
    Reply(Local(0x01), 46,
          {
              Rpm(Word(21, 22), {1, 100, 0, true}, {1, 1}),
              Coolant(5, {191, 255, -49}),
              Intake(7, {191, 255, -49}),
              Map(Word(15, 16), {5434, 65535000}),
              Throttle(8, kPercent),
              Injection(Word(44, 45), {262.14L, 65535}),
              Battery(2, {25.9L, 255}),
              Speed(20),
          }),
}};

// Chery QQ3/QQ6: 61 <id> then one word, high byte first.
const At kQqWord = Word(2, 3);
const EcuLayout kQq = {{
    Reply(Local(0x20), 4, {Rpm(kQqWord, {1, 100, 0, true}, {1, 1})}),
    Reply(Local(0x21), 4, {Map(kQqWord, kTenths)}),
    Reply(Local(0x22), 4, {Intake(kQqWord, kMinus40)}),
    Reply(Local(0x23), 4, {Coolant(kQqWord, kMinus40)}),
    Reply(Local(0x24), 4, {Throttle(kQqWord, kTenths)}),
    Reply(Local(0x29), 4, {Injection(kQqWord, {1, 500})}),
    Reply(Local(0x2C), 4, {Battery(kQqWord, kTenths)}),
    Reply(Local(0x43), 4, {Speed(kQqWord, kTenths)}),
}};

const EcuLayout* const kChery[] = {&kTiggoDelphi, &kA15,  &kQq,  &kA3A5,
                                   &kSiemens372,  &kFora, &kUaes};

}  // namespace

const EcuLayout* CheryLayout(int ecu) { return TypeAt(kChery, ecu); }

}  // namespace kalvex::sim
