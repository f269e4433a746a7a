// GREATWALL (make 2): six types answer one long reply to 21 01; Delphi MT20
// answers one quantity per common identifier.
#include "sim/ecu_layouts.h"

namespace kalvex::sim {
namespace {

constexpr Scale kMap{94.3L, 255, 10.4L};
constexpr Scale kTemperature191{191, 255, -40, true};

// DEEP DELPHI ECUS
const EcuLayout kDeepDelphi = {{
    Reply(Local(0x01), 40,
          {
              Battery(33, kTenths),
              Rpm(20, {25, 400, 0, true}, {25, 1}),
              Speed(39),
              Coolant(34, {190, 255, -40, true}),
              Intake(35, {190, 255, -40, true}),
              Map(29, {94.3L, 255, 10.4L, true}),
              Throttle(27, kPercent),
              Injection(21, {20.4L, 255}),
          }),
}};

// DEEP SPACEFLIGHT
const EcuLayout kDeepSpaceflight = {{
    Reply(Local(0x01), 30,
          {
              Map(9, kMap),
              Battery(10, kTenths),
              Rpm(Word(26, 27), {1, 100, 0, true}, {1, 1}),
              Speed(25),
              Coolant(14, kTemperature191),
              Intake(12, kTemperature191),
              Throttle(24, kPercent),
              Injection(Word(28, 29), {524.3L, 65535}),
          }),
}};

// UECUS2G, GW413EF UEOBD and ME7.9.7 share one layout; they differ in the
// battery scale, the air-flow word, the throttle and the injection byte.
EcuLayout SharedLayout(Scale battery, int airFlowHigh, Field throttle, int injection) {
  return {{
      Reply(Local(0x01), 68,
            {
                Battery(33, battery),
                Rpm(Word(34, 35), {1, 400}, {1, 4}),
                Speed(38),
                Coolant(41, kMinus40),
                Intake(43, kMinus40),
                AirFlow(Word(airFlowHigh, airFlowHigh + 1), kTenths),
                std::move(throttle),
                Injection(injection, kTenths),
            }),
  }};
}

const EcuLayout kUecus2g = SharedLayout({0.068L}, 50, Throttle(Word(55, 56), {100, 65536}), 67);
const EcuLayout kGw413ef = SharedLayout({0.068L}, 48, Throttle(57, kPercent), 66);
const EcuLayout kMe797 = SharedLayout({18, 255}, 48, Throttle(61, kPercent), 66);

// MIT
const EcuLayout kMit = {{
    Reply(Local(0x01), 36,
          {
              Map(15, kMap),
              Battery(16, kTenths),
              Coolant(20, kTemperature191),
              Intake(18, kTemperature191),
              Throttle(29, kPercent),
              Rpm(Word(32, 33), {1, 100, 0, true}, {1, 1}),
              Speed(31),
              Injection(Word(34, 35), {524.3L, 65535}),
          }),
}};

// Delphi MT20: one value per common identifier, right after 62 hi lo.
const EcuLayout kDelphiMt20 = {{
    Reply(Common(0x00, 0x11), 4, {Throttle(3, kPercent)}),
    Reply(Common(0x11, 0x41), 4, {Battery(3, {0.1L})}),
    Reply(Common(0x00, 0x0B), 4, {Map(3)}),
    Reply(Common(0x00, 0x0F), 4, {Intake(3, {1, 1, -41})}),
    Reply(Common(0x00, 0x05), 4, {Coolant(3, {1, 1, -41})}),
    Reply(Common(0x00, 0x0D), 4, {Speed(3)}),
    Reply(Common(0x00, 0x0C), 5, {Rpm(Word(3, 4), {1, 400}, {1, 4})}),
}};

// In item order: DEEP DELPHI ECUS, DEEP SPACEFLIGHT, UECUS2G, GW413EF UEOBD,
// Delphi MT20, ME7.9.7, MIT.
const EcuLayout* const kGreatWall[] = {&kDeepDelphi, &kDeepSpaceflight, &kUecus2g, &kGw413ef,
                                       &kDelphiMt20, &kMe797,           &kMit};

}  // namespace

const EcuLayout* GreatWallLayout(int ecu) { return TypeAt(kGreatWall, ecu); }

}  // namespace kalvex::sim
